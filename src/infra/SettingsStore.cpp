#include "infra/SettingsStore.h"

#include "infra/LogCategories.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSaveFile>
#include <sys/stat.h>

SettingsStore::SettingsStore(QString path) : m_path(std::move(path)) {}

// stat rather than QFileInfo: QFileInfo has neither the file's identity nor its times below the
// millisecond, and an outside write of the same size within the same millisecond must still be seen.
SettingsStore::FileStamp SettingsStore::stampOf(const QString& path)
{
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return stampOf(info);
}

SettingsStore::FileStamp SettingsStore::stampOf(const struct stat& info)
{
    FileStamp stamp;
    stamp.exists = true;
    stamp.device = static_cast<quint64>(info.st_dev);
    stamp.inode = static_cast<quint64>(info.st_ino);
    stamp.size = static_cast<qint64>(info.st_size);
#ifdef __APPLE__
    stamp.modifiedNs = info.st_mtimespec.tv_sec * 1000000000LL + info.st_mtimespec.tv_nsec;
#else
    stamp.modifiedNs = info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec;
#endif
    return stamp;
}

void SettingsStore::refreshLocked() const
{
    const FileStamp stamp = stampOf(m_path);
    if (m_loaded && stamp == m_stamp)
        return;
    m_loaded = true;
    m_stamp = stamp;
    m_values = QJsonObject();
    m_stringArrays.clear();
    m_corrupt = false;
    if (!stamp.exists)
        return;

    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return; // Unreadable: defaults, and the next write replaces it.
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        m_corrupt = true;
        qCInfo(lcPreferences,
               "Settings file %s is not a valid settings document; using defaults. It will be kept as "
               "%s.corrupt at the next change.",
               qUtf8Printable(m_path), qUtf8Printable(m_path));
        return;
    }
    splitLocked(document.object());
}

void SettingsStore::splitLocked(const QJsonObject& object) const
{
    m_values = QJsonObject();
    m_stringArrays.clear();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.value().isArray()) {
            const QJsonArray array = it.value().toArray();
            QStringList list;
            list.reserve(array.size());
            bool allText = true;
            for (const auto& element : array) {
                if (!element.isString()) {
                    allText = false;
                    break;
                }
                list.append(element.toString());
            }
            if (allText) {
                m_stringArrays.insert(it.key(), list);
                continue;
            }
        }
        m_values.insert(it.key(), it.value());
    }
}

QJsonObject SettingsStore::mergedLocked() const
{
    QJsonObject object = m_values;
    for (auto it = m_stringArrays.cbegin(); it != m_stringArrays.cend(); ++it)
        object.insert(it.key(), QJsonArray::fromStringList(it.value()));
    return object;
}

QByteArray SettingsStore::serializeLocked() const
{
    return QJsonDocument(mergedLocked()).toJson(QJsonDocument::Indented);
}

namespace {
// The file a path names, through any chain of symbolic links: a dotfile manager's link stays a link
// and its target is what gets replaced. Empty for a loop.
QString resolvedTarget(const QString& path)
{
    QFileInfo current(path);
    for (int depth = 0; depth < 40; ++depth) {
        if (!current.isSymLink())
            return current.filePath();
        current = QFileInfo(current.symLinkTarget());
    }
    return {};
}
} // namespace

bool SettingsStore::writeLocked()
{
    const auto fail = [this](const QString& reason) {
        qCInfo(lcPreferences, "Could not save settings to %s: %s", qUtf8Printable(m_path),
               qUtf8Printable(reason));
        return false;
    };
    const QString targetPath = resolvedTarget(m_path);
    if (targetPath.isEmpty())
        return fail(QStringLiteral("too many levels of symbolic links"));

    if (m_corrupt && QFileInfo::exists(targetPath)) {
        const QString keptAside = targetPath + QStringLiteral(".corrupt");
        QFile::remove(keptAside);
        if (QFile::rename(targetPath, keptAside))
            qCInfo(lcPreferences, "Kept the unreadable settings file as %s", qUtf8Printable(keptAside));
    }

    // The link chain is already followed, so QSaveFile replaces the file it ends in; its commit
    // brings the data to the disk before the rename, so a crash leaves the old file or the new one.
    QSaveFile file(targetPath);
    if (!file.open(QIODevice::WriteOnly)) {
        QDir().mkpath(QFileInfo(targetPath).absolutePath());
        if (!file.open(QIODevice::WriteOnly))
            return fail(file.errorString());
    }
    struct stat info
    {
    };
    // Readable by the user alone, like the folder it is in; the stamp is the new file's own.
    if (!file.setPermissions(QFile::ReadOwner | QFile::WriteOwner) || file.write(serializeLocked()) < 0 ||
        !file.flush() || ::fstat(file.handle(), &info) != 0) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit())
        return fail(file.errorString());

    m_corrupt = false;
    m_loaded = true;
    m_stamp = stampOf(info);
    return true;
}

