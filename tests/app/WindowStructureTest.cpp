// Opens every window of the program on the example data, with a few models
// searched, through the main window's commands in the real event loop, and
// checks the same three things of each: every button and menu item does
// something, every widget that asks for a context menu opens one, and every
// visible control lies inside its parent without covering a sibling.
#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTabBar>
#include <QToolButton>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/Main.h"
#include "app/SplMain.h"
#include "app/TextForm.h"
#include "database/CHdMain.h"
#include "database/DbbMain.h"
#include "ExampleModelSteps.h"
#include "models/ModelListTable.h"
#include "models/VSmMain.h"
#include "ModalScript.h"
#include "plot/VGrMain.h"
#include "plot/VMtMain.h"
#include "prepare/CPmMain.h"
#include "prepare/DRdMain.h"
#include "prepare/IDtMain.h"
#include "prepare/McsMain.h"
#include "prepare/SDtMain.h"
#include "prepare/VDtMain.h"
#include "select/CStMain.h"
#include "select/THbMain.h"
#include "support/EventLoop.h"
#include "support/ScriptedUi.h"
#include "support/TestFolder.h"
#include "support/WindowSystemInput.h"
#include "validate/AVmMain.h"
#include "validate/CAnMain.h"
#include "validate/CThMain.h"
#include "validate/VMdMain.h"
#include "validate/VMsMain.h"

namespace fs = std::filesystem;

namespace {

// ---- Naming what a failure is about ---------------------------------------------

std::string TextOf(const QObject* object) {
  if (auto* action = qobject_cast<const QAction*>(object)) return action->text().toStdString();
  if (auto* button = qobject_cast<const QAbstractButton*>(object))
    return (button->text().isEmpty() ? button->toolTip() : button->text()).toStdString();
  if (auto* label = qobject_cast<const QLabel*>(object)) return label->text().toStdString();
  if (auto* group = qobject_cast<const QGroupBox*>(object)) return group->title().toStdString();
  if (auto* menu = qobject_cast<const QMenu*>(object))
    return menu->actions().isEmpty() ? std::string() : TextOf(menu->actions().front()) + "…";
  return {};
}

// Its object name, else its class and text, and where it lies in its window.
std::string Named(const QObject* object) {
  std::string name = object->objectName().isEmpty()
                         ? std::string(object->metaObject()->className()) + " \"" + TextOf(object) + "\""
                         : object->objectName().toStdString();
  if (auto* widget = qobject_cast<const QWidget*>(object); widget != nullptr && !widget->isWindow()) {
    const QPoint at = widget->mapTo(widget->window(), QPoint(0, 0));
    name += " at (" + std::to_string(at.x()) + "," + std::to_string(at.y()) + ")";
  }
  return name;
}

// ---- Connections ----------------------------------------------------------------

// The number of connections to one of an object's signals, which QObject keeps protected.
struct SignalReceivers : QObject {
  static int Of(const QObject* sender, const char* signal) { return (sender->*(&SignalReceivers::receivers))(signal); }
};

// Qt's menus, menu bars and tool buttons each connect the actions they show to themselves.
int QtOwnConnections(const QAction* action) {
  int own = 0;
  for (const QObject* shownIn : action->associatedObjects())
    own += qobject_cast<const QMenu*>(shownIn) || qobject_cast<const QMenuBar*>(shownIn) ||
           qobject_cast<const QToolButton*>(shownIn);
  return own;
}

bool Acts(const QAction* action) {
  return SignalReceivers::Of(action, SIGNAL(triggered(bool))) + SignalReceivers::Of(action, SIGNAL(toggled(bool))) >
         QtOwnConnections(action);
}

bool Acts(const QAbstractButton* button) {
  if (SignalReceivers::Of(button, SIGNAL(clicked(bool))) + SignalReceivers::Of(button, SIGNAL(toggled(bool))) > 0)
    return true;
  if (auto* tool = qobject_cast<const QToolButton*>(button))
    return tool->menu() != nullptr || (tool->defaultAction() != nullptr && Acts(tool->defaultAction()));
  auto* push = qobject_cast<const QPushButton*>(button);
  return push != nullptr && push->menu() != nullptr;
}

// Push and tool buttons, and the menu items shown anywhere in the window;
// separators and the items that hold a submenu do nothing themselves.
void CheckConnections(QWidget& window, std::vector<std::string>& faults) {
  for (const QAbstractButton* button : window.findChildren<QAbstractButton*>())
    if ((qobject_cast<const QPushButton*>(button) || qobject_cast<const QToolButton*>(button)) && !Acts(button))
      faults.push_back(Named(button) + ": its click is not connected");
  for (const QAction* action : window.findChildren<QAction*>())
    if (!action->associatedObjects().isEmpty() && !action->isSeparator() && action->menu() == nullptr &&
        !Acts(action))
      faults.push_back(Named(action) + ": the menu item is not connected");
}

// ---- What the user sees ---------------------------------------------------------

// Qt lays out the parts of its own composite controls itself.
bool IsComposite(const QWidget* widget) {
  return qobject_cast<const QAbstractScrollArea*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget) ||
         qobject_cast<const QComboBox*>(widget) || qobject_cast<const QLineEdit*>(widget) ||
         qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QAbstractSlider*>(widget) ||
         qobject_cast<const QTabBar*>(widget) || qobject_cast<const QMenuBar*>(widget) ||
         qobject_cast<const QProgressBar*>(widget);
}

