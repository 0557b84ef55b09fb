// Writing pictures as 24-bit bitmap files and as JPEG files (through libjpeg).
#pragma once

#include <QImage>
#include <string>

// Both replace the file as a whole (platform/base/ReplaceFile.h), so that a failed
// save leaves an older file as it was, and throw Exception with the reason.
void SaveBitmap(const QImage& image, const std::string& path);
void SaveJpeg(const QImage& image, const std::string& path, int quality = 75);
