#include "archive/Outbox.h"

#include "archive/AnnouncementArchive.h"
#include "archive/SqlStatement.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString itemsText(const QList<Outbox::Item>& items)
{
    QJsonArray array;
    for (const Outbox::Item& item : items)
        array.append(QJsonObject{{QStringLiteral("id"), item.id}, {QStringLiteral("rule"), item.rule}});
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

QList<Outbox::Item> itemsFrom(const QString& text)
{
    QList<Outbox::Item> items;
    for (const QJsonValue& value : QJsonDocument::fromJson(text.toUtf8()).array()) {
        const QJsonObject object = value.toObject();
        items.append(
            {object.value(QStringLiteral("id")).toString(), object.value(QStringLiteral("rule")).toString()});
    }
    return items;
}

QString listText(const QStringList& list)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(list)).toJson(QJsonDocument::Compact));
}

std::optional<Instant> instantAt(sqlite3_stmt* statement, int column)
{
    if (sqlite3_column_type(statement, column) == SQLITE_NULL)
        return std::nullopt;
    return Instant::fromReferenceSeconds(sqlite3_column_double(statement, column));
}

// Due, unclaimed (or its claim lapsed) and to an output that may be sent to now.
constexpr const char* kClaimable =
    "state = 'pending' AND max(next_attempt, coalesce(claim_until, 0)) <= ?1 AND "
    "(output IN (SELECT value FROM json_each(?2)) OR (urgent = 1 AND output IN (SELECT value FROM "
    "json_each(?3))))";

} // namespace

Outbox::Outbox(AnnouncementArchive& archive) : m_archive(archive) {}

bool Outbox::step(const char* sql, const std::function<void(sqlite3_stmt*)>& bind)
{
    sqlite3_stmt* statement = m_archive.statement(sql);
    if (!statement)
        return false;
    SqlStatement reset{statement};
    bind(statement);
    const int code = sqlite3_step(statement);
    return code == SQLITE_DONE || m_archive.fail(code);
}

bool Outbox::add(const QList<Entry>& entries, Instant now)
{
    for (const Entry& entry : entries) {
        const bool ok =
            step("INSERT OR IGNORE INTO deliveries(output, key, items, urgent, created, next_attempt) "
                 "VALUES(?1, ?2, ?3, ?4, ?5, ?5)",
                 [&](sqlite3_stmt* insert) {
                     SqlStatement::bind(insert, 1, entry.output);
                     SqlStatement::bind(insert, 2, entry.key);
                     SqlStatement::bind(insert, 3, itemsText(entry.items));
                     sqlite3_bind_int(insert, 4, entry.urgent ? 1 : 0);
                     sqlite3_bind_double(insert, 5, now.referenceSeconds());
                 });
        if (!ok)
            return false;
    }
    return true;
}

std::optional<Outbox::Delivery> Outbox::claim(const QString& claimer, Instant now, const QStringList& open,
                                              const QStringList& urgentOnly)
{
    if (open.isEmpty() && urgentOnly.isEmpty())
        return std::nullopt;
    // IMMEDIATE: the write lock first, so no other process reads the same row as free meanwhile.
    if (!m_archive.begin())
        return std::nullopt;
    static const QByteArray select =
        QByteArray("SELECT id, output, key, items, urgent, attempts, first_attempt FROM deliveries WHERE ") +
        kClaimable + " ORDER BY next_attempt, id LIMIT 1";
    sqlite3_stmt* query = m_archive.statement(select.constData());
    std::optional<Delivery> found;
    if (query) {
        SqlStatement reset{query};
        sqlite3_bind_double(query, 1, now.referenceSeconds());
        SqlStatement::bind(query, 2, listText(open));
        SqlStatement::bind(query, 3, listText(urgentOnly));
        const int code = sqlite3_step(query);
        if (code == SQLITE_ROW) {
            Delivery delivery;
            delivery.row = sqlite3_column_int64(query, 0);
            delivery.entry = {SqlStatement::text(query, 1), SqlStatement::text(query, 2),
                              itemsFrom(SqlStatement::text(query, 3)), sqlite3_column_int(query, 4) != 0};
            delivery.attempts = sqlite3_column_int(query, 5);
            delivery.firstAttempt = instantAt(query, 6);
            found = delivery;
        } else if (code != SQLITE_DONE) {
            m_archive.fail(code);
        }
    }
    const bool claimed =
        found && step("UPDATE deliveries SET claimed_by = ?2, claim_until = ?3 WHERE id = ?1",
                      [&](sqlite3_stmt* update) {
                          sqlite3_bind_int64(update, 1, found->row);
                          SqlStatement::bind(update, 2, claimer);
                          sqlite3_bind_double(update, 3, now.addSeconds(kClaimSeconds).referenceSeconds());
                      });
    if (!claimed || !m_archive.commit()) {
        m_archive.rollback();
        return std::nullopt;
    }
    return found;
}

