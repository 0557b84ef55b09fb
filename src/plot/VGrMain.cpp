// The plot window: construction, controls, and the mouse, check-box and
// closing events. The panel, the builder and the export live in VGrPanel.cpp,
// VGrBuild.cpp and VGrExport.cpp.
#include "plot/VGrMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QTextEdit>
#include <QToolButton>
#include <QWindow>

#include "data/ChemoData.h"
#include "data/DataResult.h"
#include "numerics/Matrix.h"
#include "platform/qt/Events.h"
#include "platform/qt/ImageCanvas.h"
#include "platform/qt/QtConvert.h"
#include "platform/qt/ViewerCommon.h"

namespace {

constexpr int kToolBarHeight = 33;
constexpr int kPanelWidth = 224;

bool StrictlyInside(int x, int y, int left, int top, int right, int bottom) {
  return left < x && x < right && top < y && y < bottom;
}

}  // namespace

// The image control: shows the window's picture and hands the mouse to the window.
class PlotImage : public QWidget {
public:
  explicit PlotImage(TViewGraphForm* form) : QWidget(form), form_(form) { setMouseTracking(true); }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.drawImage(0, 0, form_->Picture());
  }
  void mousePressEvent(QMouseEvent*) override { form_->ImageMouseDown(); }
  void mouseMoveEvent(QMouseEvent* event) override {
    form_->ImageMouseMove(event->position().toPoint().x(), event->position().toPoint().y());
  }
  void mouseReleaseEvent(QMouseEvent*) override { form_->ImageMouseUp(); }
  void mouseDoubleClickEvent(QMouseEvent*) override { form_->ImageDblClick(); }

private:
  TViewGraphForm* form_;
};

TViewGraphForm::TViewGraphForm(QWidget* owner, ChemoData* data, DataResultList* models, GraphKind kind)
    : ModalDialog(owner), data_(data), models_(models), kind_(kind) {
  setWindowTitle("View Graph");
  setMinimumSize(320, 240);
  resize(840, 610);
  canvas_ = std::make_unique<ImageCanvas>(picture_);
  BuildComponents();
  ConnectHandlers();
}

// Placed 48 pixels right of and below the centre of the screen, not centred.
void TViewGraphForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  PlaceOnScreen(*this, 48);
}

// A dialog closed through its result (Escape) gets no close event; its deletion
// still tells the opener.
TViewGraphForm::~TViewGraphForm() { FormClose(); }

std::unique_ptr<TViewGraphForm> TViewGraphForm::CreateForDataSet(QWidget* owner, ChemoData* data, GraphKind kind) {
  std::unique_ptr<TViewGraphForm> form(new TViewGraphForm(owner, data, nullptr, kind));
  form->InitGraphForm();
  return form;
}

std::unique_ptr<TViewGraphForm> TViewGraphForm::CreateForValueRows(QWidget* owner, ChemoData* data, GraphKind kind,
                                                                   CheckedValue** rows, int rowCount) {
  std::unique_ptr<TViewGraphForm> form(new TViewGraphForm(owner, data, nullptr, kind));
  form->givenRows_ = rows;
  form->givenRowCount_ = rowCount;
  form->InitGraphForm();
  return form;
}

std::unique_ptr<TViewGraphForm> TViewGraphForm::CreateForResponseDistribution(QWidget* owner, ChemoData* data,
                                                                              GraphKind kind, CheckedValue** rows,
                                                                              int rowCount, bool* closedFlag) {
  auto form = CreateForValueRows(owner, data, kind, rows, rowCount);
  form->closedFlag_ = closedFlag;
  return form;
}

std::unique_ptr<TViewGraphForm> TViewGraphForm::CreateForModelList(QWidget* owner, ChemoData* data,
                                                                   DataResultList* models, GraphKind kind) {
  std::unique_ptr<TViewGraphForm> form(new TViewGraphForm(owner, data, models, kind));
  form->InitGraphForm();
  return form;
}

std::unique_ptr<TViewGraphForm> TViewGraphForm::CreateForModelValues(QWidget* owner, ChemoData* data,
                                                                     DataResultList* models, GraphKind kind,
                                                                     CheckedValue** rows, const std::string& title) {
  std::unique_ptr<TViewGraphForm> form(new TViewGraphForm(owner, data, models, kind));
  form->givenRows_ = rows;
  form->givenRowCount_ = data->iObjCount;
  form->title_ = title;
  form->InitGraphForm();
  form->CheckBoxMoreInfo->show();
  form->tGraphData.Caption = title;
  return form;
}

