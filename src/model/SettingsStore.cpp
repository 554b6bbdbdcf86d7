#include "model/SettingsStore.h"

#include "model/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

SettingsStore::SettingsStore(QString path) : m_path(std::move(path)) {}

SettingsStore::FileStamp SettingsStore::stampOf(const QString& path)
{
    struct stat info {};
    FileStamp stamp;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = static_cast<quint64>(info.st_dev);
    stamp.inode = static_cast<quint64>(info.st_ino);
    stamp.size = static_cast<qint64>(info.st_size);
#ifdef __APPLE__
    stamp.modifiedNs = info.st_mtimespec.tv_sec * 1000000000LL + info.st_mtimespec.tv_nsec;
    stamp.changedNs = info.st_ctimespec.tv_sec * 1000000000LL + info.st_ctimespec.tv_nsec;
#else
    stamp.modifiedNs = info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec;
    stamp.changedNs = info.st_ctim.tv_sec * 1000000000LL + info.st_ctim.tv_nsec;
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
    m_cache = QJsonObject();
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
        Log::line(QStringLiteral("Preferences"),
                      QStringLiteral("Settings file %1 is not a valid settings document; using defaults. "
                                     "It will be kept as %1.corrupt at the next change.")
                          .arg(m_path));
        return;
    }
    m_cache = document.object();
}

bool SettingsStore::writeLocked(const QJsonObject& object)
{
    const QFileInfo info(m_path);
    QDir().mkpath(info.absolutePath());

    if (m_corrupt && QFile::exists(m_path)) {
        const QString keptAside = m_path + QStringLiteral(".corrupt");
        QFile::remove(keptAside);
        if (::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(keptAside).constData()) == 0)
            Log::line(QStringLiteral("Preferences"),
                      QStringLiteral("Kept the unreadable settings file as %1").arg(keptAside));
    }

    const QByteArray bytes = QJsonDocument(object).toJson(QJsonDocument::Indented);
    const QString temporary =
        m_path + QStringLiteral(".tmp-%1").arg(static_cast<qint64>(::getpid()));
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        Log::line(QStringLiteral("Preferences"),
                  QStringLiteral("Could not save settings to %1: %2").arg(m_path, file.errorString()));
        file.remove();
        return false;
    }
    file.close();
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(m_path).constData()) != 0) {
        Log::line(QStringLiteral("Preferences"), QStringLiteral("Could not save settings to %1").arg(m_path));
        QFile::remove(temporary);
        return false;
    }
    m_cache = object;
    m_corrupt = false;
    m_stamp = stampOf(m_path);
    m_loaded = true;
    return true;
}

QJsonObject SettingsStore::snapshot() const
{
    const QMutexLocker lock(&m_mutex);
    refreshLocked();
    return m_cache;
}

QJsonValue SettingsStore::value(const QString& key) const
{
    const QMutexLocker lock(&m_mutex);
    refreshLocked();
    return m_cache.value(key);
}

bool SettingsStore::update(const std::function<bool(QJsonObject&)>& mutate)
{
    const QMutexLocker lock(&m_mutex);
    refreshLocked();
    QJsonObject object = m_cache;
    if (!mutate(object))
        return true;
    return writeLocked(object);
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
