#pragma once

#include "archive/AnnouncementArchive.h"
#include "history/HistoryRecord.h"

#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

// An archive in a temporary folder, filled by the test: a read record as the first poll's baseline
// stores it (never owed), an unread one as news. db() is a connection of the test's own, for changes
// other programs could make.
class HistoryArchive
{
public:
    HistoryArchive() : m_archive(m_folder.path())
    {
        QVERIFY(m_archive.open());
        const QByteArray path = QFile::encodeName(m_archive.filePath());
        QVERIFY(sqlite3_open(path.constData(), &m_db) == SQLITE_OK);
        sqlite3_busy_timeout(m_db, 10000);
    }
    ~HistoryArchive() { sqlite3_close(m_db); }

    sqlite3* db() const { return m_db; }
    QString folder() const { return m_folder.path(); }
    QString path() const { return m_archive.filePath(); }
    AnnouncementArchive& archive() { return m_archive; }

    void exec(const QByteArray& sql)
    {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, &error) != SQLITE_OK)
            QFAIL(error);
    }

    void add(const HistoryRecord& record)
    {
        QVERIFY(m_archive.insert({record.announcement, QStringLiteral("tadawul"), QStringLiteral("en")},
                                 record.announcement.pubDate(), !record.read));
    }

private:
    QTemporaryDir m_folder;
    AnnouncementArchive m_archive;
    sqlite3* m_db = nullptr;
};
