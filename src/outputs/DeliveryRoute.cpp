#include "outputs/DeliveryRoute.h"

#include "notify/NotificationManager.h"
#include "outputs/OutputMessage.h"

DeliveryRoute::DeliveryRoute(QList<OutputConfig> outputs, RuleSet rules, int groupAbove)
    : m_outputs(std::move(outputs)), m_rules(std::move(rules)), m_groupAbove(groupAbove)
{
}

QList<Outbox::Entry> DeliveryRoute::entries(const AnnouncementList& fresh) const
{
    QList<Outbox::Entry> entries;
    if (m_outputs.isEmpty())
        return entries;
    QHash<QString, RuleSet::Decision> decisions;
    for (const Announcement& announcement : fresh)
        decisions.insert(announcement.id(), m_rules.decide(announcement));
    const auto ruleOf = [&](const Announcement& announcement) {
        const RuleSet::Decision& decision = decisions[announcement.id()];
        return decision.match ? decision.match->rule : QString();
    };
    const auto single = [&](const OutputConfig& output, const Announcement& announcement) {
        return Outbox::Entry{output.name,
                             announcement.id(),
                             {{announcement.id(), ruleOf(announcement)}},
                             decisions[announcement.id()].urgent};
    };
    for (const OutputConfig& output : m_outputs) {
        AnnouncementList owed;
        for (const Announcement& announcement : fresh) {
            const RuleSet::Decision& decision = decisions[announcement.id()];
            if (decision.notify && (output.rule.isEmpty() || ruleOf(announcement) == output.rule))
                owed.append(announcement);
        }
        if (!output.groupsBursts()) {
            for (const Announcement& announcement : std::as_const(owed))
                entries.append(single(output, announcement));
            continue;
        }
        const NotificationManager::Groups groups = NotificationManager::group(
            owed,
            [&](const Announcement& a) {
                const RuleSet::Decision& decision = decisions[a.id()];
                return decision.match.has_value() || decision.urgent;
            },
            m_groupAbove);
        for (const Announcement& announcement : groups.oneByOne)
            entries.append(single(output, announcement));
        if (groups.summarized.isEmpty())
            continue;
        // The summary's key is the message's, so a repeat of it is known as the same.
        QList<OutputItem> items;
        Outbox::Entry summary{output.name, {}, {}, false};
        for (const Announcement& announcement : groups.summarized) {
            items.append({announcement, {}, {}, ruleOf(announcement)});
            summary.items.append({announcement.id(), ruleOf(announcement)});
        }
        summary.key = OutputMessage(items).key();
        entries.append(summary);
    }
    return entries;
}
