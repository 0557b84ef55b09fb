#include "platform/qt/Dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTimer>

namespace {

TEST(DialogsTest, ButtonsCloseWithTheirModalResult) {
  ModalDialog dialog;
  auto* ok = new QPushButton("OK", &dialog);
  auto* cancel = new QPushButton("Cancel", &dialog);
  dialog.SetButtonResult(ok, mrOk);
  dialog.SetButtonResult(cancel, mrCancel);
  dialog.show();
  ok->click();
  EXPECT_EQ(dialog.Result(), mrOk);
  EXPECT_FALSE(dialog.isVisible());

  QTimer::singleShot(0, cancel, &QPushButton::click);
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
  QTimer::singleShot(0, &dialog, &QDialog::close);  // the close box cancels
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
}

TEST(DialogsTest, ModelessWindowsDeleteThemselvesAndTheRestGoWithTheList) {
  QWidget opener;
  QPointer<QWidget> closedOne;
  QPointer<QWidget> openOne;
  {
    ModelessWindows windows;
    const int first = windows.Show(closedOne = new QWidget, &opener);
    const int second = windows.Show(openOne = new QWidget, &opener);
    EXPECT_TRUE(openOne->isVisible());
    closedOne->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(windows.IsClosed(first));
    EXPECT_FALSE(windows.IsClosed(second));
    EXPECT_FALSE(closedOne);
  }
  EXPECT_FALSE(openOne);
}

}  // namespace
