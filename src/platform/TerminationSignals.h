#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM (Ctrl+C, a session logging out) into a Qt signal on the main thread, so the
// program can quit through its normal path instead of dying mid-write.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void terminationRequested(int signalNumber);

private:
    static void handle(int signalNumber);
    QSocketNotifier* m_notifier = nullptr;
};
