// Conversions at the Qt boundary: the program's 8-bit Latin-1 texts, the file
// system's names and the program's 0x00BBGGRR colours.
#pragma once

#include <QColor>
#include <QFile>
#include <QString>
#include <string>

#include "platform/base/Canvas.h"

inline QString QStr(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// A text as the canvas draws it: Latin-1, with kEllipsis as the ellipsis.
inline QString CanvasText(const std::string& text) { return QStr(text).replace(QChar(0x85), QChar(0x2026)); }

inline std::string StdStr(const QString& text) { return text.toLatin1().toStdString(); }

// File and folder names: the program keeps them as the file system's own bytes.
inline QString QPath(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

inline std::string StdPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// A text shown to the user that may name a file (a message, a log line, a
// caption): the bytes of a name decode as the file system's UTF-8 does, every
// other byte as Latin-1.
QString ShownText(const std::string& text);

inline QColor ToQColor(TColor color) {
  return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

inline TColor ToTColor(const QColor& color) {
  return static_cast<TColor>(color.red()) | static_cast<TColor>(color.green()) << 8 |
         static_cast<TColor>(color.blue()) << 16;
}
