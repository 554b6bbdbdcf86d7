#include "archive/AnnouncementArchive.h"

#include "archive/SqlStatement.h"
#include "history/SearchIndex.h"
#include "infra/LogCategories.h"
#include "model/AnnouncementCategory.h"

#include <QDir>
#include <QFile>
#include <array>
#include <cstring>
#include <sqlite3.h>

namespace {

// One step per schema version; a step is never changed once released, later versions add steps.
constexpr std::array kMigrations = {
    R"(CREATE TABLE announcements(
           id TEXT NOT NULL UNIQUE,
           title TEXT NOT NULL,
           description TEXT NOT NULL,
           link TEXT NOT NULL,
           pub_date REAL NOT NULL,
           companies TEXT NOT NULL,
           display_title TEXT NOT NULL,
           display_text TEXT NOT NULL,
           feed TEXT NOT NULL,
           language TEXT NOT NULL,
           first_seen REAL NOT NULL,
           owed INTEGER NOT NULL DEFAULT 0,
           notified_at REAL,
           notified_by TEXT,
           read_at REAL,
           category TEXT);
       CREATE INDEX announcements_owed ON announcements(pub_date) WHERE owed = 1;
       CREATE INDEX announcements_date ON announcements(pub_date);
       CREATE TABLE meta(key TEXT PRIMARY KEY NOT NULL, value) WITHOUT ROWID;)",
    SearchIndex::kSchema,
    // The outbox: one row per message owed to an output (an announcement, or a burst summed up), with
    // its state ("pending", "delivered", "refused", "given up") and the claim of the process sending it.
    R"(CREATE TABLE deliveries(
           id INTEGER PRIMARY KEY,
           output TEXT NOT NULL,
           key TEXT NOT NULL,
           items TEXT NOT NULL,
           urgent INTEGER NOT NULL DEFAULT 0,
           state TEXT NOT NULL DEFAULT 'pending',
           created REAL NOT NULL,
           attempts INTEGER NOT NULL DEFAULT 0,
           first_attempt REAL,
           next_attempt REAL NOT NULL,
           last_error TEXT,
           claimed_by TEXT,
           claim_until REAL,
           done_at REAL,
           UNIQUE(output, key));
       CREATE INDEX deliveries_due ON deliveries(next_attempt) WHERE state = 'pending';)",
};

constexpr int kBusyTimeoutMs = 10000;

using Reset = SqlStatement;
constexpr auto text = &SqlStatement::text;
constexpr auto bind = &SqlStatement::bind;

constexpr auto companiesText = &SqlStatement::companiesText;

// Parameters 1 to 11: a record's columns from id to language, and its category.
void bindRecord(sqlite3_stmt* statement, const AnnouncementArchive::Record& record)
{
    const Announcement& a = record.announcement;
    bind(statement, 1, a.id());
    bind(statement, 2, a.title());
    bind(statement, 3, a.description());
    bind(statement, 4, a.link());
    sqlite3_bind_double(statement, 5, a.pubDate().referenceSeconds());
    bind(statement, 6, companiesText(a.companies()));
    bind(statement, 7, a.displayTitle());
    bind(statement, 8, a.strippedDescription());
    bind(statement, 9, record.feed);
    bind(statement, 10, record.language);
    bind(statement, 11, AnnouncementCategory::key(AnnouncementCategory::of(a)));
}

} // namespace

AnnouncementArchive::AnnouncementArchive(QString directory, qint64 maxIdentifiers)
    : m_directory(std::move(directory)), m_maxIdentifiers(maxIdentifiers)
{
}

AnnouncementArchive::~AnnouncementArchive()
{
    close();
}

QString AnnouncementArchive::filePath() const
{
    return QDir(m_directory).filePath(fileName);
}

void AnnouncementArchive::close()
{
    for (sqlite3_stmt* statement : std::as_const(m_statements))
        sqlite3_finalize(statement);
    m_statements.clear();
    if (m_db)
        sqlite3_close(m_db);
    m_db = nullptr;
}

