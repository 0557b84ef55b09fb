// Placement of windows on the screen.
#pragma once

class QWidget;

// Centres the window: top = screen height / 2 - height / 2, left likewise,
// each half taken by an arithmetic shift.
void CentreOnScreen(QWidget& window);
