#include "history/SearchIndex.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QVariantList>
#include <sqlite3.h>

const char* const SearchIndex::kSchema = R"(
    CREATE VIRTUAL TABLE announcement_search USING fts5(folded, tokenize = 'trigram case_sensitive 1');
    CREATE TABLE search_pending(announcement INTEGER PRIMARY KEY);
    CREATE TRIGGER search_added AFTER INSERT ON announcements
        BEGIN INSERT OR IGNORE INTO search_pending VALUES(new.rowid); END;
    CREATE TRIGGER search_changed AFTER UPDATE OF title, description, companies ON announcements
        BEGIN INSERT OR IGNORE INTO search_pending VALUES(new.rowid); END;
    CREATE TRIGGER search_removed AFTER DELETE ON announcements BEGIN
        DELETE FROM announcement_search WHERE rowid = old.rowid;
        DELETE FROM search_pending WHERE announcement = old.rowid;
    END;
    INSERT INTO search_pending SELECT rowid FROM announcements;
    CREATE INDEX announcements_published ON announcements(pub_date);)";

// A prepared statement, finalized when it goes out of scope.
struct SearchIndex::Statement
{
    sqlite3_stmt* handle = nullptr;
    int next = 1; // the next parameter to bind

    Statement(sqlite3* db, const QByteArray& sql)
    {
        sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &handle, nullptr);
    }
    ~Statement() { sqlite3_finalize(handle); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(const QString& value)
    {
        const QByteArray utf8 = value.toUtf8();
        sqlite3_bind_text(handle, next++, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    void bind(double value) { sqlite3_bind_double(handle, next++, value); }
    void bind(qint64 value) { sqlite3_bind_int64(handle, next++, value); }
    void bind(const QVariantList& values)
    {
        for (const QVariant& value : values) {
            if (value.typeId() == QMetaType::Double)
                bind(value.toDouble());
            else
                bind(value.toString());
        }
    }
    QString text(int column) const
    {
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(handle, column));
        return QString::fromUtf8(bytes, sqlite3_column_bytes(handle, column));
    }
};

namespace {

QStringList companiesFrom(const QString& json)
{
    QStringList out;
    for (const QJsonValue& value : QJsonDocument::fromJson(json.toUtf8()).array())
        out.append(value.toString());
    return out;
}

// An FTS5 string: inside double quotes every character stands for itself, a quote doubled.
QString quoted(QString term)
{
    return QLatin1Char('"') + term.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

bool indexable(const QString& term)
{
    return term.toUcs4().size() >= 3; // a letter triple; a surrogate pair is one letter
}

// The FROM and WHERE clauses of a query, and the values of its parameters in order.
struct Where
{
    QByteArray sql;
    QVariantList values;
};

Where whereFor(const HistoryQuery& query)
{
    Where where;
    QStringList longTerms;
    QStringList shortTerms;
    for (const QString& term : AnnouncementSearch::terms(query.text))
        (indexable(term) ? longTerms : shortTerms).append(term);
    QByteArray conditions = "a.title <> ''";
    if (!longTerms.isEmpty()) {
        // CROSS JOIN keeps the index first: a rare word then costs only its few rows.
        where.sql = "FROM announcement_search s CROSS JOIN announcements a ON a.rowid = s.rowid ";
        QStringList phrases;
        for (const QString& term : std::as_const(longTerms))
            phrases.append(quoted(term));
        conditions += " AND announcement_search MATCH ?";
        where.values.append(phrases.join(QLatin1Char(' ')));
    } else if (!shortTerms.isEmpty()) {
        where.sql = "FROM announcements a JOIN announcement_search s ON s.rowid = a.rowid ";
    } else {
        where.sql = "FROM announcements a ";
    }
    for (const QString& term : std::as_const(shortTerms)) {
        conditions += " AND instr(s.folded, ?) > 0";
        where.values.append(term);
    }
    if (query.since) {
        conditions += " AND a.pub_date >= ?";
        where.values.append(query.since->referenceSeconds());
    }
    if (query.until) {
        conditions += " AND a.pub_date < ?";
        where.values.append(query.until->referenceSeconds());
    }
    if (!query.symbol.trimmed().isEmpty()) {
        conditions += " AND instr(a.companies, ?) > 0"; // the companies' JSON array holds "SYMBOL"
        where.values.append(QLatin1Char('"') + query.symbol.trimmed() + QLatin1Char('"'));
    }
    if (!query.category.isEmpty()) {
        conditions += " AND a.category = ?";
        where.values.append(query.category);
    }
    if (query.unreadOnly)
        conditions += " AND a.read_at IS NULL";
    where.sql += "WHERE " + conditions;
    return where;
}

} // namespace

SearchIndex::SearchIndex(sqlite3* db, AnnouncementSearch::CompanyNames companyNames)
    : m_db(db), m_companyNames(std::move(companyNames))
{
}

bool SearchIndex::exec(const char* sql)
{
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK || fail();
}

bool SearchIndex::fail()
{
    m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
    return false;
}

bool SearchIndex::catchUp()
{
    const bool ownTransaction = sqlite3_get_autocommit(m_db) != 0;
    if (ownTransaction && !exec("BEGIN IMMEDIATE"))
        return false;
    auto abandon = [this, ownTransaction] {
        fail();
        if (ownTransaction)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    };
    Statement pending(m_db, "SELECT p.announcement, a.id, a.title, a.description, a.companies "
                            "FROM search_pending p JOIN announcements a ON a.rowid = p.announcement");
    Statement remove(m_db, "DELETE FROM announcement_search WHERE rowid = ?");
    Statement insert(m_db, "INSERT INTO announcement_search(rowid, folded) VALUES(?, ?)");
    if (!pending.handle || !remove.handle || !insert.handle)
        return abandon();
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(pending.handle)) == SQLITE_ROW) {
        const qint64 row = sqlite3_column_int64(pending.handle, 0);
        const Announcement announcement(pending.text(1), pending.text(2), pending.text(3), {}, Instant(),
                                        companiesFrom(pending.text(4)));
        sqlite3_bind_int64(remove.handle, 1, row);
        if (sqlite3_step(remove.handle) != SQLITE_DONE)
            return abandon();
        sqlite3_reset(remove.handle);
        if (announcement.title().isEmpty())
            continue; // an identifier without its texts: nothing to find
        insert.next = 1;
        insert.bind(row);
        insert.bind(AnnouncementSearch::searchableText(announcement, m_companyNames));
        if (sqlite3_step(insert.handle) != SQLITE_DONE)
            return abandon();
        sqlite3_reset(insert.handle);
    }
    if (code != SQLITE_DONE || !exec("DELETE FROM search_pending"))
        return abandon();
    return !ownTransaction || exec("COMMIT") || abandon();
}

