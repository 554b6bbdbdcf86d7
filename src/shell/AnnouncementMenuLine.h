#pragma once

#include "model/Announcement.h"

#include <QString>

// One announcement as a single line of text, for tray hosts that draw the menu themselves from the
// exported (D-Bus) layout: "💰 Arabian Energy Co. — Cash dividend of SAR 1.50 per share  ·  2222  ·  2:05 PM".
// The headline comes from the description, since an issuer announcement's title is only the
// issuer's name; without it five announcements of one company read alike.
class AnnouncementMenuLine
{
public:
    static constexpr int kTitleLength = 40;
    static constexpr int kTextLength = 72; // title and headline together

    static QString text(const Announcement& announcement, const QString& emoji, const QString& date);
    // The description as one line, without the title it repeats near its start ("Arabian Energy Co.
    // announces ..." under the title "Arabian Energy Co." gives "announces ...", "تعلن شركة X عن ..."
    // under "X" gives "تعلن عن ..."); empty when it adds nothing.
    static QString headline(const Announcement& announcement);
    // The label as a D-Bus menu shows it: the host reads "_" as an access key, and Qt turns the first
    // "&" into one.
    static QString escapedForExport(const QString& text);
};
