#include "model/AnnouncementCategory.h"

#include <QTest>

namespace {
const QString kIssuerLink =
    QStringLiteral("https://www.saudiexchange.sa/wps/portal/saudiexchange/newsandreports/"
                   "issuer-news/issuer-announcements/issuer-announcements-details/?anId=1");
const QString kNewsLink =
    QStringLiteral("https://www.saudiexchange.sa/wps/portal/saudiexchange/newsandreports/issuer-news/"
                   "news-detail-wcm/?newsId=1");

// An issuer announcement as the portal delivers it: the issuer's name as title, the headline as text.
Announcement issuer(const char* name, const char* text)
{
    return Announcement(QStringLiteral("se_1"), QString::fromUtf8(name), QString::fromUtf8(text), kIssuerLink,
                        Instant::fromReferenceSeconds(800000000), {QStringLiteral("2222")});
}

Announcement news(const char* title)
{
    return Announcement(QStringLiteral("se_2"), QString::fromUtf8(title), QString(), kNewsLink,
                        Instant::fromReferenceSeconds(800000000), {});
}

struct Headline
{
    Announcement announcement;
    const char* category;
};

// The half the keywords were written from: the simulator's catalogue and the portal's usual forms.
const QList<Headline>& tuningHalf()
{
    static const QList<Headline> rows{
        {issuer("Arabian Energy Co.",
                "Arabian Energy Co. announces its Interim Financial Results for the Period "
                "Ending on 30-06-2026 (Six Months)"),
         "results"},
        {issuer("Najd Commercial Bank",
                "Najd Commercial Bank announces the Board of Directors' recommendation to "
                "distribute cash dividends of SAR 1.50 per share"),
         "dividends"},
        {issuer("Hail Cement Co.",
                "Hail Cement Co. invites its shareholders to attend the Extraordinary General "
                "Assembly Meeting (First Meeting)"),
         "assembly"},
        {issuer("Yanbu Polymers Co.", "Yanbu Polymers Co. announces signing of a Sharia-compliant credit "
                                      "facilities agreement of SAR 500 million"),
         "contracts"},
        {issuer("Al Bayan Bank", "Al Bayan Bank announces the resignation of a Board member"), "board"},
        {issuer("Qassim Dairy Foods Co.",
                "Qassim Dairy Foods Co. announces the results of the Ordinary General "
                "Assembly Meeting (Second Meeting)"),
         "assembly"},
        {issuer(
             "Riyadh Housing Co.",
             "<p dir=\"ltr\">Riyadh Housing Co. announces an update on the capital increase through a rights "
             "issue</p><p><a href=\"/wps/portal/x\">More details</a></p>"),
         "capital"},
        {issuer("Makkah Development Co.",
                "Makkah Development Co. announces the award of a project with a value of SAR 120 million"),
         "contracts"},
        {issuer("Theeb Car Rental Co.",
                "Theeb Car Rental Co. announces the appointment of the Chief Executive "
                "Officer"),
         "board"},
        {issuer("Al Othman Retail Markets Co.",
                "Al Othman Retail Markets Co. announces the resumption of trading of its shares"),
         "trading"},
        {issuer("Arabian Telecom Co.",
                "Arabian Telecom Co. announces its intention to buy back a number of its "
                "shares"),
         "capital"},
        {issuer("Saudi Power Utilities Co.", "Saudi Power Utilities Co. announces the date of the dividend "
                                             "distribution for the 30-06-2026 period"),
         "dividends"},
        {issuer("Dammam Logistics Co.",
                "Dammam Logistics Co. announces the latest developments regarding the "
                "lawsuit filed against the company"),
         "other"},
        {news("Trading of Hail Cement Co. shares will be suspended for one session"), "trading"},
        {news("Saudi Exchange announces the addition of Arabian Energy Co. to the MSCI Tadawul 30 index"),
         "exchange"},
        {news("The Capital Market Authority approves the offering of units of a new fund"), "exchange"},
        {issuer("شركة الطاقة العربية", "تعلن شركة الطاقة العربية النتائج المالية الأولية للفترة المنتهية في "
                                       "30-06-2026 (ستة أشهر)"),
         "results"},
        {issuer("بنك نجد التجاري",
                "يعلن بنك نجد التجاري عن توصية مجلس الإدارة بتوزيع أرباح نقدية بقيمة 1.5 ريال "
                "للسهم"),
         "dividends"},
        {issuer("شركة أسمنت حائل", "تدعو شركة أسمنت حائل مساهميها إلى حضور اجتماع الجمعية العامة غير العادية "
                                   "(الاجتماع الأول)"),
         "assembly"},
        {issuer("شركة ينبع للبوليمرات",
                "تعلن شركة ينبع للبوليمرات عن توقيع اتفاقية تسهيلات ائتمانية متوافقة مع "
                "أحكام الشريعة بقيمة 500 مليون ريال"),
         "contracts"},
        {issuer("مصرف البيان", "يعلن مصرف البيان عن استقالة عضو من مجلس الإدارة"), "board"},
        {issuer("شركة القصيم للألبان والأغذية",
                "تعلن شركة القصيم للألبان والأغذية عن نتائج اجتماع الجمعية العامة العادية (الاجتماع الثاني)"),
         "assembly"},
        {issuer("شركة مكة للتطوير", "تعلن شركة مكة للتطوير عن ترسية مشروع بقيمة 120 مليون ريال"),
         "contracts"},
        {issuer("الشركة السعودية للمرافق الكهربائية",
                "<p dir=\"rtl\">تعلن الشركة السعودية للمرافق الكهربائية عن موعد توزيع الأرباح عن الفترة "
                "30-06-2026</p><p><a href=\"/wps/portal/x\">المزيد</a></p>"),
         "dividends"},
        {issuer("شركة الرياض للإسكان",
                "تعلن شركة الرياض للإسكان عن آخر التطورات بشأن زيادة رأس المال عن طريق طرح "
                "أسهم حقوق أولوية"),
         "capital"},
        {issuer("شركة ذيب لتأجير السيارات", "تعلن شركة ذيب لتأجير السيارات عن تعيين رئيس تنفيذي"), "board"},
        {issuer("شركة الاتصالات العربية", "تعلن شركة الاتصالات العربية عن رغبتها في شراء عدد من أسهمها"),
         "capital"},
        {issuer("شركة أسواق العثمان للتجزئة", "تعلن شركة أسواق العثمان للتجزئة عن استئناف تداول أسهمها"),
         "trading"},
        {issuer("شركة الدمام للخدمات اللوجستية",
                "تعلن شركة الدمام للخدمات اللوجستية آخر التطورات بخصوص الدعوى "
                "القضائية المرفوعة ضد الشركة"),
         "other"},
        {news("سيتم تعليق تداول أسهم شركة أسمنت حائل لجلسة واحدة"), "trading"},
        {news("تعلن تداول السعودية عن إضافة شركة الطاقة العربية إلى مؤشر إم إس سي آي تداول 30"), "exchange"},
        {news("هيئة السوق المالية توافق على طرح وحدات صندوق استثمار جديد"), "exchange"},
    };
    return rows;
}

QString categoryOf(const Announcement& announcement)
{
    return AnnouncementCategory::key(AnnouncementCategory::of(announcement));
}
} // namespace

