#include "history/HistoryStore.h"

#include "archive/AnnouncementArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

namespace {
constexpr int kBusyTimeoutMs = 10000;
} // namespace

HistoryStore::HistoryStore(QString archivePath, AnnouncementSearch::CompanyNames companyNames)
    : m_path(std::move(archivePath)), m_companyNames(std::move(companyNames))
{
}

QString HistoryStore::pathIn(const QString& cacheDirectory)
{
    return QDir(cacheDirectory).filePath(AnnouncementArchive::fileName);
}

HistoryStore::~HistoryStore()
{
    m_index.reset();
    sqlite3_close(m_db);
}

bool HistoryStore::fail()
{
    m_error = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("no archive");
    return false;
}

bool HistoryStore::exec(const QByteArray& sql)
{
    return sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK || fail();
}

bool HistoryStore::open()
{
    if (m_db)
        return true;
    if (!QFile::exists(m_path)) {
        m_error = QStringLiteral("no archive at %1").arg(m_path);
        return false;
    }
    // Never creates the file: the archive makes it, with its schema.
    const QByteArray path = QFile::encodeName(m_path);
    if (sqlite3_open_v2(path.constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        fail();
        sqlite3_close(m_db);
        m_db = nullptr;
        return false;
    }
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    m_index.emplace(m_db, m_companyNames);
    return true;
}

std::optional<HistoryRecordList> HistoryStore::search(const HistoryQuery& query)
{
    if (!open())
        return std::nullopt;
    // A failed catch-up (the archive busy for long) still answers from what is indexed.
    if (!m_index->catchUp())
        m_error = m_index->errorText();
    std::optional<HistoryRecordList> found = m_index->search(query);
    if (!found)
        m_error = m_index->errorText();
    return found;
}

qint64 HistoryStore::count(const HistoryQuery& query)
{
    if (!open())
        return -1;
    m_index->catchUp();
    return m_index->count(query);
}

bool HistoryStore::has(const QString& id)
{
    return select({id}, "SELECT id FROM announcements WHERE id = ? AND title <> ''").contains(id);
}

QSet<QString> HistoryStore::unread(const QStringList& ids)
{
    return select(ids, "SELECT id FROM announcements WHERE id = ? AND read_at IS NULL AND title <> ''");
}

QSet<QString> HistoryStore::select(const QStringList& ids, const char* sql)
{
    QSet<QString> out;
    if (!open() || ids.isEmpty())
        return out;
    sqlite3_stmt* select = nullptr;
    if (sqlite3_prepare_v2(m_db, sql, -1, &select, nullptr) != SQLITE_OK) {
        fail();
        return out;
    }
    for (const QString& id : ids) {
        const QByteArray utf8 = id.toUtf8();
        sqlite3_bind_text(select, 1, utf8.constData(), int(utf8.size()), SQLITE_STATIC);
        if (sqlite3_step(select) == SQLITE_ROW)
            out.insert(id);
        sqlite3_reset(select);
    }
    sqlite3_finalize(select);
    return out;
}

qint64 HistoryStore::unreadCount()
{
    sqlite3_stmt* select = nullptr;
    if (!open() ||
        sqlite3_prepare_v2(m_db, "SELECT count(*) FROM announcements WHERE read_at IS NULL AND title <> ''",
                           -1, &select, nullptr) != SQLITE_OK)
        return -1;
    const qint64 count = sqlite3_step(select) == SQLITE_ROW ? sqlite3_column_int64(select, 0) : -1;
    sqlite3_finalize(select);
    return count;
}

bool HistoryStore::markRead(const QStringList& ids, Instant at)
{
    if (!open())
        return false;
    const QByteArray sql = ids.isEmpty()
                               ? "UPDATE announcements SET read_at = ?1 WHERE read_at IS NULL"
                               : "UPDATE announcements SET read_at = ?1 WHERE read_at IS NULL AND id = ?2";
    sqlite3_stmt* update = nullptr;
    if (!exec("BEGIN IMMEDIATE"))
        return false;
    bool ok = sqlite3_prepare_v2(m_db, sql.constData(), -1, &update, nullptr) == SQLITE_OK;
    sqlite3_bind_double(update, 1, at.referenceSeconds());
    for (qsizetype i = 0; ok && i < std::max<qsizetype>(ids.size(), 1); ++i) {
        const QByteArray utf8 = ids.value(i).toUtf8();
        sqlite3_bind_text(update, 2, utf8.constData(), int(utf8.size()), SQLITE_STATIC);
        ok = sqlite3_step(update) == SQLITE_DONE;
        sqlite3_reset(update);
    }
    if (!ok)
        fail();
    sqlite3_finalize(update);
    if (ok)
        return exec("COMMIT");
    exec("ROLLBACK");
    return false;
}

qint64 HistoryStore::removeTextsBefore(Instant before)
{
    if (!open())
        return -1;
    // Titles and texts go; the identifier, its dates and read state stay. The index follows.
    sqlite3_stmt* update = nullptr;
    if (!exec("BEGIN IMMEDIATE"))
        return -1;
    qint64 changed = -1;
    if (sqlite3_prepare_v2(
            m_db,
            "UPDATE announcements SET title = '', description = '', link = '', display_title = '', "
            "display_text = '' WHERE pub_date < ? AND title <> ''",
            -1, &update, nullptr) == SQLITE_OK) {
        sqlite3_bind_double(update, 1, before.referenceSeconds());
        if (sqlite3_step(update) == SQLITE_DONE)
            changed = sqlite3_changes64(m_db);
    }
    sqlite3_finalize(update);
    if (changed < 0 || !m_index->catchUp()) {
        fail();
        exec("ROLLBACK");
        return -1;
    }
    return exec("COMMIT") ? changed : -1;
}

bool HistoryStore::compact()
{
    return open() && exec("VACUUM") &&
           exec("BEGIN IMMEDIATE; DELETE FROM announcement_search; DELETE FROM search_keys; "
                "INSERT OR IGNORE INTO search_pending SELECT rowid FROM announcements; COMMIT") &&
           (m_index->catchUp() || fail());
}

void HistoryStore::releaseMemory()
{
    if (m_db)
        sqlite3_db_release_memory(m_db);
}

qint64 HistoryStore::fileSize() const
{
    return QFileInfo(m_path).size() + QFileInfo(m_path + QStringLiteral("-wal")).size();
}
