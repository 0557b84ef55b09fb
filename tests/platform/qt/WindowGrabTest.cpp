// A window grabbed under the offscreen platform renders its text in the
// program font.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>

#include "platform/qt/QtUiServices.h"
#include "support/TestFolder.h"

namespace {

TEST(WindowGrabTest, LabelWindowSavesAsPngWithVisibleText) {
  const QFont before = QApplication::font();
  ApplyProgramFont();
  QWidget window;
  auto* label = new QLabel("KORVANE v2.1.1 - DejaVu Sans 0123456789");
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(label);
  window.resize(320, 60);
  window.show();
  EXPECT_EQ(QFontInfo(label->font()).family(), "DejaVu Sans");

  const QImage image = window.grab().toImage();
  const TestFolder folder;
  ASSERT_TRUE(image.save(QString::fromStdString(folder.Path("label_window.png"))));
  // Text pixels are dark against the light window background.
  int dark = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 100) ++dark;
  EXPECT_GT(dark, 50);
  QApplication::setFont(before);
}

}  // namespace
