#include "platform/qt/QtUiServices.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QWindow>

#include <utility>

#include "platform/qt/Dialogs.h"
#include "platform/qt/FindTextDialog.h"
#include "platform/qt/QtConvert.h"

namespace {

constexpr int kProgramFontPixels = 11;

QMessageBox::Icon IconOf(unsigned flags) {
  switch (flags & MB_ICONMASK) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

QList<QMessageBox::StandardButton> ButtonsOf(unsigned flags) {
  switch (flags & MB_BUTTONMASK) {
    case MB_OKCANCEL: return {QMessageBox::Ok, QMessageBox::Cancel};
    case MB_YESNO: return {QMessageBox::Yes, QMessageBox::No};
    case MB_YESNOCANCEL: return {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
    default: return {QMessageBox::Ok};
  }
}

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
      return true;
    default:
      return false;
  }
}

// What a long calculation holds off: user input, and the window system's
// request to close a widget that code may still use. (The close events of the
// native windows themselves must pass: a dialog that ends sends one.)
bool IsHeldOff(const QObject* target, const QEvent* event) {
  return IsUserInput(event->type()) ||
         (event->type() == QEvent::Close && event->spontaneous() && target->isWidgetType());
}

const char* const kDefersClose = "korvaneDefersClose";
const char* const kTakesClicks = "korvaneTakesClicks";

bool IsMouseButton(QEvent::Type type) {
  return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
         type == QEvent::MouseButtonDblClick;
}

// The widget of a native window under a point of that window.
QWidget* WidgetAt(const QWindow* window, QPoint point) {
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top->windowHandle() != window) continue;
    QWidget* child = top->childAt(point);
    return child != nullptr ? child : top;
  }
  return nullptr;
}

bool TakesClicks(const QWidget* widget) {
  return widget != nullptr && widget->isEnabled() && widget->property(kTakesClicks).toBool();
}

bool IsEscapePress(const QEvent* event) {
  return event->type() == QEvent::KeyPress &&
         static_cast<const QKeyEvent*>(event)->key() == Qt::Key_Escape;
}

// Window managers may stack a window that becomes active above the windows it
// owns (after one of its dialogs closes, for example): an owned window is raised
// again over its owner, so that it stays reachable while the owner is modal.
void RaiseOwnedWindows(QObject* activated) {
  auto* owner = qobject_cast<QWidget*>(activated);
  if (owner == nullptr || !owner->isWindow()) return;
  for (QObject* child : owner->children()) {
    auto* window = qobject_cast<QWidget*>(child);
    if (window != nullptr && window->isWindow() && window->isVisible()) window->raise();
  }
}

// The 1-based index of the filter in use, 0 when it is not one of ours. The
// dialog names it without its patterns when it hides them.
int FilterIndexOf(const QStringList& filters, const QString& selected) {
  for (qsizetype i = 0; i < filters.size(); ++i)
    if (filters[i] == selected || filters[i].startsWith(selected + " (")) return static_cast<int>(i) + 1;
  return 0;
}

}  // namespace

std::unique_ptr<QMessageBox> BuildMessageBox(const std::string& text, const std::string& caption,
                                             unsigned flags) {
  auto box = std::make_unique<QMessageBox>(WindowToOpenOver());
  box->setWindowTitle(ShownText(caption));
  box->setText(ShownText(text));
  box->setTextFormat(Qt::PlainText);
  box->setIcon(IconOf(flags));
  const auto buttons = ButtonsOf(flags);
  for (QMessageBox::StandardButton button : buttons) box->addButton(button);
  box->setDefaultButton(buttons.front());
  return box;
}

int MessageBoxResult(QMessageBox::StandardButton button) {
  switch (button) {
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    case QMessageBox::Cancel: return IDCANCEL;
    default: return IDOK;
  }
}

QStringList QtNameFilters(const std::string& filter) {
  const QStringList parts = QStr(filter).split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ');
    filters << parts[i] + " (" + patterns + ")";
  }
  return filters;
}

QtUiServices::QtUiServices() { QCoreApplication::instance()->installEventFilter(this); }

QtUiServices::~QtUiServices() {
  if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
  while (busyDepth_ > 0) SetBusyCursor(false);
  if (&Ui() == this) InstallUi(nullptr);
}

int QtUiServices::MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
  auto box = BuildMessageBox(text, caption, flags);
  box->exec();
  QAbstractButton* clicked = box->clickedButton();
  // A box closed without a button answers like its escape button would.
  if (!clicked) clicked = box->escapeButton();
  return clicked ? MessageBoxResult(box->standardButton(clicked)) : IDCANCEL;
}

// Loops poll once per step, often every microsecond: pending events are handled
// at most every 2 ms (still many times a frame), as handling them costs about as
// much as a fast step. An Escape typed meanwhile waits for the next handling.
bool QtUiServices::EscapePressed() {
  constexpr std::chrono::milliseconds kEventPollInterval{2};
  const auto now = std::chrono::steady_clock::now();
  if (now - lastEventPoll_ >= kEventPollInterval) {
    lastEventPoll_ = now;
    BeginQuiet();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    EndQuiet();
  }
  return std::exchange(escapeDown_, false);
}

void QtUiServices::BeginLongCalculation() { BeginQuiet(); }

void QtUiServices::EndLongCalculation() { EndQuiet(); }

void QtUiServices::BeginQuiet() {
  if (quietDepth_++ == 0) modalAtQuietStart_ = QApplication::activeModalWidget();
}

void QtUiServices::EndQuiet() {
  if (quietDepth_ > 0) --quietDepth_;
}

