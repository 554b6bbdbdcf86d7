<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ar">
<context>
    <name>AboutWindow</name>
    <message>
        <source>Version %1 (%2)</source>
        <translation>الإصدار %1 (%2)</translation>
    </message>
    <message>
        <source>About Zelvora</source>
        <translation>حول Zelvora</translation>
    </message>
    <message>
        <source>Tadawul announcements — company disclosures and market news from the Saudi Exchange.</source>
        <translation>إعلانات تداول — إفصاحات الشركات وأخبار السوق من تداول السعودية.</translation>
    </message>
    <message>
        <source>Made by the Zelvora developers</source>
        <translation>من تطوير فريق Zelvora</translation>
    </message>
    <message>
        <source>© 2026 The Zelvora developers</source>
        <translation>© 2026 مطوّرو Zelvora</translation>
    </message>
</context>
<context>
    <name>AllAnnouncementsWindow</name>
    <message>
        <source>Zelvora — All Announcements</source>
        <translation>جميع الإعلانات — Zelvora</translation>
    </message>
    <message>
        <source>No announcements cached yet.
Announcements appear here once fetched.</source>
        <translation>لا توجد إعلانات محفوظة بعد.
ستظهر الإعلانات هنا فور جلبها.</translation>
    </message>
    <message>
        <source>Search titles, text, symbols and companies</source>
        <translation>ابحث في العناوين والنصوص والرموز والشركات</translation>
    </message>
    <message>
        <source>Watchlist only</source>
        <translation>قائمة المتابعة فقط</translation>
    </message>
    <message>
        <source>No announcement matches.</source>
        <translation>لا يوجد إعلان مطابق.</translation>
    </message>
    <message>
        <source>Last 30 days</source>
        <translation>آخر 30 يومًا</translation>
    </message>
    <message>
        <source>All history</source>
        <translation>السجل كله</translation>
    </message>
    <message>
        <source>Mark All as Read</source>
        <translation>تعليم الكل كمقروء</translation>
    </message>
    <message>
        <source>Export…</source>
        <translation>تصدير…</translation>
    </message>
    <message>
        <source>Export Announcements</source>
        <translation>تصدير الإعلانات</translation>
    </message>
    <message>
        <source>CSV (*.csv);;JSON (*.json)</source>
        <translation>CSV (*.csv);;JSON (*.json)</translation>
    </message>
    <message>
        <source>Could not write %1: %2</source>
        <translation>تعذّرت كتابة %1: %2</translation>
    </message>
    <message>
        <source>All categories</source>
        <translation>كل الفئات</translation>
    </message>
    <message numerus="yes">
        <source>%n announcements in the history</source>
        <translation>
            <numerusform>لا إعلانات في السجل</numerusform>
            <numerusform>إعلان واحد في السجل</numerusform>
            <numerusform>إعلانان في السجل</numerusform>
            <numerusform>%n إعلانات في السجل</numerusform>
            <numerusform>%n إعلانًا في السجل</numerusform>
            <numerusform>%n إعلان في السجل</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n announcements in the history</source>
        <translation>
            <numerusform>%1 من %n إعلان في السجل</numerusform>
            <numerusform>%1 من إعلان واحد في السجل</numerusform>
            <numerusform>%1 من إعلانين في السجل</numerusform>
            <numerusform>%1 من %n إعلانات في السجل</numerusform>
            <numerusform>%1 من %n إعلانًا في السجل</numerusform>
            <numerusform>%1 من %n إعلان في السجل</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n announcements in the last 30 days</source>
        <translation>
            <numerusform>لا إعلانات في آخر 30 يومًا</numerusform>
            <numerusform>إعلان واحد في آخر 30 يومًا</numerusform>
            <numerusform>إعلانان في آخر 30 يومًا</numerusform>
            <numerusform>%n إعلانات في آخر 30 يومًا</numerusform>
            <numerusform>%n إعلانًا في آخر 30 يومًا</numerusform>
            <numerusform>%n إعلان في آخر 30 يومًا</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n announcements in the last 30 days</source>
        <translation>
            <numerusform>%1 من %n إعلان في آخر 30 يومًا</numerusform>
            <numerusform>%1 من إعلان واحد في آخر 30 يومًا</numerusform>
            <numerusform>%1 من إعلانين في آخر 30 يومًا</numerusform>
            <numerusform>%1 من %n إعلانات في آخر 30 يومًا</numerusform>
            <numerusform>%1 من %n إعلانًا في آخر 30 يومًا</numerusform>
            <numerusform>%1 من %n إعلان في آخر 30 يومًا</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Announcement</name>
    <message>
        <source>h:mm a</source>
        <translation>h:mm a</translation>
    </message>
    <message>
        <source>&apos;Yesterday&apos; h:mm a</source>
        <translation>&apos;أمس&apos; h:mm a</translation>
    </message>
    <message>
        <source>MMM d, h:mm a</source>
        <translation>d MMM، h:mm a</translation>
    </message>