bool AnnouncementArchive::fail(int code)
{
    m_damaged = code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
    const int systemError = m_db ? sqlite3_system_errno(m_db) : 0;
    if (code == SQLITE_FULL)
        m_error = QString::fromLocal8Bit(std::strerror(ENOSPC));
    else if (systemError != 0 && (code & 0xff) != SQLITE_CONSTRAINT)
        m_error = QString::fromLocal8Bit(std::strerror(systemError));
    else
        m_error = QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(code));
    return false;
}

bool AnnouncementArchive::openFile()
{
    QDir().mkpath(m_directory);
    const QByteArray path = QFile::encodeName(filePath());
    m_created = !QFile::exists(filePath());
    const int code =
        sqlite3_open_v2(path.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (code != SQLITE_OK) {
        fail(code);
        close();
        return false;
    }
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    // A poll looks up a few hundred identifiers: read through a mapping of the file, they cost no
    // copies and no memory of the program's own (the pages are the system's file cache).
    sqlite3_exec(m_db, "PRAGMA cache_size=-1024; PRAGMA mmap_size=268435456", nullptr, nullptr, nullptr);
    // WAL lets a reader go on while another process writes; NORMAL sync is durable enough for it.
    return exec("PRAGMA journal_mode=WAL") && exec("PRAGMA synchronous=NORMAL") && migrate();
}

bool AnnouncementArchive::open()
{
    if (m_db)
        return true;
    m_damaged = false;
    if (openFile())
        return true;
    if (!m_damaged)
        return false;
    close();
    // Kept for whoever wants to look at it; the caller rebuilds from the cache file and seen set.
    const QString aside = filePath() + QStringLiteral(".corrupt");
    QFile::remove(aside);
    QFile::rename(filePath(), aside);
    for (const char* suffix : {"-wal", "-shm"})
        QFile::remove(filePath() + QLatin1String(suffix));
    qCWarning(lcArchive, "The archive was damaged; moved aside to %s", qUtf8Printable(aside));
    return openFile();
}

bool AnnouncementArchive::exec(const char* sql)
{
    const int code = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    return code == SQLITE_OK || fail(code);
}

bool AnnouncementArchive::migrate()
{
    sqlite3_stmt* version = statement("PRAGMA user_version");
    if (!version)
        return false;
    int current = 0;
    {
        Reset reset{version};
        const int code = sqlite3_step(version);
        if (code != SQLITE_ROW)
            return fail(code);
        current = sqlite3_column_int(version, 0);
    }
    for (int step = current; step < int(kMigrations.size()); ++step) {
        const QByteArray bump = "PRAGMA user_version=" + QByteArray::number(step + 1);
        if (!exec("BEGIN IMMEDIATE"))
            return false;
        if (!exec(kMigrations[step]) || !exec(bump.constData())) {
            rollback();
            return false;
        }
        if (!commit())
            return false;
    }
    return true;
}

sqlite3_stmt* AnnouncementArchive::statement(const char* sql)
{
    if (sqlite3_stmt* prepared = m_statements.value(sql))
        return prepared;
    sqlite3_stmt* prepared = nullptr;
    const int code = sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &prepared, nullptr);
    if (code != SQLITE_OK) {
        fail(code);
        return nullptr;
    }
    m_statements.insert(sql, prepared);
    return prepared;
}

bool AnnouncementArchive::begin()
{
    // IMMEDIATE takes the write lock at once: two processes never both read, then both write.
    return exec("BEGIN IMMEDIATE");
}

bool AnnouncementArchive::commit()
{
    return exec("COMMIT");
}

