#pragma once

#include <QProxyStyle>

// The application's style, except that a menu taller than the screen scrolls instead of wrapping
// into a second column (which puts announcements beside the commands in no readable order).
class ScrollingMenuStyle : public QProxyStyle
{
    Q_OBJECT
public:
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};
