#include "platform/qt/QtUiServices.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QWindow>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QFileInfo>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/qtestspontaneevent.h>
#include <chrono>
#include <thread>

#include "platform/qt/FindTextDialog.h"
#include "platform/qt/QtConvert.h"
#include "support/EventLoop.h"
#include "support/ScriptedUi.h"
#include "support/TestFolder.h"
#include "support/WindowSystemInput.h"

namespace {

// A widget that counts the key and mouse presses it receives.
struct CountingWidget : QWidget {
  int presses = 0;
  void keyPressEvent(QKeyEvent*) override { ++presses; }
  void mousePressEvent(QMouseEvent*) override { ++presses; }
};

void PostKey(QObject* target, Qt::Key key) {
  QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
}

// The Escape poll once the poll before it is long enough ago for events to be handled.
bool PollLater(QtUiServices& ui) {
  std::this_thread::sleep_for(std::chrono::milliseconds(3));
  return ui.EscapePressed();
}

TEST(QtUiServicesTest, MessageBoxHasCaptionIconAndButtonsOfTheFlags) {
  auto box = BuildMessageBox("Data modified!", "APPLICATION WARNING", MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(box->windowTitle(), "APPLICATION WARNING");
  EXPECT_EQ(box->icon(), QMessageBox::Question);
  EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()), box->button(QMessageBox::Yes));

