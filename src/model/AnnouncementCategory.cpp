#include "model/AnnouncementCategory.h"

#include "model/SearchText.h"

#include <QHash>
#include <QRegularExpression>
#include <array>
#include <initializer_list>

using namespace Qt::StringLiterals;

namespace {

using Kind = AnnouncementCategory::Kind;

// Keywords as the portal words its headlines. "a b" is a phrase (consecutive words), "a+b" is words
// anywhere in the headline, "a*" a word beginning with "a". English words also match their plural.
struct CategoryWords
{
    Kind kind;
    const char* key;
    const char16_t* emoji;
    std::initializer_list<const char16_t*> keywords;
};

const std::array<CategoryWords, 8> kCategories{{
    {Kind::Trading,
     "trading",
     u"\u23F8\uFE0F",
     {u"suspension", u"suspend*", u"resumption", u"resume", u"resumed", u"listing", u"delisting", u"delist*",
      u"trading halt", u"تعليق تداول", u"إيقاف تداول", u"استئناف تداول", u"رفع تعليق", u"إدراج", u"شطب"}},
    {Kind::Assembly,
     "assembly",
     u"\U0001F5F3\uFE0F",
     {u"general assembly", u"assembly meeting", u"egm", u"ogm", u"الجمعية العامة", u"الجمعية",
      u"جمعية عامة"}},
    {Kind::Dividends,
     "dividends",
     u"\U0001F4B0",
     {u"dividend", u"profit distribution", u"cash distribution", u"توزيع أرباح", u"توزيعات", u"أرباح نقدية",
      u"أرباح مرحلية", u"توزيع نقدي"}},
    {Kind::Capital, "capital", u"\U0001F3E6", {u"capital+increase", u"capital+increasing",
                                               u"capital+reduce",   u"capital+reduction",
                                               u"capital+decrease", u"share capital",
                                               u"rights issue",     u"bonus shares",
                                               u"buy back",         u"buyback",
                                               u"repurchase*",      u"treasury shares",
                                               u"رأس المال",        u"رأس مال",
                                               u"حقوق أولوية",      u"أسهم منحة",
                                               u"أسهم مجانية",      u"شراء أسهم",
                                               u"شراء عدد من أسهم", u"أسهم خزينة"}},
    {Kind::Results,
     "results",
     u"\U0001F4CA",
     {u"result", u"financial statement", u"earnings", u"net profit", u"net loss", u"النتائج", u"نتائج",
      u"القوائم المالية", u"صافي الربح", u"صافي الخسارة", u"صافي ربح", u"صافي خسارة"}},
    {Kind::Board,
     "board",
     u"\U0001F3DB\uFE0F",
     {u"board",
      u"chairman",
      u"chief executive officer",
      u"chief financial officer",
      u"ceo",
      u"cfo",
      u"managing director",
      u"executive management",
      u"resignation",
      u"appointment",
      u"appoint*",
      u"مجلس الإدارة",
      u"مجلس",
      u"رئيس تنفيذي",
      u"الرئيس التنفيذي",
      u"المدير المالي",
      u"المدير العام",
      u"الإدارة التنفيذية",
      u"استقالة",
      u"تعيين",
      u"انتخاب"}},
    {Kind::Contracts, "contracts", u"\U0001F4CB", {u"contract", u"agreement", u"memorandum of understanding",
                                                   u"mou",      u"facility",  u"facilities",
                                                   u"project",  u"award",     u"awarded",
                                                   u"awarding", u"tender",    u"purchase order",
                                                   u"عقد",      u"اتفاقية",   u"مذكرة تفاهم",
                                                   u"تسهيلات",  u"ترسية",     u"مشروع",
                                                   u"مناقصة",   u"أمر شراء"}},
    {Kind::Exchange,
     "exchange",
     u"\u2696\uFE0F",
     {u"saudi exchange", u"tadawul", u"capital market authority", u"cma", u"securities depository",
      u"هيئة السوق المالية", u"تداول السعودية", u"السوق المالية", u"مركز إيداع"}},
}};

const char16_t* const kOtherEmoji = u"\U0001F4CC";

// Attached to Arabic words: conjunctions, prepositions and the article in front, pronouns behind.
const QStringList& arabicPrefixes()
{
    static const QStringList prefixes{u"وبال"_s, u"وال"_s, u"بال"_s, u"فال"_s, u"كال"_s, u"ولل"_s, u"لل"_s,
                                      u"ال"_s,   u"و"_s,   u"ب"_s,   u"ل"_s,   u"ف"_s,   u"ك"_s};
    return prefixes;
}

const QStringList& arabicSuffixes()
{
    static const QStringList suffixes{u"ها"_s, u"هم"_s, u"ه"_s};
    return suffixes;
}

bool isArabicLetter(QChar character)
{
    return character.unicode() >= 0x0600 && character.unicode() <= 0x06FF;
}

// The forms a headline word may match a keyword word in.
QStringList formsOf(const QString& word)
{
    QStringList forms{word};
    const auto add = [&forms](const QString& form) {
        if (!forms.contains(form))
            forms.append(form);
    };
    if (isArabicLetter(word.front())) {
        for (const QString& prefix : arabicPrefixes()) {
            if (word.startsWith(prefix) && word.size() - prefix.size() >= 2)
                add(word.mid(prefix.size()));
        }
        for (qsizetype i = 0, stems = forms.size(); i < stems; ++i) {
            for (const QString& suffix : arabicSuffixes()) {
                // A copy, not a reference: add() may grow `forms` and move its elements.
                const QString stem = forms.at(i); // NOLINT(performance-unnecessary-copy-initialization)
                if (stem.endsWith(suffix) && stem.size() - suffix.size() >= 2)
                    add(stem.chopped(suffix.size()));
            }
        }
    } else if (word.size() > 3 && word.endsWith(QLatin1String("ies"))) {
        add(word.chopped(3) + QLatin1Char('y'));
    } else if (word.size() > 3 && word.endsWith(QLatin1Char('s'))) {
        add(word.chopped(1));
    }
    return forms;
}

// The headline's words, each with its forms, and where each form stands: a keyword whose first word
// is not there costs one look-up.
struct Headline
{
    QList<QStringList> words;
    QHash<QString, QList<qsizetype>> positions;

