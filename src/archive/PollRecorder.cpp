#include "archive/PollRecorder.h"

#include "infra/LogCategories.h"

#include <QFile>
#include <algorithm>

namespace {
const QString kLastPoll = QStringLiteral("lastPoll");
const QString kLastLanguage = QStringLiteral("lastLanguage");
const QString kBaseline = QStringLiteral("baseline");
const QString kHeldIds = QStringLiteral("heldIds");
} // namespace

PollRecorder::PollRecorder(QString directory, QString teller, std::function<Previous()> previous,
                           qint64 maxIdentifiers)
    : m_archive(std::move(directory), maxIdentifiers), m_teller(std::move(teller)),
      m_previous(std::move(previous))
{
}

bool PollRecorder::ensureOpen()
{
    // Deleted under the running program: made anew from the older files, as at an upgrade.
    if (m_archive.isOpen() && !QFile::exists(m_archive.filePath()))
        m_archive.close();
    if (m_archive.isOpen())
        return true;
    if (!m_archive.open())
        return false;
    return true;
}

void PollRecorder::importPrevious(Instant now)
{
    const Previous previous = m_previous ? m_previous() : Previous();
    if (previous.cached.isEmpty() && previous.seen.isEmpty())
        return; // a new user: the first poll is the baseline
    if (!m_archive.begin())
        return;
    bool ok = true;
    for (const Announcement& announcement : previous.cached)
        ok = ok && m_archive.insert({announcement, {}, {}}, now, false);
    for (const QString& id : previous.seen)
        ok = ok && m_archive.insertKnownId(id, now);
    if (previous.lastPoll)
        ok = ok && m_archive.setMeta(kLastPoll, previous.lastPoll->referenceSeconds());
    ok = ok && m_archive.setMeta(kBaseline, 1.0) && m_archive.commit();
    if (!ok) {
        m_archive.rollback();
        return;
    }
    qCInfo(lcArchive, "Archive made from the cache file and the seen set (%d records, %d identifiers)",
           int(previous.cached.size()), int(previous.seen.size()));
}

// The last poll the feed answered: a feed that failed for hours brings what it published meanwhile.
NewsRule::Context PollRecorder::context(const QString& feed, const QString& language)
{
    NewsRule::Context context;
    if (m_archive.isOpen()) {
        context.baselineDone = m_archive.meta(kBaseline).has_value();
        auto stored = m_archive.meta(kLastPoll + QLatin1Char('.') + feed);
        if (!stored) // made from the older files, which know one last poll
            stored = m_archive.meta(kLastPoll);
        if (stored)
            context.lastPoll = Instant::fromReferenceSeconds(*stored);
        if (const QString last = m_archive.metaText(kLastLanguage + QLatin1Char('.') + feed); !last.isEmpty())
            m_lastLanguage.insert(feed, last);
    }
    // What this run knows and could not save counts too.
    if (const auto mine = m_lastAnswer.constFind(feed); mine != m_lastAnswer.constEnd()) {
        if (!context.lastPoll || *context.lastPoll < *mine)
            context.lastPoll = *mine;
    }
    context.baselineDone = context.baselineDone || !m_lastAnswer.isEmpty();
    // Per feed: one that failed since the switch still last answered in the other language.
    const QString lastLanguage = m_lastLanguage.value(feed);
    context.languageChanged = !lastLanguage.isEmpty() && lastLanguage != language;
    return context;
}

AnnouncementList PollRecorder::recent(Instant after, int limit)
{
    return ensureOpen() ? m_archive.recent(after, limit) : AnnouncementList();
}

