#pragma once
// The small floating bar of full-screen mode: one button that leaves the mode. It floats
// near the top right of the screen the frame is on, above the frame.

#include <QWidget>

class QAction;

class CFullScreenBar : public QWidget
{
    Q_OBJECT
public:
    // pAction is the frame's Full Screen command (checked while the mode is on).
    CFullScreenBar(QAction* pAction, QWidget* pFrame);

    // Moves the bar to the top right of the screen of the frame.
    void PlaceOnScreen();
};