    explicit Headline(const QString& folded)
    {
        QString word;
        for (const QChar character : folded + QLatin1Char(' ')) {
            if (character.isLetterOrNumber()) {
                word += character;
            } else if (!word.isEmpty()) {
                const QStringList forms = formsOf(word);
                for (const QString& form : forms)
                    positions[form].append(words.size());
                words.append(forms);
                word.clear();
            }
        }
    }

    // The positions of the words matching `keyword` ("a*": beginning with "a").
    QList<qsizetype> find(const QString& keyword) const
    {
        if (!keyword.endsWith(QLatin1Char('*')))
            return positions.value(keyword);
        const QString stem = keyword.chopped(1);
        QList<qsizetype> found;
        for (qsizetype i = 0; i < words.size(); ++i) {
            const QStringList& forms = words.at(i);
            if (std::any_of(forms.cbegin(), forms.cend(),
                            [&stem](const QString& f) { return f.startsWith(stem); }))
                found.append(i);
        }
        return found;
    }

    bool wordAt(qsizetype position, const QString& keyword) const
    {
        if (position >= words.size())
            return false;
        const QStringList& forms = words.at(position);
        if (!keyword.endsWith(QLatin1Char('*')))
            return forms.contains(keyword);
        const QString stem = keyword.chopped(1);
        return std::any_of(forms.cbegin(), forms.cend(),
                           [&stem](const QString& f) { return f.startsWith(stem); });
    }
};

struct Keyword
{
    QStringList words;
    bool anywhere = false;

    bool matches(const Headline& headline) const
    {
        if (anywhere)
            return std::all_of(words.cbegin(), words.cend(),
                               [&headline](const QString& word) { return !headline.find(word).isEmpty(); });
        for (const qsizetype start : headline.find(words.first())) {
            qsizetype i = 1;
            while (i < words.size() && headline.wordAt(start + i, words.at(i)))
                ++i;
            if (i == words.size())
                return true;
        }
        return false;
    }
};

// Folded once; the article written in a keyword is dropped as it is from the headline's words.
const QList<QList<Keyword>>& compiledKeywords()
{
    static const QList<QList<Keyword>> compiled = [] {
        QList<QList<Keyword>> all;
        for (const CategoryWords& category : kCategories) {
            QList<Keyword> keywords;
            for (const char16_t* text : category.keywords) {
                const QString folded = SearchText::fold(QString::fromUtf16(text));
                Keyword keyword;
                keyword.anywhere = folded.contains(QLatin1Char('+'));
                for (const QString& word :
                     folded.split(keyword.anywhere ? QLatin1Char('+') : QLatin1Char(' '))) {
                    const bool arabicArticle = word.size() > 3 && word.startsWith(QStringLiteral("ال"));
                    keyword.words.append(arabicArticle ? word.mid(2) : word);
                }
                keywords.append(keyword);
            }
            all.append(keywords);
        }
        return all;
    }();
    return compiled;
}

QString firstSentence(const QString& text)
{
    static const QRegularExpression end(
        QStringLiteral("\\n|[!?\u061F\u06D4]|\\.(?=\\s*$|\\s+[A-Z\u0600-\u06FF])"));
    const QRegularExpressionMatch match = end.match(text);
    return (match.hasMatch() ? text.left(match.capturedStart()) : text).simplified();
}

} // namespace

const QList<AnnouncementCategory::Kind>& AnnouncementCategory::all()
{
    static const QList<Kind> kinds{Kind::Trading,   Kind::Assembly, Kind::Dividends,
                                   Kind::Capital,   Kind::Results,  Kind::Board,
                                   Kind::Contracts, Kind::Exchange, Kind::Other};
    return kinds;
}

