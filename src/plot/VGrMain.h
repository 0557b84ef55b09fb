// The plot window: one chart of one plot kind with its control panel, label
// dragging, forced axis limits, copying, saving the picture and exporting the
// plotted values as text.
#pragma once

#include <QImage>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "plot/Graph.h"
#include "plot/GraphData.h"
#include "plot/PlotKinds.h"
#include "platform/qt/Dialogs.h"

class ChemoData;
class DataResultList;
class Matrix;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTextEdit;
class QToolButton;

// The texts and arrays a matrix-family plot is opened with; the opener
// keeps them alive while the window exists.
struct MatrixPlotSource {
  const Matrix* values = nullptr;       // one row per element, one column per axis
  std::string* elementNames = nullptr;  // texts of the second label choice
  std::string* firstLabelTexts = nullptr;
  uint8_t singleLabel = 0;                    // 1: the second label choice is not offered
  std::string firstLabelText;
  std::string secondLabelText;
  std::string* elementIDs = nullptr;    // ModelsScatter, McdmRanking
  std::string* axisNames = nullptr;     // one per matrix column
  // Score plot: the object of each row, its status and the response that marks
  // objects without one; without them row i is object i of the data set.
  const int32_t* elementObjects = nullptr;
  const int32_t* elementStatus = nullptr;
  int32_t elementResponse = -1;
};

// Shown modally (ShowModal) and deleted by its opener, or shown without waiting
// through ModelessWindows, which hands the window its own deletion on close.
class TViewGraphForm : public ModalDialog {
public:
  // The opener keeps the data set, the model list, the value rows and the
  // matrix-plot arrays alive while the window exists.
  static std::unique_ptr<TViewGraphForm> CreateForDataSet(QWidget* owner, ChemoData* data, GraphKind kind);
  static std::unique_ptr<TViewGraphForm> CreateForValueRows(QWidget* owner, ChemoData* data, GraphKind kind,
                                                            CheckedValue** rows, int rowCount);
  static std::unique_ptr<TViewGraphForm> CreateForResponseDistribution(QWidget* owner, ChemoData* data,
                                                                       GraphKind kind, CheckedValue** rows,
                                                                       int rowCount, bool* closedFlag);
  static std::unique_ptr<TViewGraphForm> CreateForModelList(QWidget* owner, ChemoData* data,
                                                            DataResultList* models, GraphKind kind);
  static std::unique_ptr<TViewGraphForm> CreateForModelValues(QWidget* owner, ChemoData* data,
                                                              DataResultList* models, GraphKind kind,
                                                              CheckedValue** rows, const std::string& title);
  // closedFlag, when given, is set when the window closes.
  static std::unique_ptr<TViewGraphForm> CreateForMatrixScatter(QWidget* owner, ChemoData* data,
                                                                const MatrixPlotSource& source, GraphKind kind,
                                                                bool* closedFlag = nullptr);
  static std::unique_ptr<TViewGraphForm> CreateForPcaPlot(QWidget* owner, ChemoData* data,
                                                          const MatrixPlotSource& source, GraphKind kind,
                                                          bool* closedFlag);
  ~TViewGraphForm() override;

  // Draws on the given canvas instead of the image control (tests record the
  // drawing); its size is the image size from then on, as after a resize.
  void DrawOn(std::unique_ptr<Canvas> canvas);
  Canvas& ImageCanvasInUse() { return *canvas_; }
  const QImage& Picture() const { return picture_; }
  GraphData& Data() { return tGraphData; }
  Graph* CurrentPlot() { return plot_.get(); }
  GraphKind Kind() const { return kind_; }
  const std::vector<int>& RankClasses() const { return rankClasses_; }

  // The plot builder: erases the picture, rebuilds the panel and draws the plot.
  void FormResize();

