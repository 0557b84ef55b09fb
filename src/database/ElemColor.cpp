#include "database/ElemColor.h"

#include <cstdio>

#include "platform/base/ReplaceFile.h"
#include "platform/base/Stream.h"

// Colours 0x00BBGGRR; radii in picometres (-1 unknown).
const std::array<PerElem, kElementCount> kPerElem = {{
    {"H", 0x909090, 25, 53, 110},
    {"He", 0xFFFF00, -1, 31, 140},
    {"Li", 0xB000B0, 145, 167, 181},
    {"Be", 0x006000, 105, 112, 153},
    {"B", 0x8080FF, 85, 87, 192},
    {"C", 0x404040, 70, 67, 170},
    {"N", 0xFF0000, 65, 56, 155},
    {"O", 0x0000FF, 60, 48, 152},
    {"F", 0x006000, 50, 42, 147},
    {"Ne", 0xFFFF00, -1, 38, 154},
    {"Na", 0xB000B0, 180, 190, 227},
    {"Mg", 0x006000, 150, 145, 173},
    {"Al", 0xFF40FF, 125, 118, 184},
    {"Si", 0xFF40FF, 110, 111, 210},
    {"P", 0x0080FF, 100, 98, 180},
    {"S", 0x00FFFF, 100, 88, 180},
    {"Cl", 0x40FF40, 100, 79, 175},
    {"Ar", 0xFFFF00, -1, 71, 188},
    {"K", 0xB000B0, 220, 243, 275},
    {"Ca", 0x006000, 180, 194, 231},
    {"Sc", 0xFF40FF, 160, 184, -1},
    {"Ti", 0x909090, 140, 176, -1},
    {"V", 0xFF40FF, 135, 171, -1},
    {"Cr", 0xFF40FF, 140, 166, -1},
    {"Mn", 0xFF40FF, 140, 161, -1},
    {"Fe", 0x0060C0, 140, 156, -1},
    {"Co", 0xFF40FF, 135, 152, -1},
    {"Ni", 0xFF40FF, 135, 149, -1},
    {"Cu", 0xFF40FF, 135, 145, -1},
    {"Zn", 0xFF40FF, 135, 142, -1},
    {"Ga", 0xFF40FF, 130, 136, 187},
    {"Ge", 0xFF40FF, 125, 125, 211},
    {"As", 0xFF40FF, 115, 114, 185},
    {"Se", 0xFF40FF, 115, 103, 190},
    {"Br", 0x000080, 115, 94, 183},
    {"Kr", 0xFFFF00, -1, 88, 202},
    {"Rb", 0xB000B0, 235, 265, 303},
    {"Sr", 0x006000, 200, 219, 249},
    {"Y", 0xFF40FF, 180, 212, -1},
    {"Zr", 0xFF40FF, 155, 206, -1},
    {"Nb", 0xFF40FF, 145, 198, -1},
    {"Mo", 0xFF40FF, 145, 190, -1},
    {"Tc", 0xFF40FF, 135, 183, -1},
    {"Ru", 0xFF40FF, 130, 178, -1},
    {"Rh", 0xFF40FF, 135, 173, -1},
    {"Pd", 0xFF40FF, 140, 169, 163},
    {"Ag", 0xFF40FF, 160, 165, 172},
    {"Cd", 0xFF40FF, 155, 161, 158},
    {"In", 0xFF40FF, 155, 156, 193},
    {"Sn", 0xFF40FF, 145, 145, 217},
    {"Sb", 0xFF40FF, 145, 133, 206},
    {"Te", 0xFF40FF, 140, 123, 206},
    {"I", 0x800080, 140, 115, 198},
    {"Xe", 0xFFFF00, -1, 108, 216},
    {"Cs", 0xB000B0, 260, 298, 343},
    {"Ba", 0x006000, 215, 253, 268},
    {"La", 0xFF40FF, 195, -1, -1},
    {"Ce", 0xFF40FF, 185, -1, -1},
    {"Pr", 0xFF40FF, 185, 247, -1},
    {"Nd", 0xFF40FF, 185, 206, -1},
    {"Pm", 0xFF40FF, 185, 205, -1},
    {"Sm", 0xFF40FF, 185, 238, -1},
    {"Eu", 0xFF40FF, 185, 231, -1},
    {"Gd", 0xFF40FF, 180, 233, -1},
    {"Tb", 0xFF40FF, 175, 225, -1},
    {"Dy", 0xFF40FF, 175, 228, -1},
    {"Ho", 0xFF40FF, 175, 226, -1},
    {"Er", 0xFF40FF, 175, 226, -1},
    {"Tm", 0xFF40FF, 175, 222, -1},
    {"Yb", 0xFF40FF, 175, 222, -1},
    {"Lu", 0xFF40FF, 175, 217, -1},
    {"Hf", 0xFF40FF, 155, 208, -1},
    {"Ta", 0xFF40FF, 145, 200, -1},
    {"W", 0xFF40FF, 135, 193, -1},
    {"Re", 0xFF40FF, 135, 188, -1},
    {"Os", 0xFF40FF, 130, 185, -1},
    {"Ir", 0xFF40FF, 135, 180, -1},
    {"Pt", 0xFF40FF, 135, 177, -1},
    {"Au", 0x00FFFF, 135, 174, -1},
    {"Hg", 0xFF40FF, 150, 171, -1},
    {"Tl", 0xFF40FF, 190, 156, 196},
    {"Pb", 0xFF40FF, 180, 154, 202},
    {"Bi", 0xFF40FF, 160, 143, 207},
    {"Po", 0xFF40FF, 190, 135, 197},
    {"At", 0xFF40FF, -1, 127, 202},
    {"Rn", 0xFF40FF, -1, 120, 220},
    {"Fr", 0xB000B0, -1, -1, 348},
    {"Ra", 0x006000, 215, -1, 283},
    {"Ac", 0xFF40FF, 195, -1, -1},
    {"Th", 0xFF40FF, 180, -1, -1},
    {"Pa", 0xFF40FF, 180, -1, -1},
    {"U", 0xFF40FF, 175, -1, -1},
    {"Np", 0xFF40FF, 175, -1, -1},
    {"Pu", 0xFF40FF, 175, -1, -1},
    {"Am", 0xFF40FF, 175, -1, -1},
    {"Cm", 0xFF40FF, -1, -1, -1},
    {"Bk", 0xFF40FF, -1, -1, -1},
    {"Cf", 0xFF40FF, -1, -1, -1},
    {"Es", 0xFF40FF, -1, -1, -1},
    {"Fm", 0xFF40FF, -1, -1, -1},
    {"Md", 0xFF40FF, -1, -1, -1},
    {"No", 0xFF40FF, -1, -1, -1},
    {"Lr", 0xFF40FF, -1, -1, -1},
    {"Rf", 0xFF40FF, -1, -1, -1},
    {"Db", 0xFF40FF, -1, -1, -1},
    {"Sg", 0xFF40FF, -1, -1, -1},
    {"Bh", 0xFF40FF, -1, -1, -1},
    {"Hs", 0xFF40FF, -1, -1, -1},
    {"Mt", 0xFF40FF, -1, -1, -1},
    {"Ds", 0xFF40FF, -1, -1, -1},
    {"Rg", 0xFF40FF, -1, -1, -1},
    {"Cn", 0xFF40FF, -1, -1, -1},
    {"Uut", 0xFF40FF, -1, -1, -1},
    {"Fl", 0xFF40FF, -1, -1, -1},
    {"Uup", 0xFF40FF, -1, -1, -1},
    {"Lv", 0xFF40FF, -1, -1, -1},
    {"Uus", 0xFF40FF, -1, -1, -1},
    {"Uuo", 0xFF40FF, -1, -1, -1},
}};