QJsonObject SettingsStore::snapshot() const
{
    const QMutexLocker lock(&m_mutex);
    refreshLocked();
    return mergedLocked();
}

QJsonValue SettingsStore::value(const QString& key) const
{
    const QMutexLocker lock(&m_mutex);
    refreshLocked();
    const auto array = m_stringArrays.constFind(key);
    if (array != m_stringArrays.cend())
        return QJsonArray::fromStringList(*array);
    return m_values.value(key);
}

std::optional<QStringList> SettingsStore::stringArray(const QString& key) const
{
    const QMutexLocker lock(&m_mutex);
    refreshLocked();
    const auto array = m_stringArrays.constFind(key);
    if (array == m_stringArrays.cend())
        return std::nullopt;
    return *array;
}

std::unique_ptr<QLockFile> SettingsStore::lockFileLocked()
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    auto lock = std::make_unique<QLockFile>(m_path + QStringLiteral(".lock"));
    // A change takes milliseconds; a lock this old belongs to a process that hangs.
    lock->setStaleLockTime(30'000);
    if (lock->tryLock(10'000))
        return lock;
    if (lock->error() == QLockFile::LockFailedError) {
        qCInfo(lcPreferences, "Could not save settings to %s: another process keeps %s.lock",
               qUtf8Printable(m_path), qUtf8Printable(m_path));
        return nullptr;
    }
    // A folder that cannot hold the lock file: the write itself will tell whether it can be saved.
    return std::make_unique<QLockFile>(QString());
}

template <typename Mutate> bool SettingsStore::modifyLocked(Mutate&& mutate)
{
    const std::unique_ptr<QLockFile> fileLock = lockFileLocked();
    if (!fileLock)
        return false;
    // Another process may have written since the last read, within the file times' granularity.
    m_loaded = false;
    refreshLocked();
    // Keep the old state if the write fails, so memory never runs ahead of the file.
    const QJsonObject previousValues = m_values;
    const QHash<QString, QStringList> previousArrays = m_stringArrays;
    if (!mutate())
        return true;
    if (writeLocked())
        return true;
    m_values = previousValues;
    m_stringArrays = previousArrays;
    return false;
}

bool SettingsStore::updateStringArray(const QString& key, const std::function<bool(QStringList&)>& mutate)
{
    const QMutexLocker lock(&m_mutex);
    return modifyLocked([&] {
        QStringList list = m_stringArrays.value(key);
        if (!mutate(list))
            return false;
        m_values.remove(key);
        m_stringArrays.insert(key, list);
        return true;
    });
}

bool SettingsStore::update(const std::function<bool(QJsonObject&)>& mutate)
{
    const QMutexLocker lock(&m_mutex);
    return modifyLocked([&] {
        QJsonObject object = mergedLocked();
        if (!mutate(object))
            return false;
        splitLocked(object);
        return true;
    });
}

bool SettingsStore::setValue(const QString& key, const QJsonValue& value)
{
    return update([&](QJsonObject& object) {
        object.insert(key, value);
        return true;
    });
}

bool SettingsStore::remove(const QString& key)
{
    return update([&](QJsonObject& object) {
        if (!object.contains(key))
            return false;
        object.remove(key);
        return true;
    });
}

QJsonValue SettingsStore::dateValue(Instant instant)
{
    return QJsonObject{{QStringLiteral("date"), instant.toDateTime().toString(Qt::ISODateWithMs)}};
}

std::optional<Instant> SettingsStore::toDate(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonValue text = value.toObject().value(QStringLiteral("date"));
    if (!text.isString())
        return std::nullopt;
    const QDateTime dateTime = QDateTime::fromString(text.toString(), Qt::ISODateWithMs);
    if (!dateTime.isValid())
        return std::nullopt;
    return Instant::fromDateTime(dateTime);
}