</context>
<context>
    <name>AnnouncementCategory</name>
    <message>
        <source>Trading and listing</source>
        <translation>التداول والإدراج</translation>
    </message>
    <message>
        <source>General assemblies</source>
        <translation>الجمعيات العامة</translation>
    </message>
    <message>
        <source>Dividends</source>
        <translation>توزيعات الأرباح</translation>
    </message>
    <message>
        <source>Capital changes</source>
        <translation>تغييرات رأس المال</translation>
    </message>
    <message>
        <source>Financial results</source>
        <translation>النتائج المالية</translation>
    </message>
    <message>
        <source>Board and management</source>
        <translation>مجلس الإدارة والإدارة التنفيذية</translation>
    </message>
    <message>
        <source>Contracts and projects</source>
        <translation>العقود والمشاريع</translation>
    </message>
    <message>
        <source>Exchange and market authority</source>
        <translation>السوق والهيئة</translation>
    </message>
    <message>
        <source>Other</source>
        <translation>أخرى</translation>
    </message>
    <message>
        <source>trading</source>
        <translation>التداول</translation>
    </message>
    <message>
        <source>assembly</source>
        <translation>الجمعية العامة</translation>
    </message>
    <message>
        <source>dividends</source>
        <translation>توزيعات الأرباح</translation>
    </message>
    <message>
        <source>capital</source>
        <translation>رأس المال</translation>
    </message>
    <message>
        <source>results</source>
        <translation>النتائج</translation>
    </message>
    <message>
        <source>board</source>
        <translation>مجلس الإدارة</translation>
    </message>
    <message>
        <source>contracts</source>
        <translation>العقود</translation>
    </message>
    <message>
        <source>exchange</source>
        <translation>السوق</translation>
    </message>
    <message>
        <source>other</source>
        <translation>أخرى</translation>
    </message>
</context>
<context>
    <name>AnnouncementWebView</name>
    <message>
        <source>Inspect Element</source>
        <translation>فحص العنصر</translation>
    </message>
    <message>
        <source>Web Inspector — %1</source>
        <translation>أداة فحص الويب — %1</translation>
    </message>
</context>
<context>
    <name>AnnouncementWindow</name>
    <message>
        <source>Open Source</source>
        <translation>فتح المصدر</translation>
    </message>
    <message>
        <source>Open in Tadawul</source>
        <translation>فتح في تداول</translation>
    </message>
</context>
<context>
    <name>AnnouncementWindowLoader</name>
    <message>
        <source>Zelvora cannot show announcements itself while it runs as the root user: its web engine refuses to start. The announcement opens in your browser instead.</source>
        <translation>لا يستطيع Zelvora عرض الإعلانات بنفسه ما دام يعمل بصلاحيات المستخدم الجذر: محرك الويب فيه يرفض البدء. يُفتح الإعلان في متصفحك بدلًا من ذلك.</translation>
    </message>
</context>
<context>
    <name>DBusNotificationBackend</name>
    <message>
        <source>Open</source>
        <translation>فتح</translation>
    </message>
    <message>
        <source>Mute This Company Today</source>
        <translation>كتم هذه الشركة اليوم</translation>
    </message>
</context>
<context>
    <name>DisplayTime</name>
    <message>
        <source>%1 Riyadh time</source>
        <translation>%1 بتوقيت الرياض</translation>
    </message>
</context>
<context>
    <name>FeedContent</name>
    <message>
        <source>Zelvora — Saudi Exchange announcements</source>
        <translation>إعلانات تداول السعودية — Zelvora</translation>
    </message>
    <message>
        <source>Saudi Exchange</source>
        <translation>تداول السعودية</translation>
    </message>
</context>
<context>
    <name>FetchError</name>
    <message>
        <source>403 Access Denied</source>
        <translation>رُفض الوصول (403)</translation>
    </message>
    <message>
        <source>HTTP %1</source>
        <translation>خطأ HTTP %1</translation>
    </message>
    <message>
        <source>not a feed answer</source>
        <translation>ردّ غير متوقع من البوابة</translation>
    </message>
    <message>
        <source>invalid portal address</source>
        <translation>عنوان البوابة غير صالح</translation>
    </message>
