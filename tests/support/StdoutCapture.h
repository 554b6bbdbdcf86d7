#pragma once

#include "infra/LogOutput.h"

#include <QFile>
#include <QString>
#include <QTemporaryFile>
#include <QTest>
#include <cstdio>
#include <unistd.h>

// Sends standard output, and the program's log lines written as the program writes them, to a temporary
// file for as long as it lives. QtTest writes its failure lines to standard output too: when the
// current test has failed, what was captured is written out at the end, failure lines and all.
class StdoutCapture
{
public:
    StdoutCapture()
    {
        m_file.open();
        std::fflush(stdout);
        m_saved = ::dup(STDOUT_FILENO);
        ::dup2(m_file.handle(), STDOUT_FILENO);
    }
    ~StdoutCapture()
    {
        std::fflush(stdout);
        ::dup2(m_saved, STDOUT_FILENO);
        ::close(m_saved);
        if (QTest::currentTestFailed()) {
            const QByteArray captured = text().toUtf8();
            std::fwrite(captured.constData(), 1, static_cast<size_t>(captured.size()), stdout);
            std::fflush(stdout);
        }
    }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    QString text() const
    {
        std::fflush(stdout);
        QFile file(m_file.fileName());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

private:
    QTemporaryFile m_file;
    int m_saved = -1;
    const LogOutput m_log{stdout};
};