void AnnouncementArchive::rollback()
{
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

std::optional<Announcement> AnnouncementArchive::find(const QString& id)
{
    sqlite3_stmt* select = statement("SELECT id, title, description, link, pub_date, companies, category "
                                     "FROM announcements WHERE id = ?");
    if (!select)
        return std::nullopt;
    Reset reset{select};
    bind(select, 1, id);
    if (sqlite3_step(select) != SQLITE_ROW)
        return std::nullopt;
    return SqlStatement::announcement(select);
}

std::optional<bool> AnnouncementArchive::stored(const Record& record)
{
    sqlite3_stmt* select = statement("SELECT title = ?2 AND description = ?3 AND link = ?4 AND pub_date = ?5 "
                                     "AND companies = ?6 FROM announcements WHERE id = ?1");
    if (!select)
        return std::nullopt;
    Reset reset{select};
    const Announcement& a = record.announcement;
    bind(select, 1, a.id());
    bind(select, 2, a.title());
    bind(select, 3, a.description());
    bind(select, 4, a.link());
    sqlite3_bind_double(select, 5, a.pubDate().referenceSeconds());
    bind(select, 6, companiesText(a.companies()));
    if (sqlite3_step(select) != SQLITE_ROW)
        return std::nullopt;
    return sqlite3_column_int(select, 0) != 0;
}

qint64 AnnouncementArchive::count()
{
    sqlite3_stmt* select = statement("SELECT count(*) FROM announcements");
    if (!select)
        return -1;
    Reset reset{select};
    const int code = sqlite3_step(select);
    return code == SQLITE_ROW ? sqlite3_column_int64(select, 0) : (fail(code), -1);
}

std::optional<double> AnnouncementArchive::meta(const QString& key)
{
    sqlite3_stmt* select = statement("SELECT value FROM meta WHERE key = ?");
    if (!select)
        return std::nullopt;
    Reset reset{select};
    bind(select, 1, key);
    if (sqlite3_step(select) != SQLITE_ROW || sqlite3_column_type(select, 0) == SQLITE_NULL)
        return std::nullopt;
    return sqlite3_column_double(select, 0);
}

QString AnnouncementArchive::metaText(const QString& key)
{
    sqlite3_stmt* select = statement("SELECT value FROM meta WHERE key = ?");
    if (!select)
        return {};
    Reset reset{select};
    bind(select, 1, key);
    return sqlite3_step(select) == SQLITE_ROW ? text(select, 0) : QString();
}

AnnouncementList AnnouncementArchive::owed()
{
    return records(statement("SELECT id, title, description, link, pub_date, companies, category "
                             "FROM announcements WHERE owed = 1 ORDER BY pub_date DESC, rowid"));
}

AnnouncementList AnnouncementArchive::recent(Instant after, int limit)
{
    sqlite3_stmt* select = statement("SELECT id, title, description, link, pub_date, companies, category "
                                     "FROM announcements WHERE pub_date > ? AND title != '' "
                                     "ORDER BY pub_date DESC, rowid LIMIT ?");
    if (select) {
        sqlite3_bind_double(select, 1, after.referenceSeconds());
        sqlite3_bind_int(select, 2, limit);
    }
    return records(select);
}

void AnnouncementArchive::releaseMemory()
{
    if (m_db)
        sqlite3_db_release_memory(m_db);
}

AnnouncementList AnnouncementArchive::records(sqlite3_stmt* select)
{
    AnnouncementList out;
    if (!select)
        return out;
    Reset reset{select};
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(select)) == SQLITE_ROW)
        out.append(SqlStatement::announcement(select));
    if (code != SQLITE_DONE)
        fail(code);
    return out;
}

bool AnnouncementArchive::insert(const Record& record, Instant firstSeen, bool owed)
{
    sqlite3_stmt* insert =
        statement("INSERT OR IGNORE INTO announcements(id, title, description, link, pub_date, companies, "
                  "display_title, display_text, feed, language, category, first_seen, owed) "
                  "VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?)");
    if (!insert)
        return false;
    Reset reset{insert};
    bindRecord(insert, record);
    sqlite3_bind_double(insert, 12, firstSeen.referenceSeconds());
    sqlite3_bind_int(insert, 13, owed ? 1 : 0);
    const int code = sqlite3_step(insert);
    return code == SQLITE_DONE || fail(code);
}

