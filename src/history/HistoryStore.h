#pragma once

#include "history/SearchIndex.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

struct sqlite3;

// The history as the user reads it: search, read state and retention over the archive file, on a
// connection of its own (the archive is shared by the tray program, the poller and the commands;
// every change waits for the others).
class HistoryStore
{
public:
    HistoryStore(QString archivePath, AnnouncementSearch::CompanyNames companyNames);
    // The archive file in the folder that holds the cache file.
    static QString pathIn(const QString& cacheDirectory);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // False when there is no archive yet (nothing was ever fetched) or it cannot be read.
    bool open();
    QString errorText() const { return m_error; }

    // Matches newest first (the index caught up first); nullopt on failure.
    std::optional<HistoryRecordList> search(const HistoryQuery& query);
    qint64 count(const HistoryQuery& query);

    // Whether the archive holds this identifier with its texts.
    bool has(const QString& id);
    // Which of `ids` are unread, and how many are in all.
    QSet<QString> unread(const QStringList& ids);
    qint64 unreadCount();
    // Marks these read (all unread when `ids` is empty); true also when none was unread.
    bool markRead(const QStringList& ids, Instant at);

    // Forgets the texts of announcements published before `before` (their identifiers stay, so
    // they are never taken for new); returns how many lost their texts, -1 on failure.
    qint64 removeTextsBefore(Instant before);
    // Gives the freed space back to the file system and rebuilds the index (compacting may renumber
    // the archive's rows, which the index keys on).
    bool compact();
    // The archive's size on disk, with its write-ahead log.
    qint64 fileSize() const;
    // Frees the page cache that indexing and retention filled; the program idles until the next poll.
    void releaseMemory();

private:
    bool exec(const QByteArray& sql);
    // Those of `ids` that `sql` (one parameter: the id) finds.
    QSet<QString> select(const QStringList& ids, const char* sql);
    bool fail();

    QString m_path;
    AnnouncementSearch::CompanyNames m_companyNames;
    sqlite3* m_db = nullptr;
    std::optional<SearchIndex> m_index;
    QString m_error;
};
