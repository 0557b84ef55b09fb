// Parts shared by the data windows built around one grid: text tool buttons,
// the layout of a tool-bar row over the grid, and the grid's pop-up menu.
#pragma once

class QLayout;
class QMenu;
class QToolButton;
class QWidget;
class StringGrid;

QToolButton* TextToolButton(QWidget* parent, const char* text, const char* hint = "");
// The tool-bar row on top, the grid filling the rest of the window.
void LayOutGridWindow(QWidget* window, QLayout* toolBar, StringGrid* grid);
// Opens menu where the grid is clicked with the right button.
void AttachPopupMenu(StringGrid* grid, QMenu* menu);
