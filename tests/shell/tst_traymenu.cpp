#include "model/Preferences.h"
#include "shell/AnnouncementMenuItem.h"
#include "shell/AnnouncementMenuLine.h"
#include "shell/MenuCommands.h"
#include "shell/TrayMenu.h"

#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QWidgetAction>

namespace {
class RecordingCommands : public MenuCommands
{
public:
    QStringList calls;
    void menuRefreshNow() override { calls << QStringLiteral("refresh"); }
    void menuOpenSettings() override { calls << QStringLiteral("settings"); }
    void menuCheckForUpdates() override { calls << QStringLiteral("updates"); }
    void menuShowAbout() override { calls << QStringLiteral("about"); }
    void menuQuit() override { calls << QStringLiteral("quit"); }
    void menuViewAll() override { calls << QStringLiteral("viewAll"); }
    void menuOpenAnnouncement(const QVariant& object) override
    {
        calls << QStringLiteral("open:") + object.value<Announcement>().id();
    }
};

AnnouncementList makeAnnouncements(int count, const QString& symbolEvery = QString())
{
    AnnouncementList list;
    for (int i = 0; i < count; ++i) {
        const QStringList companies =
            !symbolEvery.isEmpty() && i % 2 == 0
                ? QStringList{symbolEvery}
                : QStringList{QStringLiteral("1%1").arg(i, 3, 10, QLatin1Char('0'))};
        list.append(Announcement(QStringLiteral("se_%1").arg(i), QStringLiteral("Announcement %1").arg(i),
                                 QStringLiteral("Body"), QStringLiteral("https://example.test/%1").arg(i),
                                 Instant::now().addSeconds(-60.0 * i), companies));
    }
    return list;
}

QString describe(const QAction* action)
{
    if (action->isSeparator())
        return QStringLiteral("---");
    return action->text();
}
} // namespace

class TestTrayMenu : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Preferences> m_preferences;
    RecordingCommands m_commands;