bool Outbox::markDelivered(qint64 row, Instant now)
{
    return step("UPDATE deliveries SET state = 'delivered', done_at = ?2, attempts = attempts + 1, "
                "first_attempt = coalesce(first_attempt, ?2), last_error = NULL, claimed_by = NULL, "
                "claim_until = NULL WHERE id = ?1 AND state = 'pending'",
                [&](sqlite3_stmt* update) {
                    sqlite3_bind_int64(update, 1, row);
                    sqlite3_bind_double(update, 2, now.referenceSeconds());
                });
}

bool Outbox::markFailed(qint64 row, const QString& claimer, Instant now, std::optional<Instant> next,
                        const QString& error)
{
    return step(
        "UPDATE deliveries SET state = iif(?4 IS NULL, 'given up', 'pending'), "
        "done_at = iif(?4 IS NULL, ?3, NULL), next_attempt = coalesce(?4, next_attempt), "
        "attempts = attempts + 1, first_attempt = coalesce(first_attempt, ?3), last_error = ?5, "
        "claimed_by = NULL, claim_until = NULL WHERE id = ?1 AND state = 'pending' AND claimed_by = ?2",
        [&](sqlite3_stmt* update) {
            sqlite3_bind_int64(update, 1, row);
            SqlStatement::bind(update, 2, claimer);
            sqlite3_bind_double(update, 3, now.referenceSeconds());
            if (next)
                sqlite3_bind_double(update, 4, next->referenceSeconds());
            SqlStatement::bind(update, 5, error);
        });
}

bool Outbox::markRefused(qint64 row, const QString& claimer, Instant now, const QString& error)
{
    return step("UPDATE deliveries SET state = 'refused', done_at = ?3, attempts = attempts + 1, "
                "first_attempt = coalesce(first_attempt, ?3), last_error = ?4, claimed_by = NULL, "
                "claim_until = NULL WHERE id = ?1 AND state = 'pending' AND claimed_by = ?2",
                [&](sqlite3_stmt* update) {
                    sqlite3_bind_int64(update, 1, row);
                    SqlStatement::bind(update, 2, claimer);
                    sqlite3_bind_double(update, 3, now.referenceSeconds());
                    SqlStatement::bind(update, 4, error);
                });
}

std::optional<Instant> Outbox::nextDue(const QStringList& outputs)
{
    sqlite3_stmt* query =
        m_archive.statement("SELECT min(max(next_attempt, coalesce(claim_until, 0))) FROM deliveries "
                            "WHERE state = 'pending' AND output IN (SELECT value FROM json_each(?1))");
    if (!query)
        return std::nullopt;
    SqlStatement reset{query};
    SqlStatement::bind(query, 1, listText(outputs));
    if (sqlite3_step(query) != SQLITE_ROW)
        return std::nullopt;
    return instantAt(query, 0);
}

bool Outbox::hasPending(const QStringList& outputs)
{
    return nextDue(outputs).has_value();
}

QMap<QString, Outbox::Counts> Outbox::counts()
{
    QMap<QString, Counts> counts;
    sqlite3_stmt* query =
        m_archive.statement("SELECT output, sum(state = 'pending'), sum(state IN ('refused', 'given up')) "
                            "FROM deliveries GROUP BY output");
    if (!query)
        return counts;
    SqlStatement reset{query};
    while (sqlite3_step(query) == SQLITE_ROW)
        counts.insert(SqlStatement::text(query, 0),
                      {sqlite3_column_int(query, 1), sqlite3_column_int(query, 2)});
    return counts;
}

bool Outbox::prune(Instant now)
{
    return step("UPDATE deliveries SET state = 'given up', done_at = ?1, claimed_by = NULL, claim_until = "
                "NULL "
                "WHERE state = 'pending' AND created < ?1 - ?2 AND coalesce(claim_until, 0) <= ?1",
                [&](sqlite3_stmt* update) {
                    sqlite3_bind_double(update, 1, now.referenceSeconds());
                    sqlite3_bind_double(update, 2, kPendingForSeconds);
                }) &&
           step("DELETE FROM deliveries WHERE state != 'pending' AND done_at < ?1 - ?2",
                [&](sqlite3_stmt* remove) {
                    sqlite3_bind_double(remove, 1, now.referenceSeconds());
                    sqlite3_bind_double(remove, 2, kKeepSeconds);
                });
}
