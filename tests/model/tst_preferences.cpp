#include "infra/SettingsStore.h"
#include "model/Preferences.h"
#include "support/StdoutCapture.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

using namespace Qt::StringLiterals;

class TestPreferences : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

    void writeRaw(const QByteArray& bytes) { QVERIFY(writeFile(m_path, bytes)); }

private Q_SLOTS:
    void init()
    {
        m_path = m_dir.filePath(u"zelvora/settings.json"_s);
        QFile::remove(m_path);
        QFile::remove(m_path + u".corrupt"_s);
    }

    void storedValuesAndWrongTypes()
    {
        writeRaw(R"({"watchlistSymbols": ["2222", 5], "showAllAnnouncements": "maybe",
                     "notificationsEnabled": [], "language": 7, "seenAnnouncementIDs": "se_1",
                     "lastPollDate": 12345, "pollInterval": "soon", "notificationsDontAsk": {}})");
        Preferences preferences(m_path);
        QVERIFY(preferences.watchlistSymbols().isEmpty());
        QVERIFY(preferences.showAllAnnouncements() && preferences.notificationsEnabled());
        QCOMPARE(preferences.language(), u"en"_s);
        QVERIFY(preferences.seenAnnouncementIDs().isEmpty());
        QVERIFY(!preferences.lastPollDate().has_value());
        QCOMPARE(preferences.pollInterval(), 180.0);
        QVERIFY(!preferences.notificationsDontAsk());

        writeRaw(R"({"watchlistSymbols": ["2222", "2222"], "pollInterval": "600", "watchWords": 3})");
        QCOMPARE(preferences.watchlistSymbols(), QSet<QString>{u"2222"_s});
        QCOMPARE(preferences.pollInterval(), 600.0);
        QVERIFY(preferences.watchWords().isEmpty());

        // Values survive a new instance over the same file.
        preferences.setShowAllAnnouncements(false);
        const QStringList words{u"dividend"_s, u"توزيع أرباح"_s};
        preferences.setWatchWords(words);
        const Instant when = Instant::fromReferenceSeconds(818000000.5);
        preferences.setLastPollDate(when);
        const Preferences again(m_path);
        QVERIFY(!again.showAllAnnouncements());
        QCOMPARE(again.lastPollDate(), std::optional<Instant>(when));
        QCOMPARE(again.watchlist().words(), words);
        preferences.setLastPollDate(std::nullopt);
        QVERIFY(!SettingsStore(m_path).snapshot().contains(u"lastPollDate"_s));
    }

    void historyDays()
    {
        const std::pair<const char*, int> rows[] = {{"{}", 730},
                                                    {R"({"historyDays": 0})", 0}, // keeps all
                                                    {R"({"historyDays": 0.5})", 30},
                                                    {R"({"historyDays": -3})", 730},
                                                    {R"({"historyDays": "90"})", 730},
                                                    {R"({"historyDays": 90.7})", 90}};
        for (const auto& [stored, days] : rows) {
            writeRaw(stored);
            QCOMPARE(Preferences(m_path).historyDays(), days);
        }
    }

    void pollIntervalFloor()
    {
        Preferences preferences(m_path);
        QCOMPARE(preferences.pollInterval(), 180.0);
        QVERIFY(!QFile::exists(m_path)); // reading never creates the file
        preferences.setPollInterval(-5);
        QCOMPARE(preferences.pollInterval(), 180.0);
        // Below 30 s reads as 30 s, with one log line however often it is read.
        preferences.setPollInterval(0.001);
        const StdoutCapture log;
        QCOMPARE(preferences.pollInterval(), 30.0);
        preferences.setPollInterval(29.5);
        QCOMPARE(preferences.pollInterval(), 30.0);
        QCOMPARE(log.text().count(u"below 30 seconds"_s), 1);

        // A shorter floor is honoured for a portal on this machine only.
        for (const char* local : {"http://127.0.0.1:8080", "http://localhost:8080", "http://[::1]:8080"})
            QCOMPARE(Preferences::minimumPollInterval(QString::fromLatin1(local), 0.01), 0.01);
        for (const char* real : {"https://www.saudiexchange.sa", "https://127.0.0.1.evil.example"})
            QCOMPARE(Preferences::minimumPollInterval(QString::fromLatin1(real), 0.01), 30.0);
        QCOMPARE(Preferences::minimumPollInterval(u"http://127.0.0.1:8080"_s, std::nullopt), 30.0);
        preferences.setPollInterval(0.001);
        QCOMPARE(Preferences(m_path, 0.01).pollInterval(), 0.01);
    }

    // The matcher is built once for a watchlist, and again when the file changes, by anyone.
    void watchlistBuiltOncePerChange()
    {
        Preferences preferences(m_path);
        preferences.setWatchWords({u"dividend"_s, u"x"_s});
        const Watchlist first = preferences.watchlist();
        QCOMPARE(first.words(), QStringList{u"dividend"_s}); // one letter matches everything
        QCOMPARE(preferences.watchlist().words().constData(), first.words().constData());
        Preferences(m_path).changeWatchWords([](QStringList& words) { words.append(u"merger"_s); });
        QCOMPARE(preferences.watchlist().words(), (QStringList{u"dividend"_s, u"merger"_s}));
    }

    void seenSetKeepsTheNewest()
    {
        Preferences preferences(m_path);
        for (int i = 0; i < 500; ++i)
            preferences.markAsSeen(u"se_%1"_s.arg(i));
        const QByteArray before = readFile(m_path);
        preferences.markAsSeen(u"se_7"_s); // already there: nothing changes
        QCOMPARE(readFile(m_path), before);
        preferences.markAsSeen(u"se_new"_s);
        QCOMPARE(preferences.seenAnnouncementIDs().size(), 500);
        QVERIFY(preferences.hasSeen(u"se_new"_s) && preferences.hasSeen(u"se_1"_s));
        QVERIFY(!preferences.hasSeen(u"se_0"_s)); // the oldest went

        // A batch with repeats keeps what marking one by one keeps.
        QStringList ids;
        for (int i = 0; i < 620; ++i)
            ids.append(u"x%1"_s.arg(i < 600 ? i : i - 20));
        Preferences oneByOne(m_dir.filePath(u"a.json"_s));
        for (const QString& id : ids)
            oneByOne.markAsSeen(id);
        preferences.markAsSeen(ids);
        QCOMPARE(preferences.seenAnnouncementIDs(), oneByOne.seenAnnouncementIDs());
        preferences.clearSeenIDs();
        QVERIFY(preferences.seenAnnouncementIDs().isEmpty());
    }

    // Polls that each add one record to a kept list of at most 500, newest first: once the seen set is
    // full, no identifier of a record still kept may be dropped, or the next poll announces it again.
    void seenSetNeverDropsAKeptIdentifier()
    {
        Preferences preferences(m_path);
        QStringList published; // oldest first
        for (int i = 0; i < 400; ++i)
            published.append(u"p%1"_s.arg(i));
        for (int poll = 0; poll < 300; ++poll) {
            if (poll > 0)
                published.append(u"p%1"_s.arg(published.size()));
            const QStringList kept = published.mid(qMax<qsizetype>(0, published.size() - 500));
            QStringList unseen;
            for (auto it = kept.crbegin(); it != kept.crend(); ++it) // newest first, as a poll walks it
                if (!preferences.hasSeen(*it))
                    unseen.append(*it);
            QCOMPARE(unseen.size(), poll == 0 ? 400 : 1);
            preferences.markAsSeen(unseen, QSet<QString>(kept.cbegin(), kept.cend()));
        }
    }

    void outsideEditSeenAtNextRead()
    {
        Preferences preferences(m_path);
        preferences.setLanguage(u"en"_s);
        QCOMPARE(preferences.language(), u"en"_s);
        // Same size, same second: only the file's identity and nanosecond times differ.
        writeRaw(QJsonDocument(QJsonObject{{u"language"_s, u"ar"_s}}).toJson());
        QCOMPARE(preferences.language(), u"ar"_s);

        Preferences(m_path).setShowAllAnnouncements(false);
        QVERIFY(!preferences.showAllAnnouncements());
        QCOMPARE(preferences.language(), u"ar"_s); // the other's write kept what it read
    }

    void corruptFileKeptAside()
    {
        const QByteArray garbage = "{\"language\": \"ar\", oops";
        writeRaw(garbage);
        Preferences preferences(m_path);
        QCOMPARE(preferences.language(), u"en"_s);
        QCOMPARE(readFile(m_path), garbage); // not overwritten by reading
        preferences.setPollInterval(300);
        QCOMPARE(preferences.pollInterval(), 300.0);
        QCOMPARE(readFile(m_path + u".corrupt"_s), garbage);
    }

    // settings.json -> ../dotfiles/zelvora.json -> zelvora-real.json, as dotfile managers set them up:
    // the target is replaced, the links stay.
    void symbolicLinksStayLinks()
    {
        const QString dotfiles = m_dir.filePath(u"dotfiles"_s);
        QVERIFY(QDir().mkpath(dotfiles) && QDir().mkpath(QFileInfo(m_path).absolutePath()));
        const QString real = dotfiles + u"/zelvora-real.json"_s;
        QVERIFY(QFile::link(u"zelvora-real.json"_s, dotfiles + u"/zelvora.json"_s));
        QVERIFY(QFile::link(u"../dotfiles/zelvora.json"_s, m_path));

        Preferences preferences(m_path);
        preferences.setLanguage(u"ar"_s); // the target does not exist yet
        QVERIFY(QFileInfo(m_path).isSymLink() && QFileInfo(dotfiles + u"/zelvora.json"_s).isSymLink());
        QVERIFY(QFileInfo(real).isFile() && !QFileInfo(real).isSymLink());
        QCOMPARE(Preferences(real).language(), u"ar"_s);
        QCOMPARE(QFile(real).permissions() & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions());
        QCOMPARE(QDir(dotfiles).entryList(QDir::Files | QDir::System).size(), 2); // no temporary files left

        // A link that points at itself is not replaced by a regular file.
        QFile::remove(m_path);
        QVERIFY(QFile::link(m_path, m_path));
        QVERIFY(!preferences.setWatchlistSymbols({u"2222"_s}));
        QVERIFY(QFileInfo(m_path).isSymLink());
        QFile::remove(m_path);
    }

    // The README's table of keys is the settings key table, row for row.
    void readmeListsEveryKey()
    {
        const QString text = QString::fromUtf8(readFile(QStringLiteral(ZELVORA_README)));
        const qsizetype start = text.indexOf(u"| key | type | default | meaning |"_s);
        QVERIFY(start >= 0);
        const QStringList rows = text.mid(start).section(u"\n\n"_s, 0, 0).split(u'\n').mid(2);
        QCOMPARE(rows.size(), SettingsKeys::all().size());
        for (const SettingsKeys::Key& key : SettingsKeys::all()) {
            const QJsonValue value = key.defaultValue;
            const QString shown = value.isNull()     ? u"none"_s
                                  : value.isBool()   ? QString::fromLatin1(value.toBool() ? "true" : "false")
                                  : value.isDouble() ? QString::number(value.toDouble())
                                                     : value.toString();
            const QString row =
                u"| `%1` | %2 | %3 |"_s.arg(key.name, SettingsKeys::typeName(key.type), shown);
            QVERIFY2(std::any_of(rows.cbegin(), rows.cend(),
                                 [&](const QString& line) { return line.startsWith(row); }),
                     qPrintable(row));
        }
    }
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
