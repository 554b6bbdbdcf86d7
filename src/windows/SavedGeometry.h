#pragma once

#include "infra/SettingsStore.h"

#include <QObject>
#include <QTimer>

class QWidget;

// Keeps one window's geometry (QWidget::saveGeometry) under a name in the UI-state file, beside the
// settings but not one of them: restored once when attached, saved a moment after moves and resizes
// stop, and at once when the window hides. The file is given rather than looked up, so that tests and
// the demo keep their windows' places away from the user's.
class SavedGeometry : public QObject
{
    Q_OBJECT
public:
    // Gives `window` the geometry saved under `name` (Qt moves it onto a screen when the screens
    // changed), else centres it. The keeper is a child of the window.
    static SavedGeometry* attach(QWidget* window, const QString& name, const QString& uiStateFile);

    bool restored() const { return m_restored; }
    void saveNow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SavedGeometry(QWidget* window, QString name, const QString& uiStateFile);

    QWidget* m_window;
    QString m_name;
    SettingsStore m_store;
    QTimer m_settle;
    bool m_restored = false;
};
