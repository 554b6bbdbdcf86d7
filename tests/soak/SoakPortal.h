#pragma once

// The portal of a simulated month: a publishing plan (bursts around the opening and closing, 40 at once on
// Wednesdays, quiet weekends, rewordings, items without a usable "PRESS_REL_ID") played into the portal
// simulator as the clock moves, and a ledger of every item the portal ever showed.
#include "fetch/FeedParser.h"
#include "portalsim/PortalData.h"
#include "portalsim/PortalSimulator.h"

#include <QHash>
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

class SoakPortal
{
public:
    static constexpr double kDay = 86400.0;
    static constexpr double kHour = 3600.0;

    enum class State {
        Unwatched, // not yet told by the tray program
        Silent,    // there at the first poll ever: never announced
        Held,      // seen while quiet hours or a pause held notifications: owed until they end
        Reported,  // announced as new
    };

    struct Entry
    {
        double unixTime = 0;
        std::int64_t number = 0;
        QString symbol; // empty for market notices that name no issuer
        bool preexisting = false;
        State state = State::Unwatched;
        bool expectNotification = false; // when reported: the filter let it through
        int notifications = 0;
        bool held = false; // was held at some poll
        QString texts[2];  // title and text as the fetcher reads them, in English and in Arabic
    };
    using Key = std::pair<bool, std::int64_t>; // issuer feed?, the item's number

    SoakPortal(portalsim::PortalSimulator& sim, double startUnixTime, int days, std::uint64_t seed)
        : m_sim(sim), m_rng(seed)
    {
        for (const bool issuer : {true, false}) {
            for (const portalsim::Item& item : sim.items(issuer))
                record(item, true);
        }
        const double first = riyadhMidnight(startUnixTime);
        for (int day = 0; day < days; ++day) {
            const int weekday = riyadhWeekday(first + day * kDay + kHour);
            planDay(first + day * kDay, weekday == 5 || weekday == 6);
            if (weekday == 3) // the opening's flood: 40 dated the same second
                planIssuerItems(40, [&] { return first + day * kDay + 10 * kHour; });
        }
        std::stable_sort(m_plan.begin(), m_plan.end(),
                         [](const Planned& a, const Planned& b) { return a.unixTime < b.unixTime; });
        std::erase_if(m_plan, [startUnixTime](const Planned& p) { return p.unixTime <= startUnixTime; });
    }

    static double riyadhMidnight(double unixTime)
    {
        return std::floor((unixTime + 3 * kHour) / kDay) * kDay - 3 * kHour;
    }
    static int riyadhWeekday(double unixTime) // 0 = Sunday; 1970-01-01 was a Thursday
    {
        return static_cast<int>((static_cast<std::int64_t>(std::floor((unixTime + 3 * kHour) / kDay)) + 4) %
                                7);
    }

    // Publishes (and rewords) everything planned up to and including `unixTime`.
    void publishUntil(double unixTime)
    {
        for (; m_next < m_plan.size() && m_plan[m_next].unixTime <= unixTime; ++m_next) {
            Planned& planned = m_plan[m_next];
            if (planned.rewordOf >= 0) {
                const auto number = m_numberByPlanId.constFind(planned.rewordOf);
                if (number == m_numberByPlanId.constEnd() ||
                    !m_sim.republish(true, *number, planned.item.headline))
                    continue;
                ++rewordedCount;
                for (const portalsim::Item& item : m_sim.items(true)) {
                    if (item.number == *number)
                        read(item, m_entries.at({true, *number}));
                }
                continue;
            }
            planned.item.unixTime = planned.unixTime;
            planned.item = m_sim.publish(planned.item);
            m_numberByPlanId.insert(planned.id, planned.item.number);
            record(planned.item, false);
            ++publishedCount;
        }
    }

    // The ledger entry an announcement identifier belongs to, in either language; null if none.
    Entry* entryFor(const QString& id)
    {
        const auto key = m_keyById.constFind(id);
        return key == m_keyById.constEnd() ? nullptr : &m_entries.at(*key);
    }

    // The entries a poll made now sees in the given feed (5 issuer pages or 3 market pages of 50).
    std::vector<Entry*> window(bool issuer)
    {
        std::vector<Entry*> out;
        for (const portalsim::Item& item : m_sim.items(issuer)) {
            if (out.size() == (issuer ? 250U : 150U))
                break;
            out.push_back(&m_entries.at({issuer, item.number}));
        }
        return out;
    }

    const std::map<Key, Entry>& entries() const { return m_entries; }
    int publishedCount = 0;
    int rewordedCount = 0;

private:
    struct Planned
    {
        double unixTime;
        portalsim::Item item;
        int id;       // order of planning
        int rewordOf; // the plan id of the item reworded, or -1 for a new item
    };

