#include "platform/qt/ImageFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "platform/base/Exception.h"
#include "support/TestFolder.h"

namespace {

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

uint32_t LE(const std::vector<uint8_t>& bytes, size_t at, int count) {
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes.at(at + i);
  return value;
}

TEST(ImageFilesTest, BitmapIs24BitBottomUpWithPaddedRows) {
  QImage image(3, 2, QImage::Format_RGB32);
  image.fill(Qt::white);
  image.setPixel(0, 0, qRgb(10, 20, 30));    // top-left
  image.setPixel(2, 1, qRgb(200, 150, 100));  // bottom-right
  TestFolder folder;
  const std::string path = folder.Path("grid.bmp");
  SaveBitmap(image, path);

  const auto bytes = ReadBytes(path);
  const size_t rowSize = 12;  // 3 pixels x 3 bytes, padded to 4
  ASSERT_EQ(bytes.size(), 54 + 2 * rowSize);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 2), "BM");
  EXPECT_EQ(LE(bytes, 2, 4), bytes.size());
  EXPECT_EQ(LE(bytes, 10, 4), 54u);
  EXPECT_EQ(LE(bytes, 14, 4), 40u);
  EXPECT_EQ(LE(bytes, 18, 4), 3u);
  EXPECT_EQ(LE(bytes, 22, 4), 2u);
  EXPECT_EQ(LE(bytes, 28, 2), 24u);
  // The first stored row is the bottom one; its last pixel is blue, green, red.
  EXPECT_EQ(bytes[54 + 6], 100);
  EXPECT_EQ(bytes[54 + 7], 150);
  EXPECT_EQ(bytes[54 + 8], 200);
  EXPECT_EQ(bytes[54 + 9], 0);  // padding
  EXPECT_EQ(bytes[54 + rowSize], 30);

  QImage back(QString::fromStdString(path));
  ASSERT_FALSE(back.isNull());
  EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), image);
}

TEST(ImageFilesTest, JpegReadsBackCloseToTheOriginal) {
  QImage image(40, 24, QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(x * 6, y * 10, 128));
  TestFolder folder;
  const std::string path = folder.Path("picture.jpg");
  SaveJpeg(image, path);

  QImage back(QString::fromStdString(path));
  ASSERT_EQ(back.size(), image.size());
  EXPECT_NEAR(qRed(back.pixel(37, 21)), qRed(image.pixel(37, 21)), 12);
  EXPECT_NEAR(qGreen(back.pixel(37, 21)), qGreen(image.pixel(37, 21)), 12);
}

TEST(ImageFilesTest, FailuresThrowWithTheReason) {
  QImage image(4, 4, QImage::Format_RGB32);
  TestFolder folder;
  const std::string bad = "/nonexistent-folder/x.bmp";
  try {
    SaveBitmap(image, bad);
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_NE(e.Message.find(bad), std::string::npos);
  }
  EXPECT_THROW(SaveJpeg(image, "/nonexistent-folder/x.jpg"), Exception);
  EXPECT_THROW(SaveJpeg(QImage(), folder.Path("empty.jpg")), Exception);
}

}  // namespace
