#include "model/Preferences.h"
#include "shell/AnnouncementMenuItem.h"
#include "shell/AnnouncementMenuLine.h"
#include "shell/MenuCommands.h"
#include "shell/TrayMenu.h"

#include <QApplication>
#include <QMenu>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QWidgetAction>

Q_DECLARE_METATYPE(TrayMenu::ItemStyle)

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
    void menuOpenAnnouncement(const QVariant& itemData) override
    {
        calls << QStringLiteral("open:") + itemData.value<Announcement>().id();
    }
};

// Every other announcement names `symbolEvery` when given.
AnnouncementList makeAnnouncements(int count, const QString& symbolEvery = QString())
{
    AnnouncementList list;
    for (int i = 0; i < count; ++i) {
        const QString symbol = !symbolEvery.isEmpty() && i % 2 == 0 ? symbolEvery : QString::number(1000 + i);
        list.append(Announcement(QStringLiteral("se_%1").arg(i), QStringLiteral("Announcement %1").arg(i),
                                 QStringLiteral("Body"), QStringLiteral("https://example.test/%1").arg(i),
                                 Instant::now().addSeconds(-60.0 * i), {symbol}));
    }
    return list;
}

// The announcement items, in menu order, by tag.
QList<QAction*> items(const TrayMenu& menu)
{
    QList<QAction*> found = menu.menu()->actions();
    found.removeIf([](const QAction* action) { return TrayMenu::rowOf(action) < 0; });
    return found;
}

QString idOf(const QAction* action)
{
    return action->data().value<Announcement>().id();
}