</context>
<context>
    <name>HistorySettingsSection</name>
    <message>
        <source>Clear History…</source>
        <translation>مسح السجل…</translation>
    </message>
    <message>
        <source>Clear History?</source>
        <translation>مسح السجل؟</translation>
    </message>
    <message numerus="yes">
        <source>The texts of announcements older than %n days are removed. The last %n days, your watchlist and what Zelvora has already seen stay.</source>
        <translation>
            <numerusform>تُزال نصوص الإعلانات الأقدم من %n يوم. تبقى إعلانات آخر %n يوم وقائمة المتابعة وما سبق أن رآه Zelvora.</numerusform>
            <numerusform>تُزال نصوص الإعلانات الأقدم من يوم واحد. تبقى إعلانات اليوم الأخير وقائمة المتابعة وما سبق أن رآه Zelvora.</numerusform>
            <numerusform>تُزال نصوص الإعلانات الأقدم من يومين. تبقى إعلانات آخر يومين وقائمة المتابعة وما سبق أن رآه Zelvora.</numerusform>
            <numerusform>تُزال نصوص الإعلانات الأقدم من %n أيام. تبقى إعلانات آخر %n أيام وقائمة المتابعة وما سبق أن رآه Zelvora.</numerusform>
            <numerusform>تُزال نصوص الإعلانات الأقدم من %n يومًا. تبقى إعلانات آخر %n يومًا وقائمة المتابعة وما سبق أن رآه Zelvora.</numerusform>
            <numerusform>تُزال نصوص الإعلانات الأقدم من %n يوم. تبقى إعلانات آخر %n يوم وقائمة المتابعة وما سبق أن رآه Zelvora.</numerusform>
        </translation>
    </message>
    <message>
        <source>History on disk: %1</source>
        <translation>حجم السجل على القرص: %1</translation>
    </message>
</context>
<context>
    <name>MorningDigest</name>
    <message numerus="yes">
        <source>Morning digest: %n announcements</source>
        <translation>
            <numerusform>الملخص الصباحي: لا إعلانات</numerusform>
            <numerusform>الملخص الصباحي: إعلان واحد</numerusform>
            <numerusform>الملخص الصباحي: إعلانان</numerusform>
            <numerusform>الملخص الصباحي: %n إعلانات</numerusform>
            <numerusform>الملخص الصباحي: %n إعلانًا</numerusform>
            <numerusform>الملخص الصباحي: %n إعلان</numerusform>
        </translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>, </source>
        <translation>، </translation>
    </message>
    <message numerus="yes">
        <source>Morning Digest: %n announcements</source>
        <translation>
            <numerusform>الملخص الصباحي: لا إعلانات</numerusform>
            <numerusform>الملخص الصباحي: إعلان واحد</numerusform>
            <numerusform>الملخص الصباحي: إعلانان</numerusform>
            <numerusform>الملخص الصباحي: %n إعلانات</numerusform>
            <numerusform>الملخص الصباحي: %n إعلانًا</numerusform>
            <numerusform>الملخص الصباحي: %n إعلان</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>NotificationManager</name>
    <message>
        <source>Notifications are working. You will receive alerts for new Saudi Exchange announcements.</source>
        <translation>الإشعارات تعمل. ستصلك تنبيهات بإعلانات تداول السعودية الجديدة.</translation>
    </message>
    <message>
        <source>Zelvora is not watching the Saudi Exchange</source>
        <translation>لا يتابع Zelvora تداول السعودية حاليًا</translation>
    </message>
    <message>
        <source>New announcements are not being checked. Zelvora keeps trying.</source>
        <translation>لا يجري التحقق من الإعلانات الجديدة حاليًا، ويواصل Zelvora المحاولة.</translation>
    </message>
    <message numerus="yes">
        <source>%n new announcements since %1</source>
        <translation>
            <numerusform>لا إعلانات جديدة منذ %1</numerusform>
            <numerusform>إعلان جديد واحد منذ %1</numerusform>
            <numerusform>إعلانان جديدان منذ %1</numerusform>
            <numerusform>%n إعلانات جديدة منذ %1</numerusform>
            <numerusform>%n إعلانًا جديدًا منذ %1</numerusform>
            <numerusform>%n إعلان جديد منذ %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n new announcements</source>
        <translation>
            <numerusform>لا إعلانات جديدة</numerusform>
            <numerusform>إعلان جديد واحد</numerusform>
            <numerusform>إعلانان جديدان</numerusform>
            <numerusform>%n إعلانات جديدة</numerusform>
            <numerusform>%n إعلانًا جديدًا</numerusform>
            <numerusform>%n إعلان جديد</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n announcements came while notifications waited</source>
        <translation>
            <numerusform>لم تصل إعلانات أثناء انتظار التنبيهات</numerusform>
            <numerusform>وصل إعلان واحد أثناء انتظار التنبيهات</numerusform>
            <numerusform>وصل إعلانان أثناء انتظار التنبيهات</numerusform>
            <numerusform>وصلت %n إعلانات أثناء انتظار التنبيهات</numerusform>
            <numerusform>وصل %n إعلانًا أثناء انتظار التنبيهات</numerusform>
            <numerusform>وصل %n إعلان أثناء انتظار التنبيهات</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>NotificationPrompt</name>
    <message>
        <source>Enable Notifications?</source>
        <translation>تفعيل الإشعارات؟</translation>
    </message>
    <message>
        <source>Zelvora can notify you about new Saudi Exchange announcements — company disclosures, dividends, and market news.

