#pragma once

#include <QIcon>

// The tray icon: a bell drawn from the colour emoji font, with a small green dot while a new
// watchlist match waits to be seen, greyed and struck through while Zelvora is not watching.
class TrayIconRenderer
{
public:
    static QIcon bell(bool withBadge, bool notWatching = false);
};
