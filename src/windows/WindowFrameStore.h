#pragma once

#include "infra/SettingsStore.h"

#include <QObject>
#include <QRect>
#include <QTimer>
#include <optional>

class QWidget;

// Window frames kept by name in the UI-state file (beside the settings, not one of them), so a
// window reopens where the user left it.
class WindowFrameStore
{
public:
    // The file is given rather than looked up, so that tests and the demo keep their frames away
    // from the user's.
    explicit WindowFrameStore(const QString& path);

    std::optional<QRect> frame(const QString& name) const;
    void saveFrame(const QString& name, const QRect& frame);

private:
    SettingsStore m_store;
};

// Keeps one window's frame under a name: restores it once, then saves moves and resizes a moment
// after they stop, and at once when the window hides.
class WindowFrameAutosaver : public QObject
{
    Q_OBJECT
public:
    // Gives `window` the frame saved under `name` when it still lies on a screen, else centres it.
    // The autosaver is a child of the window.
    static WindowFrameAutosaver* attach(QWidget* window, const QString& name, const QString& path);

    bool restored() const { return m_restored; }
    void saveNow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowFrameAutosaver(QWidget* window, QString name, const QString& path);

    QWidget* m_window;
    QString m_name;
    WindowFrameStore m_store;
    QTimer m_settle;
    bool m_restored = false;
};
