// The HIN structure files of the database: the token reader, the atom and
// bond records, the reading of a whole file into an atom list and the
// centring of the structure on the origin.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "database/ByteSource.h"
#include "database/ElemColor.h"

struct BondStruct {
  int32_t partner;  // the partner's atom number (0-based)
  uint8_t type;     // 0 single, 1 double, 2 triple, 3 aromatic
};

struct ElemCoord {
  int32_t number = 0;  // 0-based
  std::string element;
  long double x = 0, y = 0, z = 0;
  ElementColour colour = 0;
  std::vector<BondStruct> bonds;
};

// Half extents of the centred molecule: the box runs from -half to +half.
struct ViewBox {
  long double minX = 0, maxX = 0, minY = 0, maxY = 0, minZ = 0, maxZ = 0;
};

// The next token: a CR alone; an LF alone; or the bytes up to a space, a CR or
// an LF after skipping spaces. A space or CR that ends a token is consumed; an
// LF that ends one is left unread, so it still ends the line. Empty at the end
// of the stream or without a source.
std::string ReadHinToken(ByteSource* source);
// "s" 0, "d" 1, "t" 2, "a" 3, anything else 0 (exact comparison).
uint8_t HinBondType(const std::string& letter);

// One atom line after its "atom" keyword: number, name, element, type, flags,
// charge, x, y, z, bond count, then (partner, bond letter) pairs up to the line
// end. Atom and partner numbers are shifted by offset. Throws EConvertError,
// also for a partner numbered 0 or below.
ElemCoord ReadHinAtom(ByteSource& source, int32_t offset);

// Walks the lines of a structure file: each line that starts with "atom" is
// handed to onAtom with the number of atoms of the earlier molecules (a line
// starting with "mol" begins a molecule).
void ScanHinFile(ByteSource& source, const std::function<void(ByteSource&, int32_t offset)>& onAtom);

// Every atom of the stream, in file order, coloured from colours.
std::vector<ElemCoord> ReadHinAtoms(Stream& stream, const ElemColor& colours);
// The same from a file; throws when the file cannot be opened.
std::vector<ElemCoord> ReadHinFile(const std::string& path, const ElemColor& colours);

// The diagonal of the box, the length the drawing scales to its square.
long double BoxDiagonal(const ViewBox& box);

// Moves the atoms so that the centre of their bounding box is the origin and
// returns the box. Needs at least one atom. Throws EConvertError, leaving the
// atoms as they are, when the box's diagonal is not finite: such a molecule
// cannot be drawn.
ViewBox CentreMolecule(std::vector<ElemCoord>& atoms);
