#pragma once

#include "archive/Outbox.h"
#include "model/Announcement.h"
#include "model/RuleSet.h"
#include "outputs/OutputConfig.h"

#include <QList>

// What a poll's new announcements owe each output: those the rules and the show-all setting would
// notify (whether desktop notifications are on or not), of one rule only for an output limited to it.
// Past the user's threshold a burst is grouped as on the desktop (matches one by one, at most five,
// the rest in one summary), except for webhooks, which get every record.
class DeliveryRoute
{
public:
    DeliveryRoute(QList<OutputConfig> outputs, RuleSet rules, int groupAbove);

    QList<Outbox::Entry> entries(const AnnouncementList& fresh) const;

private:
    QList<OutputConfig> m_outputs;
    RuleSet m_rules;
    int m_groupAbove;
};
