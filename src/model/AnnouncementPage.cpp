#include "model/AnnouncementPage.h"

#include "model/RiyadhTime.h"

#include <QFile>
#include <QLocale>
#include <QTimeZone>

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

    QString html;
    html.reserve(styleSheet().size() + announcement.description().size() + 1024);
    html += QStringLiteral("<!DOCTYPE html>\n"
                           "<html lang=\"en\">\n"
                           "<head>\n"
                           "<meta charset=\"UTF-8\">\n"
                           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1.0\">\n"
                           "<style>\n");
    html += styleSheet();
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
    html += QStringLiteral("\n"
                           "      <span class=\"source-tag\">Saudi Exchange</span>\n"
                           "    </div>\n"
                           "  </div>\n"
                           "  <div class=\"content\">");
    html += announcement.description();
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
    // right-to-left date starts with a mark so it keeps its order on the page, which is laid out
    // left to right, where its leading day number would otherwise be placed apart.
    const QLocale locale;
    const QString text = RiyadhTime::longDateShortTime(instant, locale.name(), QTimeZone::systemTimeZoneId());
    return locale.textDirection() == Qt::RightToLeft && !text.isEmpty() ? QChar(0x200F) + text : text;
}