// A message box opened inside a quiet period must still take the user's answer.
// The window system's keys and clicks reach the box's native window first, then
// its widgets.
bool QtUiServices::ReachesNewModal(QObject* target) const {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr || modal == modalAtQuietStart_) return false;
  if (auto* widget = qobject_cast<QWidget*>(target)) return widget->window() == modal;
  auto* window = qobject_cast<QWindow*>(target);
  return window != nullptr && window == modal->windowHandle();
}

// While quiet, user input is swallowed; an Escape press among it is recorded
// for the next poll. Escape that answers a message box shown meanwhile is no
// abort request.
bool QtUiServices::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::WindowActivate) RaiseOwnedWindows(watched);
  if (ClickReachesTaker(watched, event)) return false;
  if (quietDepth_ == 0 || !IsHeldOff(watched, event) || ReachesNewModal(watched)) return false;
  if (IsEscapePress(event)) escapeDown_ = true;
  if (event->type() == QEvent::Close && watched->property(kDefersClose).toBool())
    QCoreApplication::postEvent(watched, new QCloseEvent);
  event->ignore();
  return true;
}

// A click on a widget that takes clicks during a calculation passes: its press
// over the widget, the release that ends it, and both again at the widget itself.
bool QtUiServices::ClickReachesTaker(QObject* target, const QEvent* event) {
  if (!IsMouseButton(event->type())) return false;
  if (auto* widget = qobject_cast<QWidget*>(target)) return TakesClicks(widget);
  auto* window = qobject_cast<QWindow*>(target);
  if (window == nullptr) return false;
  if (event->type() == QEvent::MouseButtonRelease) return std::exchange(clickOnTaker_, false);
  const auto* mouse = static_cast<const QMouseEvent*>(event);
  clickOnTaker_ = TakesClicks(WidgetAt(window, mouse->position().toPoint()));
  return clickOnTaker_;
}

void QtUiServices::SetBusyCursor(bool busy) {
  if (busy) {
    if (busyDepth_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (busyDepth_ > 0) {
    if (--busyDepth_ == 0) QApplication::restoreOverrideCursor();
  }
}

void QtUiServices::SetClipboardText(const std::string& text) {
  QGuiApplication::clipboard()->setText(QStr(text));
}

std::string QtUiServices::ClipboardText() { return StdStr(QGuiApplication::clipboard()->text()); }

FileChoice QtUiServices::RunFileDialog(bool save, const FileDialogOptions& options) {
  // Without a folder of its own a dialog starts where the last one ended.
  const QString start = options.initialDir.empty() ? lastFolder_ : QPath(options.initialDir);
  QFileDialog dialog(WindowToOpenOver(), QStr(options.title), start);
  // The descriptions name their patterns already, as the class library shows them.
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  // The commands ask their own overwrite question.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  const QStringList filters = QtNameFilters(options.filter);
  dialog.setNameFilters(filters);
  if (options.filterIndex >= 1 && options.filterIndex <= filters.size())
    dialog.selectNameFilter(filters[options.filterIndex - 1]);
  dialog.setDefaultSuffix(QStr(options.defaultExt));
  if (!options.fileName.empty()) dialog.selectFile(QPath(options.fileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  const QString chosen = dialog.selectedFiles().front();
  lastFolder_ = QFileInfo(chosen).absolutePath();
  return {StdPath(chosen), FilterIndexOf(filters, dialog.selectedNameFilter())};
}

FileChoice QtUiServices::OpenFileDialog(const FileDialogOptions& options) {
  return RunFileDialog(false, options);
}

FileChoice QtUiServices::SaveFileDialog(const FileDialogOptions& options) {
  return RunFileDialog(true, options);
}

void QtUiServices::ShowFindDialog(const FindDialogOptions& options, FindHandler onFind) {
  if (findDialog_) findDialog_->close();
  findDialog_ = new FindTextDialog(options, std::move(onFind), WindowToOpenOver());
  findDialog_->show();
}

std::optional<uint32_t> QtUiServices::ChooseColor(uint32_t initial) {
  const QColor color = QColorDialog::getColor(ToQColor(initial), WindowToOpenOver());
  if (!color.isValid()) return std::nullopt;
  return ToTColor(color);
}

// The desktop's opener runs beside the program (for as long as the viewer it
// starts, where it waits for it). Its exit code tells whether the document
// could be shown: a type that no viewer takes fails only after it has started.
bool QtUiServices::OpenDocument(const std::string& path) {
  auto* opener = new QProcess(this);
  opener->setProcessChannelMode(QProcess::ForwardedChannels);
  connect(opener, &QProcess::finished, this, [opener, path](int code, QProcess::ExitStatus status) {
    opener->deleteLater();
    if (status != QProcess::NormalExit || code != 0) ReportDocumentNotOpened(path);
  });
  opener->start(documentOpener_.front(), documentOpener_.mid(1) << QPath(path));
  if (opener->waitForStarted()) return true;
  delete opener;
  return false;
}

std::string QtUiServices::ChooseFolder(const std::string& title, const std::string& startDir) {
  return StdPath(QFileDialog::getExistingDirectory(WindowToOpenOver(), QStr(title), QPath(startDir)));
}

void LetWindowDeferClose(QWidget* window) { window->setProperty(kDefersClose, true); }

void LetWidgetTakeClicksDuringCalculation(QWidget* widget) { widget->setProperty(kTakesClicks, true); }

void InstallQtUi() {
  auto* ui = new QtUiServices;
  ui->setParent(QCoreApplication::instance());
  InstallUi(ui);
}

void ApplyProgramFont() {
  QFont font("DejaVu Sans");
  font.setPixelSize(kProgramFontPixels);
  QApplication::setFont(font);
}

void SetClipboardImage(const QImage& image) { QGuiApplication::clipboard()->setImage(image); }

QImage ClipboardImage() { return QGuiApplication::clipboard()->image(); }
