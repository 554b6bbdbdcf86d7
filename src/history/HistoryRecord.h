#pragma once

#include "model/Announcement.h"

#include <QList>
#include <QString>

// One announcement as the history keeps it: with its category and whether the user has read it.
struct HistoryRecord
{
    Announcement announcement;
    QString category; // empty when none was given
    bool read = false;
};

using HistoryRecordList = QList<HistoryRecord>;
