#pragma once

#include "history/HistoryRecord.h"
#include "history/SearchIndex.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

// An archive file in a temporary folder with the search index's schema, filled by the test.
class HistoryArchive
{
public:
    HistoryArchive()
    {
        const QByteArray path = QFile::encodeName(m_folder.filePath(QStringLiteral("archive.sqlite")));
        QVERIFY(sqlite3_open(path.constData(), &m_db) == SQLITE_OK);
        exec("CREATE TABLE announcements(id TEXT NOT NULL UNIQUE, title TEXT NOT NULL, description TEXT "
             "NOT NULL, link TEXT NOT NULL, pub_date REAL NOT NULL, companies TEXT NOT NULL, display_title "
             "TEXT NOT NULL, display_text TEXT NOT NULL, feed TEXT NOT NULL, language TEXT NOT NULL, "
             "first_seen REAL NOT NULL, owed INTEGER NOT NULL DEFAULT 0, notified_at REAL, notified_by "
             "TEXT, read_at REAL, category TEXT)");
        exec(SearchIndex::kSchema);
    }
    ~HistoryArchive() { sqlite3_close(m_db); }

    sqlite3* db() const { return m_db; }
    QString folder() const { return m_folder.path(); }
    QString path() const { return m_folder.filePath(QStringLiteral("archive.sqlite")); }

    void exec(const QByteArray& sql)
    {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, &error) != SQLITE_OK)
            QFAIL(error);
    }

    void add(const HistoryRecord& record)
    {
        const Announcement& a = record.announcement;
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(m_db,
                           "INSERT INTO announcements(id, title, description, link, pub_date, companies, "
                           "display_title, display_text, feed, language, first_seen, read_at) "
                           "VALUES(?, ?, ?, ?, ?, ?, ?, ?, 'tadawul', 'en', ?, ?)",
                           -1, &insert, nullptr);
        const QStringList texts = {
            a.id(),
            a.title(),
            a.description(),
            a.link(),
            {},
            QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(a.companies())).toJson()),
            a.displayTitle(),
            a.strippedDescription()};
        QList<QByteArray> keep;
        for (int i = 0; i < texts.size(); ++i) {
            keep.append(texts.at(i).toUtf8());
            sqlite3_bind_text(insert, i + 1, keep.last().constData(), int(keep.last().size()), SQLITE_STATIC);
        }
        sqlite3_bind_double(insert, 5, a.pubDate().referenceSeconds());
        sqlite3_bind_double(insert, 9, a.pubDate().referenceSeconds());
        if (record.read)
            sqlite3_bind_double(insert, 10, a.pubDate().referenceSeconds());
        QCOMPARE(sqlite3_step(insert), SQLITE_DONE);
        sqlite3_finalize(insert);
    }

private:
    QTemporaryDir m_folder;
    sqlite3* m_db = nullptr;
};
