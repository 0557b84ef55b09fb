// Writing pictures as 24-bit bitmap files and as JPEG files (through libjpeg).
#pragma once

#include <QImage>
#include <string>

// Both throw Exception with the reason when the file cannot be written.
void SaveBitmap(const QImage& image, const std::string& path);
void SaveJpeg(const QImage& image, const std::string& path, int quality = 75);
