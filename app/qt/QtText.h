// Conversions between the logic's byte strings and Qt's strings.
#pragma once

#include <QFile>
#include <QString>
#include <QStringView>

#include <string>
#include <string_view>

// Texts are UTF-8 where they are valid UTF-8; anything else (a device's raw answer) is shown
// byte for byte as Latin-1 rather than mangled.
inline QString ToQString(std::string_view text) {
    const auto size = static_cast<qsizetype>(text.size());
    return QUtf8StringView(text.data(), size).isValidUtf8()
               ? QString::fromUtf8(text.data(), size)
               : QString::fromLatin1(text.data(), size);
}

inline std::string ToStdString(const QString& text) {
    return text.toUtf8().toStdString();
}

// Paths keep the file system's own encoding.
inline QString PathToQString(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

inline std::string PathFromQString(const QString& path) {
    return QFile::encodeName(path).toStdString();
}
