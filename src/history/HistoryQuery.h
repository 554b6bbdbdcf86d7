#pragma once

#include "infra/Instant.h"

#include <QString>
#include <optional>

// Which archived announcements to find, newest first. Every word of `text` must occur in the title,
// text, a symbol or a company's name (as in the kept list's search).
struct HistoryQuery
{
    QString text;
    std::optional<Instant> since; // published at or after
    std::optional<Instant> until; // published before
    QString symbol;
    QString category;
    bool unreadOnly = false;
    int limit = 100; // 0: all
};
