#include "database/HinReader.h"

#include <cmath>
#include <cstdint>

#include "platform/base/Exception.h"
#include "platform/base/NumberText.h"

namespace {

constexpr int kCR = 13;
constexpr int kLF = 10;

bool IsLineEnd(const std::string& token) { return token == "\r" || token == "\n"; }

// An atom number of the file, less one and moved past the atoms of the earlier
// molecules. A written number below least, or one whose result does not fit 32
// bits, is a bad number.
int32_t AtomNumber(const std::string& token, int32_t offset, int32_t least) {
  const int32_t written = StrToInt(token);
  const int64_t number = int64_t{written} - 1 + offset;
  if (written < least || number < INT32_MIN || number > INT32_MAX)
    throw EConvertError("'" + token + "' is not a valid integer value");
  return static_cast<int32_t>(number);
}

// Files number their atoms from 1: a partner numbered 0 or below names no atom.
constexpr int32_t kFirstPartner = 1;

}  // namespace

std::string ReadHinToken(ByteSource* source) {
  if (source == nullptr) return "";
  int b = source->Get();
  if (b < 0) return "";
  if (b == kCR || b == kLF) return std::string(1, static_cast<char>(b));
  while (b == ' ') b = source->Get();
  std::string token;
  while (b >= 0 && b != ' ' && b != kCR && b != kLF) {
    token.push_back(static_cast<char>(b));
    b = source->Get();
  }
  if (b == kLF) source->Unget(b);
  return token;
}

uint8_t HinBondType(const std::string& letter) {
  if (letter == "d") return 1;
  if (letter == "t") return 2;
  if (letter == "a") return 3;
  return 0;
}

ElemCoord ReadHinAtom(ByteSource& source, int32_t offset) {
  ElemCoord atom;
  atom.number = AtomNumber(ReadHinToken(&source), offset, INT32_MIN);
  ReadHinToken(&source);  // name
  atom.element = ReadHinToken(&source);
  for (int i = 0; i < 3; ++i) ReadHinToken(&source);  // type, flags, charge
  atom.x = StrToFloat(ReadHinToken(&source));
  atom.y = StrToFloat(ReadHinToken(&source));
  atom.z = StrToFloat(ReadHinToken(&source));
  ReadHinToken(&source);  // bond count
  for (;;) {
    std::string token = ReadHinToken(&source);
    if (token.empty() || IsLineEnd(token)) break;
    const int32_t partner = AtomNumber(token, offset, kFirstPartner);
    atom.bonds.push_back({partner, HinBondType(ReadHinToken(&source))});
  }
  return atom;
}

void ScanHinFile(ByteSource& source, const std::function<void(ByteSource&, int32_t offset)>& onAtom) {
  std::string line;
  int32_t atoms = 0;
  int32_t offset = 0;
  for (int b = source.Get(); b >= 0; b = source.Get()) {
    if (b == kCR || b == kLF) {
      line.clear();
      continue;
    }
    if (line.size() < 5) line.push_back(static_cast<char>(b));  // longer lines match no keyword
    if (line == "mol") offset = atoms;
    if (line == "atom") {
      line.clear();
      onAtom(source, offset);
      ++atoms;
    }
  }
}

std::vector<ElemCoord> ReadHinAtoms(Stream& stream, const ElemColor& colours) {
  ByteSource source(stream);
  std::vector<ElemCoord> atoms;
  ScanHinFile(source, [&](ByteSource& in, int32_t offset) {
    atoms.push_back(ReadHinAtom(in, offset));
    atoms.back().colour = colours.ColorOfSymbol(atoms.back().element);
  });
  return atoms;
}

std::vector<ElemCoord> ReadHinFile(const std::string& path, const ElemColor& colours) {
  FileStream file(path, FileMode::OpenRead);
  return ReadHinAtoms(file, colours);
}

long double BoxDiagonal(const ViewBox& box) {
  const long double dx = std::fabs(box.maxX - box.minX);
  const long double dy = std::fabs(box.maxY - box.minY);
  const long double dz = std::fabs(box.maxZ - box.minZ);
  const long double planar = std::sqrt(dx * dx + dy * dy);
  return std::sqrt(planar * planar + dz * dz);
}

ViewBox CentreMolecule(std::vector<ElemCoord>& atoms) {
  long double lo[3] = {atoms[0].x, atoms[0].y, atoms[0].z};
  long double hi[3] = {lo[0], lo[1], lo[2]};
  for (const ElemCoord& a : atoms) {
    const long double p[3] = {a.x, a.y, a.z};
    for (int k = 0; k < 3; ++k) {
      if (p[k] < lo[k]) lo[k] = p[k];
      if (p[k] > hi[k]) hi[k] = p[k];
    }
  }
  long double half[3];
  for (int k = 0; k < 3; ++k) half[k] = std::fabs(hi[k] - lo[k]) * 0.5L;
  const ViewBox box{-half[0], half[0], -half[1], half[1], -half[2], half[2]};
  if (!std::isfinite(BoxDiagonal(box))) throw EConvertError("The molecule is too large to be drawn");
  for (ElemCoord& a : atoms) {
    a.x -= lo[0] + half[0];
    a.y -= lo[1] + half[1];
    a.z -= lo[2] + half[2];
  }
  return box;
}
