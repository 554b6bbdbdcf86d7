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
    // The tables, triggers and date index, as one step of the archive's schema.
    static const char* const kSchema;

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
