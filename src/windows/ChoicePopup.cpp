#include "windows/ChoicePopup.h"

#include <QKeyEvent>
#include <QWheelEvent>

ChoicePopup::ChoicePopup(QWidget* parent) : QComboBox(parent)
{
    setFocusPolicy(Qt::StrongFocus); // no focus from the wheel either
}

void ChoicePopup::wheelEvent(QWheelEvent* event)
{
    event->ignore(); // goes on to the window, as over any other label
}

void ChoicePopup::keyPressEvent(QKeyEvent* event)
{
    // Only the keys that open the list reach the pop-up; the choice is then made in the list.
    const int key = event->key();
    const bool alt = event->modifiers().testFlag(Qt::AltModifier);
    if (key == Qt::Key_Space || key == Qt::Key_F4 || (alt && (key == Qt::Key_Down || key == Qt::Key_Up))) {
        QComboBox::keyPressEvent(event);
        return;
    }
    event->ignore();
}