std::unique_ptr<TViewGraphForm> TViewGraphForm::CreateForMatrixScatter(QWidget* owner, ChemoData* data,
                                                                       const MatrixPlotSource& source, GraphKind kind,
                                                                       bool* closedFlag) {
  std::unique_ptr<TViewGraphForm> form(new TViewGraphForm(owner, data, nullptr, kind));
  form->matrix_ = source;
  form->InitGraphForm();
  form->closedFlag_ = closedFlag;
  return form;
}

std::unique_ptr<TViewGraphForm> TViewGraphForm::CreateForPcaPlot(QWidget* owner, ChemoData* data,
                                                                 const MatrixPlotSource& source, GraphKind kind,
                                                                 bool* closedFlag) {
  MatrixPlotSource withoutIDs = source;
  withoutIDs.elementIDs = nullptr;
  return CreateForMatrixScatter(owner, data, withoutIDs, kind, closedFlag);
}

void TViewGraphForm::DrawOn(std::unique_ptr<Canvas> canvas) {
  plot_.reset();  // the plot object draws on the canvas it was built with
  canvas_ = std::move(canvas);
}

void TViewGraphForm::BuildComponents() {
  SpeedButtonCopy = MakeToolButton(this, QStyle::SP_FileDialogContentsView, "Copy to clipboard");
  SpeedButtonSaveImage = MakeToolButton(this, QStyle::SP_DialogSaveButton, "Save image");
  SpeedButtonLabelReset = MakeToolButton(this, QStyle::SP_BrowserReload, "Reset labels layout");
  SpeedButtonCopy->move(4, 4);
  SpeedButtonSaveImage->move(32, 4);
  SpeedButtonLabelReset->move(60, 4);

  Image = new PlotImage(this);
  Image->setContextMenuPolicy(Qt::CustomContextMenu);
  auto* menu = new QMenu(this);
  connect(menu->addAction("&Copy"), &QAction::triggered, this, [this] { SpeedButtonCopyClick(); });
  connect(menu->addAction("&Save..."), &QAction::triggered, this, [this] { SpeedButtonSaveImageClick(); });
  menu->addSeparator();
  connect(menu->addAction("&Reset labels layout"), &QAction::triggered, this,
          [this] { SpeedButtonLabelResetClick(); });
  connect(Image, &QWidget::customContextMenuRequested, this,
          [this, menu](const QPoint& at) { menu->popup(Image->mapToGlobal(at)); });

  PanelVertical = new QWidget(this);
  BuildPanelControls();
  resizeEvent(nullptr);
}

void TViewGraphForm::BuildPanelControls() {
  QWidget* p = PanelVertical;
  auto label = [p](const char* text, int left, int top) {
    auto* l = new QLabel(text, p);
    l->move(left, top);
    return l;
  };
  auto combo = [p](int top) {
    auto* c = new QComboBox(p);
    c->setGeometry(87, top, 125, 22);
    return c;
  };
  auto check = [p](const char* text, int left, int top, int width) {
    auto* c = new QCheckBox(text, p);
    c->setGeometry(left, top, width, 17);
    return c;
  };
  LabelVar1 = label("", 27, 16);
  ComboBoxVar1 = combo(12);
  LabelVar2 = label("", 27, 44);
  ComboBoxVar2 = combo(40);
  LabelLabel = label("", 27, 72);
  ComboBoxLabel = combo(68);
  CheckBoxMoreInfo = check("Full info", 8, 100, 73);
  CheckBoxMoreInfo->setChecked(true);
  CheckBoxMoreInfo->hide();
  CheckBoxCustomLabel = check("Single labels", 8, 126, 177);
  CheckBoxCustomLabel->setToolTip("Double click on plotted data to enable/disable the corresponding label");
  CheckBoxCustomLabel->hide();
  StaticTextHint = label("Double click on data point to select", 27, 143);
  StaticTextHint->setWordWrap(true);
  StaticTextHint->setFixedWidth(171);
  StaticTextHint->hide();
  const char* limitNames[4] = {"X min", "X max", "Y min", "Y max"};
  const int checkTops[4] = {177, 202, 229, 256};
  const int editTops[4] = {174, 200, 227, 254};
  for (int i = 0; i < 4; ++i) {
    CheckBoxLimit[i] = check(limitNames[i], 8, checkTops[i], 70);
    EditLimit[i] = new QLineEdit(p);
    EditLimit[i]->setGeometry(87, editTops[i], 125, 21);
    EditLimit[i]->installEventFilter(this);
  }
  CheckBoxVieRegr = check("View predicted data regression line", 8, 284, 210);
  CheckBoxVieRegr->hide();
  RichEditParam = new QTextEdit(p);
  RichEditParam->setReadOnly(true);
  RichEditParam->setGeometry(6, 320, 206, 153);
  RichEditParam->hide();
  PanelRange = new QWidget(p);
  PanelRange->setGeometry(0, 489, 224, 88);
  for (int i = 0; i < 3; ++i) {
    StaticTextRange[i] = new QLabel(PanelRange);
    StaticTextRange[i]->setGeometry(6, 10 + 27 * i, 90, 17);
    EditRange[i] = new QLineEdit(PanelRange);
    EditRange[i]->setGeometry(102, 6 + 27 * i, 82, 21);
    EditRange[i]->installEventFilter(this);
  }
  PanelRange->hide();
  CheckBoxLabel2 = check("", 8, 44, 17);
  CheckBoxLabel2->setChecked(true);
  CheckBoxLabel2->setEnabled(false);
  CheckBoxLabel2->hide();
}

