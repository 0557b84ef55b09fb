#include "platform/qt/QtConvert.h"

#include <QByteArray>
#include <string_view>
#include <utility>

namespace {

// The character of the UTF-8 sequence of two or more bytes that starts the
// text, and that sequence's length; nothing when no such sequence starts it.
std::pair<QString, std::size_t> LeadingUtf8Sequence(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text.front());
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || length > text.size()) return {};
  const QByteArray bytes(text.data(), static_cast<qsizetype>(length));
  QString decoded = QString::fromUtf8(bytes);
  // A faulty sequence decodes to replacement characters, which encode otherwise.
  if (decoded.toUtf8() != bytes) return {};
  return {decoded, length};
}

}  // namespace

QString ShownText(const std::string& text) {
  QString shown;
  shown.reserve(static_cast<qsizetype>(text.size()));
  for (std::size_t i = 0; i < text.size();) {
    const auto [sequence, length] = LeadingUtf8Sequence(std::string_view(text).substr(i));
    if (length == 0) {
      shown += QChar(static_cast<unsigned char>(text[i++]));  // Latin-1
    } else {
      shown += sequence;
      i += length;
    }
  }
  return shown;
}