bool SearchIndex::reindexAll()
{
    return exec("INSERT OR IGNORE INTO search_pending SELECT rowid FROM announcements");
}

std::optional<HistoryRecordList> SearchIndex::search(const HistoryQuery& query)
{
    const Where where = whereFor(query);
    QByteArray sql = "SELECT a.id, a.title, a.description, a.link, a.pub_date, a.companies, a.category, "
                     "a.read_at IS NOT NULL " +
                     where.sql + " ORDER BY a.pub_date DESC, a.rowid DESC";
    if (query.limit > 0)
        sql += " LIMIT " + QByteArray::number(query.limit);
    Statement select(m_db, sql);
    if (!select.handle) {
        fail();
        return std::nullopt;
    }
    select.bind(where.values);
    HistoryRecordList found;
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(select.handle)) == SQLITE_ROW) {
        found.append({Announcement(select.text(0), select.text(1), select.text(2), select.text(3),
                                   Instant::fromReferenceSeconds(sqlite3_column_double(select.handle, 4)),
                                   companiesFrom(select.text(5))),
                      select.text(6), sqlite3_column_int(select.handle, 7) != 0});
    }
    if (code != SQLITE_DONE) {
        fail();
        return std::nullopt;
    }
    return found;
}

qint64 SearchIndex::count(const HistoryQuery& query)
{
    const Where where = whereFor(query);
    Statement select(m_db, "SELECT count(*) " + where.sql);
    if (!select.handle)
        return fail(), -1;
    select.bind(where.values);
    if (sqlite3_step(select.handle) != SQLITE_ROW)
        return fail(), -1;
    return sqlite3_column_int64(select.handle, 0);
}