void TViewGraphForm::ConnectHandlers() {
  connect(SpeedButtonCopy, &QToolButton::clicked, this, [this] { SpeedButtonCopyClick(); });
  connect(SpeedButtonSaveImage, &QToolButton::clicked, this, [this] { SpeedButtonSaveImageClick(); });
  connect(SpeedButtonLabelReset, &QToolButton::clicked, this, [this] { SpeedButtonLabelResetClick(); });
  OnComboChange(ComboBoxVar1, [this] { ComboBoxVar1Change(); });
  OnComboChange(ComboBoxVar2, [this] { ComboBoxVar2Change(); });
  OnComboChange(ComboBoxLabel, [this] { ComboBoxLabelChange(); });
  for (int i = 0; i < 4; ++i) OnCheckBoxClick(CheckBoxLimit[i], [this, i] { CheckBoxLimitClick(i); });
  OnCheckBoxClick(CheckBoxCustomLabel, [this] { CheckBoxCustomLabelClick(); });
  OnCheckBoxClick(CheckBoxVieRegr, [this] { CheckBoxVieRegrClick(); });
  OnCheckBoxClick(CheckBoxMoreInfo, [this] { CheckBoxMoreInfoClick(); });
  OnCheckBoxClick(CheckBoxLabel2, [this] { CheckBoxLabel2Click(); });
}

// Enter and Escape in the limit and range edits, and leaving them for another
// control of the window, apply or revert them. Focus lost to another window (a
// message box of the handler itself) is not leaving the edit.
bool TViewGraphForm::eventFilter(QObject* watched, QEvent* event) {
  bool key = event->type() == QEvent::KeyPress;
  bool exit = event->type() == QEvent::FocusOut;
  Qt::FocusReason reason = Qt::OtherFocusReason;
  if (exit) {
    reason = static_cast<QFocusEvent*>(event)->reason();
    exit = reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
  }
  if (!key && !exit) return QDialog::eventFilter(watched, event);
  // A click that took the focus reaches its widget only once the edit is left.
  arrivingClick_ = exit && reason == Qt::MouseFocusReason ? QApplication::focusWidget() : nullptr;
  bool messageShown = false;
  QMetaObject::Connection watch;
  if (arrivingClick_ != nullptr)
    watch = connect(qApp, &QGuiApplication::focusWindowChanged, this, [&messageShown] { messageShown = true; });
  int pressed = exit ? static_cast<int>(Qt::Key_Return) : static_cast<QKeyEvent*>(event)->key();
  if (pressed == Qt::Key_Enter) pressed = Qt::Key_Return;
  for (int i = 0; i < 4; ++i)
    if (watched == EditLimit[i]) EditLimitKeyDown(i, pressed);
  for (int i = 0; i < 2; ++i)
    if (watched == EditRange[i]) EditRangeKeyDown(i, pressed);
  disconnect(watch);
  // The mouse was released over the message: the click ended there.
  if (messageShown) DropArrivingClick();
  arrivingClick_ = nullptr;
  bool consumed = key && (pressed == Qt::Key_Return || pressed == Qt::Key_Escape);
  return consumed || QDialog::eventFilter(watched, event);
}

