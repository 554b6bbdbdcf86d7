#pragma once

#include "infra/Instant.h"

#include <QString>
#include <optional>

// When notifications wait, in Riyadh time: a daily span "HH:MM-HH:MM" (it may pass midnight),
// "outside-trading" (all but Sunday–Thursday 09:30–15:30), or off (empty text).
class QuietHours
{
public:
    static inline const QString kOutsideTrading = QStringLiteral("outside-trading");

    QuietHours() = default; // off
    // None when the text is none of the three forms (a span needs two different times).
    static std::optional<QuietHours> parse(const QString& text);

    bool isOff() const { return m_kind == Kind::Off; }
    bool isOutsideTrading() const { return m_kind == Kind::OutsideTrading; }
    int startMinute() const { return m_start; } // of a span
    int endMinute() const { return m_end; }
    QString text() const;

    bool isQuiet(Instant at) const;
    // When the quiet period holding `at` ends; `at` itself when it is not quiet.
    Instant quietUntil(Instant at) const;

private:
    enum class Kind { Off, Span, OutsideTrading };
    Kind m_kind = Kind::Off;
    int m_start = 0; // minutes of the Riyadh day
    int m_end = 0;
};
