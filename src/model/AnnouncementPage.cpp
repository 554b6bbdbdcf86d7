#include "model/AnnouncementPage.h"

#include "model/DisplayTime.h"

#include <QFile>
#include <QLocale>
#include <QTimeZone>
#include <QUrl>

namespace {
// The style sheet lives in the resource file, up to and including the line feed after its last rule.
const QString& styleSheet()
{
    static const QString sheet = [] {
        QFile file(QStringLiteral(":/zelvora/AnnouncementPage.css"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }();
    return sheet;
}

// A right-to-left page's table headings and list indents sit at its start, the right.
const QString& rightToLeftStyleSheet()
{
    static const QString mirrored =
        QString(styleSheet())
            .replace(QLatin1String("text-align: left;"), QLatin1String("text-align: start;"))
            .replace(QLatin1String("padding-left: 24px;"), QLatin1String("padding-inline-start: 24px;"));
    return mirrored;
}

// Market news often has a headline only: the page says so and leads to the source, rather than
// showing an empty page. In the page's language, as its source tag is.
QString withoutText(const Announcement& announcement, bool arabic)
{
    QString html = QStringLiteral("<p style=\"color: var(--text-secondary)\">") +
                   (arabic ? QStringLiteral("\u0644\u0627 \u0646\u0635 \u0622\u062E\u0631 "
                                            "\u0644\u0647\u0630\u0627 \u0627\u0644\u062E\u0628\u0631.")
                           : QStringLiteral("There is no further text for this item.")) +
                   QStringLiteral("</p>");
    const QUrl link(announcement.link());
    if (link.isValid() && (link.scheme() == QLatin1String("https") || link.scheme() == QLatin1String("http")))
        html += QStringLiteral("\n<p><a href=\"") + link.toString(QUrl::FullyEncoded).toHtmlEscaped() +
                QStringLiteral("\">") +
                (arabic ? QStringLiteral("\u0627\u0642\u0631\u0623\u0647 \u0639\u0644\u0649 "
                                         "\u0645\u0648\u0642\u0639 \u062A\u062F\u0627\u0648\u0644 "
                                         "\u0627\u0644\u0633\u0639\u0648\u062F\u064A\u0629")
                        : QStringLiteral("Read it on the Saudi Exchange website")) +
                QStringLiteral("</a></p>");
    return html;
}
} // namespace

QString AnnouncementPage::buildHTML(const Announcement& announcement, const QString& dateText)
{
    QString companies;
    if (!announcement.companies().isEmpty()) {
        companies = QStringLiteral("<div class=\"companies\">");
        bool first = true;
        for (const QString& company : announcement.companies()) {
            if (!first)
                companies += QLatin1Char('\n');
            first = false;
            companies += QStringLiteral("<span class=\"company-tag\">") + company.toHtmlEscaped() +
                         QStringLiteral("</span>");
        }
        companies += QStringLiteral("</div>");
    }

    // An Arabic announcement is an Arabic page: the web engine then sets its lines and punctuation
    // right to left from the first word.
    const bool arabic = announcement.isArabic();
    QString html;
    html.reserve(styleSheet().size() + announcement.description().size() + 1024);
    html += arabic ? QStringLiteral("<!DOCTYPE html>\n<html lang=\"ar\" dir=\"rtl\">\n")
                   : QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">\n");
    html += QStringLiteral("<head>\n"
                           "<meta charset=\"UTF-8\">\n"
                           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1.0\">\n"
                           "<style>\n");
    html += arabic ? rightToLeftStyleSheet() : styleSheet();
    html += QStringLiteral("</style>\n"
                           "</head>\n"
                           "<body>\n"
                           "<div class=\"container\">\n"
                           "  <div class=\"header\">\n"
                           "    <h1>");
    html += announcement.displayTitle().toHtmlEscaped();
    html += QStringLiteral("</h1>\n"
                           "    <div class=\"meta-row\">\n"
                           "      <span class=\"date\">");
    html += dateText;
    html += QStringLiteral("</span>\n      ");
    html += companies;
    html += arabic ? QStringLiteral("\n      <span class=\"source-tag\">\u062A\u062F\u0627\u0648\u0644 "
                                    "\u0627\u0644\u0633\u0639\u0648\u062F\u064A\u0629</span>\n")
                   : QStringLiteral("\n      <span class=\"source-tag\">Saudi Exchange</span>\n");
    html += QStringLiteral("    </div>\n"
                           "  </div>\n"
                           "  <div class=\"content\">");
    html += announcement.strippedDescription().trimmed().isEmpty() ? withoutText(announcement, arabic)
                                                                   : announcement.description();
    html += QStringLiteral("</div>\n"
                           "</div>\n"
                           "</body>\n"
                           "</html>");
    return html;
}

QString AnnouncementPage::buildHTML(const Announcement& announcement)
{
    return buildHTML(announcement, dateText(announcement.pubDate()));
}

QString AnnouncementPage::dateText(Instant instant)
{
    // The interface's locale, which is the system's unless the user chose another language. A
    // right-to-left date is isolated, so it keeps its order on a left-to-right page.
    const QString text = DisplayTime::announcement(instant, Instant::now());
    return QLocale().textDirection() == Qt::RightToLeft && !text.isEmpty()
               ? QChar(0x2068) + text + QChar(0x2069)
               : text;
}