Next, Zelvora checks that your desktop&apos;s notification service answers and sends you a test notification.</source>
        <translation>يستطيع Zelvora إشعارك بإعلانات تداول السعودية الجديدة — إفصاحات الشركات وتوزيعات الأرباح وأخبار السوق.

بعد ذلك يتحقق Zelvora من استجابة خدمة الإشعارات في سطح المكتب، ويرسل إليك إشعارًا تجريبيًا.</translation>
    </message>
    <message>
        <source>Enable Notifications</source>
        <translation>تفعيل الإشعارات</translation>
    </message>
    <message>
        <source>Don&apos;t Ask Again</source>
        <translation>عدم السؤال مجددًا</translation>
    </message>
    <message>
        <source>Notifications Disabled</source>
        <translation>الإشعارات معطّلة</translation>
    </message>
    <message>
        <source>When Zelvora last asked, no notification service answered on this desktop. Turn notifications on in your desktop&apos;s settings (Notifications → Zelvora), or start a notification service, and restart Zelvora.</source>
        <translation>عندما سأل Zelvora آخر مرة، لم تستجب أي خدمة إشعارات على سطح المكتب هذا. فعّل الإشعارات من إعدادات سطح المكتب (الإشعارات ← Zelvora)، أو شغّل خدمة إشعارات، ثم أعد تشغيل Zelvora.</translation>
    </message>
    <message>
        <source>Open Settings</source>
        <translation>فتح الإعدادات</translation>
    </message>
</context>
<context>
    <name>OutputConfig</name>
    <message>
        <source>needs an http or https URL</source>
        <translation>يحتاج إلى عنوان http أو https</translation>
    </message>
    <message>
        <source>needs an smtp:// or smtps:// URL</source>
        <translation>يحتاج إلى عنوان smtp://‎ أو smtps://‎</translation>
    </message>
    <message>
        <source>needs a recipient address</source>
        <translation>يحتاج إلى عنوان المستلم</translation>
    </message>
    <message>
        <source>needs a chat</source>
        <translation>يحتاج إلى محادثة</translation>
    </message>
    <message>
        <source>needs an http or https API URL</source>
        <translation>يحتاج إلى عنوان واجهة برمجية http أو https</translation>
    </message>
    <message>
        <source>needs an http or https homeserver URL</source>
        <translation>يحتاج إلى عنوان خادم رئيسي http أو https</translation>
    </message>
    <message>
        <source>needs a room</source>
        <translation>يحتاج إلى غرفة</translation>
    </message>
