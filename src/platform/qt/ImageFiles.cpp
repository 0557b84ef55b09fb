#include "platform/qt/ImageFiles.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/base/Exception.h"
#include "platform/base/ReplaceFile.h"
#include "platform/base/Stream.h"

namespace {

void PutLE(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  WriteReplacingFile(path, [&](Stream& file) { file.Write(bytes.data(), bytes.size()); });
}

void CheckNotEmpty(const QImage& image) {
  if (image.isNull() || image.width() <= 0 || image.height() <= 0)
    throw Exception("Cannot save an empty image");
}

// libjpeg reports fatal errors through error_exit, which must not return:
// jump back to the caller with the library's message.
struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr info) {
  auto* error = reinterpret_cast<JpegError*>(info->err);
  (*info->err->format_message)(info, error->message);
  std::longjmp(error->jump, 1);
}

// Compresses rows of 8-bit RGB into memory; false with the message in error on failure.
bool CompressJpeg(const uint8_t* rgb, int width, int height, int quality, JpegError& error,
                  unsigned char** buffer, unsigned long* size) {
  jpeg_compress_struct info;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = JpegErrorExit;
  if (setjmp(error.jump)) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, buffer, size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb + static_cast<size_t>(info.next_scanline) * width * 3);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

}  // namespace

// Layout: 14-byte file header, 40-byte info header, then rows bottom-up in
// blue-green-red order, each padded to a multiple of 4 bytes.
void SaveBitmap(const QImage& image, const std::string& path) {
  CheckNotEmpty(image);
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  const uint32_t width = static_cast<uint32_t>(rgb.width());
  const uint32_t height = static_cast<uint32_t>(rgb.height());
  const uint32_t rowSize = (width * 3 + 3) & ~3u;
  const uint32_t pixelBytes = rowSize * height;
  const uint32_t headerBytes = 14 + 40;

  std::vector<uint8_t> out;
  out.reserve(headerBytes + pixelBytes);
  out.push_back('B');
  out.push_back('M');
  PutLE(out, headerBytes + pixelBytes, 4);
  PutLE(out, 0, 4);
  PutLE(out, headerBytes, 4);
  PutLE(out, 40, 4);
  PutLE(out, width, 4);
  PutLE(out, height, 4);
  PutLE(out, 1, 2);   // planes
  PutLE(out, 24, 2);  // bits per pixel
  PutLE(out, 0, 4);   // no compression
  PutLE(out, pixelBytes, 4);
  PutLE(out, 3780, 4);  // 96 dots per inch, in dots per metre
  PutLE(out, 3780, 4);
  PutLE(out, 0, 4);
  PutLE(out, 0, 4);
  for (int y = static_cast<int>(height) - 1; y >= 0; --y) {
    const uint8_t* line = rgb.constScanLine(y);
    for (uint32_t x = 0; x < width; ++x) {
      out.push_back(line[3 * x + 2]);
      out.push_back(line[3 * x + 1]);
      out.push_back(line[3 * x]);
    }
    out.resize(out.size() + (rowSize - width * 3), 0);
  }
  WriteFile(path, out);
}

void SaveJpeg(const QImage& image, const std::string& path, int quality) {
  CheckNotEmpty(image);
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  // Packed rows: QImage pads its scan lines to 4 bytes.
  std::vector<uint8_t> pixels(static_cast<size_t>(rgb.width()) * rgb.height() * 3);
  for (int y = 0; y < rgb.height(); ++y)
    std::copy_n(rgb.constScanLine(y), rgb.width() * 3, pixels.begin() + static_cast<size_t>(y) * rgb.width() * 3);

  JpegError error{};
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const bool ok = CompressJpeg(pixels.data(), rgb.width(), rgb.height(), quality, error, &buffer, &size);
  std::vector<uint8_t> bytes;
  if (ok) bytes.assign(buffer, buffer + size);
  std::free(buffer);
  if (!ok) throw Exception(std::string("Cannot compress JPEG image: ") + error.message);
  WriteFile(path, bytes);
}
