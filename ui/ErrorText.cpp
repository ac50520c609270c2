#include "ui/ErrorText.h"

#include "ui/TextBridge.h"

#include <QFile>

namespace qvc {

QString ErrorText(const TMessage &message)
{
    QString text;
    message.Walk([&text](std::string_view piece) { text += ToQ(std::string(piece)); },
        [&text](const TMessageArg &arg) {
            switch (arg.Kind) {
            case TMessageArg::TKind::Text:
                text += ToQ(arg.Bytes);
                break;
            case TMessageArg::TKind::Path:
                text += QFile::decodeName(QByteArray::fromStdString(arg.Bytes));
                break;
            case TMessageArg::TKind::Reason:
                text += QString::fromLocal8Bit(ReasonText(arg.Code));
                break;
            }
        });
    return text;
}

QString ErrorText(const std::exception &error)
{
    return ErrorText(MessageOf(error));
}

} // namespace qvc