</context>
<context>
    <name>OutputMessage</name>
    <message>
        <source>Zelvora test announcement</source>
        <translation>إعلان تجريبي من Zelvora</translation>
    </message>
    <message>
        <source>This output works: Zelvora will send new announcements here.</source>
        <translation>هذا المخرج يعمل: سيرسل Zelvora الإعلانات الجديدة إلى هنا.</translation>
    </message>
    <message>
        <source>Saudi Arabian Oil Co.</source>
        <translation>شركة الزيت العربية السعودية</translation>
    </message>
    <message numerus="yes">
        <source>%n new announcements</source>
        <translation>
            <numerusform>لا إعلانات جديدة</numerusform>
            <numerusform>إعلان جديد واحد</numerusform>
            <numerusform>إعلانان جديدان</numerusform>
            <numerusform>%n إعلانات جديدة</numerusform>
            <numerusform>%n إعلانًا جديدًا</numerusform>
            <numerusform>%n إعلان جديد</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>and %n more</source>
        <translation>
            <numerusform>ولا مزيد</numerusform>
            <numerusform>وإعلان آخر</numerusform>
            <numerusform>وإعلانان آخران</numerusform>
            <numerusform>و%n إعلانات أخرى</numerusform>
            <numerusform>و%n إعلانًا آخر</numerusform>
            <numerusform>و%n إعلان آخر</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>OutputsEditor</name>
    <message>
        <source>e.g. phone</source>
        <translation>مثال: الهاتف</translation>
    </message>
    <message>
        <source>Webhook</source>
        <translation>خطاف ويب (Webhook)</translation>
    </message>
    <message>
        <source>Mail (SMTP)</source>
        <translation>البريد (SMTP)</translation>
    </message>
    <message>
        <source>you@example.org</source>
        <translation>you@example.org</translation>
    </message>
    <message>
        <source>optional</source>
        <translation>اختياري</translation>
    </message>
    <message>
        <source>e.g. -1001234567890 or @channel</source>
        <translation>مثال: ‎-1001234567890 أو ‎@channel</translation>
    </message>
    <message>
        <source>e.g. !abc:example.org</source>
        <translation>مثال: ‎!abc:example.org</translation>
    </message>
    <message>
        <source>optional: only what this rule lets through</source>
        <translation>اختياري: ما تسمح به هذه القاعدة فقط</translation>
    </message>
    <message>
        <source>Keep quiet during quiet hours</source>
        <translation>الصمت خلال ساعات الهدوء</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>الاسم</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>النوع</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>العنوان</translation>
    </message>
    <message>
        <source>To</source>
        <translation>إلى</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>اسم الدخول</translation>
    </message>
    <message>
        <source>Chat</source>
        <translation>المحادثة</translation>
    </message>
    <message>
        <source>Room</source>
        <translation>الغرفة</translation>
    </message>
    <message>
        <source>Secret</source>
        <translation>السر</translation>
    </message>
    <message>
        <source>Rule</source>
        <translation>القاعدة</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>إضافة</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>إزالة</translation>
    </message>
    <message>
        <source>Test</source>
        <translation>تجربة</translation>
    </message>
    <message>
        <source>bearer token (optional)</source>
        <translation>رمز الوصول (اختياري)</translation>
    </message>
    <message>
        <source>access token (optional)</source>
        <translation>رمز الوصول (اختياري)</translation>
    </message>
    <message>
        <source>password (optional)</source>
        <translation>كلمة المرور (اختيارية)</translation>
    </message>
    <message>
        <source>API address (optional)</source>
        <translation>عنوان الواجهة البرمجية (اختياري)</translation>
    </message>
    <message>
        <source>bot token</source>
        <translation>رمز البوت</translation>
    </message>
    <message>
        <source>access token</source>
        <translation>رمز الوصول</translation>
    </message>
    <message>
        <source>needs a name</source>
        <translation>يحتاج إلى اسم</translation>
    </message>
    <message>
        <source>needs its secret</source>
        <translation>يحتاج إلى السر الخاص به</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>The settings could not be saved.</source>
        <translation>تعذر حفظ الإعدادات.</translation>
    </message>
    <message>
        <source>Added %1.</source>
        <translation>تمت إضافة %1.</translation>
    </message>
    <message>
        <source>Choose an output to test.</source>
        <translation>اختر مخرجًا لتجربته.</translation>
    </message>
    <message>
        <source>Sending a test announcement to %1…</source>
        <translation>جارٍ إرسال إعلان تجريبي إلى %1…</translation>
    </message>
    <message>
        <source>%1: the test announcement was delivered.</source>
        <translation>%1: تم تسليم الإعلان التجريبي.</translation>
    </message>
    <message>
        <source>%1: not delivered, try again later (%2).</source>
        <translation>%1: لم يُسلَّم، حاول مرة أخرى لاحقًا (%2).</translation>
    </message>
    <message>
        <source>%1: the receiver refused it (%2).</source>
        <translation>%1: رفضه المستقبِل (%2).</translation>
    </message>
</context>
<context>
    <name>PollStatus</name>
    <message>
        <source>issuer announcements</source>
        <translation>إعلانات الشركات</translation>
    </message>
    <message>
        <source>market news</source>
        <translation>أخبار السوق</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Not checked yet</source>
        <translation>لم يجرِ التحقق بعد</translation>
    </message>
    <message>
        <source>Checked %1</source>
        <translation>آخر تحقق %1</translation>
    </message>
    <message>
        <source>Checked %1, but %2 failed (%3)</source>
        <translation>آخر تحقق %1، لكن تعذّر جلب %2 (%3)</translation>
    </message>
    <message>
        <source>Can&apos;t reach the Saudi Exchange since %1 (%2)</source>
        <translation>تعذّر الوصول إلى تداول السعودية منذ %1 (%2)</translation>
    </message>
    <message>
        <source>Output “%1” refused: %2</source>
        <translation>رفض المخرج «%1» الإرسال: %2</translation>
    </message>