void TViewGraphForm::DropArrivingClick() {
  if (arrivingClick_ != nullptr) DropArrivingPress(arrivingClick_);
  arrivingClick_ = nullptr;
}

void TViewGraphForm::resizeEvent(QResizeEvent* event) {
  int w = width();
  int h = height();
  PanelVertical->setGeometry(w - kPanelWidth, kToolBarHeight, kPanelWidth, h - kToolBarHeight);
  Image->setGeometry(0, kToolBarHeight, std::max(0, w - kPanelWidth), h - kToolBarHeight);
  if (event != nullptr) FormResize();
}

void TViewGraphForm::InitGraphForm() {
  picked_ = -1;
  dragging_ = false;
  ResetPicture();
  referenceWidth_ = canvas_->Width();
  referenceHeight_ = canvas_->Height();
  layoutReset_ = true;
  switch (Traits().labels) {
    case PlotLabels::Objects: EnsureLabelCapacity(data_->iObjCount); break;
    case PlotLabels::Variables: EnsureLabelCapacity(data_->iVarCount); break;
    case PlotLabels::Pool: EnsureLabelCapacity(data_->iSelectedVarCount); break;
    case PlotLabels::Filled: break;
  }
  if (kind_ == GraphKind::VariableFrequency) BuildFrequencyTable();
  if (Traits().family == PlotFamily::Validation) CheckBoxCustomLabel->setChecked(true);
  if (kind_ == GraphKind::McdmRanking) SetupRankPanel();
  setupDone_ = true;
}

// Relative frequency of the pool variables in the selected models: row s for the
// models of s variables, row 0 for all of them. A model variable outside the
// pool is counted nowhere.
void TViewGraphForm::BuildFrequencyTable() {
  const int pool = data_->iSelectedVarCount;
  largestModelSize_ = 0;
  for (DataResultNode* m = models_->First(); m != nullptr; m = m->Next())
    largestModelSize_ = std::max(largestModelSize_, static_cast<int>(m->iSize));
  for (int p = 0; p < pool; ++p) poolNames_.push_back(data_->tpVarNameStrPtr[data_->ipSelectedVarPtr[p]]);

  std::vector<std::vector<long double>> counts(largestModelSize_ + 1, std::vector<long double>(pool, 0.0L));
  for (DataResultNode* m = models_->First(); m != nullptr; m = m->Next()) {
    if ((m->iSelStatus != 1 && m->iSelStatus != 3) || m->ipSelVarIdxPtr == nullptr) continue;
    for (int v = 0; v < m->iSize; ++v) {
      const int32_t* first = data_->ipSelectedVarPtr;
      const int32_t* found = std::find(first, first + pool, m->ipSelVarIdxPtr[v]);
      if (found != first + pool) counts[m->iSize][found - first] += 1;
    }
  }
  frequency_.assign(largestModelSize_ + 1, std::vector<CheckedValue>(pool));
  long double grand = 0;
  for (int s = 1; s <= largestModelSize_; ++s) {
    long double total = 0;
    for (int p = 0; p < pool; ++p) total += counts[s][p];
    for (int p = 0; p < pool; ++p) frequency_[s][p] = CheckedValue(total < 1 ? 0.0L : counts[s][p] / total, false);
    grand += total;
  }
  for (int p = 0; p < pool; ++p) {
    long double sum = 0;
    for (int s = 1; s <= largestModelSize_; ++s) sum += counts[s][p];
    frequency_[0][p] = CheckedValue(grand < 1 ? 0.0L : sum / grand, false);
  }
  for (auto& row : frequency_) frequencyRows_.push_back(row.data());
}

void TViewGraphForm::CheckBoxLimitClick(int which) { EditLimit[which]->setEnabled(CheckBoxLimit[which]->isChecked()); }

void TViewGraphForm::ResetLabelsAndRedraw() {
  ResetLabelLayout();
  FormResize();
}

// The label choice is remembered once per window, not across windows: another
// window's label list may hold other items.
void TViewGraphForm::CheckBoxCustomLabelClick() {
  if (!labelIndexRemembered_) {
    rememberedLabelIndex_ = ComboBoxLabel->currentIndex();
    labelIndexRemembered_ = true;
  }
  bool checked = CheckBoxCustomLabel->isChecked();
  ComboBoxLabel->setCurrentIndex(checked ? 1 : rememberedLabelIndex_);
  StaticTextHint->setVisible(checked);
  ResetLabelsAndRedraw();
}

