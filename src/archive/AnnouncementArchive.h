#pragma once

#include "model/Announcement.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// "archive.sqlite" beside the cache file: every announcement any poll has fetched, keyed on its
// identifier, with when it was first seen and whether the user has been told. The one answer to "is
// this new?". Several processes share it: every change runs in a transaction and waits for the
// others (busy time-out), and the file is in WAL mode so readers never block the writer.
//
// One connection, used from one thread at a time.
class AnnouncementArchive
{
public:
    static inline const QString fileName = QStringLiteral("archive.sqlite");
    // Identifiers beyond this are dropped, oldest first: a hostile portal cannot fill the disk.
    static constexpr qint64 kMaxIdentifiers = 1'000'000;

    // What a poll fetched, as it is stored.
    struct Record
    {
        Announcement announcement;
        QString feed;     // "tadawul" or "market"
        QString language; // "en" or "ar"
    };

    explicit AnnouncementArchive(QString directory, qint64 maxIdentifiers = kMaxIdentifiers);
    ~AnnouncementArchive();
    AnnouncementArchive(const AnnouncementArchive&) = delete;
    AnnouncementArchive& operator=(const AnnouncementArchive&) = delete;

    QString filePath() const;
    // Opens (creating and migrating as needed). A file that is not a readable archive is moved aside
    // as "archive.sqlite.corrupt" and a new one made. False when no archive can be opened at all.
    bool open();
    void close();
    bool isOpen() const { return m_db != nullptr; }
    // The last open made a new, empty archive.
    bool created() const { return m_created; }
    // The last failure, as the system says it ("No space left on device"), or SQLite's text.
    QString errorText() const { return m_error; }
    // The last failure said the file is damaged.
    bool damaged() const { return m_damaged; }

    bool begin();
    bool commit();
    void rollback();

    // Reads (also outside a transaction).
    // The stored record of an identifier; one known without its texts has an empty title.
    std::optional<Announcement> find(const QString& id);
    // Whether the archive has the record's identifier (none), and then whether its fields are the same,
    // compared in the database without reading the record out.
    std::optional<bool> stored(const Record& record);
    qint64 count();
    std::optional<double> meta(const QString& key);
    QString metaText(const QString& key);
    // Records not yet told to the user, newest first.
    AnnouncementList owed();
    // The newest records dated after `after`, newest first, at most `limit`.
    AnnouncementList recent(Instant after, int limit);
    // Frees the page cache a poll's writes filled; the next poll reads what it needs again.
    void releaseMemory();

    // Writes.
    bool insert(const Record& record, Instant firstSeen, bool owed);
    // A known identifier without a record (from the old seen set): already dealt with.
    bool insertKnownId(const QString& id, Instant firstSeen);
    bool update(const Record& record);
    bool markTold(const QStringList& ids, Instant at, const QString& by);
    // Owed records first seen before `before` are no longer owed (nobody tells them).
    bool dropOwedBefore(Instant before);
    bool setMeta(const QString& key, const QVariant& value);
    // Drops the oldest identifiers beyond the cap.
    bool enforceCap();

private:
    friend class Outbox; // the deliveries table, on the same connection

    bool exec(const char* sql);
    AnnouncementList records(sqlite3_stmt* select);
    sqlite3_stmt* statement(const char* sql);
    bool fail(int code);
    bool migrate();
    bool openFile();

    QString m_directory;
    qint64 m_maxIdentifiers;
    sqlite3* m_db = nullptr;
    QHash<const char*, sqlite3_stmt*> m_statements;
    bool m_created = false;
    bool m_damaged = false;
    QString m_error;
};
