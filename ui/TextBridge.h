#pragma once
// The one place where the core's 8-bit texts meet QString: program texts are Windows-1252 bytes,
// file names are the file system's bytes.
#include "common/Cp1252.h"

#include <QFile>
#include <QString>
#include <string>

namespace qvc {

/// Windows-1252 bytes of a program text to QString.
inline QString ToQ(const std::string &bytes)
{
    const std::u16string wide = Cp1252ToUtf16(bytes);
    return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

/// QString to Windows-1252 bytes; characters the code page cannot hold become "?".
inline std::string FromQ(const QString &text)
{
    return Utf16ToCp1252(
        std::u16string_view(reinterpret_cast<const char16_t *>(text.utf16()), static_cast<std::size_t>(text.size())));
}

/// A file name as the file system's bytes.
inline std::string PathFromQ(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

/// The file system's bytes of a file name, to show.
inline QString PathToQ(const std::string &path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

} // namespace qvc
