#pragma once

#include "infra/Instant.h"

#include <QHash>
#include <QJsonObject>
#include <QJsonValue>
#include <QLockFile>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

struct stat;

// A typed key/value store in one JSON file. Reads see outside changes at once (the file is re-read
// when its identity, size or times change); writes replace the file atomically (a new temporary file,
// its data flushed to disk, then a rename), so it is never left half-written. A path that is a
// symbolic link stays one: its target is replaced. A file that does not parse reads as empty and is
// moved aside to "<file>.corrupt" at the next write. Every read-modify-write holds an advisory lock
// file beside the settings file ("<file>.lock") and reads the file afresh under it, so changes made
// by several processes at once are all kept.
class SettingsStore
{
public:
    explicit SettingsStore(QString path);

    const QString& path() const { return m_path; }

    QJsonObject snapshot() const;
    QJsonValue value(const QString& key) const; // Undefined when absent
    bool setValue(const QString& key, const QJsonValue& value);
    bool remove(const QString& key);
    // Read-modify-write under one lock; `mutate` returns false when it changed nothing (no write).
    bool update(const std::function<bool(QJsonObject&)>& mutate);

    // Fast paths for values that are arrays of text (the seen set is rewritten up to 500 times in a
    // row): no conversion through JSON values. A value of another type reads as none and is replaced.
    std::optional<QStringList> stringArray(const QString& key) const;
    bool updateStringArray(const QString& key, const std::function<bool(QStringList&)>& mutate);

    // Dates are stored as {"date": "<ISO 8601 UTC>"} so they stay distinct from numbers and text.
    static QJsonValue dateValue(Instant instant);
    static std::optional<Instant> toDate(const QJsonValue& value);

private:
    struct FileStamp
    {
        bool exists = false;
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modifiedNs = 0;
        friend bool operator==(const FileStamp&, const FileStamp&) = default;
    };

    static FileStamp stampOf(const QString& path);
    static FileStamp stampOf(const struct stat& info);
    void refreshLocked() const;
    // Locks out other processes' changes; null (with a log line) when another process keeps the lock.
    std::unique_ptr<QLockFile> lockFileLocked();
    template <typename Mutate> bool modifyLocked(Mutate&& mutate);
    void splitLocked(const QJsonObject& object) const;
    QJsonObject mergedLocked() const;
    QByteArray serializeLocked() const;
    bool writeLocked();

    QString m_path;
    mutable QMutex m_mutex;
    // The document, split: arrays of text are kept as string lists, everything else as JSON.
    mutable QJsonObject m_values;
    mutable QHash<QString, QStringList> m_stringArrays;
    mutable FileStamp m_stamp;
    mutable bool m_loaded = false;
    mutable bool m_corrupt = false;
};
