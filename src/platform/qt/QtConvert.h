// Conversions at the Qt boundary: the program's 8-bit Latin-1 texts and its
// 0x00BBGGRR colours.
#pragma once

#include <QColor>
#include <QString>
#include <string>

#include "platform/base/Canvas.h"

inline QString QStr(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string StdStr(const QString& text) { return text.toLatin1().toStdString(); }

inline QColor ToQColor(TColor color) {
  return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

inline TColor ToTColor(const QColor& color) {
  return static_cast<TColor>(color.red()) | static_cast<TColor>(color.green()) << 8 |
         static_cast<TColor>(color.blue()) << 16;
}