QString AnnouncementCategory::key(Kind kind)
{
    for (const CategoryWords& category : kCategories) {
        if (category.kind == kind)
            return QString::fromLatin1(category.key);
    }
    return QStringLiteral("other");
}

const QStringList& AnnouncementCategory::keys()
{
    static const QStringList keys = [] {
        QStringList list;
        for (const Kind kind : all())
            list.append(key(kind));
        return list;
    }();
    return keys;
}

std::optional<AnnouncementCategory::Kind> AnnouncementCategory::fromKey(const QString& key)
{
    const qsizetype index = keys().indexOf(key.trimmed().toLower());
    if (index < 0)
        return std::nullopt;
    return all().at(index);
}

QString AnnouncementCategory::emoji(Kind kind)
{
    for (const CategoryWords& category : kCategories) {
        if (category.kind == kind)
            return QString::fromUtf16(category.emoji);
    }
    return QString::fromUtf16(kOtherEmoji);
}

QString AnnouncementCategory::displayName(Kind kind)
{
    switch (kind) {
    case Kind::Trading:
        return tr("Trading and listing");
    case Kind::Assembly:
        return tr("General assemblies");
    case Kind::Dividends:
        return tr("Dividends");
    case Kind::Capital:
        return tr("Capital changes");
    case Kind::Results:
        return tr("Financial results");
    case Kind::Board:
        return tr("Board and management");
    case Kind::Contracts:
        return tr("Contracts and projects");
    case Kind::Exchange:
        return tr("Exchange and market authority");
    case Kind::Other:
        break;
    }
    return tr("Other");
}

QString AnnouncementCategory::inlineName(Kind kind)
{
    switch (kind) {
    case Kind::Trading:
        return tr("trading");
    case Kind::Assembly:
        return tr("assembly");
    case Kind::Dividends:
        return tr("dividends");
    case Kind::Capital:
        return tr("capital");
    case Kind::Results:
        return tr("results");
    case Kind::Board:
        return tr("board");
    case Kind::Contracts:
        return tr("contracts");
    case Kind::Exchange:
        return tr("exchange");
    case Kind::Other:
        break;
    }
    return tr("other");
}

bool AnnouncementCategory::isIssuerAnnouncement(const Announcement& announcement)
{
    return announcement.link().contains(QLatin1String("/issuer-announcements/"));
}

bool AnnouncementCategory::isMarketNews(const Announcement& announcement)
{
    return announcement.link().contains(QLatin1String("/news-detail"));
}

namespace {
QString descriptionSentence(const Announcement& announcement)
{
    // Paragraph ends become line ends first, so a "More details" link after the headline stays apart.
    static const QRegularExpression blockEnd(QStringLiteral("<\\s*(?:/p|br|/div|/li|/h\\d)\\b[^>]*>"),
                                             QRegularExpression::CaseInsensitiveOption);
    QString description = announcement.description();
    description.replace(blockEnd, QStringLiteral("\n"));
    QString text = Announcement({}, {}, description, {}, {}, {}).strippedDescription();
    // The issuer's name would be classified too ("Saudi Tadawul Group", "… Capital").
    const QString name = announcement.displayTitle();
    if (!name.isEmpty())
        text.remove(name, Qt::CaseInsensitive);
    return firstSentence(text);
}
} // namespace

QString AnnouncementCategory::headline(const Announcement& announcement)
{
    const QString title = announcement.displayTitle();
    return isIssuerAnnouncement(announcement) || title.isEmpty() ? descriptionSentence(announcement) : title;
}

AnnouncementCategory::Kind AnnouncementCategory::classify(const QString& headline, bool marketNews)
{
    const Headline words(SearchText::fold(headline));
    const QList<QList<Keyword>>& compiled = compiledKeywords();
    for (qsizetype i = 0; i < compiled.size(); ++i) {
        const QList<Keyword>& keywords = compiled.at(i);
        if (std::any_of(keywords.cbegin(), keywords.cend(),
                        [&words](const Keyword& keyword) { return keyword.matches(words); }))
            return kCategories.at(i).kind;
    }
    return marketNews ? Kind::Exchange : Kind::Other;
}

AnnouncementCategory::Kind AnnouncementCategory::of(const Announcement& announcement)
{
    const int known = announcement.m_category.value.load(std::memory_order_relaxed);
    if (known >= 0)
        return Kind(known);
    Kind kind = classify(headline(announcement), isMarketNews(announcement));
    // From elsewhere (an older cache, another feed): the text may say what the title does not.
    if (kind == Kind::Other && !isIssuerAnnouncement(announcement) && !announcement.displayTitle().isEmpty())
        kind = classify(descriptionSentence(announcement), false);
    announcement.m_category.value.store(int(kind), std::memory_order_relaxed);
    return kind;
}

void AnnouncementCategory::assume(Announcement& announcement, const QString& storedKey)
{
    if (const std::optional<Kind> kind = fromKey(storedKey))
        announcement.m_category.value.store(int(*kind), std::memory_order_relaxed);
}
