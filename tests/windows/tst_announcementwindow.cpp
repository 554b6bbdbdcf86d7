// The announcement window: its bar without the web engine, then its page in the engine (one engine
// start for all), which runs no script and reaches nothing but the portal.
#include "TestData.h"
#include "model/AnnouncementPage.h"
#include "support/LoopbackHttpServer.h"
#include "support/RecordingUrlOpener.h"
#include "windows/AnnouncementWebPage.h"
#include "windows/AnnouncementWindow.h"
#include "windows/SavedGeometry.h"
#include "windows/TagLabel.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineScript>
#include <QWebEngineView>

using namespace Qt::StringLiterals;

namespace {
// Records every navigation the page is asked to make and what it answered.
class RecordingPage : public AnnouncementWebPage
{
public:
    using AnnouncementWebPage::AnnouncementWebPage;
    QList<std::pair<QUrl, bool>> requests; // and whether each was accepted
    bool ask(const QUrl& url, NavigationType type) { return acceptNavigationRequest(url, type, true); }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override
    {
        const bool accepted = AnnouncementWebPage::acceptNavigationRequest(url, type, isMainFrame);
        requests.append({url, accepted});
        return accepted;
    }
};

// Waits for an answer the page gives through a callback.
template <typename Result, typename Ask> Result answer(Ask ask)
{
    Result result{};
    bool done = false;
    ask([&](const Result& value) {
        result = value;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 30000))
        qWarning("no answer from the page");
    return result;
}

QString pageHtml(QWebEnginePage* page)
{
    return answer<QString>([page](const auto& done) { page->toHtml(done); });
}

QVariant evaluate(QWebEnginePage* page, const QString& script)
{
    return answer<QVariant>(
        [&](const auto& done) { page->runJavaScript(script, QWebEngineScript::ApplicationWorld, done); });
}

// Whether `server` was asked for `path`.
bool asked(const LoopbackHttpServer& server, const QByteArray& path)
{
    const auto requests = server.requests();
    return std::any_of(requests.cbegin(), requests.cend(),
                       [&path](const LoopbackHttpServer::Request& r) { return r.path == path; });
}

// Shows the window and waits until its page has loaded; the spy stays for later loads.
bool showLoaded(AnnouncementWindow& window, std::unique_ptr<QSignalSpy>& ready)
{
    ready = std::make_unique<QSignalSpy>(&window, &AnnouncementWindow::pageReady);
    window.show();
    return ready->wait(60000) && ready->last().first().toBool();
}

const QString kScripted =
    QStringLiteral("<p id=\"probe\">idle</p>"
                   "<script>document.getElementById('probe').setAttribute('data-ran', 'yes');</script>"
                   "<img src=\"missing:\" onerror=\"document.body.setAttribute('data-onerror', 'yes')\">");
} // namespace

class TestAnnouncementWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    RecordingUrlOpener m_opener;

    AnnouncementWindow::Services services() { return TestData::services(m_opener, m_dir.path()); }

