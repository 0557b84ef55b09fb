// The table of the 118 chemical elements (symbol, drawing colour, three atomic
// radii), the database window's working copy of it with user colours, and the
// colour map file that keeps those colours between sessions.
#pragma once

#include <array>
#include <cstdint>
#include <string>

using ElementColour = uint32_t;  // 0x00BBGGRR

struct PerElem {
  const char* symbol;
  ElementColour colour;
  long double empirical;   // radii in picometres, -1 when unknown
  long double calculated;
  long double vanDerWaals;
};

constexpr int kElementCount = 118;
// Entry i is the element of atomic number i + 1.
extern const std::array<PerElem, kElementCount> kPerElem;

class ElemColor {
public:
  ElemColor() { Reset(); }

  // Undoes every user colour.
  void Reset();
  int Count() const { return kElementCount; }
  // Exact, case-sensitive look-up; -1 when no element has this symbol.
  int IndexOfSymbol(const std::string& symbol) const;
  // White for an unknown symbol.
  ElementColour ColorOfSymbol(const std::string& symbol) const;
  // White for an index out of range.
  ElementColour ColorAt(int index) const;
  void SetColorAt(int index, ElementColour colour);
  // kind 0 empirical, 1 calculated, 2 van der Waals; -1 when unknown or out of range.
  long double RadiusAt(int index, int kind) const;
  // Empty for an index out of range.
  std::string SymbolAt(int index) const;

private:
  std::array<ElementColour, kElementCount> colours_{};
};

// The colour map: one little-endian 32-bit colour per element, no header.
constexpr const char* kColourMapName = "~colmap.cfg";
// Reads the colours of a colour map file into the table. A missing or unreadable
// file is passed over; a short file leaves the missing elements their colours;
// the high byte of every colour read is cleared.
void ReadColourMap(const std::string& path, ElemColor& colours);
// Writes all colours; throws Exception when the file cannot be written, leaving
// an existing file as it was.
void WriteColourMap(const std::string& path, const ElemColor& colours);
