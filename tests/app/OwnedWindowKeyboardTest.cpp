// The keyboard in a window opened from a modal one: the PCA plots of the data
// set-up. Its messages and file dialogs open over the plot the user works in,
// and give the keyboard back to the edit box it came from.
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <filesystem>

#include "app/MainFixture.h"
#include "ModalScript.h"
#include "plot/VGrMain.h"
#include "prepare/IDtMain.h"
#include "prepare/SDtMain.h"
#include "support/UserInput.h"

namespace {

// Whether the keyboard reaches the widget, once the window system is done.
bool KeysReach(const QWidget* widget) {
  return ProcessEventsUntil([widget] { return QApplication::focusWidget() == widget; }, 2000);
}

// Clicks the plot's save button and cancels its file dialog with Escape; the
// window the dialog opened over.
const QWidget* CancelSaveDialog(TViewGraphForm& plot) {
  const QWidget* over = nullptr;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&over] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    const QWidget* focused = QApplication::focusWidget();
    if (dialog == nullptr || focused == nullptr || focused->window() != dialog) return;
    over = dialog->parentWidget();
    PressAtFocus(Qt::Key_Escape);
  });
  poll.start(10);
  QTest::mouseClick(plot.SpeedButtonSaveImage, Qt::LeftButton);
  return over;
}

class OwnedWindowKeyboard : public MainFormTest {
protected:
  // The main window shown, with the example table imported.
  TMainForm& StartWithExample() {
    TMainForm& main = StartShown();
    MakeFile("help/example.txt");
    std::filesystem::copy_file(KORVANE_ASSETS_DIR "/help/example.txt", PathOf("help/example.txt"),
                               std::filesystem::copy_options::overwrite_existing);
    script_.Then<TImportDataForm>("import", [](TImportDataForm& w) { w.ButtonImport->click(); });
    main.Loadexample1Click();
    return main;
  }

  ModalScript script_;
};

TEST_F(OwnedWindowKeyboard, MessagesAndFileDialogsOfAPlotOpenOverItAndGiveTheKeyboardBack) {
  TMainForm& main = StartWithExample();
  ASSERT_GT(main.DataSet().iVarCount, 4);
  script_.Then<TDataSetupForm>("set-up", [](TDataSetupForm& setup) {
    RealMessageBoxes boxes;
    // The set-up's own refusal opens over the set-up, and the keyboard goes back
    // to the button clicked.
    ASSERT_TRUE(HasTheKeyboard(&setup));
    QTest::mouseClick(setup.ButtonVarPCA, Qt::LeftButton);
    ASSERT_EQ(boxes.Answered(), std::vector<std::string>{"Too few selected variables, cannot continue."});
    EXPECT_EQ(boxes.Over().back(), &setup);
    EXPECT_TRUE(KeysReach(setup.ButtonVarPCA));

    SelectRows(setup.StringGridVar, 2, 2, 5);
    QTest::mouseClick(setup.ButtonSetX, Qt::LeftButton);
    QTest::mouseClick(setup.ButtonVarPCA, Qt::LeftButton);
    TViewGraphForm* plot = setup.PlotWindow(1);
    ASSERT_NE(plot, nullptr);
    ASSERT_EQ(plot->windowTitle(), "Score plot");
    ShowActive(*plot);
    QTest::mouseClick(plot->CheckBoxLimit[0], Qt::LeftButton);
    QLineEdit* xMin = plot->EditLimit[0];
    ASSERT_TRUE(xMin->isEnabled());
    QTest::mouseClick(xMin, Qt::LeftButton);
    ASSERT_TRUE(KeysReach(xMin));

    // A refused limit: the message over the plot; the typing goes on in X min.
    QTest::keyClick(KeyboardTarget(), Qt::Key_A, Qt::ControlModifier);
    TypeAtFocus("abc");
    PressAtFocus(Qt::Key_Return);
    ASSERT_EQ(boxes.Answered().back(), "'abc' is not a valid floating point value");
    EXPECT_EQ(boxes.Over().back(), plot);
    ASSERT_TRUE(KeysReach(xMin));
    const QString kept = xMin->text();
    EXPECT_NE(kept, "abc");
    TypeAtFocus("7");
    EXPECT_EQ(xMin->text(), kept + "7");

    // The save dialog, cancelled with Escape.
    EXPECT_EQ(CancelSaveDialog(*plot), plot);
    ASSERT_TRUE(KeysReach(xMin));
    TypeAtFocus("5");
    EXPECT_EQ(xMin->text(), kept + "75");
    EXPECT_EQ(boxes.Answered().size(), 2u);
    QTest::mouseClick(setup.ButtonCancel, Qt::LeftButton);
  });
  main.MenuDataSetupClick();
  EXPECT_TRUE(script_.Done());
}

}  // namespace