  EXPECT_EQ(BuildMessageBox("x", "Exception Message", MB_OK)->icon(), QMessageBox::NoIcon);
  EXPECT_EQ(BuildMessageBox("x", "e", MB_OK | MB_ICONERROR)->icon(), QMessageBox::Critical);
  EXPECT_EQ(BuildMessageBox("x", "w", MB_ICONWARNING)->icon(), QMessageBox::Warning);
  EXPECT_EQ(BuildMessageBox("x", "c", MB_YESNOCANCEL)->standardButtons(),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  EXPECT_EQ(BuildMessageBox("\xE9t\xE9", "c", MB_OK)->text(), QString::fromUtf8("été"));
  // A file name in a Latin-1 text shows as the file system spells it.
  EXPECT_EQ(BuildMessageBox("Gr\xF6\xDF" "e \xC0\x80\xC3: /pr\xC3\xBC" "fung/\xD0\xB6", "c", MB_OK)->text(),
            QString::fromUtf8("Größe À\u0080Ã: /prüfung/ж"));
  EXPECT_EQ(MessageBoxResult(QMessageBox::Cancel), IDCANCEL);
  EXPECT_EQ(MessageBoxResult(QMessageBox::Ok), IDOK);
}

TEST(QtUiServicesTest, EscapePollSeesOnlyPressesHeldOffDuringCalculation) {
  QtUiServices ui;
  CountingWidget widget;
  widget.show();

  // Outside a calculation Escape reaches the window and is no abort request.
  PostKey(&widget, Qt::Key_Escape);
  QCoreApplication::processEvents();
  EXPECT_EQ(widget.presses, 1);
  EXPECT_FALSE(PollLater(ui));

  // Pending input is held off by the poll itself; Escape among it is reported once.
  PostKey(&widget, Qt::Key_A);
  PostKey(&widget, Qt::Key_Escape);
  EXPECT_TRUE(PollLater(ui));
  EXPECT_FALSE(PollLater(ui));
  EXPECT_EQ(widget.presses, 1);

  // Polls in quick succession leave events pending until the interval has passed.
  PostKey(&widget, Qt::Key_Escape);
  const auto start = std::chrono::steady_clock::now();
  int quickPolls = 0;
  bool seen = false;
  while (!seen && std::chrono::steady_clock::now() - start < std::chrono::seconds(1)) {
    seen = ui.EscapePressed();
    ++quickPolls;
  }
  EXPECT_TRUE(seen);
  EXPECT_GT(quickPolls, 10);

  ui.BeginLongCalculation();
  PostKey(&widget, Qt::Key_B);
  QCoreApplication::processEvents();
  EXPECT_EQ(widget.presses, 1);
  ui.EndLongCalculation();
  PostKey(&widget, Qt::Key_C);
  QCoreApplication::processEvents();
  EXPECT_EQ(widget.presses, 2);
}

TEST(QtUiServicesTest, ACloseHeldOffDuringCalculationReachesOnlyAWindowThatDefersIt) {
  QtUiServices ui;
  struct Window : QWidget {
    int closes = 0;
    void closeEvent(QCloseEvent* event) override {
      ++closes;
      event->ignore();
    }
  } deferring, plain;
  LetWindowDeferClose(&deferring);
  ui.BeginLongCalculation();
  for (Window* window : {&deferring, &plain}) {
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    QCoreApplication::instance()->notify(window, &close);
  }
  EXPECT_EQ(deferring.closes + plain.closes, 0);
  QCoreApplication::processEvents();
  ui.EndLongCalculation();
  EXPECT_EQ(deferring.closes, 1);
  EXPECT_EQ(plain.closes, 0);
}

TEST(QtUiServicesTest, OnlyAWidgetThatTakesClicksIsClickedDuringCalculation) {
  QtUiServices ui;
  QWidget window;
  window.resize(200, 60);
  auto* stop = new QPushButton("Cancel", &window);
  auto* other = new QPushButton("Validate", &window);
  stop->setGeometry(10, 10, 80, 25);
  other->setGeometry(110, 10, 80, 25);
  LetWidgetTakeClicksDuringCalculation(stop);
  int stops = 0, others = 0;
  QObject::connect(stop, &QPushButton::clicked, [&stops] { ++stops; });
  QObject::connect(other, &QPushButton::clicked, [&others] { ++others; });
  window.show();
  QCoreApplication::processEvents();

  ui.BeginLongCalculation();
  ClickFromWindowSystem(other);
  ClickFromWindowSystem(stop);
  ClickFromWindowSystem(other);  // the click on Cancel lets no later click through
  ui.EndLongCalculation();
  EXPECT_EQ(stops, 1);
  EXPECT_EQ(others, 0);
  stop->setEnabled(false);
  ui.BeginLongCalculation();
  ClickFromWindowSystem(stop);
  ui.EndLongCalculation();
  EXPECT_EQ(stops, 1);
  ClickFromWindowSystem(other);
  EXPECT_EQ(others, 1);
}

TEST(QtUiServicesTest, MessageBoxInsideCalculationTakesInput) {
  QtUiServices ui;
  ui.BeginLongCalculation();
  // Escape answers a Yes/No box with No; if the box were held off, the
  // fallback would answer Yes.
  QTimer::singleShot(0, [] { PostKey(QApplication::activeModalWidget(), Qt::Key_Escape); });
  QTimer::singleShot(2000, &ui, [] {  // ends with the test
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
      box->button(QMessageBox::Yes)->click();
  });
  EXPECT_EQ(ui.MessageBox("Do you really want to abort calculation?", "APPLICATION WARNING", MB_YESNO), IDNO);
  EXPECT_FALSE(ui.EscapePressed());
  ui.EndLongCalculation();
}

TEST(QtUiServicesTest, KeysFromTheWindowSystemReachAQuestionAskedDuringCalculation) {
  QtUiServices ui;
  ui.BeginLongCalculation();
  // The window system hands a key to the box's native window, which passes it on
  // to the box: N answers No.
  QTimer::singleShot(0, [] {
    QWidget* box = QApplication::activeModalWidget();
    if (box != nullptr && box->windowHandle() != nullptr)
      QCoreApplication::postEvent(box->windowHandle(), new QKeyEvent(QEvent::KeyPress, Qt::Key_N, Qt::NoModifier, "n"));
  });
  QTimer::singleShot(2000, &ui, [] {  // ends with the test
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
      box->button(QMessageBox::Yes)->click();
  });
  EXPECT_EQ(ui.MessageBox("Do you really want to abort calculation?", "APPLICATION WARNING", MB_YESNO), IDNO);
  ui.EndLongCalculation();
}

TEST(QtUiServicesTest, ClipboardKeepsLatin1Text) {
  QtUiServices ui;
  ui.SetClipboardText("a\t\xE9\r\n");
  EXPECT_EQ(ui.ClipboardText(), "a\t\xE9\r\n");
}

// The texts the running file dialog shows for its filters.
QStringList ShownFilters(QFileDialog* dialog) {
  auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
  QStringList texts;
  for (int i = 0; types && i < types->count(); ++i) texts << types->itemText(i);
  return texts;
}

TEST(QtUiServicesTest, FileDialogsShowEachFilterOnceAndStartWhereTheLastOneEnded) {
  QtUiServices ui;
  FileDialogOptions options;
  options.filter = "JPEG Image File (*.jpg)|*.jpg;*.jpeg|Bitmap (*.bmp)|*.bmp";
  options.defaultExt = "txt";
  QTemporaryDir folder;
  options.initialDir = folder.path().toStdString();
  QStringList shown;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    shown = ShownFilters(dialog);
    dialog->selectNameFilter(dialog->nameFilters().at(1));
    dialog->selectFile(folder.filePath("chart"));
    static_cast<QDialog*>(dialog)->accept();  // runs the file dialog's own accept
  });
  const FileChoice choice = ui.SaveFileDialog(options);
  EXPECT_EQ(shown, (QStringList{"JPEG Image File (*.jpg)", "Bitmap (*.bmp)"}));
  EXPECT_EQ(choice.filterIndex, 2);
  EXPECT_EQ(QFileInfo(QString::fromStdString(choice.fileName)).fileName(), "chart.txt");

  QString started;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    started = dialog->directory().absolutePath();
    dialog->reject();
  });
  EXPECT_FALSE(ui.OpenFileDialog(FileDialogOptions{}).Chosen());
  EXPECT_EQ(started, QDir(folder.path()).absolutePath());
}

