#include "portalsim/PortalData.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace portalsim {

namespace {

// Invented issuers with four-digit symbols in the ranges the exchange uses per sector.
const Company kCompanies[] = {
    {"1020", "Najd Commercial Bank", "بنك نجد التجاري", "Banks"},
    {"1060", "Gulf Investment Bank", "بنك الخليج للاستثمار", "Banks"},
    {"1140", "Al Bayan Bank", "مصرف البيان", "Banks"},
    {"1211", "Saudi Mineral Resources Co.", "شركة الموارد المعدنية السعودية", "Materials"},
    {"1320", "Arabian Steel Pipes Co.", "شركة الأنابيب الفولاذية العربية", "Materials"},
    {"2001", "Eastern Petrochemical Industries", "شركة الصناعات البتروكيماوية الشرقية", "Materials"},
    {"2060", "Tihama Industrial Group", "مجموعة تهامة الصناعية", "Materials"},
    {"2150", "Al Waha Glass Co.", "شركة الواحة للزجاج", "Materials"},
    {"2230", "Red Sea Chemical Co.", "شركة البحر الأحمر للكيماويات", "Materials"},
    {"2270", "Qassim Dairy Foods Co.", "شركة القصيم للألبان والأغذية", "Food & Beverages"},
    {"2290", "Yanbu Polymers Co.", "شركة ينبع للبوليمرات", "Materials"},
    {"3010", "Hail Cement Co.", "شركة أسمنت حائل", "Materials"},
    {"3050", "Southern Province Cement Co.", "شركة أسمنت المنطقة الجنوبية", "Materials"},
    {"4001", "Al Othman Retail Markets Co.", "شركة أسواق العثمان للتجزئة", "Consumer Staples Retail"},
    {"4030", "National Maritime Transport Co.", "الشركة الوطنية للنقل البحري", "Transportation"},
    {"4050", "Sahara Auto Services Co.", "شركة الصحراء لخدمات السيارات", "Consumer Discretionary"},
    {"4100", "Makkah Development Co.", "شركة مكة للتطوير", "Real Estate"},
    {"4161", "Bin Rashid Retail Co.", "شركة بن راشد للتجزئة", "Consumer Staples Retail"},
    {"4190", "Al Jazira Bookstores Co.", "شركة مكتبات الجزيرة", "Consumer Discretionary"},
    {"4200", "Dammam Logistics Co.", "شركة الدمام للخدمات اللوجستية", "Transportation"},
    {"4220", "Emaar Al Madinah Co.", "شركة إعمار المدينة", "Real Estate"},
    {"4261", "Theeb Car Rental Co.", "شركة ذيب لتأجير السيارات", "Transportation"},
    {"4300", "Riyadh Housing Co.", "شركة الرياض للإسكان", "Real Estate"},
    {"5110", "Saudi Power Utilities Co.", "الشركة السعودية للمرافق الكهربائية", "Utilities"},
    {"6001", "Halwani Food Industries", "شركة حلواني للصناعات الغذائية", "Food & Beverages"},
    {"6010", "Nadec Farms Co.", "شركة مزارع ناديك", "Food & Beverages"},
    {"7010", "Arabian Telecom Co.", "شركة الاتصالات العربية", "Telecommunication Services"},
    {"7020", "Etihad Mobile Networks", "شبكات الاتحاد للهاتف المتنقل", "Telecommunication Services"},
    {"7200", "Al Moammar Information Systems", "شركة المعمر لأنظمة المعلومات", "Software & Services"},
    {"8010", "Tawuniya Cooperative Insurance", "شركة التعاونية للتأمين التعاوني", "Insurance"},
    {"8210", "Bupa Health Cooperative Insurance", "شركة الصحة للتأمين التعاوني", "Insurance"},
    {"4002", "Al Mouwasat Medical Services", "شركة المواساة للخدمات الطبية", "Health Care"},
    {"4004", "Dallah Health Co.", "شركة دلة للخدمات الصحية", "Health Care"},
    {"2222", "Arabian Energy Co.", "شركة الطاقة العربية", "Energy"},
    {"2030", "Saudi Refining Co.", "شركة المصافي السعودية", "Energy"},
    {"4340", "Al Rajhi REIT Fund", "صندوق الراجحي ريت", "REITs"},
};

struct Headline
{
    const char* en; // {n} company name, {p} period, {y} year, {a} amount
    const char* ar;
};

const Headline kIssuerHeadlines[] = {
    {"{n} announces its Interim Financial Results for the Period Ending on {p} (Six Months)",
     "تعلن {n} النتائج المالية الأولية للفترة المنتهية في {p} (ستة أشهر)"},
    {"{n} announces its Annual Financial results for the period ending on 31-12-{y}",
     "تعلن {n} النتائج المالية السنوية للفترة المنتهية في 31-12-{y}"},
    {"{n} announces the Board of Directors' recommendation to distribute cash dividends of SAR {a} per share",
     "تعلن {n} عن توصية مجلس الإدارة بتوزيع أرباح نقدية بقيمة {a} ريال للسهم"},
    {"{n} invites its shareholders to attend the Extraordinary General Assembly Meeting (First Meeting)",
     "تدعو {n} مساهميها إلى حضور اجتماع الجمعية العامة غير العادية (الاجتماع الأول)"},
    {"{n} announces signing of a Sharia-compliant credit facilities agreement of SAR {a} million",
     "تعلن {n} عن توقيع اتفاقية تسهيلات ائتمانية متوافقة مع أحكام الشريعة بقيمة {a} مليون ريال"},
    {"{n} announces the resignation of a Board member", "تعلن {n} عن استقالة عضو من مجلس الإدارة"},
    {"{n} announces the results of the Ordinary General Assembly Meeting (Second Meeting)",
     "تعلن {n} عن نتائج اجتماع الجمعية العامة العادية (الاجتماع الثاني)"},
    {"{n} announces the award of a project with a value of SAR {a} million",
     "تعلن {n} عن ترسية مشروع بقيمة {a} مليون ريال"},
    {"{n} announces the date of the dividend distribution for the {p} period",
     "تعلن {n} عن موعد توزيع الأرباح عن الفترة {p}"},
    {"{n} announces an update on the capital increase through a rights issue",
     "تعلن {n} عن آخر التطورات بشأن زيادة رأس المال عن طريق طرح أسهم حقوق أولوية"},
};

const Headline kMarketHeadlines[] = {
    {"Saudi Exchange announces the addition of {n} to the MSCI Tadawul 30 index",
     "تعلن تداول السعودية عن إضافة {n} إلى مؤشر إم إس سي آي تداول 30"},
    {"Trading of {n} shares will be suspended for one session", "سيتم تعليق تداول أسهم {n} لجلسة واحدة"},
    {"Total value of traded shares reached <span class=\"sar-symbol\">&#x20C1;</span> {a} million",
     "بلغت القيمة الإجمالية للأسهم المتداولة <span class=\"sar-symbol\">&#x20C1;</span> {a} مليون"},
    {"Saudi Exchange announces the holiday schedule for Eid Al-Fitr {y}",
     "تعلن تداول السعودية عن مواعيد إجازة عيد الفطر {y}"},
    {"The Capital Market Authority approves the offering of units of a new fund",
     "هيئة السوق المالية توافق على طرح وحدات صندوق استثمار جديد"},
    {"Saudi Exchange announces the listing of sukuk issued by {n}",
     "تعلن تداول السعودية عن إدراج صكوك صادرة عن {n}"},
};

std::string replaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::tm riyadhParts(double unixTime)
{
    const std::time_t riyadh = static_cast<std::time_t>(std::floor(unixTime)) + 3 * 3600;
    std::tm parts{};
    gmtime_r(&riyadh, &parts);
    return parts;
}

std::string fill(const char* pattern, const Item& item, bool arabic)
{
    const std::tm parts = riyadhParts(item.unixTime);
    const int year = parts.tm_year + 1900;
    std::string text = pattern;
    const std::string name = item.company >= 0
                                 ? (arabic ? company(item.company).nameAR : company(item.company).nameEN)
                                 : (arabic ? "الشركات المدرجة" : "listed companies");
    char period[32];
    std::snprintf(period, sizeof period, "30-06-%d", year);
    const std::string amount = std::to_string(1 + (item.number * 37) % 950);
    text = replaceAll(text, "{n}", name);
    text = replaceAll(text, "{p}", period);
    text = replaceAll(text, "{y}", std::to_string(year - 1));
    text = replaceAll(text, "{a}", amount);
    return text;
}

void appendKey(std::string& out, const char* key)
{
    if (out.size() > 1)
        out += ',';
    out += '"';
    out += key;
    out += "\":";
}

void appendStringField(std::string& out, const char* key, const std::string& value)
{
    appendKey(out, key);
    appendJsonString(out, value);
}

} // namespace

