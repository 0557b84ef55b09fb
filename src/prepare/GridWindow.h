// Parts shared by the data windows built around one grid: the layout of a
// tool-bar row over the grid, and the grid's pop-up menu (their text tool
// buttons come from the viewers' common helpers).
#pragma once

#include "platform/qt/ViewerCommon.h"

class QLayout;
class QMenu;
class QWidget;
class StringGrid;

// The tool-bar row on top, the grid filling the rest of the window.
void LayOutGridWindow(QWidget* window, QLayout* toolBar, StringGrid* grid);
// Opens menu where the grid is clicked with the right button.
void AttachPopupMenu(StringGrid* grid, QMenu* menu);
