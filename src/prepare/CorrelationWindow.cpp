#include "prepare/CorrelationWindow.h"

#include <string>

#include "data/ChemoData.h"
#include "plot/VMtMain.h"
#include "platform/base/CommandGuard.h"
#include "prepare/VariableTools.h"

void ShowVariableCorrelation(QWidget* owner, const ChemoData& data, const std::vector<int32_t>& candidates,
                             bool zeroDeviationMissing, const std::function<void(ModalDialog&)>& show) {
  const std::vector<int32_t> vars = CompleteVariables(data, candidates);
  std::vector<std::string> labels;
  for (int32_t var : vars) labels.push_back(data.tpVarNameStrPtr[var]);
  ShowCorrelationMatrix(owner, VariableCorrelation(data, vars, zeroDeviationMissing), labels, show);
}

void ShowCorrelationMatrix(QWidget* owner, std::unique_ptr<CheckedMatrix> matrix, const std::vector<std::string>& names,
                           const std::function<void(ModalDialog&)>& show) {
  std::unique_ptr<TFormViewMatrix> form =
      TFormViewMatrix::CreateForRealMatrix(owner, matrix.get(), names.data(), names.data(), "", 1, 0, 1, 0);
  if (!form) {
    ShowWarning("Cannot create View Matrix dialog");
    return;
  }
  form->setWindowTitle("View correlation matrix");
  show(*form);
}
