// Stacking of progress windows and questions under a real window manager. It runs
// only on an X display with KORVANE_WM_CHECK set (scripts/check-stacking.sh starts
// Xvfb and openbox for it); elsewhere it is skipped. The manager's own stacking
// list (_NET_CLIENT_LIST_STACKING, bottom first) is read with xprop, keys are
// typed with xdotool, and with KORVANE_WM_CHECK naming a folder the screen is
// saved there as PNGs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "app/PBDialog.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/QtUiServices.h"
#include "support/ScriptedUi.h"

namespace {

const char* CheckFolder() { return std::getenv("KORVANE_WM_CHECK"); }

void Pump(int ms) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// The managed windows, bottom first.
std::vector<unsigned long> Stacking() {
  QProcess xprop;
  xprop.start("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"});
  xprop.waitForFinished(5000);
  const QString text = QString::fromLatin1(xprop.readAllStandardOutput());
  std::vector<unsigned long> ids;
  for (const QString& part : text.section('#', 1).split(',', Qt::SkipEmptyParts))
    ids.push_back(part.trimmed().toULong(nullptr, 16));
  return ids;
}

// The position of the window in the stacking list, -1 when it is not managed.
int Level(const QWidget* window) {
  const std::vector<unsigned long> ids = Stacking();
  const auto it = std::find(ids.begin(), ids.end(), static_cast<unsigned long>(window->winId()));
  return it == ids.end() ? -1 : static_cast<int>(it - ids.begin());
}

void SaveScreen(const std::string& name) {
  const std::string folder = CheckFolder();
  if (folder == "1") return;
  QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromStdString(folder + "/" + name + ".png"));
}

struct WindowStacking : testing::Test {
  void SetUp() override {
    if (CheckFolder() == nullptr || QGuiApplication::platformName() != "xcb")
      GTEST_SKIP() << "needs an X display with a window manager and KORVANE_WM_CHECK";
    InstallQtUi();
  }
  void TearDown() override { InstallUi(&TestUi()); }
};

TEST_F(WindowStacking, ProgressWindowsAndTheirQuestionsOpenOverTheActiveWindow) {
  QWidget main;
  main.setWindowTitle("Main window");
  main.resize(800, 600);
  main.show();
  Pump(300);
  // A modal window of the program opened from the main one, as the validation window is.
  ModalDialog validation(&main);
  validation.setWindowTitle("Validation");
  validation.resize(500, 400);
  validation.setWindowModality(Qt::ApplicationModal);
  validation.show();
  Pump(500);
  ASSERT_GE(Level(&validation), 0);

  std::unique_ptr<Progress> progress = ProgressWindowsOver(&main)(false);
  progress->SetCaption("Calculating Q2-Fn...");
  progress->SetText("Press ESC to abort...");
  QWidget* progressWindow = WindowToOpenOver();
  Pump(500);
  EXPECT_GT(Level(progressWindow), Level(&validation)) << "the progress window went under the active window";
  SaveScreen("1-progress");

  // The abort question during the work: on top, and a key typed answers it.
  int levelOfBox = -1, levelOfProgress = -1;
  QTimer::singleShot(800, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    levelOfBox = Level(box);
    levelOfProgress = Level(progressWindow);
    SaveScreen("2-question");
    QProcess::execute("xdotool", {"key", "n"});
  });
  QTimer::singleShot(4000, [] {  // a box that took no key is closed, so the test ends
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->reject();
  });
  int answer = 0;
  {
    LongCalculation calculation;
    answer = Ui().MessageBox("Do you really want to abort calculation?", "APPLICATION WARNING",
                             MB_YESNO | MB_ICONQUESTION);
  }
  EXPECT_GT(levelOfBox, levelOfProgress) << "the question went under the progress window";
  EXPECT_EQ(answer, IDNO) << "the typed N did not reach the question";

  // The work goes on without the event loop: the window is painted all the same.
  for (int step = 0; step < 20; ++step) {
    progress->SetPosition(step * 100);
    QElapsedTimer busy;
    busy.start();
    while (busy.elapsed() < 25) {
    }
  }
  const QImage shown = progressWindow->screen()->grabWindow(progressWindow->winId()).toImage();
  SaveScreen("3-painted");
  const QColor background = progressWindow->palette().color(QPalette::Window);
  int painted = 0;
  for (int y = 0; y < shown.height(); ++y)
    for (int x = 0; x < shown.width(); ++x) painted += QColor(shown.pixel(x, y)) == background ? 1 : 0;
  EXPECT_GT(painted, shown.width() * shown.height() / 2) << "the progress window is not painted";
  progress.reset();
}

}  // namespace