</context>
<context>
    <name>QuietHoursEditor</name>
    <message>
        <source>Off</source>
        <translation>إيقاف</translation>
    </message>
    <message>
        <source>Trading days only</source>
        <translation>أيام التداول فقط</translation>
    </message>
    <message>
        <source>From … to …</source>
        <translation>من … إلى …</translation>
    </message>
    <message>
        <source>From</source>
        <translation>من</translation>
    </message>
    <message>
        <source>to</source>
        <translation>إلى</translation>
    </message>
    <message>
        <source>(Riyadh time)</source>
        <translation>(بتوقيت الرياض)</translation>
    </message>
    <message>
        <source>Muted companies</source>
        <translation>الشركات المكتومة</translation>
    </message>
    <message>
        <source>%1, muted until %2</source>
        <translation>%1، مكتومة حتى %2</translation>
    </message>
    <message>
        <source>Unmute</source>
        <translation>إلغاء الكتم</translation>
    </message>
    <message>
        <source>None</source>
        <translation>لا شيء</translation>
    </message>
    <message>
        <source>Morning digest at</source>
        <translation>الملخص الصباحي عند</translation>
    </message>
    <message>
        <source>(Riyadh time, trading days)</source>
        <translation>(بتوقيت الرياض، أيام التداول)</translation>
    </message>
</context>
<context>
    <name>Rule</name>
    <message>
        <source>Watchlist</source>
        <translation>قائمة المتابعة</translation>
    </message>
    <message>
        <source>Notify and keep on screen</source>
        <translation>إشعار يبقى على الشاشة</translation>
    </message>
    <message>
        <source>Keep silent</source>
        <translation>دون إشعار</translation>
    </message>
    <message>
        <source>Notify</source>
        <translation>إشعار</translation>
    </message>
</context>
<context>
    <name>RulesEditor</name>
    <message>
        <source>The Watchlist is checked first, then these rules in order; the first rule an announcement matches decides. A rule needs all the kinds it names.</source>
        <translation>تُفحص قائمة المتابعة أولاً، ثم هذه القواعد بترتيبها؛ وأول قاعدة يطابقها الإعلان هي التي تقرر. ويجب أن يتحقق في القاعدة كل ما تذكره من أنواع.</translation>
    </message>
    <message>
        <source>New Rule</source>
        <translation>قاعدة جديدة</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>إزالة</translation>
    </message>
    <message>
        <source>Move Up</source>
        <translation>نقل لأعلى</translation>
    </message>
    <message>
        <source>Move Down</source>
        <translation>نقل لأسفل</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>الاسم</translation>
    </message>
    <message>
        <source>e.g. 2222, 1120</source>
        <translation>مثل 2222، 1120</translation>
    </message>
    <message>
        <source>e.g. dividend, توزيع أرباح</source>
        <translation>مثل توزيع أرباح، dividend</translation>
    </message>
    <message>
        <source>e.g. sukuk, صكوك</source>
        <translation>مثل صكوك، sukuk</translation>
    </message>
    <message>
        <source>Symbols</source>
        <translation>الرموز</translation>
    </message>
    <message>
        <source>Words</source>
        <translation>الكلمات</translation>
    </message>
    <message>
        <source>Categories</source>
        <translation>الفئات</translation>
    </message>
    <message>
        <source>Except words</source>
        <translation>باستثناء الكلمات</translation>
    </message>
    <message>
        <source>Action</source>
        <translation>الإجراء</translation>
    </message>
    <message>
        <source>Rule %1</source>
        <translation>قاعدة %1</translation>
    </message>