private Q_SLOTS:
    // Without being shown: no web engine yet.
    void titleTagsAndDateAgreeWithThePage()
    {
        const QStringList six{"2221", "2222", "2223", "2224", "2225", "2226"};
        const Announcement announcement =
            TestData::announcement(u"se_1"_s, u"Dividend &amp; <b>more</b>"_s, six);
        AnnouncementWindow window(announcement, services());
        QCOMPARE(window.windowTitle(), u"Dividend & more"_s); // as text, like everywhere
        QVERIFY(!window.webView());
        // Four tags in the bar, all six on the page.
        QCOMPARE(window.tags().size(), 4);
        QCOMPARE(window.tags().last()->text(), six.at(3));
        QCOMPARE(window.buildHTML().count(u"class=\"company-tag\""_s), 6);
        QCOMPARE(window.dateLabel()->text(), AnnouncementPage::dateText(announcement.pubDate()));
        QVERIFY(window.buildHTML().contains(u"<span class=\"date\">"_s + window.dateText() + "</span>"));
    }

    void buttonsOpenOnlyWebAddresses()
    {
        const QUrl portal(u"https://portal.example.test"_s);
        const QString link = u"https://www.saudiexchange.sa/wps/portal/notice?id=7"_s;
        for (const QString& each : {link, u"::not a link"_s, QString(), u"file:///etc/passwd"_s}) {
            RecordingUrlOpener opener;
            AnnouncementWindow window(TestData::announcement(u"x"_s, u"t"_s, {}, {}, each),
                                      TestData::services(opener, m_dir.path()));
            QTest::mouseClick(window.openSourceButton(), Qt::LeftButton);
            QTest::mouseClick(window.openInTadawulButton(), Qt::LeftButton);
            QCOMPARE(opener.opened(), (each == link ? QList<QUrl>{QUrl(link), portal} : QList<QUrl>{portal}));
        }
    }

    // Every announcement window's frame is saved under one name.
    void framesShareOneName()
    {
        AnnouncementWindow first(TestData::announcement(u"a"_s, u"A"_s), services());
        first.setGeometry(QRect(60, 50, 500, 400));
        first.savedGeometry()->saveNow();
        AnnouncementWindow second(TestData::announcement(u"b"_s, u"B"_s), services());
        QCOMPARE(second.geometry(), QRect(60, 50, 500, 400));
    }

    void scriptsInTheDescriptionDoNotRun()
    {
        // The probe works: with scripts on, both the script and the handler run.
        QWebEnginePage scripted;
        QSignalSpy scriptedLoaded(&scripted, &QWebEnginePage::loadFinished);
        scripted.setHtml(u"<html><body>"_s + kScripted + u"</body></html>"_s);
        QVERIFY(scriptedLoaded.wait(60000));
        QTRY_VERIFY_WITH_TIMEOUT(pageHtml(&scripted).contains(u"data-onerror=\"yes\""_s), 30000);
        QVERIFY(pageHtml(&scripted).contains(u"data-ran=\"yes\""_s));

        AnnouncementWindow window(TestData::announcement(u"se_1"_s, u"Scripted"_s, {}, kScripted),
                                  services());
        std::unique_ptr<QSignalSpy> ready;
        QVERIFY(showLoaded(window, ready));
        const QString html = pageHtml(window.webView()->page());
        QVERIFY(html.contains(u">idle</p>"_s));
        QVERIFY(!html.contains(u"data-ran=\"yes\""_s));
        QVERIFY(!html.contains(u"data-onerror=\"yes\""_s));
        // The link is not on this window's portal: relative addresses resolve against the portal.
        QCOMPARE(evaluate(window.webView()->page(), u"document.baseURI"_s).toString(),
                 u"https://portal.example.test/"_s);

        // Hidden (minimised, say) and shown again: the same page, not loaded a second time.
        QWebEngineView* view = window.webView();
        window.hide();
        window.show();
        QCOMPARE(window.webView(), view);
        QCOMPARE(ready->size(), 1);
    }

    void closingDropsThePageAndReopeningRestoresIt()
    {
        const QString description = u"<p style=\"height: 4000px\">tall</p><p>end</p>"_s;
        AnnouncementWindow window(TestData::announcement(u"se_3"_s, u"Tall"_s, {}, description), services());
        std::unique_ptr<QSignalSpy> ready;
        window.setGeometry(QRect(40, 30, 600, 420));
        QVERIFY(showLoaded(window, ready));
        evaluate(window.webView()->page(), u"window.scrollTo(0, 1500)"_s);
        QTRY_COMPARE_WITH_TIMEOUT(window.webView()->page()->scrollPosition().y(), 1500.0, 30000);

        window.close();
        QVERIFY(!window.webView());
        QVERIFY(window.findChildren<QWebEnginePage*>().isEmpty());
        QTRY_VERIFY(!window.windowHandle()); // the native window and its drawing context go too

        QVERIFY(showLoaded(window, ready));
        QCOMPARE(window.geometry(), QRect(40, 30, 600, 420));
        QTRY_COMPARE_WITH_TIMEOUT(window.webView()->page()->scrollPosition().y(), 1500.0, 30000);
        QCOMPARE(evaluate(window.webView()->page(), u"document.querySelector('h1').textContent"_s).toString(),
                 u"Tall"_s);
    }

    void aDescriptionLargerThanTwoMegabytesStillShows()
    {
        const QString description =
            u"<p>"_s + u"x "_s.repeated(1600 * 1024) + u"</p><p id=\"end\">The end</p>"_s;
        AnnouncementWindow window(TestData::announcement(u"se_2"_s, u"Large"_s, {u"2222"_s}, description),
                                  services());
        std::unique_ptr<QSignalSpy> ready;
        QVERIFY(showLoaded(window, ready));
        QWebEnginePage* page = window.webView()->page();
        QCOMPARE(evaluate(page, u"document.getElementById('end').textContent"_s).toString(), u"The end"_s);
        QCOMPARE(evaluate(page, u"document.querySelector('.content').textContent.length"_s).toInt(),
                 1600 * 1024 * 2 + 7);
    }

    // What the page answers each kind of move; a meta refresh in a real page is below.
    void thePageMovesOnlyToWebAddresses()
    {
        QWebEngineView view;
        auto* page = new RecordingPage(&m_opener, QUrl(u"https://www.saudiexchange.sa"_s), &view);
        view.setPage(page);
        QSignalSpy loaded(page, &QWebEnginePage::loadFinished);
        // An announcement whose link leaves the portal: its host is not the window's own.
        page->loadDocument(u"<p>x</p>"_s, QUrl(u"https://evil.example/a"_s));
        QVERIFY(loaded.wait(60000));
        // Clicked: on the portal inside the window, elsewhere in the browser. Automatic moves of the
        // main frame are refused, wherever they lead.
        using Page = QWebEnginePage;
        const struct
        {
            const char* url;
            Page::NavigationType type;
            bool accepted;
        } cases[] = {
            {"https://www.saudiexchange.sa/b", Page::NavigationTypeLinkClicked, true},
            {"https://www.saudiexchange.sa/c", Page::NavigationTypeRedirect, true}, // the click's own
            {"https://evil.example/d", Page::NavigationTypeRedirect, false},
            {"https://evil.example/a2", Page::NavigationTypeLinkClicked, false},
            {"http://www.saudiexchange.sa/b", Page::NavigationTypeLinkClicked, false},
            {"http://127.0.0.1:9/", Page::NavigationTypeLinkClicked, false},
            {"https://www.saudiexchange.sa/e", Page::NavigationTypeRedirect, false},
            {"https://www.saudiexchange.sa/e", Page::NavigationTypeOther, false},
            {"https://www.saudiexchange.sa/e", Page::NavigationTypeTyped, false},
            {"file:///etc/passwd", Page::NavigationTypeLinkClicked, false},
            {"mailto:a@b.c", Page::NavigationTypeLinkClicked, false},
            {"zoommtg://join", Page::NavigationTypeLinkClicked, false},
            {"data:text/html,x", Page::NavigationTypeTyped, false},
            {"data:text/html,x", Page::NavigationTypeBackForward, true}};
        for (const auto& c : cases)
            QVERIFY2(page->ask(QUrl(QString::fromLatin1(c.url)), c.type) == c.accepted, c.url);
        QCOMPARE(m_opener.opened(),
                 (QList<QUrl>{QUrl(u"https://evil.example/d"_s), QUrl(u"https://evil.example/a2"_s),
                              QUrl(u"http://www.saudiexchange.sa/b"_s), QUrl(u"http://127.0.0.1:9/"_s)}));
    }

    // A description that names a third party (on 127.0.0.2) every way a page can reach it, in an
    // announcement whose link is on that host too: only the portal is asked for anything.
    void theDescriptionReachesOnlyThePortal()
    {
        LoopbackHttpServer third({}, "127.0.0.2");
        LoopbackHttpServer portal;
        const QString t = QString::fromUtf8(third.origin());
        const QString description =
            QStringLiteral(
                "<base href=\"T/\"><img src=\"rel.png\"><img src=\"P/abs.png\">"
                "<img src=\"T/img.png\"><img srcset=\"T/srcset.png 2x\">"
                "<picture><source srcset=\"T/picture.png\"><img src=\"T/fallback.png\"></picture>"
                "<link rel=\"stylesheet\" href=\"T/style.css\"><link rel=\"prefetch\" href=\"T/prefetch\">"
                "<link rel=\"icon\" href=\"T/icon.png\"><link rel=\"preconnect\" href=\"T\">"
                "<style>@import url(\"T/import.css\"); .x { background: url(\"T/bg.png\") }"
                " @font-face { font-family: f; src: url(\"T/font.woff\") } .x { font-family: f }</style>"
                "<div class=\"x\">text</div><svg><image href=\"T/svg.png\" width=\"9\" height=\"9\"/></svg>"
                "<video src=\"T/video.mp4\" poster=\"T/poster.png\" preload=\"auto\"></video>"
                "<audio src=\"T/audio.mp3\" preload=\"auto\"></audio>"
                "<iframe src=\"T/frame.html\"></iframe><IFRAME srcdoc=\"<img src='T/srcdoc.png'>\"></IFRAME>"
                "<frameset><frame src=\"T/frame2.html\"></frameset>"
                "<object data=\"T/object.html\"></object><embed src=\"T/embed.swf\">")
                .replace(u'T', t)
                .replace(u"P/"_s, QString::fromUtf8(portal.url("/")));
        AnnouncementWindow::Services services = this->services();
        services.portalOrigin = QUrl(QString::fromUtf8(portal.origin()));
        AnnouncementWindow window(
            TestData::announcement(u"se_4"_s, u"Hostile"_s, {}, description, t + u"/news/1"_s), services);
        std::unique_ptr<QSignalSpy> ready;
        QVERIFY(showLoaded(window, ready));
        QTRY_VERIFY_WITH_TIMEOUT(asked(portal, "/rel.png") && asked(portal, "/abs.png"), 30000);
        QWebEnginePage* page = window.webView()->page();
        QCOMPARE(evaluate(page, u"document.baseURI"_s).toString(), QString::fromUtf8(portal.url("/")));
        QCOMPARE(
            evaluate(page, QStringLiteral("document.querySelectorAll('base,link,iframe,frame,object,embed')"
                                          ".length"))
                .toInt(),
            0);
        QTest::qWait(1000); // media and fonts load late; none of it may reach the third party
        QCOMPARE(third.count(), 0);
    }

    void aMetaRefreshIsRefusedAndImagesStillLoad()
    {
        LoopbackHttpServer portal([](const httplib::Request&, httplib::Response& response) {
            response.set_content("<p>moved</p>", "text/html");
        });
        QWebEngineView view;
        auto* page = new RecordingPage(&m_opener, QUrl(QString::fromUtf8(portal.origin())), &view);
        view.setPage(page);
        const QUrl home(QString::fromUtf8(portal.url("/news/page")));
        QSignalSpy loaded(page, &QWebEnginePage::loadFinished);
        page->loadDocument(
            QStringLiteral("<html><head><meta http-equiv=\"refresh\" content=\"0; url=/moved\">"
                           "</head><body><img src=\"pic.png\"></body></html>"),
            home);
        QVERIFY(loaded.wait(60000));
        const std::pair refused{QUrl(QString::fromUtf8(portal.url("/moved"))), false};
        QTRY_VERIFY_WITH_TIMEOUT(page->requests.contains(refused), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(asked(portal, "/news/pic.png"), 30000); // resolved against the link
        QVERIFY(!asked(portal, "/moved"));
        QCOMPARE(page->url(), home);
    }
};

QTEST_MAIN(TestAnnouncementWindow)
#include "tst_announcementwindow.moc"