// The visible parts of the window, each composite control as one; a scroll
// area's contents are looked into, past its viewport and bars.
void CollectShown(QWidget& parent, std::vector<QWidget*>& shown) {
  for (QObject* child : parent.children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (widget == nullptr || widget->isWindow() || !widget->isVisible()) continue;
    shown.push_back(widget);
    auto* scroll = qobject_cast<QScrollArea*>(widget);
    if (scroll != nullptr && scroll->widget() != nullptr)
      CollectShown(*scroll->widget(), shown);
    else if (!IsComposite(widget))
      CollectShown(*widget, shown);
  }
}

// ---- Geometry -------------------------------------------------------------------

// Controls placed to the pixel may share a border line (the main window's speed
// buttons are 25 pixels wide at 24-pixel steps).
bool Covers(const QWidget* a, const QWidget* b) {
  const QRect common = a->geometry() & b->geometry();
  return common.width() > 1 && common.height() > 1;
}

void CheckPlacement(const std::vector<QWidget*>& shown, std::vector<std::string>& faults) {
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const QWidget* parent = shown[i]->parentWidget();
    if (!parent->rect().contains(shown[i]->geometry())) faults.push_back(Named(shown[i]) + ": leaves " + Named(parent));
    for (std::size_t j = i + 1; j < shown.size(); ++j)
      if (shown[j]->parentWidget() == parent && Covers(shown[i], shown[j]))
        faults.push_back(Named(shown[i]) + ": covers " + Named(shown[j]));
  }
}

// ---- Context menus --------------------------------------------------------------

// Keeps each menu that comes up, and closes every popup at once, as Escape would.
class MenuWatch : public QObject {
public:
  MenuWatch() { QApplication::instance()->installEventFilter(this); }
  ~MenuWatch() override { QApplication::instance()->removeEventFilter(this); }
  std::vector<const QMenu*> opened;

private:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* popup = qobject_cast<QWidget*>(watched);
    if (popup != nullptr && event->type() == QEvent::Show && popup->windowType() == Qt::Popup) {
      if (auto* menu = qobject_cast<QMenu*>(popup)) opened.push_back(menu);
      QMetaObject::invokeMethod(popup, &QWidget::close, Qt::QueuedConnection);
    }
    return false;
  }
};

// A right click at the middle of the widget (of a grid's cells), as the window system delivers it.
void RightClick(QWidget* widget) {
  auto* area = qobject_cast<QAbstractScrollArea*>(widget);
  ClickFromWindowSystem(area != nullptr ? area->viewport() : widget, Qt::RightButton);
  ProcessEventsUntil([] { return QApplication::activePopupWidget() == nullptr; }, 2000);
}

