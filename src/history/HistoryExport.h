#pragma once

#include "history/HistoryRecord.h"
#include "model/AnnouncementSearch.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

// Writes announcements for other programs: CSV that spreadsheet programs open as it is, or JSON.
class HistoryExport
{
public:
    enum class Format { Csv, Json };

    // As `list --json` prints an announcement (the cache file's six keys and "category"), and "read".
    static QJsonObject toJson(const HistoryRecord& record);
    // An array of toJson() records.
    static QByteArray json(const HistoryRecordList& records);
    // UTF-8 with a byte-order mark (so spreadsheets read it as UTF-8), a header row, one row per
    // announcement, RFC 4180 quoting and CRLF line ends. Dates are Riyadh time with their offset.
    static QByteArray csv(const HistoryRecordList& records,
                          const AnnouncementSearch::CompanyNames& companyNames);
    // One field: a text a spreadsheet would run as a formula gets an apostrophe first, then it is
    // quoted when it holds a comma, quote or line break.
    static QString csvField(const QString& text);

    // Writes the whole file or nothing (the old file stays on failure).
    static bool write(const QString& path, Format format, const HistoryRecordList& records,
                      const AnnouncementSearch::CompanyNames& companyNames, QString* error);
};
