#include "model/AnnouncementPage.h"

#include "model/DisplayTime.h"

#include <QLocale>
#include <QTimeZone>

namespace {
const QString kGreen = QStringLiteral("#006C35");
const QString kGreenLight = QStringLiteral("#00A852");
const QString kTagForeground = QStringLiteral("#006C35");

// The style sheet, up to and including the line feed after its last closing brace. The three
// @...@ markers are filled with the colour constants above.
const char kStyleSheet[] = R"css(  :root {
    --green: @GREEN@;
    --green-light: @GREEN_LIGHT@;
    --bg: #ffffff;
    --bg-secondary: #f5f5f7;
    --text: #1d1d1f;
    --text-secondary: #6e6e73;
    --text-tertiary: #98989d;
    --border: #d2d2d7;
    --tag-bg: rgba(0, 108, 53, 0.08);
    --tag-fg: @TAG_FG@;
    --link: #0066cc;
  }

  @media (prefers-color-scheme: dark) {
    :root {
      --bg: #1c1c1e;
      --bg-secondary: #2c2c2e;
      --text: #f5f5f7;
      --text-secondary: #98989d;
      --text-tertiary: #636366;
      --border: #38383a;
      --tag-bg: rgba(0, 168, 82, 0.15);
      --tag-fg: #00c862;
      --link: #4da3ff;
    }
  }

  * { box-sizing: border-box; margin: 0; padding: 0; }

  body {
    background: var(--bg);
    color: var(--text);
    font-family: -apple-system, BlinkMacSystemFont, "SF Pro Text", sans-serif;
    font-size: 14px;
    line-height: 1.65;
    -webkit-font-smoothing: antialiased;
  }

  .container {
    max-width: 720px;
    margin: 0 auto;
    padding: 28px 32px 40px;
  }

  /* Header area */
  .header {
    margin-bottom: 20px;
    padding-bottom: 20px;
    border-bottom: 1px solid var(--border);
  }

  h1 {
    font-size: 19px;
    font-weight: 600;
    letter-spacing: -0.3px;
    color: var(--text);
    line-height: 1.35;
    margin-bottom: 10px;
  }

  .meta-row {
    display: flex;
    align-items: center;
    gap: 12px;
    flex-wrap: wrap;
  }

  .date {
    font-size: 12px;
    color: var(--text-tertiary);
    font-variant-numeric: tabular-nums;
  }

  /* Company tags */
  .companies {
    display: flex;
    flex-wrap: wrap;
    gap: 6px;
  }

  .company-tag {
    background: var(--tag-bg);
    color: var(--tag-fg);
    padding: 2px 9px;
    border-radius: 5px;
    font-size: 11px;
    font-weight: 600;
    font-family: "SF Mono", "Menlo", monospace;
    letter-spacing: 0.3px;
    border: 1px solid rgba(0, 108, 53, 0.2);
  }

  @media (prefers-color-scheme: dark) {
    .company-tag { border-color: rgba(0, 200, 98, 0.25); }
  }

  /* Saudi green accent bar */
  .accent-bar {
    width: 3px;
    height: 100%;
    background: var(--green);
    border-radius: 2px;
    flex-shrink: 0;
  }

  /* Content body */
  .content {
    font-size: 14px;
    line-height: 1.7;
    color: var(--text);
  }

  .content p {
    margin-bottom: 14px;
  }

  .content table {
    width: 100%;
    border-collapse: collapse;
    margin: 16px 0;
    font-size: 13px;
  }

  .content th {
    background: var(--bg-secondary);
    color: var(--text-secondary);
    font-weight: 600;
    text-align: left;
    padding: 8px 12px;
    border: 1px solid var(--border);
  }

  .content td {
    padding: 7px 12px;
    border: 1px solid var(--border);
    vertical-align: top;
  }

  .content tr:nth-child(even) td {
    background: var(--bg-secondary);
  }

  .content a {
    color: var(--link);
    text-decoration: none;
  }

  .content a:hover {
    text-decoration: underline;
  }

  .content img {
    max-width: 100%;
    border-radius: 6px;
    margin: 8px 0;
  }

  .content strong, .content b {
    font-weight: 600;
    color: var(--text);
  }

  .content ul, .content ol {
    padding-left: 24px;
    margin-bottom: 14px;
  }

  .content li {
    margin-bottom: 4px;
  }

  /* Source attribution */
  .source-tag {
    display: inline-flex;
    align-items: center;
    gap: 4px;
    font-size: 11px;
    color: var(--text-tertiary);
    background: var(--bg-secondary);
    border: 1px solid var(--border);
    border-radius: 5px;
    padding: 2px 8px;
  }
)css";

const QString& styleSheet()
{
    static const QString filled = QString::fromUtf8(kStyleSheet)
                                      .replace(QLatin1String("@GREEN_LIGHT@"), kGreenLight)
                                      .replace(QLatin1String("@GREEN@"), kGreen)
                                      .replace(QLatin1String("@TAG_FG@"), kTagForeground);
    return filled;
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
    // right-to-left date is isolated, so it keeps its order on a left-to-right page.
    const QString text = DisplayTime::announcement(instant, Instant::now());
    return QLocale().textDirection() == Qt::RightToLeft && !text.isEmpty()
               ? QChar(0x2068) + text + QChar(0x2069)
               : text;
}