int companyCount()
{
    return static_cast<int>(sizeof kCompanies / sizeof kCompanies[0]);
}

const Company& company(int index)
{
    return kCompanies[index % companyCount()];
}

int issuerHeadlineCount()
{
    return static_cast<int>(sizeof kIssuerHeadlines / sizeof kIssuerHeadlines[0]);
}

int marketHeadlineCount()
{
    return static_cast<int>(sizeof kMarketHeadlines / sizeof kMarketHeadlines[0]);
}

void appendJsonString(std::string& out, const std::string& text)
{
    out += '"';
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '/':
            out += "\\/";
            break; // the portal's Java serializer escapes slashes
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(c));
                out += escape;
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

std::string riyadhNumericDate(double unixTime)
{
    const std::tm p = riyadhParts(unixTime);
    char text[64];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d:%02d", p.tm_mday, p.tm_mon + 1,
                  p.tm_year + 1900, p.tm_hour, p.tm_min, p.tm_sec);
    return text;
}

std::string riyadhTimestamp(double unixTime)
{
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::tm p = riyadhParts(unixTime);
    const int hour12 = p.tm_hour % 12 == 0 ? 12 : p.tm_hour % 12;
    char text[64];
    std::snprintf(text, sizeof text, "%s %d, %04d %d:%02d:%02d %s", months[p.tm_mon], p.tm_mday,
                  p.tm_year + 1900, hour12, p.tm_min, p.tm_sec, p.tm_hour < 12 ? "AM" : "PM");
    return text;
}