// A menu of the window's own that no menu bar, menu or button shows: a context menu.
bool IsContextMenu(const QMenu* menu, const std::set<const QMenu*>& buttonMenus) {
  return menu->menuAction()->associatedObjects().isEmpty() && buttonMenus.count(menu) == 0;
}

// A right click on each part of the window: a widget that asks for a context
// menu opens one, and every context menu of the window opens somewhere.
void CheckContextMenus(QWidget& window, const std::vector<QWidget*>& shown, std::vector<std::string>& faults) {
  MenuWatch watch;
  for (QWidget* widget : shown) {
    const std::size_t before = watch.opened.size();
    RightClick(widget);
    const Qt::ContextMenuPolicy policy = widget->contextMenuPolicy();
    if ((policy == Qt::CustomContextMenu || policy == Qt::ActionsContextMenu) && watch.opened.size() == before)
      faults.push_back(Named(widget) + ": a right click opens no menu");
  }
  std::set<const QMenu*> buttonMenus;
  for (const QToolButton* button : window.findChildren<QToolButton*>()) buttonMenus.insert(button->menu());
  for (const QPushButton* button : window.findChildren<QPushButton*>()) buttonMenus.insert(button->menu());
  for (const QMenu* menu : window.findChildren<QMenu*>())
    if (IsContextMenu(menu, buttonMenus) && std::count(watch.opened.begin(), watch.opened.end(), menu) == 0)
      faults.push_back(Named(menu) + ": the context menu never opens");
}

// Checks the window as it shows at its default size; each fault names the window and the widget.
void ExpectSoundWindow(QWidget& window, const std::string& name) {
  QCoreApplication::processEvents();  // laid out as the user sees it
  std::vector<QWidget*> shown;
  CollectShown(window, shown);
  std::vector<std::string> faults;
  CheckConnections(window, faults);
  CheckPlacement(shown, faults);
  CheckContextMenus(window, shown, faults);
  for (const std::string& fault : faults)
    ADD_FAILURE() << name << " \"" << window.windowTitle().toStdString() << "\": " << fault;
}

// ---- The windows ----------------------------------------------------------------

// Looks at the window when it comes up, then acts on it; closes it unless told otherwise.
template <typename Window>
void Look(ModalScript& script, const std::string& what,
          std::function<void(Window&)> then = [](Window& w) { w.close(); }) {
  script.Then<Window>(what, [what, then](Window& w) {
    ExpectSoundWindow(w, what);
    then(w);
  });
}
// Looks at the windows of a kind that the owner shows without waiting.
template <typename Window>
void LookAtOwned(QWidget& owner) {
  const QList<Window*> windows = owner.findChildren<Window*>(Qt::FindDirectChildrenOnly);
  EXPECT_FALSE(windows.isEmpty()) << "none shown by " << Named(&owner);
  for (Window* window : windows) ExpectSoundWindow(*window, "owned window");
}
// The road through the model list to the window one of its buttons opens; the list is cancelled at the end.
template <typename Window>
void FromModelList(ModalScript& script, QToolButton* TViewSelForm::*button, const std::string& what) {
  script.Then<TViewSelForm>("model list: " + what, [button](TViewSelForm& w) { (w.*button)->click(); });
  Look<Window>(script, what);
  script.Then<TViewSelForm>("model list: cancel", [](TViewSelForm& w) { w.ButtonCancel->click(); });
}

// Catches the search window under its closing message, the one moment it waits.
class SearchEndUi : public ScriptedUi {
public:
  int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override {
    if (text == "Models calculation completed.") ExpectSoundWindow(*QApplication::activeModalWidget(), "search");
    return ScriptedUi::MessageBox(text, caption, flags);
  }
};

// A window, the main window's command on the road to it, and the steps of the
// road: each leaves the program as the next one expects it (the example
// imported, set up, and searched).
struct WindowRoad {
  const char* window;
  QAction* TMainForm::*command;
  std::function<void(ModalScript&)> steps;
};

