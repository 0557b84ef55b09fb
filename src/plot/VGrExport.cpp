// The plot window's copy, picture saving and export of the plotted values.
#include "data/ProjectHost.h"
#include "platform/base/NumberText.h"
#include "platform/base/UiServices.h"
#include "platform/qt/ImageFiles.h"
#include "platform/qt/QtConvert.h"
#include "platform/qt/FindTextDialog.h"  // QtUiServices.h holds a QPointer to it
#include "platform/qt/QtUiServices.h"
#include "platform/qt/ViewerCommon.h"
#include "plot/VGrMain.h"

namespace {

constexpr const char* kLineEnd = "\r\n";

std::string NumberField(long double value) { return UserNumberText(FloatToStr(value)); }

}  // namespace

void TViewGraphForm::SpeedButtonCopyClick() { SetClipboardImage(picture_); }

void TViewGraphForm::SpeedButtonSaveImageClick() {
  FileDialogOptions options;
  options.filter = SavePictureFilter;
  FileChoice choice = Ui().SaveFileDialog(options);
  if (!choice.Chosen()) return;
  SavePicture(choice.fileName, choice.filterIndex);
}

// The extension is compared with its letter case: a.JPG is saved as a.JPG.jpg.
void TViewGraphForm::SavePicture(const std::string& fileName, int filterIndex) {
  const char* extensions[3] = {".jpg", ".bmp", ".txt"};
  if (filterIndex < 1 || filterIndex > 3 || (filterIndex == 3 && !Traits().exports)) return;
  std::string path = WithExtension(fileName, extensions[filterIndex - 1], true);
  if (!ConfirmOverwrite(path)) return;
  try {
    if (filterIndex == 1) SaveJpeg(picture_, path);
    if (filterIndex == 2) SaveBitmap(picture_, path);
    if (filterIndex == 3) WriteTextFile(path, ExportText());
  } catch (...) {
    const char* message = filterIndex == 3 ? "Cannot write data. Please check your privileges." : "Cannot save image";
    Ui().MessageBox(message, "APPLICATION WARNING", MB_OK | MB_ICONWARNING);
  }
}

// One line per element from firstRow: CR LF, name, the status when element
// groups exist (a legend name only for a group that has one), X, Y.
std::string TViewGraphForm::ExportRows(int firstRow, const std::string& statusPrefix) const {
  const GraphData& d = tGraphData;
  const AxisParams& axis = d.Axis;
  std::string text;
  for (int i = 0; i < d.RowCount; ++i) {
    text += kLineEnd;
    if (d.ElementNames != nullptr) text += d.ElementNames[i];
    if (axis.ElementGroup != nullptr) {
      int group = axis.ElementGroup[i];
      text += '\t';
      if (axis.LegendNames != nullptr && group >= 0 && group < axis.GroupCount)
        text += statusPrefix + axis.LegendNames[group];
    }
    const CheckedValue* row = d.tpGraphValue[firstRow + i];
    text += '\t' + NumberField(row[d.XColumn].Value) + '\t' + NumberField(row[d.YColumn].Value);
  }
  return text;
}

std::string TViewGraphForm::ExportText() const {
  const GraphData& d = tGraphData;
  std::string text = StdStr(windowTitle()) + kLineEnd + kLineEnd;
  text += "Element\t";
  if (d.Axis.ElementGroup != nullptr) text += "Status\t";
  text += d.XAxisName + '\t' + d.YAxisName + kLineEnd;
  if (d.tpGraphValue == nullptr) return text;
  text += ExportRows(0, std::string());
  if (kind_ == GraphKind::R2VsQ2) text += ExportRows(d.RowCount, "S.D. of ");
  return text;
}
