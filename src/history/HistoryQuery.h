#pragma once

#include "infra/Instant.h"

#include <QString>
#include <optional>

// Which archived announcements to find, newest first. Every word of `text` must occur in the title,
// text, a symbol or a company's name (as in the kept list's search).
struct HistoryQuery
{
    QString text;
    // Taken to whole seconds (up): published at or after `since` and before `until`.
    std::optional<Instant> since;
    std::optional<Instant> until;
    QString symbol;
    QString category;
    bool unreadOnly = false;
    int limit = 100; // 0: all
};