PollRecorder::Outcome PollRecorder::record(const QList<AnnouncementArchive::Record>& fetched,
                                           const QSet<QString>& feeds, Instant now, const QString& language,
                                           const Hold& hold, const Route& route)
{
    const bool wasOpen = m_archive.isOpen() && QFile::exists(m_archive.filePath());
    const bool readable = ensureOpen();
    if (readable && !wasOpen && m_archive.created())
        importPrevious(now);
    QHash<QString, NewsRule::Context> rules;
    Outcome outcome;
    for (const QString& feed : std::as_const(feeds)) {
        rules.insert(feed, context(feed, language));
        const std::optional<Instant> last = rules.value(feed).lastPoll;
        if (last && (!outcome.since || *outcome.since < *last))
            outcome.since = last;
    }
    QList<Row> rows;
    QList<AnnouncementArchive::Record> updates;
    for (const AnnouncementArchive::Record& record : fetched) {
        const Announcement& fetchedCopy = record.announcement;
        if (m_unsavedIds.contains(fetchedCopy.id()))
            continue;
        const std::optional<bool> same = readable ? m_archive.stored(record) : std::nullopt;
        switch (NewsRule::judge(rules.value(record.feed), same.has_value(), fetchedCopy.pubDate())) {
        case NewsRule::Verdict::Known:
            // Unchanged records are not written again.
            if (!*same)
                updates.append(record);
            break;
        case NewsRule::Verdict::News:
            rows.append({record, now, true});
            outcome.fresh.append(fetchedCopy);
            break;
        case NewsRule::Verdict::Baseline:
        case NewsRule::Verdict::Silent:
            rows.append({record, now, false});
            break;
        }
        m_unsavedIds.insert(fetchedCopy.id()); // also guards a record listed twice in one poll
    }

    const QList<Outbox::Entry> deliveries =
        route && !outcome.fresh.isEmpty() ? route(outcome.fresh) : QList<Outbox::Entry>();
    // Read before this poll's write replaces it.
    QSet<QString> wasHeld = m_heldIds;
    if (readable) {
        const QStringList stored = m_archive.metaText(kHeldIds).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        wasHeld.unite(QSet<QString>(stored.cbegin(), stored.cend()));
    }
    AnnouncementList owed;
    QStringList heldNow;
    if (readable && write(rows, deliveries, updates, feeds, now, language, hold, &owed, &heldNow)) {
        outcome.held = int(heldNow.size());
        m_heldIds = QSet<QString>(heldNow.cbegin(), heldNow.cend());
        m_unsaved.clear();
        m_unsavedDeliveries.clear();
        m_unsavedIds.clear();
        m_toldUnsaved.clear();
        m_toldUnsavedIds.clear();
        outcome.toTell = m_teller.isEmpty() ? outcome.fresh : owed;
    } else {
        outcome.problem =
            QStringLiteral("Can't save to %1: %2").arg(m_archive.filePath(), m_archive.errorText());
        m_unsaved += rows;
        m_unsavedDeliveries += deliveries;
        if (!m_teller.isEmpty())
            m_heldIds.clear(); // known again below
        if (m_teller.isEmpty()) {
            outcome.toTell = outcome.fresh;
        } else {
            const AnnouncementList stillOwed = readable ? m_archive.owed() : AnnouncementList();
            for (const AnnouncementList* list :
                 {&stillOwed, static_cast<const AnnouncementList*>(&outcome.fresh)}) {
                for (const Announcement& announcement : *list) {
                    if (m_toldUnsavedIds.contains(announcement.id()))
                        continue;
                    if (hold && hold(announcement)) {
                        ++outcome.held;
                        m_heldIds.insert(announcement.id());
                        continue;
                    }
                    m_toldUnsavedIds.insert(announcement.id());
                    m_toldUnsaved.append(announcement.id());
                    outcome.toTell.append(announcement);
                }
            }
        }
        // Opened afresh at the next poll: a connection that failed to write may hold a stale view, and
        // a damaged file is moved aside then.
        m_archive.close();
    }
    for (const Announcement& announcement : std::as_const(outcome.toTell)) {
        if (wasHeld.contains(announcement.id()))
            outcome.released.append(announcement);
    }
    for (const QString& feed : std::as_const(feeds)) {
        m_lastAnswer.insert(feed, now);
        m_lastLanguage.insert(feed, language);
    }
    m_started = true;
    return outcome;
}

bool PollRecorder::write(const QList<Row>& rows, const QList<Outbox::Entry>& deliveries,
                         const QList<AnnouncementArchive::Record>& updates, const QSet<QString>& feeds,
                         Instant now, const QString& language, const Hold& hold, AnnouncementList* owed,
                         QStringList* held)
{
    if (!m_archive.begin())
        return false;
    bool ok = writeUnsaved(rows, deliveries, now);
    for (const AnnouncementArchive::Record& record : updates)
        ok = ok && m_archive.update(record);
    if (!m_teller.isEmpty()) {
        if (!m_started)
            ok = ok && m_archive.dropOwedBefore(now.addSeconds(hold ? -kHeldForSeconds : -kOwedForSeconds));
        if (ok)
            *owed = m_archive.owed();
        if (hold) {
            const auto firstHeld = std::stable_partition(owed->begin(), owed->end(),
                                                         [&hold](const Announcement& a) { return !hold(a); });
            for (auto it = firstHeld; it != owed->end(); ++it)
                held->append(it->id());
            owed->erase(firstHeld, owed->end());
        }
        ok = ok && m_archive.setMeta(kHeldIds, held->join(QLatin1Char(' ')));
        QStringList ids;
        for (const Announcement& announcement : std::as_const(*owed))
            ids.append(announcement.id());
        ok = ok && m_archive.markTold(ids, now, m_teller);
    }
    for (const QString& feed : feeds)
        ok = ok && m_archive.setMeta(kLastPoll + QLatin1Char('.') + feed, now.referenceSeconds()) &&
             m_archive.setMeta(kLastLanguage + QLatin1Char('.') + feed, language);
    ok = ok && m_archive.setMeta(kLastPoll, now.referenceSeconds()) && m_archive.setMeta(kBaseline, 1.0) &&
         (rows.isEmpty() || m_archive.enforceCap()) && m_archive.commit();
    if (!ok)
        m_archive.rollback();
    return ok;
}

bool PollRecorder::writeUnsaved(const QList<Row>& rows, const QList<Outbox::Entry>& deliveries, Instant now)
{
    bool ok = true;
    for (const QList<Row>* list : {static_cast<const QList<Row>*>(&m_unsaved), &rows}) {
        for (const Row& row : *list)
            ok = ok && m_archive.insert(row.record, row.firstSeen, row.owed);
    }
    Outbox outbox(m_archive);
    ok = ok && outbox.add(m_unsavedDeliveries, now) && outbox.add(deliveries, now);
    return ok && (m_teller.isEmpty() || m_archive.markTold(m_toldUnsaved, now, m_teller));
}

void PollRecorder::flush(Instant now)
{
    if ((m_unsaved.isEmpty() && m_toldUnsaved.isEmpty()) || !ensureOpen() || !m_archive.begin())
        return;
    if (writeUnsaved({}, {}, now) && m_archive.commit())
        qCInfo(lcArchive, "Saved what was held since the archive could not be written");
    else
        m_archive.rollback();
}
