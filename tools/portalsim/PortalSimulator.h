#pragma once

// A stand-in for the exchange's portal: a real HTTP/1.1 server on 127.0.0.1 that answers the four feed
// endpoints the way the portal does (URL-encoded POST in, {"announcementList":[...],"totalCount":N} out,
// newest first, pages chosen by "pageNumberDb" and "pageSize"). Any other path or method gets 404.
//
// Typical use in a test:
//
//     PortalSimulator sim;                       // seed 1, 300 issuer + 160 market items
//     sim.start();                               // port 0 = a free port
//     fetcher.setPortalOrigin(sim.origin());     // "http://127.0.0.1:PORT"
//     sim.setFault(Feed::MarketEN, 2, {.status = 503});
//     ... poll ...
//     for (const auto& r : sim.requests()) ...   // method, path, headers, body, page
//
// The data is deterministic for a seed and dated relative to the simulator's clock (system time unless a
// clock function is given), so a test that holds its own clock still gets the same items.
// Every member is safe to call from any thread while the server runs.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace portalsim {

enum class Feed { IssuerEN, IssuerAR, MarketEN, MarketAR };
enum class Encoding { Identity, Gzip, Deflate, Brotli };

// The path of a feed endpoint (what follows the origin).
const char* feedPath(Feed feed);
std::optional<Feed> feedForPath(const std::string& path);

// What one page answers instead of its normal content. Zero/empty members mean "as normal".
struct Fault
{
    enum class Body {
        Normal,
        HtmlPage,          // HTTP 200 with a ~570 KB HTML page instead of JSON (the firewall's challenge)
        MalformedJson,     // a JSON text cut short
        ArrayOfNonObjects, // {"announcementList":[1,"x",null]}
        DropMidBody,       // announces the full length, sends half, closes the connection
        Raw,               // exactly `rawBody`
    };
    int status = 200; // 403 answers the firewall's "Access Denied" page; other codes a short text
    Body body = Body::Normal;
    std::string rawBody;                // for Body::Raw
    std::optional<Encoding> encoding;   // forced Content-Encoding; default: gzip when accepted
    std::chrono::milliseconds delay{0}; // sleep before answering
    bool hold = false;                  // block until releaseHeld() (or stop())
};

// One generated item as the simulator keeps it; rendered in English or Arabic per request.
struct Item
{
    bool issuer = true;
    std::int64_t number = 0;            // PRESS_REL_ID for issuer items, newsId for market news
    double unixTime = 0;                // publication time (seconds since 1970, UTC)
    int company = -1;                   // index into the company table, -1 = none (market notices)
    int headline = 0;                   // index into the headline templates
    bool withoutPressReleaseId = false; // issuer item whose "PRESS_REL_ID" is not a usable number
    bool htmlInDescription = false;
};

struct Request
{
    std::string method;
    std::string path;
    std::vector<std::pair<std::string, std::string>> headers; // in arrival order, names as sent
    std::string body;
    std::optional<Feed> feed;
    int page = 0;     // "pageNumberDb" of a feed request, 0 otherwise
    int pageSize = 0; // "pageSize" of a feed request, 0 otherwise

    std::string header(const std::string& name) const; // case-insensitive, "" when absent
};

class PortalSimulator
{
public:
    struct Options
    {
        std::uint16_t port = 0; // 0 = any free port
        std::uint64_t seed = 1;
        int issuerItems = 300;
        int marketItems = 160;
        std::chrono::seconds newEvery{0}; // > 0: a new item appears at this interval (a background thread)
        std::function<double()> now;      // unix seconds; default: the system clock
    };

    PortalSimulator();
    explicit PortalSimulator(Options options);
    ~PortalSimulator();
    PortalSimulator(const PortalSimulator&) = delete;
    PortalSimulator& operator=(const PortalSimulator&) = delete;

    bool start(); // binds 127.0.0.1 and serves on a thread of its own; false when binding fails
    void stop();  // releases held requests, stops serving (idempotent; the destructor calls it)
    std::uint16_t port() const;
    std::string origin() const; // "http://127.0.0.1:PORT"

    // Data. Items are kept newest first.
    std::vector<Item> items(bool issuer) const;
    void setItems(bool issuer, std::vector<Item> items);
    Item addItem(bool issuer); // a new item dated now, at the top of its feed
    void advance(int count);   // `count` new items, alternating issuer (twice) and market (once)
    // `item` at the place its date gives (items with the same date stay above it); a number of 0 takes
    // the feed's next one. Returns the item as published.
    Item publish(Item item);
    // The portal rewords an item it already shows: same number and date, another headline.
    bool republish(bool issuer, std::int64_t number, int headline);
    // The JSON text of page `page` (from 1) of a feed as the server would answer it.
    std::string pageBody(Feed feed, int page, int pageSize) const;

    // Faults: page 0 = every page of the feed. A page-specific fault wins over a feed-wide one.
    void setFault(Feed feed, int page, Fault fault);
    void clearFaults();
    void releaseHeld();    // wakes every request blocked by Fault::hold and lets later ones through
    int heldCount() const; // requests blocked right now

    // Set-Cookie sent with every feed answer (the portal's firewall cookie), empty = none.
    void setCookie(std::string setCookieValue);

    std::vector<Request> requests() const;
    std::size_t requestCount() const;
    void clearRequests();

private:
    struct Server;
    void generate();
    void newItemLoop();
    double now() const;

    Options m_options;
    mutable std::mutex m_mutex;
    std::condition_variable m_held;
    std::vector<Item> m_issuer;
    std::vector<Item> m_market;
    std::int64_t m_nextIssuerNumber = 0;
    std::int64_t m_nextMarketNumber = 0;
    std::uint64_t m_rng = 0;
    std::map<std::pair<Feed, int>, Fault> m_faults;
    std::vector<Request> m_requests;
    std::string m_cookie;
    bool m_releasing = false;
    int m_heldCount = 0;
    bool m_stopping = false;
    std::condition_variable m_stopWake;
    std::unique_ptr<Server> m_server;
    std::thread m_serveThread;
    std::thread m_newItemThread;
    std::uint16_t m_port = 0;
};

} // namespace portalsim