</context>
<context>
    <name>SettingsWindow</name>
    <message>
        <source>Settings — Zelvora</source>
        <translation>الإعدادات — Zelvora</translation>
    </message>
    <message>
        <source>System</source>
        <translation>لغة النظام</translation>
    </message>
    <message>
        <source>Every 3 minutes</source>
        <translation>كل 3 دقائق</translation>
    </message>
    <message>
        <source>Every 5 minutes</source>
        <translation>كل 5 دقائق</translation>
    </message>
    <message>
        <source>Every 10 minutes</source>
        <translation>كل 10 دقائق</translation>
    </message>
    <message>
        <source>Enable notifications for new announcements</source>
        <translation>تفعيل الإشعارات للإعلانات الجديدة</translation>
    </message>
    <message>
        <source>Show all announcements (not just watchlist)</source>
        <translation>إظهار جميع الإعلانات (وليس قائمة المتابعة فقط)</translation>
    </message>
    <message>
        <source>Re-enable notification prompt</source>
        <translation>إعادة تفعيل طلب الإشعارات</translation>
    </message>
    <message>
        <source>Zelvora monitors issuer announcements and market news from Saudi Exchange public feeds. No account or API key required.</source>
        <translation>يتابع Zelvora إعلانات الشركات المُدرجة وأخبار السوق من الخدمات العامة لتداول السعودية، دون حاجة إلى حساب أو مفتاح API.</translation>
    </message>
    <message>
        <source>Data &amp; Fetching</source>
        <translation>البيانات والتحديث</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>لغة الإعلانات</translation>
    </message>
    <message>
        <source>Interface language</source>
        <translation>لغة الواجهة</translation>
    </message>
    <message>
        <source>Check every</source>
        <translation>التحقق كل</translation>
    </message>
    <message>
        <source>Notifications</source>
        <translation>الإشعارات</translation>
    </message>
    <message>
        <source>Notification prompt re-enabled</source>
        <translation>أُعيد تفعيل طلب الإشعارات</translation>
    </message>
    <message>
        <source>The notification permission dialog will appear on next app launch.</source>
        <translation>ستظهر نافذة إذن الإشعارات عند التشغيل القادم للتطبيق.</translation>
    </message>
    <message>
        <source>Watchlist</source>
        <translation>قائمة المتابعة</translation>
    </message>
    <message>
        <source>Share anonymous usage statistics</source>
        <translation>مشاركة إحصاءات استخدام مجهولة الهوية</translation>
    </message>
    <message>
        <source>Privacy</source>
        <translation>الخصوصية</translation>
    </message>
    <message>
        <source>Check for updates automatically</source>
        <translation>التحقق من وجود تحديثات تلقائيًا</translation>
    </message>
    <message>
        <source>Turned off by DO_NOT_TRACK in the environment.</source>
        <translation>أوقفها المتغير DO_NOT_TRACK في البيئة.</translation>
    </message>
    <message>
        <source>General</source>
        <translation>عام</translation>
    </message>
    <message>
        <source>Outputs</source>
        <translation>المخرجات</translation>
    </message>
    <message>
        <source>Rules</source>
        <translation>القواعد</translation>
    </message>
    <message>
        <source>Quiet Hours</source>
        <translation>ساعات الهدوء</translation>
    </message>
</context>
<context>
    <name>TrayApplication</name>
    <message>
        <source>Notifications paused until %1</source>
        <translation>التنبيهات موقوفة مؤقتًا حتى %1</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>استئناف</translation>
    </message>
    <message>
        <source>Quiet hours until %1</source>
        <translation>ساعات الهدوء حتى %1</translation>
    </message>
    <message>
        <source>Turn Off Quiet Hours</source>
        <translation>إيقاف ساعات الهدوء</translation>
    </message>
</context>
<context>
    <name>TrayIcon</name>
    <message>
        <source>Zelvora — Saudi Exchange announcements</source>
        <translation>إعلانات تداول السعودية — Zelvora</translation>
    </message>
    <message numerus="yes">
        <source>%n unread</source>
        <translation>
            <numerusform>%n غير مقروء</numerusform>
            <numerusform>إعلان واحد غير مقروء</numerusform>
            <numerusform>إعلانان غير مقروءين</numerusform>
            <numerusform>%n إعلانات غير مقروءة</numerusform>
            <numerusform>%n إعلانًا غير مقروء</numerusform>
            <numerusform>%n إعلان غير مقروء</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>TrayMenu</name>
    <message>
        <source>Tadawul Market</source>
        <translation>سوق تداول</translation>
    </message>
    <message>
        <source>Refresh Now</source>
        <translation>تحديث الآن</translation>
    </message>
    <message>
        <source>Settings…</source>
        <translation>الإعدادات…</translation>
    </message>
    <message>
        <source>Check for Updates...</source>
        <translation>التحقق من وجود تحديثات…</translation>
    </message>
    <message>
        <source>About Zelvora</source>
        <translation>حول Zelvora</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>إنهاء</translation>
    </message>
    <message>
        <source>View All (30 days)...</source>
        <translation>عرض الكل (30 يومًا)…</translation>
    </message>
    <message>
        <source>Watchlist</source>
        <translation>قائمة المتابعة</translation>
    </message>
    <message>
        <source>Latest Announcements</source>
        <translation>أحدث الإعلانات</translation>
    </message>
    <message>
        <source>No announcements yet — refreshing…</source>
        <translation>لا توجد إعلانات بعد — جارٍ التحديث…</translation>
    </message>
    <message>
        <source>Not watching: %1</source>
        <translation>المتابعة متوقفة: %1</translation>
    </message>
    <message>
        <source>Retry Now</source>
        <translation>إعادة المحاولة الآن</translation>
    </message>
    <message>
        <source>Mark All as Read</source>
        <translation>تعليم الكل كمقروء</translation>
    </message>
    <message>
        <source>Pause Notifications for 1 Hour</source>
        <translation>إيقاف التنبيهات مؤقتًا لمدة ساعة</translation>
    </message>
    <message>
        <source>Pause Notifications Until Tomorrow&apos;s Open</source>
        <translation>إيقاف التنبيهات مؤقتًا حتى افتتاح السوق غدًا</translation>
    </message>
