#include "history/SearchIndex.h"

#include "archive/SqlStatement.h"

#include <QVariantList>
#include <cmath>
#include <sqlite3.h>

// A prepared statement, finalized when it goes out of scope.
struct SearchIndex::Statement
{
    sqlite3_stmt* handle = nullptr;

    Statement(sqlite3* db, const QByteArray& sql)
    {
        sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &handle, nullptr);
    }
    ~Statement() { sqlite3_finalize(handle); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(const QVariantList& values)
    {
        sqlite3_reset(handle);
        int index = 1;
        for (const QVariant& value : values) {
            if (value.typeId() == QMetaType::LongLong) {
                sqlite3_bind_int64(handle, index++, value.toLongLong());
            } else {
                SqlStatement::bind(handle, index++, value.toString());
            }
        }
    }
    bool run(const QVariantList& values)
    {
        bind(values);
        return sqlite3_step(handle) == SQLITE_DONE;
    }
    QString text(int column) const { return SqlStatement::text(handle, column); }
};

namespace {

constexpr qint64 kMaxSecond = (qint64(1) << 31) - 1;

// Whole seconds since 2001, so that a key range at these bounds is exactly a date range.
qint64 keySecond(double referenceSeconds)
{
    return std::isfinite(referenceSeconds)
               ? std::clamp(qint64(std::ceil(referenceSeconds)), qint64(0), kMaxSecond)
               : 0;
}

qint64 keyOf(double pubDate, qint64 row)
{
    return (keySecond(std::floor(pubDate)) << 32) | (row & 0xFFFFFFFF);
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

// A query as SQL: the index alone answers words and dates; the other filters need the records.
struct Plan
{
    bool usesIndex = false;
    QByteArray indexConditions;
    QVariantList indexValues;
    QByteArray recordConditions;
    QVariantList recordValues;

    QByteArray from(bool withRecords) const
    {
        if (!usesIndex)
            return "FROM announcements a WHERE a.title <> ''" + recordConditions;
        if (!withRecords)
            return "FROM announcement_search s WHERE 1" + indexConditions;
        // CROSS JOIN keeps the index first, in its own (newest first) order.
        return "FROM announcement_search s CROSS JOIN announcements a ON a.rowid = (s.rowid & 4294967295) "
               "WHERE 1" +
               indexConditions + recordConditions;
    }
    QVariantList values(bool withRecords) const
    {
        return usesIndex && !withRecords ? indexValues : indexValues + recordValues;
    }
    QByteArray order() const
    {
        return usesIndex ? " ORDER BY s.rowid DESC" : " ORDER BY a.pub_date DESC, a.rowid DESC";
    }
};

Plan planFor(const HistoryQuery& query)
{
    Plan plan;
    QStringList phrases;
    for (const QString& term : AnnouncementSearch::terms(query.text)) {
        if (indexable(term)) {
            phrases.append(quoted(term));
        } else {
            plan.indexConditions += " AND instr(s.folded, ?) > 0";
            plan.indexValues.append(term);
        }
    }
    if (!phrases.isEmpty()) {
        plan.indexConditions.prepend(" AND announcement_search MATCH ?");
        plan.indexValues.prepend(phrases.join(QLatin1Char(' ')));
    }
    plan.usesIndex = !plan.indexConditions.isEmpty();
    const auto bound = [&plan](const char* onKeys, const char* onDates, Instant at) {
        const qint64 second = keySecond(at.referenceSeconds());
        if (plan.usesIndex) {
            plan.indexConditions += onKeys;
            plan.indexValues.append(second << 32);
        } else {
            plan.recordConditions += onDates;
            plan.recordValues.append(second);
        }
    };
    if (query.since)
        bound(" AND s.rowid >= ?", " AND a.pub_date >= ?", *query.since);
    if (query.until)
        bound(" AND s.rowid < ?", " AND a.pub_date < ?", *query.until);
    if (!query.symbol.trimmed().isEmpty()) {
        plan.recordConditions += " AND instr(a.companies, ?) > 0"; // the companies' JSON array holds "SYMBOL"
        plan.recordValues.append(QLatin1Char('"') + query.symbol.trimmed() + QLatin1Char('"'));
    }
    if (!query.category.isEmpty()) {
        plan.recordConditions += " AND a.category = ?";
        plan.recordValues.append(query.category);
    }
    if (query.unreadOnly)
        plan.recordConditions += " AND a.read_at IS NULL";
    return plan;
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
    Statement pending(m_db,
                      "SELECT p.announcement, a.id, a.title, a.description, a.companies, a.pub_date, k.key "
                      "FROM search_pending p JOIN announcements a ON a.rowid = p.announcement "
                      "LEFT JOIN search_keys k ON k.announcement = p.announcement");
    Statement remove(m_db, "DELETE FROM announcement_search WHERE rowid = ?");
    Statement insert(m_db, "INSERT INTO announcement_search(rowid, folded) VALUES(?, ?)");
    Statement keep(m_db, "INSERT OR REPLACE INTO search_keys(announcement, key) VALUES(?, ?)");
    Statement forget(m_db, "DELETE FROM search_keys WHERE announcement = ?");
    if (!pending.handle || !remove.handle || !insert.handle || !keep.handle || !forget.handle)
        return abandon();
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(pending.handle)) == SQLITE_ROW) {
        const qint64 row = sqlite3_column_int64(pending.handle, 0);
        const Announcement announcement(pending.text(1), pending.text(2), pending.text(3), {}, Instant(),
                                        SqlStatement::companies(pending.text(4)));
        const qint64 key = keyOf(sqlite3_column_double(pending.handle, 5), row);
        if (sqlite3_column_type(pending.handle, 6) != SQLITE_NULL &&
            !remove.run({sqlite3_column_int64(pending.handle, 6)}))
            return abandon();
        // An identifier without its texts has nothing to find.
        const bool indexed = !announcement.title().isEmpty();
        if (indexed && !insert.run({key, AnnouncementSearch::searchableText(announcement, m_companyNames)}))
            return abandon();
        if (!(indexed ? keep.run({row, key}) : forget.run({row})))
            return abandon();
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
    const Plan plan = planFor(query);
    QByteArray sql = "SELECT a.id, a.title, a.description, a.link, a.pub_date, a.companies, a.category, "
                     "a.read_at IS NOT NULL " +
                     plan.from(true) + plan.order();
    if (query.limit > 0)
        sql += " LIMIT " + QByteArray::number(query.limit);
    Statement select(m_db, sql);
    if (!select.handle) {
        fail();
        return std::nullopt;
    }
    select.bind(plan.values(true));
    HistoryRecordList found;
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(select.handle)) == SQLITE_ROW)
        found.append({SqlStatement::announcement(select.handle), sqlite3_column_int(select.handle, 7) != 0});
    if (code != SQLITE_DONE) {
        fail();
        return std::nullopt;
    }
    return found;
}

qint64 SearchIndex::count(const HistoryQuery& query)
{
    const Plan plan = planFor(query);
    const bool withRecords = !plan.recordConditions.isEmpty();
    Statement select(m_db, "SELECT count(*) " + plan.from(withRecords));
    if (!select.handle)
        return fail(), -1;
    select.bind(plan.values(withRecords));
    if (sqlite3_step(select.handle) != SQLITE_ROW)
        return fail(), -1;
    return sqlite3_column_int64(select.handle, 0);
}
