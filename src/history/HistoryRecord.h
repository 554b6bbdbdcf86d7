#pragma once

#include "model/Announcement.h"

#include <QList>
#include <QString>

// One announcement as the history keeps it: with whether the user has read it.
struct HistoryRecord
{
    Announcement announcement;
    bool read = false;
};

using HistoryRecordList = QList<HistoryRecord>;