void ElemColor::Reset() {
  for (int i = 0; i < kElementCount; ++i) colours_[i] = kPerElem[i].colour;
}

int ElemColor::IndexOfSymbol(const std::string& symbol) const {
  for (int i = 0; i < kElementCount; ++i)
    if (symbol == kPerElem[i].symbol) return i;
  return -1;
}

ElementColour ElemColor::ColorOfSymbol(const std::string& symbol) const { return ColorAt(IndexOfSymbol(symbol)); }

ElementColour ElemColor::ColorAt(int index) const {
  if (index < 0 || index >= kElementCount) return 0xFFFFFF;
  return colours_[index];
}

void ElemColor::SetColorAt(int index, ElementColour colour) {
  if (index >= 0 && index < kElementCount) colours_[index] = colour;
}

long double ElemColor::RadiusAt(int index, int kind) const {
  if (index < 0 || index >= kElementCount) return -1;
  const PerElem& e = kPerElem[index];
  switch (kind) {
    case 0: return e.empirical;
    case 1: return e.calculated;
    case 2: return e.vanDerWaals;
    default: return -1;
  }
}

std::string ElemColor::SymbolAt(int index) const {
  if (index < 0 || index >= kElementCount) return "";
  return kPerElem[index].symbol;
}

void ReadColourMap(const std::string& path, ElemColor& colours) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return;
  unsigned char record[4];
  for (int i = 0; i < colours.Count() && std::fread(record, 1, 4, file) == 4; ++i)
    colours.SetColorAt(i, record[0] | record[1] << 8 | static_cast<ElementColour>(record[2]) << 16);
  std::fclose(file);
}

void WriteColourMap(const std::string& path, const ElemColor& colours) {
  std::string bytes;
  for (int i = 0; i < colours.Count(); ++i) {
    ElementColour c = colours.ColorAt(i);
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>((c >> shift) & 0xFF));
  }
  WriteReplacingFile(path, [&](Stream& out) { out.Write(bytes.data(), bytes.size()); });
}