const WindowRoad kRoads[] = {
    {"import", &TMainForm::Loadexample1,
     [](ModalScript& s) { Look<TImportDataForm>(s, "import", [](TImportDataForm& w) { w.ButtonImport->click(); }); }},
    {"data viewer", &TMainForm::MenuViewData, [](ModalScript& s) { Look<TViewDataForm>(s, "data viewer"); }},
    {"data set-up and its name request", &TMainForm::MenuDataSetup,
     [](ModalScript& s) {
       // The response, the next eight columns as the descriptors, and one object in four for prediction.
       Look<TDataSetupForm>(s, "set-up", [](TDataSetupForm& w) {
         SelectRows(w.StringGridVar, 2, 1, 1);
         w.ButtonSetY->click();
         SelectRows(w.StringGridVar, 2, 2, 9);
         w.ButtonSetX->click();
         Pick(w.ComboBoxRATest, "1");
         Pick(w.ComboBoxRATrain, "3");
         w.ButtonCreateSplitting->click();
       });
       Look<TDataRequestForm>(s, "splitting name", [](TDataRequestForm& w) { w.ButtonConfirm->click(); });
       s.Then<TDataSetupForm>("set-up: OK", [](TDataSetupForm& w) { w.ButtonOK->click(); });
     }},
    {"response distribution plot", &TMainForm::MenuDataSetup,
     [](ModalScript& s) {
       s.Then<TDataSetupForm>("set-up", [](TDataSetupForm& w) {
         w.ButtonRespDist->click();
         LookAtOwned<TViewGraphForm>(w);
         w.ButtonCancel->click();
       });
     }},
    {"search set-up and search", &TMainForm::MenuCalculateAllSubset,
     [](ModalScript& s) {
       Look<TCalculateSetupForm>(s, "search set-up", [](TCalculateSetupForm& w) {
         Pick(w.ComboBoxAllSubset, "2");
         w.ComboBoxQUIKrule->setCurrentText("None");
         w.ButtonCalculate->click();
       });
     }},
    {"where to go on", &TMainForm::MenuCalculateAllSubset,
     [](ModalScript& s) {
       Look<TFormThreeButtons>(s, "where to go on", [](TFormThreeButtons& w) { w.ButtonCancel->click(); });
     }},
    {"model list", &TMainForm::MenuViewAndSelModels,
     [](ModalScript& s) {
       Look<TViewSelForm>(s, "model list", [](TViewSelForm& w) {
         SelectRows(w.StringGridResults, kVariablesColumn, 1, 3);
         w.SpeedButtonAlwaysSelModel->click();
         w.SpeedButtonExtValidation->click();
         w.ButtonAccept->click();
       });
     }},
    {"single model and a plot", &TMainForm::MenuViewAndSelModels,
     [](ModalScript& s) {
       s.Then<TViewSelForm>("model list: the best", [](TViewSelForm& w) {
         SelectRows(w.StringGridResults, kVariablesColumn, 1, 1);
         w.SpeedButtonViewSelMod->click();
       });
       Look<TViewSelModForm>(s, "single model", [](TViewSelModForm& w) { w.SpeedButtonViewExpCalcPlot->click(); });
       Look<TViewGraphForm>(s, "fitted plot");
       s.Then<TViewSelModForm>("single model: close", [](TViewSelModForm& w) { w.close(); });
       s.Then<TViewSelForm>("model list: cancel", [](TViewSelForm& w) { w.ButtonCancel->click(); });
     }},
    {"matrix viewer", &TMainForm::MenuViewAndSelModels,
     [](ModalScript& s) { FromModelList<TFormViewMatrix>(s, &TViewSelForm::SpeedButtonHatRes, "outlier counts"); }},
    {"internal validation", &TMainForm::MenuViewAndSelModels,
     [](ModalScript& s) {
       FromModelList<TValidateModelForm>(s, &TViewSelForm::SpeedButtonIntValidation, "internal validation");
     }},
    {"consensus", &TMainForm::MenuViewAndSelModels,
     [](ModalScript& s) { FromModelList<TFormConsensus>(s, &TViewSelForm::SpeedButtonModAn, "consensus"); }},
    {"thresholds", &TMainForm::MenuViewAndSelModels,
     [](ModalScript& s) { FromModelList<TFormThreshold>(s, &TViewSelForm::SpeedButtonChangeThresh, "thresholds"); }},
    {"ranking, its parameters and its name request", &TMainForm::CalculatePCAorMCDM,
     [](ModalScript& s) {
       Look<TFormPcaMcdm>(s, "ranking", [](TFormPcaMcdm& w) {
         const int last = w.StringGrid->ColCount() - 1;
         w.StringGrid->SetSelection({last - 3, 3, last - 1, 3});
         w.Select1->trigger();
         w.SetcolumnMCDMparameters->trigger();
       });
       Look<TFormMCDMparam>(s, "MCDM parameters", [](TFormMCDMparam& w) { w.ButtonOK->click(); });
       s.Then<TFormPcaMcdm>("ranking: rank and store", [](TFormPcaMcdm& w) {
         w.SpeedButtonMCDM->click();
         w.SpeedButtonStoreMCDM->click();
       });
       Look<TDataRequestForm>(s, "column name", [](TDataRequestForm& w) { w.ButtonConfirm->click(); });
       s.Then<TFormPcaMcdm>("ranking: close", [](TFormPcaMcdm& w) { w.close(); });
     }},
    {"database", &TMainForm::MenuItemQueryDB,
     [](ModalScript& s) {
       s.Then<TDatabaseForm>("database", [](TDatabaseForm& w) {
         w.EditCAS_00->setText("58");  // a query, so that the results and the molecule show
         w.ButtonQuery->click();
         ExpectSoundWindow(w, "database");
         w.SpeedButtonExport->click();
       });
       Look<TChooseDirForm>(s, "export folder");
       s.Then<TDatabaseForm>("database: close", [](TDatabaseForm& w) { w.close(); });
     }},
    {"stored models and new chemicals", &TMainForm::Availablemodels1,
     [](ModalScript& s) {
       Look<TFormAvailMod>(s, "stored models", OpenExampleModel);
       Look<TFormAddExtData>(s, "new chemicals", [](TFormAddExtData& w) { w.ButtonCancel->click(); });
       Look<TViewSelModForm>(s, "stored model");
     }},
    {"experimental against predicted", &TMainForm::Validateexternaldata1,
     [](ModalScript& s) {
       Look<TFormAddExtData>(s, "experimental against predicted", [](TFormAddExtData& w) { w.ButtonCancel->click(); });
     }},
    {"citation", &TMainForm::HowtociteKORVANE1, [](ModalScript& s) { Look<TTextForm>(s, "citation"); }},
    {"about", &TMainForm::AboutKORVANE1, [](ModalScript&) {}},  // looked at as every splash window
    {"main window", nullptr, nullptr},
};

