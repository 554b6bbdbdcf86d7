#pragma once

#include "model/Announcement.h"

#include <QByteArray>
#include <QString>

// The HTML document an announcement window shows: header (title, date, company tags, source tag)
// and the description as the portal delivered it, with a style sheet for light and dark appearance.
class AnnouncementPage
{
public:
    // Pure: the same record and date text always give the same document (no line feed at the end).
    static QString buildHTML(const Announcement& announcement, const QString& dateText);
    // The record's page with its date in the user's locale and time zone.
    static QString buildHTML(const Announcement& announcement);

    // The date the page header and the window's bottom bar show: the announcement's time as
    // everywhere else (DisplayTime::announcement).
    static QString dateText(Instant instant);
};
