<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>AllAnnouncementsWindow</name>
    <message numerus="yes">
        <source>%n announcements in the history</source>
        <translation>
            <numerusform>%n announcement in the history</numerusform>
            <numerusform>%n announcements in the history</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n announcements in the history</source>
        <translation>
            <numerusform>%1 of %n announcement in the history</numerusform>
            <numerusform>%1 of %n announcements in the history</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n announcements in the last 30 days</source>
        <translation>
            <numerusform>%n announcement in the last 30 days</numerusform>
            <numerusform>%n announcements in the last 30 days</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n announcements in the last 30 days</source>
        <translation>
            <numerusform>%1 of %n announcement in the last 30 days</numerusform>
            <numerusform>%1 of %n announcements in the last 30 days</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>HistorySettingsSection</name>
    <message numerus="yes">
        <source>The texts of announcements older than %n days are removed. The last %n days, your watchlist and what Zelvora has already seen stay.</source>
        <translation>
            <numerusform>The texts of announcements older than %n day are removed. The last %n day, your watchlist and what Zelvora has already seen stay.</numerusform>
            <numerusform>The texts of announcements older than %n days are removed. The last %n days, your watchlist and what Zelvora has already seen stay.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>MorningDigest</name>
    <message numerus="yes">
        <source>Morning digest: %n announcements</source>
        <translation>
            <numerusform>Morning digest: %n announcement</numerusform>
            <numerusform>Morning digest: %n announcements</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Morning Digest: %n announcements</source>
        <translation>
            <numerusform>Morning Digest: %n announcement</numerusform>
            <numerusform>Morning Digest: %n announcements</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>NotificationManager</name>
    <message numerus="yes">
        <source>%n new announcements since %1</source>
        <translation>
            <numerusform>%n new announcements since %1</numerusform>
            <numerusform>%n new announcements since %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n new announcements</source>
        <translation>
            <numerusform>%n new announcements</numerusform>
            <numerusform>%n new announcements</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n announcements came while notifications waited</source>
        <translation>
            <numerusform>%n announcement came while notifications waited</numerusform>
            <numerusform>%n announcements came while notifications waited</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>OutputMessage</name>
    <message numerus="yes">
        <source>%n new announcements</source>
        <translation>
            <numerusform>%n new announcements</numerusform>
            <numerusform>%n new announcements</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>and %n more</source>
        <translation>
            <numerusform>and %n more</numerusform>
            <numerusform>and %n more</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>TrayIcon</name>
    <message numerus="yes">
        <source>%n unread</source>
        <translation>
            <numerusform>%n unread</numerusform>
            <numerusform>%n unread</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>WatchlistEditor</name>
    <message numerus="yes">
        <source>%n companies match “%1”; choose one from the list.</source>
        <translation>
            <numerusform>%n company matches “%1”; choose one from the list.</numerusform>
            <numerusform>%n companies match “%1”; choose one from the list.</numerusform>
        </translation>
    </message>
</context>
</TS>