class WindowStructureTest : public testing::Test {
protected:
  void SetUp() override {
    InstallUi(&ui_);
    script_.Always<TSplashForm>("welcome or about window", [](TSplashForm& w) {
      ExpectSoundWindow(w, "welcome or about window");
      w.close();
    });
    previous_ = fs::current_path();
    for (const char* folder : {"help", "models", "database"})
      fs::copy(fs::path(KORVANE_ASSETS_DIR) / folder, folder_.Path(folder), fs::copy_options::recursive);
    fs::current_path(folder_.Dir());
    main_ = std::make_unique<TMainForm>();
    main_->show();
  }
  void TearDown() override {
    main_.reset();
    fs::current_path(previous_);
    InstallUi(&TestUi());
  }

  SearchEndUi ui_;
  ModalScript script_;
  std::unique_ptr<TMainForm> main_;

private:
  TestFolder folder_;
  fs::path previous_;
};

TEST_F(WindowStructureTest, EveryWindowOnTheExampleDataIsConnectedAndLaidOut) {
  for (const WindowRoad& road : kRoads) {
    SCOPED_TRACE(road.window);
    if (road.command == nullptr) {
      ExpectSoundWindow(*main_, road.window);
      continue;
    }
    road.steps(script_);
    QAction* command = main_.get()->*road.command;
    ASSERT_TRUE(command->isEnabled()) << command->text().toStdString();
    command->trigger();
    ASSERT_TRUE(script_.Done());
  }
}

}  // namespace
