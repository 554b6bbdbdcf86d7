#pragma once

#include "archive/AnnouncementArchive.h"
#include "archive/NewsRule.h"
#include "archive/Outbox.h"

#include <QSet>
#include <QStringList>
#include <functional>

// Records each poll's fetched records in the archive, in one transaction, and says what to tell the
// user. A process that tells (the tray program, `watch`) takes every record still owed, also those a
// `zelvora poll` fetched; one that only prints leaves them owed.
//
// When the archive cannot be written, nothing known is forgotten: what the poll found is held here
// and written with the next transaction that succeeds, and nothing is told twice meanwhile.
class PollRecorder
{
public:
    // What the files of older versions knew, for an archive made anew.
    struct Previous
    {
        AnnouncementList cached;
        QStringList seen;
        std::optional<Instant> lastPoll;
    };

    struct Outcome
    {
        AnnouncementList fresh;       // first seen by this poll and news
        AnnouncementList toTell;      // for a teller: everything owed and not held; otherwise `fresh`
        AnnouncementList released;    // of `toTell`, those a hold kept owed until now
        int held = 0;                 // records the hold keeps owed
        std::optional<Instant> since; // the previous successful poll
        QString problem; // empty when the archive was saved: "Can't save to …: No space left on device"
    };

    static constexpr double kOwedForSeconds = 86400; // older owed records found at a start are not told
    // With a hold, owed records are kept longer: quiet hours span a whole weekend.
    static constexpr double kHeldForSeconds = 4 * 86400;
    // Whether a teller keeps an owed record owed for now (quiet hours, a pause, a mute).
    using Hold = std::function<bool(const Announcement&)>;
    // What the poll's news owe the outputs, added to the outbox in the poll's transaction.
    using Route = std::function<QList<Outbox::Entry>(const AnnouncementList& fresh)>;

    // `teller` names the process in the archive ("tray", "watch"); empty for one that only prints.
    PollRecorder(QString directory, QString teller, std::function<Previous()> previous,
                 qint64 maxIdentifiers = AnnouncementArchive::kMaxIdentifiers);

    // `feeds`: those that answered (the records name theirs).
    Outcome record(const QList<AnnouncementArchive::Record>& fetched, const QSet<QString>& feeds, Instant now,
                   const QString& language, const Hold& hold = {}, const Route& route = {});

    QString archiveFilePath() const { return m_archive.filePath(); }
    // At the end of a run: what could not be saved so far is written if the archive takes it now.
    void flush(Instant now);
    // The newest records of the archive dated after `after` (the kept list when the cache file is gone).
    AnnouncementList recent(Instant after, int limit);
    void releaseMemory() { m_archive.releaseMemory(); }

private:
    struct Row
    {
        AnnouncementArchive::Record record;
        Instant firstSeen;
        bool owed = false;
    };

    bool ensureOpen();
    void importPrevious(Instant now);
    NewsRule::Context context(const QString& feed, const QString& language);
    bool write(const QList<Row>& rows, const QList<Outbox::Entry>& deliveries,
               const QList<AnnouncementArchive::Record>& updates, const QSet<QString>& feeds, Instant now,
               const QString& language, const Hold& hold, AnnouncementList* owed, QStringList* held);
    bool writeUnsaved(const QList<Row>& rows, const QList<Outbox::Entry>& deliveries, Instant now);

    AnnouncementArchive m_archive;
    QString m_teller;
    std::function<Previous()> m_previous;
    bool m_started = false;

    // Held while the archive cannot be written.
    QList<Row> m_unsaved;
    QList<Outbox::Entry> m_unsavedDeliveries;
    QSet<QString> m_unsavedIds;
    QStringList m_toldUnsaved;
    QSet<QString> m_toldUnsavedIds;
    QHash<QString, Instant> m_lastAnswer;   // by feed: this run's last poll it answered
    QHash<QString, QString> m_lastLanguage; // by feed
    // What the hold kept owed at the last poll (also in the archive, for the next run): only those
    // are released when it ends, not what a `zelvora poll` fetched meanwhile.
    QSet<QString> m_heldIds;
};
