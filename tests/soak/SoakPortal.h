#pragma once

// The portal of a simulated month: a publishing plan (bursts around the market's opening and
// closing, quiet Fridays and Saturdays, rewordings, items without a usable "PRESS_REL_ID") played
// into the portal simulator as the clock moves, and a ledger of every item the portal ever showed.
#include "portalsim/PortalSimulator.h"

#include <QHash>
#include <QString>
#include <cstdint>
#include <unordered_map>
#include <vector>

class SoakPortal
{
public:
    enum class State {
        Unwatched, // not yet shown to a completed poll of a running program
        Silent,    // shown to a run's first completed poll: present at start-up, never announced
        Reported,  // announced as new
    };

    struct Entry
    {
        bool issuer = true;
        std::int64_t number = 0;
        double unixTime = 0;
        QString symbol; // empty for market notices that name no issuer
        bool preexisting = false;
        State state = State::Unwatched;
        bool expectNotification = false; // when reported: the filter let it through
        int notifications = 0;
    };

    static constexpr int kIssuerWindow = 250; // what one poll can see: 5 pages of 50
    static constexpr int kMarketWindow = 150; // 3 pages of 50

    SoakPortal(portalsim::PortalSimulator& sim, double startUnixTime, int days, std::uint64_t seed);

    // Publishes (and rewords) everything planned up to and including `unixTime`.
    void publishUntil(double unixTime);

    // The ledger entry an announcement identifier belongs to, in either language; null if none.
    Entry* entryFor(const QString& id);
    // The entries a poll made now sees in the given feed, newest first.
    std::vector<Entry*> window(bool issuer);

    int publishedCount() const { return m_published; }
    int rewordedCount() const { return m_reworded; }
    const std::unordered_map<qint64, Entry>& entries() const { return m_entries; }

    static double riyadhMidnight(double unixTime);
    static int riyadhWeekday(double unixTime); // 0 = Sunday

private:
    struct Planned
    {
        double unixTime;
        portalsim::Item item;
        int id;       // order of planning
        int rewordOf; // the plan id of the item reworded, or -1 for a new item
    };

    void plan(double startUnixTime, int days);
    void planDay(double midnight, bool quiet);
    double burstTime(double midnight, bool quiet);
    std::uint64_t random();
    void record(const portalsim::Item& item, bool preexisting);
    static qint64 keyOf(bool issuer, std::int64_t number);

    portalsim::PortalSimulator& m_sim;
    std::uint64_t m_rng;
    std::vector<Planned> m_plan; // by time
    std::size_t m_next = 0;
    std::unordered_map<qint64, Entry> m_entries; // references stay valid as it grows
    QHash<int, std::int64_t> m_numberByPlanId;
    QHash<QString, qint64> m_keyById;
    int m_published = 0;
    int m_reworded = 0;
};