</context>
<context>
    <name>UpdateDialog</name>
    <message>
        <source>Software Update</source>
        <translation>تحديث البرنامج</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>تنزيل</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>إغلاق</translation>
    </message>
    <message>
        <source>Checking for updates…</source>
        <translation>جارٍ التحقق من وجود تحديثات…</translation>
    </message>
    <message>
        <source>You’re up to date!</source>
        <translation>لديك أحدث إصدار!</translation>
    </message>
    <message>
        <source>%1 %2 is currently the newest version available.</source>
        <translation>%1 %2 هو أحدث إصدار متاح حاليًا.</translation>
    </message>
    <message>
        <source>A new version of %1 is available!</source>
        <translation>يتوفر إصدار جديد من %1!</translation>
    </message>
    <message>
        <source>%1 %2 is now available — you have %3.</source>
        <translation>أصبح %1 %2 متاحًا الآن — لديك الإصدار %3.</translation>
    </message>
    <message>
        <source>Release notes</source>
        <translation>ملاحظات الإصدار</translation>
    </message>
    <message>
        <source>Update Error!</source>
        <translation>خطأ في التحديث!</translation>
    </message>
</context>
<context>
    <name>Updater</name>
    <message>
        <source>The update information could not be read: %1.</source>
        <translation>تعذّرت قراءة معلومات التحديث: %1.</translation>
    </message>
    <message>
        <source>The update information could not be downloaded: %1.</source>
        <translation>تعذّر تنزيل معلومات التحديث: %1.</translation>
    </message>
</context>
<context>
    <name>WatchlistEditor</name>
    <message>
        <source>Symbol or company name</source>
        <translation>الرمز أو اسم الشركة</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>إضافة</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>إزالة</translation>
    </message>
    <message>
        <source>Watch words</source>
        <translation>كلمات المتابعة</translation>
    </message>
    <message>
        <source>e.g. dividend, rights issue, توزيع أرباح</source>
        <translation>مثل: توزيع أرباح، حقوق أولوية، dividend</translation>
    </message>
    <message>
        <source>Announcements whose title or text holds one of these words count as watchlist matches. Separate words with commas.</source>
        <translation>تُعدّ الإعلانات التي يحتوي عنوانها أو نصها على إحدى هذه الكلمات ضمن مطابقات قائمة المتابعة. افصل بين الكلمات بفواصل.</translation>
    </message>
    <message numerus="yes">
        <source>%n companies match “%1”; choose one from the list.</source>
        <translation>
            <numerusform>تطابق %n شركة «%1»؛ اختر واحدة من القائمة.</numerusform>
            <numerusform>تطابق %n شركة «%1»؛ اختر واحدة من القائمة.</numerusform>
            <numerusform>تطابق %n شركة «%1»؛ اختر واحدة من القائمة.</numerusform>
            <numerusform>تطابق %n شركات «%1»؛ اختر واحدة من القائمة.</numerusform>
            <numerusform>تطابق %n شركةً «%1»؛ اختر واحدة من القائمة.</numerusform>
            <numerusform>تطابق %n شركة «%1»؛ اختر واحدة من القائمة.</numerusform>
        </translation>
    </message>
    <message>
        <source>“%1” is neither a known symbol nor four digits.</source>
        <translation>«%1» ليس رمزًا معروفًا ولا أربعة أرقام.</translation>
    </message>
    <message>
        <source>A watch word needs at least two letters: %1.</source>
        <translation>تحتاج كلمة المراقبة إلى حرفين على الأقل: %1.</translation>
    </message>
</context>
</TS>