  // Event handlers.
  void ComboBoxVar1Change() { ResetLabelsAndRedraw(); }
  void ComboBoxVar2Change() { ResetLabelsAndRedraw(); }
  void ComboBoxLabelChange() { ResetLabelsAndRedraw(); }
  void SpeedButtonLabelResetClick() { ResetLabelsAndRedraw(); }
  void CheckBoxLimitClick(int which);
  void EditLimitKeyDown(int which, int key) { ApplyLimitEdit(which, key); }
  void EditRangeKeyDown(int which, int key) { ApplyRangeEdit(which, key); }
  void CheckBoxCustomLabelClick();
  void CheckBoxVieRegrClick();
  void CheckBoxMoreInfoClick();
  void CheckBoxLabel2Click();
  void ImageMouseDown();
  void ImageMouseMove(int x, int y);
  void ImageMouseUp();
  void ImageDblClick();
  void SpeedButtonCopyClick();
  void SpeedButtonSaveImageClick();

  // The control panel.
  void BuildVerticalPanel();
  void ApplyLimitEdit(int which, int key);
  void ApplyRangeEdit(int which, int key);
  void UpdateRangeCaptions();
  void ClassifyRanks();
  // Both plan the edits disabled; the redraw puts the plan on the controls when it ends.
  void PlanLimitControlsHidden() { PlanLimitControls(false); }
  void PlanLimitControlsShown() { PlanLimitControls(true); }
  int ElementCount() const;
  void ResetLabelLayout();
  void ScaleLabelLayout(long double sx, long double sy);
  void FreePlotArrays();

  // The text file of the data export.
  std::string ExportText() const;

  QToolButton* SpeedButtonCopy = nullptr;
  QToolButton* SpeedButtonSaveImage = nullptr;
  QToolButton* SpeedButtonLabelReset = nullptr;
  QWidget* Image = nullptr;  // the image control
  QWidget* PanelVertical = nullptr;
  QLabel* LabelVar1 = nullptr;
  QComboBox* ComboBoxVar1 = nullptr;
  QLabel* LabelVar2 = nullptr;
  QComboBox* ComboBoxVar2 = nullptr;
  QLabel* LabelLabel = nullptr;
  QComboBox* ComboBoxLabel = nullptr;
  QCheckBox* CheckBoxMoreInfo = nullptr;
  QCheckBox* CheckBoxCustomLabel = nullptr;
  QLabel* StaticTextHint = nullptr;
  std::array<QCheckBox*, 4> CheckBoxLimit{};  // X min, X max, Y min, Y max
  std::array<QLineEdit*, 4> EditLimit{};
  QCheckBox* CheckBoxVieRegr = nullptr;
  QTextEdit* RichEditParam = nullptr;
  QWidget* PanelRange = nullptr;
  std::array<QLabel*, 3> StaticTextRange{};
  std::array<QLineEdit*, 3> EditRange{};
  QCheckBox* CheckBoxLabel2 = nullptr;
  // The save dialog's filter and the save button's hint, as the panel extends them.
  std::string SavePictureFilter = "JPEG Image File (*.jpg)|*.jpg|Bitmap (*.bmp)|*.bmp";

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  TViewGraphForm(QWidget* owner, ChemoData* data, DataResultList* models, GraphKind kind);
  void BuildComponents();
  void BuildPanelControls();
  void ConnectHandlers();
  void InitGraphForm();
  void BuildFrequencyTable();
  void SetupRankPanel();
  void FormClose();
  void ResetLabelsAndRedraw();

  // Panel helpers.
  void PlanLimitControls(bool shown);
  void SettleLimitControls();
  void FillCombo(QLabel* label, QComboBox* combo, const std::string& caption, const std::vector<std::string>& items,
                 int defaultIndex);
  void PlaceLabelCombo(int row);
  void BuildKindControls();
  std::vector<std::string> BarItems() const;
  std::vector<std::string> VariableNames() const;
  std::vector<std::string> AxisNames() const;
  std::vector<std::string> MatrixLabelItems() const;
  void ShowNote(const char* note);
  int RankCount() const;
  void RestoreRangeTexts();
  // Drops the click on its way to arrivingClick_, if any.
  void DropArrivingClick();

