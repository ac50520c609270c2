#include "ui/ErrorText.h"

#include "results/WindowTexts.h"
#include "ui/TextBridge.h"

#include <QFile>

namespace qvc {

QString ErrorText(const TMessage &message)
{
    QString text;
    // The template's pieces are looked up as a whole: the window words the core's messages in Portuguese.
    const TMessage shown(WindowText(message.Template()), message.Args());
    shown.Walk([&text](std::string_view piece) { text += ToQ(std::string(piece)); },
        [&text](const TMessageArg &arg) {
            switch (arg.Kind) {
            case TMessageArg::TKind::Text:
                text += ToQ(std::string(WindowText(arg.Bytes)));
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
