#pragma once

#include "history/HistoryQuery.h"
#include "history/HistoryRecord.h"
#include "model/AnnouncementSearch.h"

#include <QString>
#include <optional>

struct sqlite3;

// Finds archived announcements by their words in a full-text index of the folded searchable text
// (SearchText's form, the same text the kept list's search looks in). The index is made of letter
// triples, so a word is found inside longer words too (Arabic joins و ال ب ل to the word that
// follows); words under three letters are looked for in the folded text itself.
//
// Triggers put every added or changed announcement on a pending list, whichever program wrote it;
// catchUp() folds and indexes them (folding needs this program, so SQL alone cannot). Works on the
// archive's connection, from the thread that uses it.
class SearchIndex
{
public:
    // One step of the archive's schema: the index and its triggers, and read state for what was never
    // told. The index's row keys are ordered as the list is: publication second in the high 32 bits,
    // the announcement's row in the low ones. Newest first is then the index's own order, so the
    // first 100 of 50,000 matches cost only those 100, and a date range is a key range.
    static constexpr const char* kSchema = R"(
        CREATE VIRTUAL TABLE announcement_search USING fts5(folded, tokenize = 'trigram case_sensitive 1');
        CREATE TABLE search_keys(announcement INTEGER PRIMARY KEY, key INTEGER NOT NULL);
        CREATE TABLE search_pending(announcement INTEGER PRIMARY KEY);
        CREATE TRIGGER search_added AFTER INSERT ON announcements
            BEGIN INSERT OR IGNORE INTO search_pending VALUES(new.rowid); END;
        CREATE TRIGGER search_changed AFTER UPDATE OF title, description, companies, pub_date ON announcements
            BEGIN INSERT OR IGNORE INTO search_pending VALUES(new.rowid); END;
        CREATE TRIGGER search_removed AFTER DELETE ON announcements BEGIN
            DELETE FROM announcement_search
                WHERE rowid = (SELECT key FROM search_keys WHERE announcement = old.rowid);
            DELETE FROM search_keys WHERE announcement = old.rowid;
            DELETE FROM search_pending WHERE announcement = old.rowid;
        END;
        INSERT INTO search_pending SELECT rowid FROM announcements;
        -- The first poll's baseline and what an upgrade imports are never told: they start read.
        CREATE TRIGGER read_when_not_owed AFTER INSERT ON announcements WHEN new.owed = 0
            BEGIN UPDATE announcements SET read_at = new.first_seen WHERE rowid = new.rowid; END;
        UPDATE announcements SET read_at = first_seen WHERE owed = 0 AND notified_at IS NULL;)";

    SearchIndex(sqlite3* db, AnnouncementSearch::CompanyNames companyNames);

    // Indexes what is pending; inside the caller's transaction, or its own.
    bool catchUp();
    // Puts every announcement on the pending list again (company names changed, rows renumbered).
    bool reindexAll();

    // Matches newest first, at most query.limit; nullopt on a database error.
    std::optional<HistoryRecordList> search(const HistoryQuery& query);
    // How many match, regardless of the limit; -1 on a database error.
    qint64 count(const HistoryQuery& query);

    QString errorText() const { return m_error; }

private:
    struct Statement;
    bool exec(const char* sql);
    bool fail();

    sqlite3* m_db;
    AnnouncementSearch::CompanyNames m_companyNames;
    QString m_error;
};
