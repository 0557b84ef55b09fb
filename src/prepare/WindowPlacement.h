// Placement of the import windows on the screen.
#pragma once

class QWidget;

// Centres the window on its screen and moves it offset pixels right and down;
// halves are taken by an arithmetic shift.
void PlaceOnScreen(QWidget& window, int offset);
