#pragma once

#include <QDBusConnection>
#include <QObject>

// Tells when the system has woken from sleep. logind announces PrepareForSleep(true) on the system
// bus before a suspend and PrepareForSleep(false) after the resume. Without that bus or without
// logind it stays silent.
class SleepWatcher : public QObject
{
    Q_OBJECT
public:
    explicit SleepWatcher(const QDBusConnection& bus, QObject* parent = nullptr);

    bool isWatching() const { return m_watching; }

Q_SIGNALS:
    void resumed();

private Q_SLOTS:
    void prepareForSleep(bool sleeping);

private:
    bool m_watching = false;
};
