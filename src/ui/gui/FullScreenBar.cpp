#include "ui/gui/FullScreenBar.h"

#include <QAction>
#include <QHBoxLayout>
#include <QScreen>
#include <QToolButton>

CFullScreenBar::CFullScreenBar(QAction* pAction, QWidget* pFrame)
    : QWidget(pFrame, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("FullScreenBar"));
    setWindowTitle(tr("Full Screen"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* button = new QToolButton(this);
    button->setDefaultAction(pAction);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    layout->addWidget(button);
    adjustSize();
}

void CFullScreenBar::PlaceOnScreen()
{
    QScreen* screen = parentWidget() ? parentWidget()->screen() : nullptr;
    if (!screen)
        return;
    const QRect area = screen->geometry();
    // Near the top right corner, clear of the edge so that it is easy to hit.
    move(area.right() - width() - 10, area.top() + 10);
}
