#include "archive/NewsRule.h"

NewsRule::Verdict NewsRule::judge(const Context& context, bool known, Instant pubDate)
{
    if (known)
        return Verdict::Known;
    if (!context.baselineDone)
        return Verdict::Baseline;
    if (!context.lastPoll)
        return Verdict::Silent;
    // Records without a stable identifier get another one in the other language: after a language
    // change only what is dated after the last poll can be new.
    const double slack = context.languageChanged ? 0 : kLateListingSeconds;
    return *context.lastPoll < pubDate.addSeconds(slack) ? Verdict::News : Verdict::Silent;
}