private Q_SLOTS:
    void init()
    {
        QFile::remove(m_dir.filePath(QStringLiteral("settings.json")));
        m_preferences = std::make_unique<Preferences>(m_dir.filePath(QStringLiteral("settings.json")));
        m_commands.calls.clear();
    }

    void emptyMenuTopToBottom()
    {
        TrayMenu manager(m_commands, *m_preferences, TrayMenu::ItemStyle::Drawn);
        manager.rebuild();
        QStringList items;
        for (const QAction* action : manager.menu()->actions())
            items << describe(action);
        QCOMPARE(items, (QStringList{QStringLiteral("Zelvora  Tadawul Market"), QStringLiteral("---"),
                                     QStringLiteral("Refresh Now"), QStringLiteral("Settings\u2026"),
                                     QStringLiteral("Check for Updates..."), QStringLiteral("About Zelvora"),
                                     QStringLiteral("---"), QStringLiteral("Quit"),
                                     QStringLiteral("View All (30 days)..."), QStringLiteral("---"),
                                     QStringLiteral("\U0001F4CB  Latest Announcements"),
                                     QStringLiteral("  No announcements yet \u2014 refreshing\u2026")}));
        QVERIFY(!manager.menu()->actions().first()->isEnabled());
        QVERIFY(!manager.menu()->actions().last()->isEnabled());
        QCOMPARE(manager.menu()->minimumWidth(), 420);

        const QList<QAction*> actions = manager.menu()->actions();
        QCOMPARE(actions.at(2)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
        QCOMPARE(actions.at(3)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
        QVERIFY(actions.at(4)->shortcut().isEmpty());
        QVERIFY(actions.at(5)->shortcut().isEmpty());
        QCOMPARE(actions.at(7)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
        QVERIFY(actions.at(8)->shortcut().isEmpty());

        for (int i : {2, 3, 4, 5, 7, 8})
            actions.at(i)->trigger();
        QCOMPARE(m_commands.calls, (QStringList{QStringLiteral("refresh"), QStringLiteral("settings"),
                                                QStringLiteral("updates"), QStringLiteral("about"),
                                                QStringLiteral("quit"), QStringLiteral("viewAll")}));
    }

    void latestSectionIsCappedAndTagged()
    {
        TrayMenu manager(m_commands, *m_preferences, TrayMenu::ItemStyle::Drawn);
        manager.update(makeAnnouncements(40));
        QList<int> tags;
        QList<QAction*> items;
        for (QAction* action : manager.menu()->actions()) {
            if (TrayMenu::tagOf(action) >= 0) {
                tags << TrayMenu::tagOf(action);
                items << action;
            }
        }
        QList<int> expected;
        for (int i = 100; i <= 114; ++i)
            expected << i;
        QCOMPARE(tags, expected);
        QCOMPARE(items.first()->data().value<Announcement>().id(), QStringLiteral("se_0"));
        QCOMPARE(items.last()->data().value<Announcement>().id(), QStringLiteral("se_14"));
        QCOMPARE(manager.menu()->actions().last(), items.last()); // nothing follows the last item

        items.at(3)->trigger();
        QCOMPARE(m_commands.calls, QStringList{QStringLiteral("open:se_3")});
    }

    void shortScreenGetsOneLineItemsNotColumns()
    {
        // The screen the menu opens on decides, not the one it was built for.
        int screenHeight = 100000;
        m_preferences->setWatchlistSymbols({QStringLiteral("2222")});
        TrayMenu menu(m_commands, *m_preferences, TrayMenu::ItemStyle::Drawn);
        menu.setAvailableHeight([&screenHeight] { return screenHeight; });
        // 5 watchlist and 15 latest items in full.
        menu.update(makeAnnouncements(40, QStringLiteral("2222")));
        QCOMPARE(menu.itemForm(), AnnouncementMenuItem::Form::Full);
        screenHeight = 800;
        Q_EMIT menu.menu()->aboutToShow();
        QCOMPARE(menu.itemForm(), AnnouncementMenuItem::Form::Compact);
        QVERIFY2(menu.menu()->sizeHint().height() <= screenHeight,
                 qPrintable(QString::number(menu.menu()->sizeHint().height())));
        QVERIFY(menu.menu()->style()->styleHint(QStyle::SH_Menu_Scrollable, nullptr, menu.menu()));
        QVERIFY(menu.menu()->sizeHint().width() < 2 * menu.menu()->minimumWidth()); // one column
        menu.update(makeAnnouncements(3));
        QCOMPARE(menu.itemForm(), AnnouncementMenuItem::Form::Full);
        menu.update(makeAnnouncements(40, QStringLiteral("2222")));
        QCOMPARE(menu.itemForm(), AnnouncementMenuItem::Form::Compact);
        screenHeight = 100000;
        Q_EMIT menu.menu()->aboutToShow();
        QCOMPARE(menu.itemForm(), AnnouncementMenuItem::Form::Full);
    }

    void watchlistSection()
    {
        m_preferences->setWatchlistSymbols({QStringLiteral("2222")});
        TrayMenu manager(m_commands, *m_preferences, TrayMenu::ItemStyle::Drawn);
        manager.update(makeAnnouncements(16, QStringLiteral("2222"))); // 8 matches: 0, 2, ... 14
        const QList<QAction*> actions = manager.menu()->actions();
        const int header =
            int(actions.indexOf(*std::find_if(actions.cbegin(), actions.cend(), [](QAction* a) {
                return a->text().contains(QLatin1String("Watchlist"));
            })));
        QCOMPARE(actions.at(header)->text(), QStringLiteral("\u2B50  Watchlist"));
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(TrayMenu::tagOf(actions.at(header + 1 + i)), i);
            QCOMPARE(actions.at(header + 1 + i)->data().value<Announcement>().id(),
                     QStringLiteral("se_%1").arg(2 * i));
        }
        QVERIFY(actions.at(header + 6)->isSeparator());
        QCOMPARE(actions.at(header + 7)->text(), QStringLiteral("\U0001F4CB  Latest Announcements"));

        m_preferences->setWatchlistSymbols({QStringLiteral("9999")});
        manager.update(makeAnnouncements(16, QStringLiteral("2222")));
        for (const QAction* action : manager.menu()->actions())
            QVERIFY(!action->text().contains(QLatin1String("Watchlist")));
    }

    void itemTextRuns()
    {
        const QString title53 = QString(53, QLatin1Char('x'));
        const QString description72 = QString(72, QLatin1Char('d'));
        const Announcement announcement(QStringLiteral("se_1"), title53,
                                        QStringLiteral("<b>") + description72 + QStringLiteral("</b>"),
                                        QString(), Instant::now(),
                                        {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                                         QStringLiteral("4"), QStringLiteral("5")});
        const AnnouncementMenuItem item(announcement, QStringLiteral("\U0001F4CC"));
        QCOMPARE(item.titleText(),
                 QStringLiteral("  \U0001F4CC ") + QString(52, QLatin1Char('x')) + QChar(0x2026));
        QCOMPARE(item.descriptionText(), QStringLiteral("  ") + description72);
        QCOMPARE(item.companiesText(), QStringLiteral("  [1] [2] [3]"));
        QVERIFY(!item.rightToLeft());

        const Announcement arabic(QStringLiteral("se_2"), QStringLiteral("أرامكو السعودية"), QString(),
                                  QString(), Instant::now(), {});
        const AnnouncementMenuItem arabicItem(arabic, QStringLiteral("\U0001F4CC"));
        QVERIFY(arabicItem.rightToLeft());
        QVERIFY(arabicItem.descriptionText().isEmpty());
        QVERIFY(arabicItem.companiesText().isEmpty());
        QCOMPARE(AnnouncementMenuItem::shortened(QString(52, QLatin1Char('y')), 52),
                 QString(52, QLatin1Char('y')));
    }

    void toolTipsShowTitlesAsText()
    {
        // Markup spelled with character references survives the title's clean-up; as a tooltip it
        // must stay text, or Qt would read /dev/zero when the user hovers.
        const Announcement hostile(QStringLiteral("se_1"),
                                   QStringLiteral("&#60;img src=&#34;/dev/zero&#34;&#62; <b>x</b>"), {}, {},
                                   Instant::now(), {});
        const AnnouncementMenuItem item(hostile, QStringLiteral("\U0001F4CC"));
        TrayMenu manager(m_commands, *m_preferences, TrayMenu::ItemStyle::Plain);
        manager.update({hostile});
        const QList<QAction*> actions = manager.menu()->actions();
        const auto action = std::find_if(actions.cbegin(), actions.cend(),
                                         [](QAction* a) { return TrayMenu::tagOf(a) >= 0; });
        QVERIFY(action != actions.cend());
        for (const QString& toolTip : {item.toolTip(), (*action)->toolTip()}) {
            QTextDocument shown;
            shown.setHtml(toolTip);
            QCOMPARE(shown.toPlainText(), QStringLiteral("<img src=\"/dev/zero\"> x"));
        }
    }

    void plainItemsForDBusMenuHosts()
    {
        const QString company = QStringLiteral("Arabian Energy Co.");
        const Announcement issuer(QStringLiteral("se_1"), company,
                                  company + QStringLiteral(" announces <b>a cash dividend</b> of SAR 1.50"),
                                  QString(), Instant::now(),
                                  {QStringLiteral("2222"), QStringLiteral("2030")});
        const Announcement news(QStringLiteral("se_2"), QStringLiteral("Food &amp; Beverages <i>index_2</i>"),
                                QStringLiteral("Food & Beverages index_2"), QString(), Instant::now(), {});
        TrayMenu manager(m_commands, *m_preferences, TrayMenu::ItemStyle::Plain);
        manager.update({issuer, news});
        QStringList texts;
        for (QAction* action : manager.menu()->actions()) {
            if (TrayMenu::tagOf(action) >= 0) {
                QVERIFY(!qobject_cast<QWidgetAction*>(action));
                texts << action->text();
            }
        }
        // The headline without the repeated name, the symbols, the date; markup gone, and "&" and "_"
        // escaped for the D-Bus label (Qt turns the first "&" into "_").
        const QString date = QStringLiteral("  \u00B7  ") + issuer.displayDate();
        QCOMPARE(texts,
                 (QStringList{QStringLiteral("\U0001F4B0 Arabian Energy Co. \u2014 announces a cash dividend "
                                             "of SAR 1.50  \u00B7  2222 +1") +
                                  date,
                              QStringLiteral("\U0001F4CC Food && Beverages index__2") + date}));
        QCOMPARE(
            AnnouncementMenuLine::text(Announcement(QStringLiteral("se_3"), company,
                                                    QString(300, QLatin1Char('x')), QString(), Instant(), {}),
                                       QStringLiteral("\U0001F4CC"), QString())
                .size(),
            2 + 1 + company.size() + 3 + (72 - company.size()) + 1);
    }
};

QTEST_MAIN(TestTrayMenu)
#include "tst_traymenu.moc"