AnnouncementMenuItem* widgetOf(QAction* action)
{
    return static_cast<AnnouncementMenuItem*>(static_cast<QWidgetAction*>(action)->defaultWidget());
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

    void commandsReachTheirHandlers()
    {
        TrayMenu menu(m_commands, *m_preferences, TrayMenu::ItemStyle::Widgets);
        menu.rebuild();
        for (QAction* action : menu.menu()->actions()) {
            if (action->isEnabled() && !action->isSeparator())
                action->trigger();
        }
        QCOMPARE(m_commands.calls, (QStringList{QStringLiteral("refresh"), QStringLiteral("settings"),
                                                QStringLiteral("updates"), QStringLiteral("about"),
                                                QStringLiteral("quit"), QStringLiteral("viewAll")}));
        QVERIFY(!menu.menu()->actions().last()->isEnabled()); // "No announcements yet"
    }

    void watchlistAndLatestSections()
    {
        m_preferences->setWatchlistSymbols({QStringLiteral("2222")});
        TrayMenu menu(m_commands, *m_preferences, TrayMenu::ItemStyle::Widgets);
        menu.update(makeAnnouncements(40, QStringLiteral("2222"))); // 20 matches: 0, 2, 4, ...
        const QList<QAction*> found = items(menu);
        QCOMPARE(found.size(), 5 + 15);
        for (int i = 0; i < found.size(); ++i) { // the first five matches, then the latest fifteen
            QCOMPARE(TrayMenu::rowOf(found.at(i)), i < 5 ? i : 100 + i - 5);
            QCOMPARE(idOf(found.at(i)), QStringLiteral("se_%1").arg(i < 5 ? 2 * i : i - 5));
        }
        QCOMPARE(menu.menu()->actions().last(), found.last()); // nothing follows the last item
        found.at(6)->trigger();
        QCOMPARE(m_commands.calls, QStringList{QStringLiteral("open:se_1")});

        // No match: no watchlist section.
        m_preferences->setWatchlistSymbols({QStringLiteral("9999")});
        menu.rebuild();
        QCOMPARE(items(menu).size(), 15);
        QCOMPARE(TrayMenu::rowOf(items(menu).first()), 100);
    }

    // A poll must not rebuild the menu under the pointer; it shows the change once closed, and a
    // poll that changes nothing rebuilds nothing (the ids a tray host clicks stay valid).
    void openMenuSurvivesAPoll_data()
    {
        QTest::addColumn<TrayMenu::ItemStyle>("style");
        QTest::newRow("drawn") << TrayMenu::ItemStyle::Widgets;
        QTest::newRow("exported") << TrayMenu::ItemStyle::Text;
    }

    void openMenuSurvivesAPoll()
    {
        QFETCH(TrayMenu::ItemStyle, style);
        TrayMenu menu(m_commands, *m_preferences, style);
        const AnnouncementList kept = makeAnnouncements(5);
        menu.update(kept);
        const QList<QAction*> before = menu.menu()->actions();
        menu.update(kept);
        QCOMPARE(menu.menu()->actions(), before);

        menu.menu()->popup(QPoint(10, 10));
        QTRY_VERIFY(menu.isOpen());
        const AnnouncementList polled = makeAnnouncements(6);
        menu.update(polled);
        menu.setNotWatchingReason(QStringLiteral("Can't reach"));
        QCOMPARE(menu.menu()->actions(), before);

        menu.menu()->hide();
        QTRY_COMPARE(items(menu).size(), 6);
        QCOMPARE(menu.menu()->actions().at(1)->text(), QStringLiteral("\u26A0  Not watching: Can't reach"));
    }

    // The shortcuts the open menu shows act there (Qt fires none for a stand-alone pop-up).
    void shortcutsWorkInTheOpenMenu_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("command");
        QTest::newRow("Ctrl+R") << int(Qt::Key_R) << QStringLiteral("refresh");
        QTest::newRow("Ctrl+,") << int(Qt::Key_Comma) << QStringLiteral("settings");
        QTest::newRow("Ctrl+Q") << int(Qt::Key_Q) << QStringLiteral("quit");
    }

    void shortcutsWorkInTheOpenMenu()
    {
        QFETCH(int, key);
        TrayMenu menu(m_commands, *m_preferences, TrayMenu::ItemStyle::Widgets);
        menu.update(makeAnnouncements(3));
        menu.menu()->popup(QPoint(10, 10));
        QVERIFY(QTest::qWaitForWindowExposed(menu.menu()));
        QTest::keyClick(menu.menu(), Qt::Key(key), Qt::ControlModifier);
        QTEST(m_commands.calls.join(QLatin1Char(' ')), "command");
        QVERIFY(!menu.menu()->isVisible());
    }

    // However the keyboard and the pointer moved, one item is highlighted and Return opens it.
    void oneHighlightedItem()
    {
        TrayMenu menu(m_commands, *m_preferences, TrayMenu::ItemStyle::Widgets);
        menu.update(makeAnnouncements(15));
        menu.menu()->popup(QPoint(10, 10));
        QVERIFY(QTest::qWaitForWindowExposed(menu.menu()));
        const auto highlighted = [&menu] {
            QStringList ids;
            for (QAction* action : items(menu)) {
                if (widgetOf(action)->highlighted())
                    ids << idOf(action);
            }
            return ids;
        };
        Q_EMIT widgetOf(items(menu).at(4))->entered(); // the pointer passes over the fifth
        for (int i = 0; i < 10; ++i)
            QTest::keyClick(menu.menu(), Qt::Key_Down);
        QCOMPARE(highlighted().size(), 1);
        QTest::keyClick(menu.menu(), Qt::Key_Return);
        QCOMPARE(m_commands.calls, QStringList{QStringLiteral("open:") + highlighted().first()});
    }

    void trayMenuIsBuiltWhenItOpens()
    {
        // Nothing of the drawn menu is made until it opens, and it opens with the latest change (the
        // end-to-end run reads the exported one, which is always built).
        TrayMenu menu(m_commands, *m_preferences, TrayMenu::ItemStyle::Widgets);
        menu.setBuildWhenShown(true);
        menu.update(makeAnnouncements(3));
        QVERIFY(menu.menu()->actions().isEmpty());
        Q_EMIT menu.menu()->aboutToShow();
        QCOMPARE(items(menu).size(), 3);
        Q_EMIT menu.menu()->aboutToHide();
        menu.update(makeAnnouncements(5));
        QCOMPARE(items(menu).size(), 3);
        Q_EMIT menu.menu()->aboutToShow();
        QCOMPARE(items(menu).size(), 5);
    }

    void shortScreenGetsOneLineItemsNotColumns()
    {
        // The screen the menu opens on decides, not the one it was built for.
        int screenHeight = 100000;
        m_preferences->setWatchlistSymbols({QStringLiteral("2222")});
        TrayMenu menu(m_commands, *m_preferences, TrayMenu::ItemStyle::Widgets);
        menu.setAvailableHeight([&screenHeight] { return screenHeight; });
        menu.update(makeAnnouncements(40, QStringLiteral("2222")));
        QCOMPARE(menu.itemForm(), AnnouncementMenuItem::Form::Full);
        screenHeight = 800;
        Q_EMIT menu.menu()->aboutToShow();
        QCOMPARE(menu.itemForm(), AnnouncementMenuItem::Form::Compact);
        Q_EMIT menu.menu()->aboutToHide();
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

    // Whatever font a row's glyphs fall back to (colour emoji, outline symbols, Arabic), its title
    // stands on the same baseline as every other row's, and the emoji keeps its colours.
    void rowsShareOneBaselineAndColourEmoji_data()
    {
        QTest::addColumn<QString>("emoji");
        QTest::addColumn<QString>("title");
        QTest::newRow("coins") << QStringLiteral("\U0001F4B0") << QStringLiteral("xxxx Co.");
        QTest::newRow("scales, text-style by default")
            << QStringLiteral("\u2696\uFE0F") << QStringLiteral("xxxx Co.");
        QTest::newRow("Arabic in the title")
            << QStringLiteral("\U0001F4CA") << QStringLiteral("xxxx \u0634\u0631\u0643\u0629");
    }

    void rowsShareOneBaselineAndColourEmoji()
    {
        QFETCH(QString, emoji);
        QFETCH(QString, title);
        const auto render = [](const QString& emoji, const QString& title) {
            AnnouncementMenuItem item(Announcement(QStringLiteral("se_1"), title, {}, {}, Instant::now(), {}),
                                      emoji, QStringLiteral("2:05 PM"));
            item.resize(item.sizeHint());
            return item.grab().toImage();
        };
        // The lowest row with ink in the first letters of the title ("xxxx" has no descenders).
        const auto baseline = [](const QImage& image) {
            const QRgb background = image.pixel(image.width() - 1, 0);
            for (int y = image.height() - 1; y >= 0; --y) {
                for (int x = 34; x < 60; ++x) {
                    if (image.pixel(x, y) != background)
                        return y;
                }
            }
            return -1;
        };
        const QImage reference = render(QStringLiteral("\U0001F4CC"), QStringLiteral("xxxx"));
        const QImage row = render(emoji, title);
        QCOMPARE(baseline(row), baseline(reference));
        bool coloured = false;
        for (int y = 0; y < row.height() && !coloured; ++y) {
            for (int x = 0; x < 30 && !coloured; ++x)
                coloured = QColor(row.pixel(x, y)).hsvSaturation() > 120;
        }
        QVERIFY2(coloured, "the emoji is drawn without its colours");
    }

    void toolTipsShowTitlesAsText()
    {
        // Markup spelled with character references survives the title's clean-up; as a tooltip it
        // must stay text, or Qt would read /dev/zero when the user hovers.
        const Announcement hostile(QStringLiteral("se_1"),
                                   QStringLiteral("&#60;img src=&#34;/dev/zero&#34;&#62; <b>x</b>"), {}, {},
                                   Instant::now(), {});
        const AnnouncementMenuItem item(hostile, QStringLiteral("\U0001F4CC"), QStringLiteral("2:05 PM"));
        TrayMenu menu(m_commands, *m_preferences, TrayMenu::ItemStyle::Text);
        menu.update({hostile});
        for (const QString& toolTip : {item.toolTip(), items(menu).first()->toolTip()}) {
            QTextDocument shown;
            shown.setHtml(toolTip);
            QCOMPARE(shown.toPlainText(), QStringLiteral("<img src=\"/dev/zero\"> x"));
        }
    }

    // The company's name is taken off the headline where it stands near the start, in either language.
    void headlineWithoutTheCompany_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("headline");
        QTest::newRow("Arabic, after the verb and 'company'") << "المراعي"
                                                              << "تعلن شركة المراعي عن توزيع أرباح"
                                                              << "تعلن عن توزيع أرباح";
        QTest::newRow("Arabic, after the verb") << "المراعي"
                                                << "تعلن المراعي النتائج المالية"
                                                << "تعلن النتائج المالية";
        QTest::newRow("named late: kept") << "Almarai"
                                          << "Tadawul announces the addition of Almarai to the index"
                                          << "Tadawul announces the addition of Almarai to the index";
    }

    void headlineWithoutTheCompany()
    {
        QFETCH(QString, title);
        QFETCH(QString, description);
        const Announcement announcement(QStringLiteral("se_1"), title, description, {}, Instant::now(), {});
        QTEST(AnnouncementMenuLine::headline(announcement), "headline");
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
        TrayMenu menu(m_commands, *m_preferences, TrayMenu::ItemStyle::Text);
        menu.update({issuer, news});
        QStringList texts;
        for (QAction* action : items(menu)) {
            QVERIFY(!qobject_cast<QWidgetAction*>(action));
            texts << action->text();
        }
        // The headline without the repeated name, the symbols, the date; markup gone, and "&" and "_"
        // escaped for the D-Bus label (Qt turns the first "&" into "_").
        const QString date = QStringLiteral("  \u00B7  ") + issuer.displayDate();
        QCOMPARE(texts,
                 (QStringList{QStringLiteral("\U0001F4B0 Arabian Energy Co. \u2014 announces a cash dividend "
                                             "of SAR 1.50  \u00B7  2222 +1") +
                                  date,
                              QStringLiteral("\U0001F4CC Food && Beverages index__2") + date}));
    }
};

QTEST_MAIN(TestTrayMenu)
#include "tst_traymenu.moc"