class TestAnnouncementCategory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tuningHalf()
    {
        int arabic = 0;
        for (const Headline& row : ::tuningHalf()) {
            arabic += row.announcement.isArabic() ? 1 : 0;
            QCOMPARE(categoryOf(row.announcement), QString::fromLatin1(row.category));
        }
        QCOMPARE(arabic * 2, ::tuningHalf().size());
    }

    // Whole words, the order of precedence, the folding and what is read of an announcement.
    void rules_data()
    {
        QTest::addColumn<Announcement>("announcement");
        QTest::addColumn<QString>("category");
        QTest::newRow("inside a longer word") << news("Billboard company lists its assets") << "exchange";
        QTest::newRow("dividend and results: dividends first")
            << issuer("X", "X announces its annual results and a cash dividend") << "dividends";
        QTest::newRow("listing before a board decision")
            << news("Board approves the listing of X shares") << "trading";
        QTest::newRow("the issuer's name is not read")
            << issuer("Saudi Tadawul Group Capital Co.",
                      "Saudi Tadawul Group Capital Co. announces a lawsuit")
            << "other";
        QTest::newRow("only the first sentence")
            << issuer("X", "X announces a lawsuit. The board thanks the shareholders.") << "other";
        QTest::newRow("an abbreviation ends no sentence")
            << issuer("X", "Gulf Co. announces the resignation of its CEO") << "board";
        QTest::newRow("arabic without hamza, with tatweel and diacritics")
            << issuer("X", "تعلن الشركة عن تـوزيعِ ارباح نقدية") << "dividends";
        QTest::newRow("arabic particle and pronoun attached")
            << issuer("X", "تعلن الشركة عن نتائجها وبالقوائم") << "results";
        QTest::newRow("market news naming nothing") << news("Holiday schedule for Eid") << "exchange";
        QTest::newRow("issuer announcement naming nothing")
            << issuer("X", "X announces a lawsuit") << "other";
    }

    void rules()
    {
        QFETCH(Announcement, announcement);
        QFETCH(QString, category);
        QCOMPARE(categoryOf(announcement), category);
    }
};

QTEST_GUILESS_MAIN(TestAnnouncementCategory)
#include "tst_announcementcategory.moc"
