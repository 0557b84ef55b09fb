// A rectangle of grid cells in grid coordinates (column, row), edges included.
#pragma once

struct GridRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  bool operator==(const GridRect&) const = default;
};