std::string renderItem(const Item& item, bool arabic)
{
    const std::string number = std::to_string(item.number);
    const char* locale = arabic ? "ar" : "en";
    std::string out = "{";
    if (item.issuer) {
        const Company& issuer = company(item.company < 0 ? 0 : item.company);
        const Headline& headline = kIssuerHeadlines[item.headline % issuerHeadlineCount()];
        std::string description = fill(arabic ? headline.ar : headline.en, item, arabic);
        if (item.htmlInDescription)
            description = "<p dir=\"" + std::string(arabic ? "rtl" : "ltr") + "\">" + description +
                          "</p><p><a href=\"/wps/portal/saudiexchange/ourmarkets/main-market-watch\">" +
                          (arabic ? "المزيد" : "More details") + "</a></p>";
        appendStringField(out, "TITLE", arabic ? issuer.nameAR : issuer.nameEN);
        appendStringField(out, "SHORT_DESC", description);
        appendStringField(out, "SYMBOL", issuer.symbol);
        appendKey(out, "PRESS_REL_ID");
        if (!item.withoutPressReleaseId)
            out += number;
        else if (item.number % 2 == 0)
            out += "null";
        else
            appendJsonString(out, number); // delivered as text: not a usable number
        appendStringField(out, "announcementNumber", number);
        appendStringField(out, "newsDateStr", riyadhNumericDate(item.unixTime));
        const std::string stamp = riyadhTimestamp(item.unixTime);
        appendStringField(out, "PR_DATE", stamp.substr(0, stamp.find(',') + 6)); // "Sep 14, 2026"
        // Even the Arabic feed links the English page; readers switch the locale themselves.
        appendStringField(out, "announcementUrl",
                          "/wps/portal/saudiexchange/newsandreports/issuer-news/issuer-announcements/"
                          "issuer-announcements-details/?anId=" +
                              number + "&anCat=1&cs=" + issuer.symbol + "&locale=en");
        appendStringField(out, "SECTOR", issuer.sectorEN);
        appendStringField(out, "MARKET_TYPE", arabic ? "السوق الرئيسية" : "Main Market");
        appendStringField(out, "ANN_TYPE", arabic ? "إعلانات الشركات" : "Company Announcements");
        appendStringField(out, "ATTACHMENT_URL", "");
        appendStringField(out, "ISIN_CODE",
                          std::string("SA000") + issuer.symbol + "0" + number.substr(number.size() - 3));
        appendStringField(out, "COMPANY_NAME_LONG",
                          std::string(arabic ? issuer.nameAR : issuer.nameEN) +
                              (arabic ? " - شركة مساهمة عامة" : " - a Saudi joint stock company"));
        appendStringField(out, "CATEGORY_NAME", arabic ? "إعلانات أخرى" : "Other Announcements");
        appendKey(out, "CATEGORY_ID");
        out += std::to_string(1 + item.headline % 9);
        appendStringField(out, "IMAGE_URL",
                          std::string("/wps/wcm/connect/saudiexchange/logos/") + issuer.symbol + ".png");
        appendKey(out, "IS_ARCHIVED");
        out += "false";
    } else {
        const Headline& headline = kMarketHeadlines[item.headline % marketHeadlineCount()];
        appendStringField(out, "TITLE", fill(arabic ? headline.ar : headline.en, item, arabic));
        appendStringField(out, "SHORT_DESC", "");
        appendStringField(out, "SYMBOL", item.company >= 0 ? company(item.company).symbol : "");
        appendStringField(out, "timestamp", riyadhTimestamp(item.unixTime));
        appendKey(out, "newsId");
        out += number;
        appendStringField(out, "announcementUrl",
                          "/wps/portal/saudiexchange/newsandreports/issuer-news/news-detail-wcm/?newsId=" +
                              number + "&locale=" + locale);
        appendKey(out, "indexChangeValue");
        out += std::to_string((item.number % 200) - 100) + ".37";
        appendKey(out, "indexStockChangePresentage");
        out += "0." + std::to_string(item.number % 97);
    }
    out += '}';
    return out;
}

} // namespace portalsim