  // Builder steps.
  void RedrawSteps();
  void FreeCustomLabels();
  void FillDataPlot();
  void FillFrequencyPlot();
  void FillMatrixPlot();
  void ClassifyScoreElements();
  void FillR2Q2Plot(long double sx, long double sy);
  // The model and validation families are filled by their builders; they
  // report whether there is anything to draw.
  bool FillFamilyData(PlotFamily family, long double sx, long double sy);
  bool FillModelPlot();
  bool FillValidationPlot();
  void ReadPanel();
  // filled: a model or validation builder filled the plot data.
  void DrawPlot(bool filled);
  void DrawScatter();
  void EnsureLabelCapacity(int count);
  PlotKindTraits Traits() const { return PlotKindTraitsOf(kind_); }
  void ResetPicture();

  // Export helpers.
  std::string ExportRows(int firstRow, const std::string& statusPrefix) const;
  void SavePicture(const std::string& fileName, int filterIndex);

  ChemoData* data_;
  DataResultList* models_;
  GraphKind kind_;
  GraphData tGraphData;

  int picked_ = -1;
  std::vector<bool> hover_;
  bool dragging_ = false;
  bool firstMove_ = false;
  int grabX_ = 0;
  int grabY_ = 0;

  int referenceWidth_ = 0;
  int referenceHeight_ = 0;
  bool layoutReset_ = true;
  std::vector<LabelPlotParam> labels_;      // tpLabelPlotParam
  std::vector<LabelPlotParam> baseLabels_;  // tpBaseLabelPlotParam

  // VariableFrequency: the pool variable names and the per-size frequency table.
  std::vector<std::string> poolNames_;                   // tpSelModelNameStr
  std::vector<std::vector<CheckedValue>> frequency_;     // tpModelVarData
  std::vector<CheckedValue*> frequencyRows_;
  int largestModelSize_ = 0;

  std::string title_;
  CheckedValue** givenRows_ = nullptr;
  int givenRowCount_ = 0;

  std::unique_ptr<Graph> plot_;
  std::array<TColor, 16> colors_{};          // tpBufferColor
  std::array<std::string, 16> legendNames_;
  bool setupDone_ = false;
  bool firstBuild_ = true;

  MatrixPlotSource matrix_;
  std::vector<std::vector<CheckedValue>> matrixRows_;  // the value rows of the matrix family
  std::vector<CheckedValue*> matrixRowPointers_;
  std::vector<int32_t> elementGroups_;                 // ipElemColorIndexPtr
  std::vector<std::string> customLabels_;              // tpCustomLabelPtr
  std::vector<std::vector<CheckedValue>> uncertRows_;  // R2VsQ2
  std::vector<CheckedValue*> uncertRowPointers_;
  std::vector<std::vector<CheckedValue>> validationRows_;  // the validation family
  std::vector<CheckedValue*> validationRowPointers_;
  bool validationFailureShown_ = false;  // a read failure is reported once until a read succeeds

  // The limit controls' state as the last redraw settled it; at first, as the controls are made.
  bool limitControlsShown_ = true;
  std::array<bool, 4> limitEditsEnabled_{true, true, true, true};

  // The widget a click that is leaving an edit is on its way to. The click is
  // dropped when the edit's handler already did what it meant, or showed a
  // message, over which the mouse went up.
  QWidget* arrivingClick_ = nullptr;

  bool* closedFlag_ = nullptr;
  std::array<std::string, 3> rangeTexts_;
  std::vector<int> rankClasses_;
  int rememberedLabelIndex_ = -1;
  bool labelIndexRemembered_ = false;
  bool closing_ = false;
  bool inRedraw_ = false;

  QImage picture_;
  std::unique_ptr<Canvas> canvas_;
};
