#include "model/AnnouncementEmoji.h"

#include "model/Announcement.h"
#include "model/UnicodeText.h"

#include <array>
#include <initializer_list>

namespace {
struct Category
{
    std::initializer_list<const char16_t*> keywords;
    const char16_t* emoji;
};

// The order matters: a title about a dividend and results is a dividend announcement.
const std::array<Category, 8> kCategories{{
    {{u"dividend", u"\u062A\u0648\u0632\u064A\u0639", u"\u0623\u0631\u0628\u0627\u062D"}, u"\U0001F4B0"},
    {{u"earning", u"profit", u"result"}, u"\U0001F4CA"},
    {{u"contract", u"agreement", u"\u0639\u0642\u062F"}, u"\U0001F4CB"},
    {{u"regulatory", u"compli", u"cma"}, u"\u2696\uFE0F"},
    {{u"merger", u"acqui", u"\u0627\u0646\u062F\u0645\u0627\u062C"}, u"\U0001F91D"},
    {{u"ipo", u"offering", u"\u0627\u0643\u062A\u062A\u0627\u0628"}, u"\U0001F3E6"},
    {{u"suspend", u"halt"}, u"\u23F8\uFE0F"},
    {{u"board", u"\u0645\u062C\u0644\u0633"}, u"\U0001F3DB\uFE0F"},
}};

// Empty when no keyword occurs.
QString categoryOf(const QString& text)
{
    const QString lowered = UnicodeText::defaultLower(text);
    for (const Category& category : kCategories) {
        for (const char16_t* keyword : category.keywords) {
            if (UnicodeText::containsCanonical(lowered, QString::fromUtf16(keyword)))
                return QString::fromUtf16(category.emoji);
        }
    }
    return {};
}

QString pin()
{
    return QStringLiteral("\U0001F4CC");
}
} // namespace

QString AnnouncementEmoji::forTitle(const QString& title)
{
    const QString found = categoryOf(title);
    return found.isEmpty() ? pin() : found;
}

QString AnnouncementEmoji::forAnnouncement(const Announcement& announcement)
{
    QString found = categoryOf(announcement.displayTitle());
    if (found.isEmpty())
        found = categoryOf(announcement.strippedDescription());
    return found.isEmpty() ? pin() : found;
}