// Runs the action on the file dialog shown next.
void OnFileDialog(const std::function<void(QFileDialog&)>& action) {
  QTimer::singleShot(0, [action] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    action(*dialog);
  });
}

TEST(QtUiServicesTest, DialogsTakeAndGiveNamesAsTheFileSystemsBytes) {
  QtUiServices ui;
  QTimer closer;  // ends a dialog left open (a folder not found, say) so that a failure cannot hang
  closer.callOnTimeout([] {
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
  closer.start(2000);
  TestFolder root;
  const std::string folder = root.Path("données_ж");
  std::filesystem::create_directories(folder);
  FileDialogOptions options;
  options.initialDir = folder;
  options.fileName = "projé";
  QString started, proposed;
  OnFileDialog([&](QFileDialog& dialog) {
    started = dialog.directory().absolutePath();
    auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
    proposed = name->text();
    name->setText(QString::fromUtf8("projé_ü_ж.kvp"));  // typed
    static_cast<QDialog&>(dialog).accept();
  });
  EXPECT_EQ(ui.SaveFileDialog(options).fileName, folder + "/projé_ü_ж.kvp");
  EXPECT_EQ(started, QString::fromUtf8(folder.c_str()));
  EXPECT_EQ(proposed, QString::fromUtf8("projé"));

  OnFileDialog([&](QFileDialog& dialog) {
    started = dialog.directory().absolutePath();
    static_cast<QDialog&>(dialog).accept();
  });
  EXPECT_EQ(ui.ChooseFolder("Folder", folder), folder);
  EXPECT_EQ(started, QString::fromUtf8(folder.c_str()));
}

// The opener gets the document's name as the file system's bytes; an opener
// that ends in failure (no viewer for the type) is reported as a missing document is.
TEST(QtUiServicesTest, DocumentOpenerGetsTheNameAndItsFailureIsReported) {
  QtUiServices ui;
  TestFolder root;
  const std::string document = root.Path("prüfung_ж.pdf");
  const std::string seen = root.Path("seen");
  TestUi().Clear();
  ui.SetDocumentOpener({"sh", "-c", "printf %s \"$1\" > \"$0\"", QPath(seen)});
  ASSERT_TRUE(ui.OpenDocument(document));
  const auto openersEnded = [&] {
    for (const QProcess* opener : ui.findChildren<QProcess*>())
      if (opener->state() != QProcess::NotRunning) return false;
    return true;
  };
  ASSERT_TRUE(ProcessEventsUntil(openersEnded));
  EXPECT_EQ(ReadFileText(seen), document);
  EXPECT_TRUE(TestUi().Shown().empty());

  ui.SetDocumentOpener({"sh", "-c", "exit 3"});
  ASSERT_TRUE(ui.OpenDocument(document));
  ASSERT_TRUE(ProcessEventsUntil([] { return !TestUi().Shown().empty(); }));
  EXPECT_EQ(TestUi().Shown(0).text, "Cannot open the document " + document);
  EXPECT_EQ(TestUi().Shown(0).caption, "APPLICATION WARNING");

  ui.SetDocumentOpener({root.Path("no-opener").c_str()});
  EXPECT_FALSE(ui.OpenDocument(document));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(TestUi().Shown().size(), 1u);
  EXPECT_TRUE(ui.findChildren<QProcess*>().empty());  // every opener is gone once it has ended
}

TEST(QtUiServicesTest, FindWhatLabelUnderlinesItsKeyForTheTextEdit) {
  FindTextDialog dialog({}, nullptr, nullptr);
  auto* label = dialog.findChild<QLabel*>();
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text(), "Fi&nd what:");
  EXPECT_EQ(label->buddy(), static_cast<QWidget*>(dialog.textEdit));
}

TEST(QtUiServicesTest, FindDialogRunsItsHandlerOnEveryFind) {
  QtUiServices ui;
  std::vector<FindRequest> requests;
  FindDialogOptions options;
  options.text = "logP";
  options.matchCase = true;
  ui.ShowFindDialog(options, [&](const FindRequest& r) { requests.push_back(r); });
  QPointer<FindTextDialog> first = ui.FindDialog();
  ASSERT_TRUE(first);
  first->PressFind();
  first->matchCase->setChecked(false);
  first->PressFind();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].text, "logP");
  EXPECT_TRUE(requests[0].matchCase);
  EXPECT_FALSE(requests[1].matchCase);

  ui.ShowFindDialog({}, [](const FindRequest&) {});  // replaces the first one
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(first);
  ui.FindDialog()->close();
}

}  // namespace