    std::uint64_t random() // splitmix64: deterministic for a seed
    {
        std::uint64_t z = (m_rng += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    int random(int below) { return static_cast<int>(random() % static_cast<std::uint64_t>(below)); }

    int plan(double time, const portalsim::Item& item, int rewordOf = -1)
    {
        m_plan.push_back({time, item, static_cast<int>(m_plan.size()), rewordOf});
        return m_plan.back().id;
    }

    // `count` issuer announcements, each at `time()`.
    void planIssuerItems(int count, const std::function<double()>& time)
    {
        for (int i = 0; i < count; ++i) {
            const int company = random(portalsim::companyCount());
            const int headline = random(64);
            const double at = time();
            plan(at, portalsim::Item{.issuer = true, .company = company, .headline = headline});
        }
    }

    // About 100 issuer announcements and 25 market-news items on a trading day, a handful on Fridays
    // and Saturdays; on trading days a few late ones between 21:30 and midnight.
    void planDay(double midnight, bool quiet)
    {
        if (!quiet)
            planIssuerItems(3 + random(4),
                            [&] { return std::floor(midnight + 21.5 * kHour + random(9000)); });
        const int issuerCount = quiet ? 2 + random(4) : 90 + random(21);
        const int marketCount = quiet ? 1 + random(2) : 20 + random(11);
        for (int i = 0; i < issuerCount + marketCount; ++i) {
            const std::uint64_t r = random();
            portalsim::Item item;
            item.issuer = i < issuerCount;
            item.company = static_cast<int>(r % static_cast<std::uint64_t>(portalsim::companyCount()));
            item.headline = static_cast<int>((r >> 16) % 64);
            if (item.issuer) {
                item.withoutPressReleaseId = (r >> 24) % 25 == 0;
                item.htmlInDescription = (r >> 32) % 7 == 0;
            } else if ((r >> 24) % 3 == 0) {
                item.company = -1;
            }
            const double time = burstTime(midnight, quiet);
            const int id = plan(time, item);
            // Now and then the portal rewords an announcement some hours later under the same id.
            if (item.issuer && (r >> 40) % 30 == 0) {
                portalsim::Item reworded = item;
                reworded.headline = item.headline + 1;
                plan(time + kHour * static_cast<double>(1 + (r >> 48) % 5), reworded, id);
            }
        }
    }

    double burstTime(double midnight, bool quiet)
    {
        const double u1 = random(10000) / 10000.0;
        const double u2 = random(10000) / 10000.0;
        const double seconds = random(60);
        if (quiet)
            return std::floor(midnight + 9 * kHour + u1 * 11 * kHour) + seconds;
        const int bucket = random(20);
        if (bucket < 9) // opening at 10:00: a peak from 09:30 to 10:30
            return std::floor(midnight + 9.5 * kHour + (u1 + u2) * 0.5 * kHour);
        if (bucket < 16) // closing at 15:00: results and board decisions until 16:30
            return std::floor(midnight + 15 * kHour + (u1 + u2) * 0.75 * kHour);
        return std::floor(midnight + 7 * kHour + u1 * 14 * kHour);
    }

    void record(const portalsim::Item& item, bool preexisting)
    {
        const Key key{item.issuer, item.number};
        const QString symbol =
            item.company >= 0 ? QString::fromUtf8(portalsim::company(item.company).symbol) : QString();
        read(item, m_entries.insert_or_assign(key, Entry{item.unixTime, item.number, symbol, preexisting})
                       .first->second);
    }

    // The item's identifiers and texts as the fetcher reads them.
    void read(const portalsim::Item& item, Entry& entry)
    {
        const Key key{item.issuer, item.number};
        for (const bool arabic : {false, true}) {
            const std::string page = "{\"announcementList\":[" + portalsim::renderItem(item, arabic) + "]}";
            const auto parsed = FeedParser::parseAnnouncementResponse(
                QByteArray::fromStdString(page),
                item.issuer ? QStringLiteral("tadawul") : QStringLiteral("market"),
                arabic ? QStringLiteral("ar") : QStringLiteral("en"), QStringLiteral("http://127.0.0.1"),
                SystemClock());
            if (!parsed || parsed->size() != 1)
                continue;
            m_keyById.insert(parsed->first().id(), key);
            entry.texts[arabic] = parsed->first().title() + QLatin1Char('\n') + parsed->first().description();
        }
    }

    portalsim::PortalSimulator& m_sim;
    std::uint64_t m_rng;
    std::vector<Planned> m_plan; // by time
    std::size_t m_next = 0;
    std::map<Key, Entry> m_entries; // references stay valid as it grows
    QHash<int, std::int64_t> m_numberByPlanId;
    QHash<QString, Key> m_keyById;
};
