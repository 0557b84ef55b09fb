#include "platform/qt/QtConvert.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The text in a heap block of exactly its length and the terminating zero, after
// a prefix long enough to leave the string's inner buffer: a read past the last
// byte but one leaves the block, which the address sanitizer reports.
std::string ExactText(const std::string& bytes) {
  const std::string text = "a name of twenty chars: " + bytes;
  const std::vector<char> block(text.begin(), text.end());
  return std::string(block.begin(), block.end());
}

QString Shown(const std::string& bytes) { return ShownText(ExactText(bytes)).mid(24); }

QString Latin1(const std::string& bytes) { return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())); }

}  // namespace

// Letters of two, three and four bytes, the first and last of each length and
// those between U+0800 and U+0FFF, show as UTF-8 decodes them.
TEST(ShownText, NamesDecodeAsUtf8WhateverTheLengthOfTheirLetters) {
  for (const char32_t letter : {U'\u0080', U'\u07FF', U'\u0800', U'\u0A05', U'\u0FFF', U'\u1000', U'\u20AC', U'\uFFFD',
                                U'\U00010000', U'\U0001F600', U'\U0010FFFF'}) {
    const QString expected = QString::fromUcs4(&letter, 1);
    const std::string bytes = expected.toUtf8().toStdString();
    EXPECT_EQ(Shown(bytes), expected) << static_cast<uint32_t>(letter);
    EXPECT_EQ(Shown("/x" + bytes + "y" + bytes), "/x" + expected + "y" + expected) << static_cast<uint32_t>(letter);
  }
}

// A sequence that is no UTF-8 letter, a cut one at the end of the text included,
// shows each of its bytes as its Latin-1 letter; no byte past the end is read.
TEST(ShownText, BytesOfNoUtf8LetterShowAsLatin1UpToTheEnd) {
  for (const std::string bytes : {"\xC3", "\xDF", "\xE0", "\xE0\xA0", "\xE2\x82", "\xEF\xBF", "\xF0", "\xF0\x9F",
                                  "\xF0\x9F\x98", "\xF4\x8F\xBF",  // cut at the end
                                  "\xE0\x80\x80", "\xC1\xBF", "\xED\xA0\x80", "\xF4\x90\x80\x80",  // overlong, surrogate, too large
                                  "\xE2\x82x", "\xF0\x9F\x98x", "\x80\xBF", "\xFF\xFE"}) {
    EXPECT_EQ(Shown(bytes), Latin1(bytes)) << QByteArray::fromStdString(bytes).toHex().toStdString();
  }
  EXPECT_EQ(Shown("\xE2\x82\xE2\x82\xAC"), Latin1("\xE2\x82") + QString::fromUtf8("\u20AC"));
  EXPECT_EQ(ShownText(""), "");
}
