#include "platform/qt/Dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

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

// Enter typed into the focused widget of a modal dialog, with and without a
// default button.
TEST(DialogsTest, EnterPressesTheFocusedButtonOrTheDefaultOneOnly) {
  const struct {
    bool onCancel;  // the focus is on Cancel, else in the edit box
    bool acceptIsDefault;
    Qt::Key key;
    ModalResult result;
  } cases[] = {{false, false, Qt::Key_Return, mrNone}, {true, false, Qt::Key_Return, mrCancel},
               {true, false, Qt::Key_Enter, mrCancel},  {true, false, Qt::Key_A, mrNone},
               {false, true, Qt::Key_Return, mrOk},     {true, true, Qt::Key_Return, mrCancel}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.onCancel << c.acceptIsDefault << c.key);
    ModalDialog dialog;
    auto* edit = new QLineEdit(&dialog);
    auto* accept = new QPushButton("Accept", &dialog);
    auto* cancel = new QPushButton("Cancel", &dialog);
    dialog.SetButtonResult(accept, mrOk);
    dialog.SetButtonResult(cancel, mrCancel);
    accept->setDefault(c.acceptIsDefault);
    ModalResult afterEnter = mrNone;
    QTimer::singleShot(0, &dialog, [&] {
      QWidget* focus = c.onCancel ? static_cast<QWidget*>(cancel) : edit;
      focus->setFocus();
      QTest::keyClick(focus, c.key, c.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
      afterEnter = dialog.Result();
      if (dialog.isVisible()) dialog.close();
    });
    dialog.ShowModal();
    EXPECT_EQ(afterEnter, c.result);
  }
}

void Activate(QWidget& window) {
  window.activateWindow();
  QApplication::processEvents();
}

// Messages and dialogs open over the window the user works in, unless a modal
// window blocks it (the window system may still have given it the keyboard).
TEST(DialogsTest, WindowsOpenOverTheActiveWindowThatTakesInput) {
  QWidget main;
  main.show();
  Activate(main);
  EXPECT_EQ(WindowToOpenOver(), &main);
  ModalDialog modal(&main);
  modal.setWindowModality(Qt::ApplicationModal);
  modal.show();
  QWidget owned(&modal, Qt::Window);  // a plot opened from the modal window
  owned.show();
  Activate(owned);
  EXPECT_EQ(WindowToOpenOver(), &owned);
  Activate(modal);
  EXPECT_EQ(WindowToOpenOver(), &modal);
  Activate(main);
  ASSERT_EQ(QApplication::activeWindow(), &main);
  EXPECT_EQ(WindowToOpenOver(), &modal);
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
