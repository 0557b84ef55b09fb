#include "data/LabelLists.h"

std::string LabelList::GetLabel(int index) const {
  if (index < 0 || index >= Count()) return "Undefined";
  return tpLabel[index];
}