bool AnnouncementArchive::insertKnownId(const QString& id, Instant firstSeen)
{
    return insert({Announcement(id, {}, {}, {}, Instant(), {}), {}, {}}, firstSeen, false);
}

bool AnnouncementArchive::update(const Record& record)
{
    sqlite3_stmt* update = statement(
        "UPDATE announcements SET title = ?2, description = ?3, link = ?4, pub_date = ?5, "
        "companies = ?6, display_title = ?7, display_text = ?8, feed = ?9, language = ?10, category = ?11 "
        "WHERE id = ?1");
    if (!update)
        return false;
    Reset reset{update};
    bindRecord(update, record);
    const int code = sqlite3_step(update);
    return code == SQLITE_DONE || fail(code);
}

bool AnnouncementArchive::markTold(const QStringList& ids, Instant at, const QString& by)
{
    sqlite3_stmt* update =
        statement("UPDATE announcements SET owed = 0, notified_at = ?2, notified_by = ?3 WHERE id = ?1");
    if (!update)
        return false;
    for (const QString& id : ids) {
        Reset reset{update};
        bind(update, 1, id);
        sqlite3_bind_double(update, 2, at.referenceSeconds());
        bind(update, 3, by);
        const int code = sqlite3_step(update);
        if (code != SQLITE_DONE)
            return fail(code);
    }
    return true;
}

bool AnnouncementArchive::dropOwedBefore(Instant before)
{
    sqlite3_stmt* update = statement("UPDATE announcements SET owed = 0 WHERE owed = 1 AND first_seen < ?");
    if (!update)
        return false;
    Reset reset{update};
    sqlite3_bind_double(update, 1, before.referenceSeconds());
    const int code = sqlite3_step(update);
    return code == SQLITE_DONE || fail(code);
}

bool AnnouncementArchive::setMeta(const QString& key, const QVariant& value)
{
    sqlite3_stmt* upsert = statement("INSERT OR REPLACE INTO meta(key, value) VALUES(?, ?)");
    if (!upsert)
        return false;
    Reset reset{upsert};
    bind(upsert, 1, key);
    if (value.typeId() == QMetaType::Double)
        sqlite3_bind_double(upsert, 2, value.toDouble());
    else
        bind(upsert, 2, value.toString());
    const int code = sqlite3_step(upsert);
    return code == SQLITE_DONE || fail(code);
}

bool AnnouncementArchive::enforceCap()
{
    // The span of row numbers bounds the count and costs no scan: counted only near the cap.
    // Two subqueries: SQLite answers a lone max() or min() from the end of the table, not both at once.
    sqlite3_stmt* span = statement("SELECT coalesce((SELECT max(rowid) FROM announcements) - "
                                   "(SELECT min(rowid) FROM announcements) + 1, 0)");
    if (!span)
        return false;
    {
        Reset reset{span};
        const int code = sqlite3_step(span);
        if (code != SQLITE_ROW)
            return fail(code);
        if (sqlite3_column_int64(span, 0) <= m_maxIdentifiers)
            return true;
    }
    const qint64 total = count();
    if (total < 0)
        return false;
    if (total <= m_maxIdentifiers)
        return true;
    sqlite3_stmt* trim = statement(
        "DELETE FROM announcements WHERE rowid IN (SELECT rowid FROM announcements ORDER BY rowid LIMIT ?)");
    if (!trim)
        return false;
    Reset reset{trim};
    sqlite3_bind_int64(trim, 1, total - m_maxIdentifiers);
    const int code = sqlite3_step(trim);
    return code == SQLITE_DONE || fail(code);
}
