// Shows the windows with realistic data, for looking at them (screenshots, themes):
//   window_gallery [--dark] [--language en|ar] [--window list|announcement|arabic|settings|rules|all]
//                  [--search TEXT] [--category KEY]
#include "archive/AnnouncementArchive.h"
#include "fetch/IssuerDirectory.h"
#include "fetch/PortalOrigin.h"
#include "history/HistoryStore.h"
#include "model/InterfaceLanguage.h"
#include "model/Preferences.h"
#include "platform/gui/UrlOpener.h"
#include "shell/InterfaceTranslation.h"
#include "windows/AllAnnouncementsWindow.h"
#include "windows/AnnouncementWindow.h"
#include "windows/RulesEditor.h"
#include "windows/SettingsWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QLineEdit>
#include <QListWidget>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <cstdio>

namespace {
// The gallery's sample links are made up: print what a click would open instead of opening it.
class PrintingUrlOpener : public UrlOpener
{
public:
    bool open(const QUrl& url) override
    {
        std::printf("would open %s\n", qPrintable(url.toString()));
        std::fflush(stdout);
        return true;
    }
};

Announcement make(int index, const QString& title, const QString& description, const QStringList& companies,
                  double hoursAgo)
{
    return Announcement(QStringLiteral("se_%1").arg(index), title, description,
                        QStringLiteral("https://www.saudiexchange.sa/wps/portal/saudiexchange/newsandreports/"
                                       "issuer-news/issuer-announcements/issuer-announcements-details?id=%1")
                            .arg(index),
                        Instant::now().addSeconds(-3600.0 * hoursAgo), companies);
}

AnnouncementList sample()
{
    return {
        make(1,
             QStringLiteral(
                 "Al Rajhi Bank Announces the Distribution of Cash Dividends to Shareholders for the "
                 "Third Quarter of 2026"),
             QStringLiteral(
                 "<p>Al Rajhi Bank announces that its Board of Directors has approved the distribution of "
                 "cash dividends of <strong>SAR 1.25</strong> per share for Q3 2026.</p>"
                 "<table><tr><th>Item</th><th>Details</th></tr>"
                 "<tr><td>Eligibility date</td><td>October 28, 2026</td></tr>"
                 "<tr><td>Distribution date</td><td>November 11, 2026</td></tr>"
                 "<tr><td>Total amount</td><td>SAR 5,000,000,000</td></tr></table>"
                 "<p>For more information, see the <a href=\"/wps/portal/notice\">notice</a>.</p>"),
             {QStringLiteral("1120")}, 0.5),
        make(2, QStringLiteral("شركة المراعي تعلن عن النتائج المالية الأولية للفترة المنتهية في 2026-09-30"),
             QStringLiteral("<p>ارتفع صافي الربح بنسبة 12٪ مقارنة بالربع المماثل من العام السابق، "
                            "وذلك بسبب زيادة المبيعات في جميع القطاعات.</p>"),
             {QStringLiteral("2280")}, 2),
        make(3, QStringLiteral("Saudi Aramco Signs a Strategic Agreement with a Petrochemical Company"),
             QStringLiteral("<p>The company signed an agreement with a term of 10 years.</p>"),
             {QStringLiteral("2222"), QStringLiteral("2010"), QStringLiteral("2350"), QStringLiteral("2380"),
              QStringLiteral("2001"), QStringLiteral("2060")},
             5),
        make(4,
             QStringLiteral(
                 "CMA Board Issues Resolution on Amendments to the Rules on the Offer of Securities"),
             QString(), {}, 26),
        make(5,
             QStringLiteral(
                 "Trading Suspension of the Shares of a Company Listed on the Parallel Market (Nomu)"),
             QStringLiteral("<p>Trading will be suspended starting Sunday.</p>"), {QStringLiteral("9510")},
             30),
        make(6, QStringLiteral("مجلس إدارة شركة الاتصالات السعودية يوصي بزيادة رأس المال"),
             QStringLiteral("<p>أوصى مجلس الإدارة بزيادة رأس مال الشركة عن طريق منح أسهم مجانية.</p>"),
             {QStringLiteral("7010")}, 50),
        make(7, QStringLiteral("Invitation to the Extraordinary General Assembly Meeting (First Meeting)"),
             QStringLiteral("<p>The board invites shareholders to attend the meeting.</p>"),
             {QStringLiteral("4190")}, 73),
        make(8,
             QStringLiteral("Saudi National Bank Completes the Acquisition of a Stake in a Fintech Company"),
             QStringLiteral("<p>The acquisition was completed on schedule.</p>"),
             {QStringLiteral("1180"), QStringLiteral("1111")}, 100),
    };
}

// Names the issuer directory would have learned from the portal.
void learnIssuers(const QString& folder)
{
    const QStringList names[] = {
        {QStringLiteral("1120"), QStringLiteral("Al Rajhi Bank"), QStringLiteral("مصرف الراجحي")},
        {QStringLiteral("2222"), QStringLiteral("Saudi Arabian Oil Co."), QStringLiteral("أرامكو السعودية")},
        {QStringLiteral("2280"), QStringLiteral("Almarai Co."), QStringLiteral("شركة المراعي")},
        {QStringLiteral("7010"), QStringLiteral("Saudi Telecom Co."),
         QStringLiteral("شركة الاتصالات السعودية")},
        {QStringLiteral("1180"), QStringLiteral("Saudi National Bank"),
         QStringLiteral("البنك الأهلي السعودي")},
    };
    AnnouncementList items;
    for (const QStringList& issuer : names) {
        for (int language = 1; language <= 2; ++language)
            items.append(Announcement(issuer.at(0) + issuer.at(language), issuer.at(language), QString(),
                                      QStringLiteral("https://x.test/issuer-announcements/?anId=1"),
                                      Instant::now(), {issuer.at(0)}));
    }
    IssuerDirectory directory(folder);
    directory.learn(items, Instant::now());
    directory.save();
}

QPalette darkPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0x26, 0x26, 0x28));
    palette.setColor(QPalette::WindowText, QColor(0xec, 0xec, 0xee));
    palette.setColor(QPalette::Base, QColor(0x1c, 0x1c, 0x1e));
    palette.setColor(QPalette::AlternateBase, QColor(0x2c, 0x2c, 0x2e));
    palette.setColor(QPalette::Text, QColor(0xec, 0xec, 0xee));
    palette.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3c));
    palette.setColor(QPalette::ButtonText, QColor(0xec, 0xec, 0xee));
    palette.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::PlaceholderText, QColor(0x8e, 0x8e, 0x93));
    return palette;
}
} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("dark"), QStringLiteral("Use a dark palette")});
    parser.addOption({QStringLiteral("window"), QStringLiteral("Which window to show"),
                      QStringLiteral("name"), QStringLiteral("all")});
    parser.addOption({QStringLiteral("search"), QStringLiteral("Text typed into the list's search field"),
                      QStringLiteral("text")});
    parser.addOption({QStringLiteral("category"),
                      QStringLiteral("The list's category filter (a category key)"), QStringLiteral("key")});
    parser.addOption({QStringLiteral("language"), QStringLiteral("Interface language (en, ar)"),
                      QStringLiteral("code"), QStringLiteral("en")});
    parser.addHelpOption();
    parser.process(application);
    const QString language = parser.value(QStringLiteral("language"));
    const InterfaceTranslation translation(language,
                                           InterfaceLanguage::localeFor(language, QLocale::system()));
    if (parser.isSet(QStringLiteral("dark")))
        QApplication::setPalette(darkPalette());

    QTemporaryDir dir;
    PrintingUrlOpener opener;
    const QString uiState = dir.filePath(QStringLiteral("ui-state.json"));
    Preferences preferences(dir.filePath(QStringLiteral("settings.json")));
    preferences.setPollInterval(300);
    preferences.setWatchlistSymbols({QStringLiteral("1120"), QStringLiteral("2280"), QStringLiteral("7010")});
    preferences.setWatchWords({QStringLiteral("dividend"), QStringLiteral("توزيع أرباح")});
    preferences.setRules(
        {Rule(QStringLiteral("divs"), {QStringLiteral("2222"), QStringLiteral("1120")}, {},
              {AnnouncementCategory::Kind::Dividends, AnnouncementCategory::Kind::Results}, {},
              Rule::Action::Urgent),
         Rule(QStringLiteral("banks board"), {QStringLiteral("1120"), QStringLiteral("1180")}, {},
              {AnnouncementCategory::Kind::Board}, {}),
         Rule(QStringLiteral("no sukuk"), {}, {QStringLiteral("sukuk"), QStringLiteral("صكوك")}, {}, {},
              Rule::Action::Silent)});
    learnIssuers(dir.path());
    const AnnouncementList announcements = sample();
    const QString which = parser.value(QStringLiteral("window"));
    const bool all = which == QLatin1String("all");

    // The sample as the archive holds it: every third one read, the others unread (told).
    AnnouncementArchive archive(dir.path());
    archive.open();
    for (qsizetype i = 0; i < announcements.size(); ++i)
        archive.insert({announcements.at(i), QStringLiteral("tadawul"), QStringLiteral("en")},
                       announcements.at(i).pubDate(), i % 3 != 0);
    const IssuerDirectory issuers(dir.path());
    HistoryStore history(HistoryStore::pathIn(dir.path()),
                         [&issuers](const QString& symbol) { return issuers.displayName(symbol); });
    AllAnnouncementsWindow list(opener, uiState,
                                {[&preferences] { return preferences.watchlist(); }, dir.path(), &history});
    const AnnouncementWindow::Services windowServices{&opener, QUrl(PortalOrigin::defaultOrigin), uiState};
    AnnouncementWindow english(announcements.at(0), windowServices);
    AnnouncementWindow arabic(announcements.at(1), windowServices);
    SettingsWindow::Services hooks;
    hooks.issuerDirectory = dir.path();
    SettingsWindow settings(preferences, hooks);
    if (all || which == QLatin1String("list")) {
        list.update(announcements);
        list.searchField()->setText(parser.value(QStringLiteral("search")));
        if (const auto kind = AnnouncementCategory::fromKey(parser.value(QStringLiteral("category"))))
            list.categoryFilter()->setCurrentIndex(1 + int(*kind));
        list.move(20, 20);
        list.show();
    }
    if (all || which == QLatin1String("announcement")) {
        english.move(540, 20);
        english.show();
    }
    if (which == QLatin1String("arabic")) {
        arabic.move(540, 20);
        arabic.show();
    }
    if (all || which == QLatin1String("settings")) {
        settings.move(540, 600);
        settings.show();
    }
    RulesEditor rules(preferences);
    if (which == QLatin1String("rules")) {
        rules.setWindowTitle(QStringLiteral("Rules"));
        rules.resize(460, 460);
        rules.ruleList()->setCurrentRow(0);
        rules.move(540, 20);
        rules.show();
    }
    return application.exec();
}