void TViewGraphForm::CheckBoxVieRegrClick() {
  if (CheckBoxVieRegr->isHidden()) return;
  tGraphData.Axis.GroupRegression = CheckBoxVieRegr->isChecked();
  FormResize();
}

void TViewGraphForm::CheckBoxMoreInfoClick() {
  if (title_.empty()) return;
  tGraphData.Caption = CheckBoxMoreInfo->isChecked() ? title_ : std::string();
  FormResize();
}

void TViewGraphForm::CheckBoxLabel2Click() {
  if (!CheckBoxLabel2->isEnabled()) return;
  ComboBoxVar2->setEnabled(CheckBoxLabel2->isChecked());
  ResetLabelsAndRedraw();
}

void TViewGraphForm::ImageMouseMove(int x, int y) {
  int n = std::min(ElementCount(), static_cast<int>(labels_.size()));
  if (!dragging_) {
    Image->unsetCursor();
    picked_ = -1;
    hover_.assign(static_cast<std::size_t>(std::max(n, 0)), false);
    bool single = CheckBoxCustomLabel->isChecked();
    for (int k = 0; k < n; ++k) {
      const LabelPlotParam& l = labels_[k];
      if (single && StrictlyInside(x, y, l.SymbolLeft, l.SymbolTop, l.SymbolRight, l.SymbolBottom)) {
        Image->setCursor(Qt::PointingHandCursor);
        picked_ = k;
        hover_[k] = true;
        grabX_ = x - l.SymbolLeft;
        grabY_ = y - l.SymbolTop;
        firstMove_ = true;
      }
      if (StrictlyInside(x, y, l.LabelLeft, l.LabelTop, l.LabelRight, l.LabelBottom)) {
        Image->setCursor(Qt::PointingHandCursor);
        picked_ = k;
        grabX_ = x - l.LabelLeft;
        grabY_ = y - l.LabelTop;
        firstMove_ = true;
      }
    }
    return;
  }
  if (picked_ < 0 || picked_ >= n) return;
  LabelPlotParam& label = labels_[picked_];
  if (CheckBoxCustomLabel->isChecked() && !label.Shown) return;
  Canvas& canvas = *canvas_;
  canvas.pen.mode = PenMode::NotXor;
  canvas.brush = Brush{clSilver, BrushStyle::Solid};
  if (firstMove_)
    firstMove_ = false;
  else
    canvas.RoundRect(label.LabelLeft, label.LabelTop, label.LabelRight, label.LabelBottom, 16, 16);
  int width = label.LabelRight - label.LabelLeft;
  int height = label.LabelBottom - label.LabelTop;
  label.LabelLeft = x - grabX_;
  label.LabelTop = y - grabY_;
  label.LabelRight = label.LabelLeft + width;
  label.LabelBottom = label.LabelTop + height;
  label.KeepInside(canvas.Width(), canvas.Height());  // the mouse may leave the image
  canvas.RoundRect(label.LabelLeft, label.LabelTop, label.LabelRight, label.LabelBottom, 16, 16);
  canvas.pen.mode = PenMode::Copy;
  LabelPlotParam& base = baseLabels_[picked_];
  base.LabelLeft = label.LabelLeft;
  base.LabelTop = label.LabelTop;
  base.LabelRight = label.LabelRight;
  base.LabelBottom = label.LabelBottom;
  Image->update();
}

void TViewGraphForm::ImageMouseDown() {
  if (picked_ >= 0 && picked_ < ElementCount()) dragging_ = true;
}

void TViewGraphForm::ImageMouseUp() {
  if (!dragging_) return;
  dragging_ = false;
  referenceWidth_ = canvas_->Width();
  referenceHeight_ = canvas_->Height();
  layoutReset_ = true;
  FormResize();
}

void TViewGraphForm::ImageDblClick() {
  if (CheckBoxCustomLabel->isChecked())
    for (std::size_t k = 0; k < hover_.size() && k < labels_.size(); ++k)
      if (hover_[k]) labels_[k].Shown = !labels_[k].Shown;
  FormResize();
}

void TViewGraphForm::closeEvent(QCloseEvent* event) {
  FormClose();
  QDialog::closeEvent(event);
}

void TViewGraphForm::FormClose() {
  closing_ = true;
  FreePlotArrays();
  if (closedFlag_ != nullptr) *closedFlag_ = true;
  closedFlag_ = nullptr;
}
