#pragma once

#include <QComboBox>

// A pop-up whose value changes only by a deliberate choice from its open list. A closed QComboBox
// also changes (and sends `activated`) when the mouse wheel passes over it or an arrow or letter key
// is pressed; for settings that relaunch the program or restart polling that is a change by accident.
class ChoicePopup : public QComboBox
{
    Q_OBJECT
public:
    explicit ChoicePopup(QWidget* parent = nullptr);

protected:
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
