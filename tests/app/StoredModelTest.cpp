// A model saved from the single-model window and applied again through the
// main window's stored-model commands; no file left open on any path.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "app/Main.h"
#include "app/MainFixture.h"
#include "platform/base/Stream.h"
#include "support/UserInput.h"
#include "validate/AVmMain.h"
#include "validate/SingleModelFile.h"
#include "validate/VMsMain.h"
#include "validate/ValidationTestData.h"

namespace {

namespace fs = std::filesystem;
using validationtest::FitByEngine;
using validationtest::MakeData;

using Cells = std::vector<std::vector<std::string>>;

// The process's descriptors open on files; the event descriptors of threads
// that come and go are left out.
int OpenFileDescriptors() {
  int count = 0;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    std::error_code ec;
    const std::string target = fs::read_symlink(entry.path(), ec).string();
    count += target.rfind('/', 0) == 0 && target.rfind("/proc/", 0) != 0 ? 1 : 0;
  }
  return count;
}

// What a single-model window showed.
struct Shown {
  Cells params, objects;
  std::vector<std::string> text;
  bool seen = false;
};

class StoredModelTest : public MainFormTest {
protected:
  // The example: y on x over x = 1..5 (coefficients 0.05 and 1.99).
  void SaveExampleFrom(const std::string& path, Shown& shown) {
    auto data = MakeData({{1, {1}, 2.1L}, {1, {2}, 3.9L}, {1, {3}, 6.2L}, {1, {4}, 7.8L}, {1, {5}, 10.1L}});
    DataResultList list(data.get());
    DataResultNode& model = FitByEngine(*data, list, {0});
    model.sName = "x  ";
    TViewSelModForm window(nullptr, "", 1, 0, &model, data.get());
    Record(window, shown);
    TestUi().AnswerFile(path, 2);
    window.SpeedButtonSaveToFileClick();
  }

  static void Record(TViewSelModForm& window, Shown& shown) {
    shown.params = window.Analysis().ParamCells();
    shown.objects = window.Analysis().ObjectCells();
    shown.text = window.Analysis().TextLines();
    shown.seen = true;
  }

  // Runs command while a timer chooses `entry` in the stored-model list with Enter,
  // closes the prediction-set editor and records the single-model window.
  void RunWithWindows(const std::function<void()>& command, const std::string& entry, Shown& shown) {
    StopClosingModals();
    bool clicked = false;
    QTimer list, others;
    QObject::connect(&list, &QTimer::timeout, [&] {
      auto* models = dynamic_cast<TFormAvailMod*>(QApplication::activeModalWidget());
      if (models == nullptr || clicked) return;
      clicked = true;
      const auto items = models->ListBox->findItems(QString::fromStdString(entry), Qt::MatchExactly);
      if (!items.isEmpty()) models->ListBox->setCurrentItem(items.front());
      models->ListBox->setFocus();
      PressAtFocus(Qt::Key_Return);
      if (models->isVisible()) {
        ADD_FAILURE() << "Enter applied no model";
        models->close();
      }
    });
    QObject::connect(&others, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr || dynamic_cast<TFormAvailMod*>(modal) != nullptr) return;
      if (auto* window = dynamic_cast<TViewSelModForm*>(modal)) Record(*window, shown);
      modal->close();
    });
    list.start(2);
    others.start(2);
    command();
  }
};

TEST_F(StoredModelTest, AModelSavedFromTheWindowAppliesThroughTheListWithTheSameResults) {
  MakeCompleteFolder();
  Shown before, after;
  SaveExampleFrom(PathOf("models/Example.SMD"), before);  // saved as "Example.smd"
  fs::copy_file(PathOf("models/Example.smd"), PathOf("models/Second.SMD"));
  TMainForm& form = Start();
  EXPECT_EQ(form.StoredModelNames(), (std::vector<std::string>{"Example.smd", "PBT Index.smd", "Second.SMD"}));
  TestUi().Clear();
  RunWithWindows([&] { form.Availablemodels1Click(); }, "Second", after);

  ASSERT_TRUE(after.seen);
  EXPECT_TRUE(TestUi().Shown().empty());
  EXPECT_EQ(after.params.at(1).at(1), "0.0500");
  EXPECT_EQ(after.params.at(2).at(1), "1.9900");
  EXPECT_EQ(after.params, before.params);  // standard errors and p-values recomputed alike
  EXPECT_EQ(after.objects, before.objects);
  // The file stores 24 statistics of the model, the lack of fit not among them.
  std::vector<std::string> expected = before.text;
  expected.at(1) = expected[1].substr(0, expected[1].find("LOF: ") + 5);
  EXPECT_EQ(after.text, expected);
  EXPECT_TRUE(form.Modified());
  EXPECT_EQ(form.ModelList()->Count(), 0);
  const std::string log = form.RichEdit->toPlainText().toStdString();
  EXPECT_NE(log.find("DATA LOADED: "), std::string::npos);
  EXPECT_NE(log.find("Source file: " + PathOf("models/Second.SMD")), std::string::npos);
}

TEST_F(StoredModelTest, NoFileStaysOpenAfterReadsAndSavesThatWorkOrFail) {
  MakeCompleteFolder();  // its "PBT Index.smd" is damaged
  Shown shown;
  TMainForm& form = Start();
  auto failedRead = [&] {
    TestUi().Clear();
    form.SpeedButtonPBTClick();
  };
  auto save = [&] { SaveExampleFrom(PathOf("models/PBT Index.smd"), shown); };
  auto failedSave = [&] { SaveExampleFrom(PathOf("missing/folder/x.smd"), shown); };
  auto read = [&] {
    TestUi().Clear();
    RunWithWindows([&] { form.SpeedButtonPBTClick(); }, "", shown);
  };
  for (const auto& [name, step] : std::vector<std::pair<const char*, std::function<void()>>>{
           {"failed read", failedRead}, {"save", save}, {"failed save", failedSave}, {"read", read}}) {
    step();  // the first run may open what the toolkit keeps open
    const int before = OpenFileDescriptors();
    step();
    QApplication::processEvents();
    EXPECT_EQ(OpenFileDescriptors(), before) << name;
  }
  EXPECT_EQ(form.DataSet().iObjCount, 5);  // the last read applied the saved model
  EXPECT_FALSE(fs::exists(PathOf("missing")));
}

TEST_F(StoredModelTest, TheListsClientAreaHoldsItsPanelAndGrabsWhenAsked) {
  TMainForm& form = StartInCompleteFolder();
  TFormAvailMod list(&form, false, form.ModelsFolder(), {"PBT Index.smd", "Example.SMD"});
  EXPECT_EQ(list.size(), QSize(225, 245));
  EXPECT_EQ(list.Panel->height(), 32);
  if (const char* dir = std::getenv("KORVANE_PNG_DIR")) {
    list.show();
    QApplication::processEvents();
    list.grab().save(QString(dir) + "/available-models.png");
  }
}

}  // namespace
