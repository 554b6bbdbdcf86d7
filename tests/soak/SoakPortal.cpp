#include "SoakPortal.h"

#include "fetch/FeedParser.h"
#include "portalsim/PortalData.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kDay = 86400.0;
constexpr double kHour = 3600.0;
constexpr double kRiyadhOffset = 3 * kHour;
} // namespace

SoakPortal::SoakPortal(portalsim::PortalSimulator& sim, double startUnixTime, int days, std::uint64_t seed)
    : m_sim(sim), m_rng(seed)
{
    for (const bool issuer : {true, false}) {
        for (const portalsim::Item& item : sim.items(issuer))
            record(item, true);
    }
    plan(startUnixTime, days);
}

double SoakPortal::riyadhMidnight(double unixTime)
{
    return std::floor((unixTime + kRiyadhOffset) / kDay) * kDay - kRiyadhOffset;
}

int SoakPortal::riyadhWeekday(double unixTime)
{
    // 1970-01-01 was a Thursday.
    return static_cast<int>((static_cast<std::int64_t>(std::floor((unixTime + kRiyadhOffset) / kDay)) + 4) %
                            7);
}

std::uint64_t SoakPortal::random()
{
    // splitmix64: deterministic for a seed, good enough for a plan.
    std::uint64_t z = (m_rng += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

void SoakPortal::plan(double startUnixTime, int days)
{
    const double first = riyadhMidnight(startUnixTime);
    for (int day = 0; day < days; ++day) {
        const double midnight = first + day * kDay;
        const int weekday = riyadhWeekday(midnight + kHour);
        planDay(midnight, weekday == 5 || weekday == 6);
    }
    std::stable_sort(m_plan.begin(), m_plan.end(),
                     [](const Planned& a, const Planned& b) { return a.unixTime < b.unixTime; });
    m_plan.erase(std::remove_if(m_plan.begin(), m_plan.end(),
                                [startUnixTime](const Planned& p) { return p.unixTime <= startUnixTime; }),
                 m_plan.end());
}

// About 100 issuer announcements and 25 market-news items on a trading day, a handful on Fridays
// and Saturdays.
void SoakPortal::planDay(double midnight, bool quiet)
{
    const int issuerCount = quiet ? 2 + static_cast<int>(random() % 4) : 90 + static_cast<int>(random() % 21);
    const int marketCount = quiet ? 1 + static_cast<int>(random() % 2) : 20 + static_cast<int>(random() % 11);
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
        const int id = static_cast<int>(m_plan.size());
        m_plan.push_back({time, item, id, -1});
        // Now and then the portal rewords an announcement some hours later under the same id.
        if (item.issuer && (r >> 40) % 30 == 0) {
            portalsim::Item reworded = item;
            reworded.headline = item.headline + 1;
            m_plan.push_back({time + kHour * static_cast<double>(1 + (r >> 48) % 5), reworded,
                              static_cast<int>(m_plan.size()), id});
        }
    }
}

double SoakPortal::burstTime(double midnight, bool quiet)
{
    const double u1 = static_cast<double>(random() % 10000) / 10000.0;
    const double u2 = static_cast<double>(random() % 10000) / 10000.0;
    const double seconds = static_cast<double>(random() % 60);
    if (quiet)
        return std::floor(midnight + 9 * kHour + u1 * 11 * kHour) + seconds;
    const int bucket = static_cast<int>(random() % 20);
    if (bucket < 9) // opening at 10:00: a peak from 09:30 to 10:30
        return std::floor(midnight + 9.5 * kHour + (u1 + u2) * 0.5 * kHour);
    if (bucket < 16) // closing at 15:00: results and board decisions until 16:30
        return std::floor(midnight + 15 * kHour + (u1 + u2) * 0.75 * kHour);
    return std::floor(midnight + 7 * kHour + u1 * 14 * kHour);
}

void SoakPortal::publishUntil(double unixTime)
{
    for (; m_next < m_plan.size() && m_plan[m_next].unixTime <= unixTime; ++m_next) {
        Planned& planned = m_plan[m_next];
        if (planned.rewordOf >= 0) {
            const auto number = m_numberByPlanId.constFind(planned.rewordOf);
            if (number != m_numberByPlanId.constEnd() &&
                m_sim.republish(true, *number, planned.item.headline))
                ++m_reworded;
            continue;
        }
        planned.item.unixTime = planned.unixTime;
        planned.item = m_sim.publish(planned.item);
        m_numberByPlanId.insert(planned.id, planned.item.number);
        record(planned.item, false);
        ++m_published;
    }
}

qint64 SoakPortal::keyOf(bool issuer, std::int64_t number)
{
    return (issuer ? 0 : (qint64(1) << 62)) + number;
}

// The identifiers the fetcher gives the item, found the way the fetcher finds them: from the
// portal's own rendering of it in each language.
void SoakPortal::record(const portalsim::Item& item, bool preexisting)
{
    const qint64 key = keyOf(item.issuer, item.number);
    Entry entry;
    entry.issuer = item.issuer;
    entry.number = item.number;
    entry.unixTime = item.unixTime;
    entry.preexisting = preexisting;
    if (item.company >= 0)
        entry.symbol = QString::fromUtf8(portalsim::company(item.company).symbol);
    m_entries.insert_or_assign(key, entry);
    for (const bool arabic : {false, true}) {
        const std::string page = "{\"announcementList\":[" + portalsim::renderItem(item, arabic) + "]}";
        const auto parsed = FeedParser::parseAnnouncementResponse(
            QByteArray::fromStdString(page),
            item.issuer ? QStringLiteral("tadawul") : QStringLiteral("market"),
            arabic ? QStringLiteral("ar") : QStringLiteral("en"), QStringLiteral("http://127.0.0.1"),
            SystemClock());
        if (parsed && parsed->size() == 1)
            m_keyById.insert(parsed->first().id(), key);
    }
}

SoakPortal::Entry* SoakPortal::entryFor(const QString& id)
{
    const auto key = m_keyById.constFind(id);
    if (key == m_keyById.constEnd())
        return nullptr;
    const auto entry = m_entries.find(*key);
    return entry == m_entries.end() ? nullptr : &entry->second;
}

std::vector<SoakPortal::Entry*> SoakPortal::window(bool issuer)
{
    const std::vector<portalsim::Item> items = m_sim.items(issuer);
    const std::size_t count = std::min<std::size_t>(items.size(), issuer ? kIssuerWindow : kMarketWindow);
    std::vector<Entry*> out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto entry = m_entries.find(keyOf(issuer, items[i].number));
        if (entry != m_entries.end())
            out.push_back(&entry->second);
    }
    return out;
}
