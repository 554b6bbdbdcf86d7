#include "portalsim/PortalSimulator.h"

#include "portalsim/PortalData.h"

#include <algorithm>
#include <brotli/encode.h>
#include <cmath>
#include <cstring>
#include <httplib.h>
#include <zlib.h>

namespace portalsim {

namespace {

const char* const kPaths[] = {
    "/wps/portal/saudiexchange/newsandreports/issuer-news/issuer-announcements/!ut/p/z1/"
    "lY9NDoIwFITPwgk6Qnity6fGggEBoYrdGFakiaIL4_kl7sCf4Owm-SYzI6yohe2ah2ubu7t2zbn3R0unkAl-"
    "pJAhqpYglJpMpWYrn8RhCKhUE4otF5kvQ-"
    "g9hP0rjzIPUazzNEiwgwZNy-OLeEK_HSIZz2W_YLPQccKBIjkGPlwclbx_eAE_Rt4uxtRwccue9wRUSy-z/p0/"
    "IZ7_5A602H80O0HTC060SG6UT81DI1=CZ6_5A602H80O0HTC060SG6UT81D26=NJgetAnnouncementListData=/",
    "/wps/portal/saudiexchange/newsandreports/issuer-news/issuer-announcements/!ut/p/z1/"
    "lY9LDoIwGITPwgFMRwh_67JqLBgQKg-xG9OVaaJojPH8EnfgIzi7Sb7JzDDDGmZa-"
    "3BHe3eX1p46vzd0CCXBjwQyROUChEJRVYrp0ie26wMiVQS9kTrzeQhVg5m_"
    "8ijyEHqVp0GCLRRoXB5fJEf0mz6SyRnvFqznKk5kIIgPgQ8XByXvH17Aj5GFvbHruaoauHgiPe8J3gTxIA!!/p0/"
    "IZ7_5A602H80O0HTC060SG6UT81DI1=CZ6_5A602H80O0HTC060SG6UT81D26=NJgetAnnouncementListData=/",
    "/wps/portal/saudiexchange/newsandreports/issuer-news/!ut/p/z1/"
    "04_Sj9CPykssy0xPLMnMz0vMAfIjo8ziTR3NDIw8LAz8_R0tzQ0C3byc3D19HI0tzMz1w1EVGAQHmAIVBPga-"
    "xgEGbgbmOlHEaPfAAdwNCCsPwpViYWvu5lBoJ9joL-"
    "RuamBe5gBugIsTgQrwOOGgtzQCINMT0UAXlg1HA!!/p0/"
    "IZ7_5A602H80O0TRC068TFQ7NN00C3=CZ6_5A602H80OOA970QFJBGILA3867=NJgetNewsListData=/",
    "/wps/portal/saudiexchange/newsandreports/issuer-news/!ut/p/z1/"
    "04_Sj9CPykssy0xPLMnMz0vMAfIjo8ziTR3NDIw8LAz8_R0tzQ0C3byc3D19HI0tzMz1w1EVGAQHmAIVBPga-"
    "xgEGbgbmOlHEaPfAAdwNCCsPwpViYWvu5lBoJ9joL-"
    "RuamBe5gBugIsTgQrwOOG4MQi_YLc0AiDzIB0AAdsuwE!/p0/"
    "IZ7_5A602H80O0TRC068TFQ7NN00C3=CZ6_5A602H80OOA970QFJBGILA3867=NJgetNewsListData=/",
};

std::uint64_t nextRandom(std::uint64_t& state) // splitmix64
{
    std::uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

bool isIssuer(Feed feed)
{
    return feed == Feed::IssuerEN || feed == Feed::IssuerAR;
}

bool isArabic(Feed feed)
{
    return feed == Feed::IssuerAR || feed == Feed::MarketAR;
}

std::string formValue(const std::string& body, const std::string& key)
{
    std::size_t start = 0;
    while (start <= body.size()) {
        std::size_t end = body.find('&', start);
        if (end == std::string::npos)
            end = body.size();
        const std::string pair = body.substr(start, end - start);
        const std::size_t equals = pair.find('=');
        if (equals != std::string::npos && pair.compare(0, equals, key) == 0)
            return pair.substr(equals + 1);
        start = end + 1;
    }
    return {};
}

int toInt(const std::string& text, int fallback)
{
    if (text.empty() || text.size() > 6 || !std::all_of(text.begin(), text.end(), ::isdigit))
        return fallback;
    return std::stoi(text);
}

std::string zlibCompress(const std::string& data, int windowBits)
{
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    std::string out(deflateBound(&stream, data.size()) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

std::string encode(const std::string& data, Encoding encoding)
{
    switch (encoding) {
    case Encoding::Identity:
        return data;
    case Encoding::Gzip:
        return zlibCompress(data, 15 + 16);
    case Encoding::Deflate:
        return zlibCompress(data, 15);
    case Encoding::Brotli: {
        std::size_t size = BrotliEncoderMaxCompressedSize(data.size());
        std::string out(size, '\0');
        BrotliEncoderCompress(BROTLI_DEFAULT_QUALITY, BROTLI_DEFAULT_WINDOW, BROTLI_MODE_TEXT, data.size(),
                              reinterpret_cast<const uint8_t*>(data.data()), &size,
                              reinterpret_cast<uint8_t*>(out.data()));
        out.resize(size);
        return out;
    }
    }
    return data;
}

const char* encodingName(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Gzip:
        return "gzip";
    case Encoding::Deflate:
        return "deflate";
    case Encoding::Brotli:
        return "br";
    case Encoding::Identity:
        break;
    }
    return nullptr;
}

const std::string& htmlChallengePage()
{
    static const std::string page = [] {
        std::string html =
            "<!DOCTYPE html><html lang=\"en\"><head><meta charset=\"utf-8\"><title>Saudi Exchange"
            "</title><script>window.bmak={ver:1.7};</script></head><body>";
        std::uint64_t state = 7;
        while (html.size() < 570 * 1024) {
            html += "<div class=\"x";
            html += std::to_string(nextRandom(state) % 100000);
            html += "\">Please wait while your request is being verified...</div>\n";
        }
        return html + "</body></html>";
    }();
    return page;
}

const char* const kAccessDenied =
    "<HTML><HEAD>\n<TITLE>Access Denied</TITLE>\n</HEAD><BODY>\n<H1>Access Denied</H1>\n \n"
    "You don't have permission to access this resource on this server.<P>\n"
    "Reference&#32;&#35;18&#46;5c3a2f17&#46;1774442108&#46;2b8e9a1\n</BODY>\n</HTML>\n";

} // namespace

struct PortalSimulator::Server
{
    httplib::Server http;
};

const char* feedPath(Feed feed)
{
    return kPaths[static_cast<int>(feed)];
}

std::optional<Feed> feedForPath(const std::string& path)
{
    for (int i = 0; i < 4; ++i) {
        if (path == kPaths[i])
            return static_cast<Feed>(i);
    }
    return std::nullopt;
}

std::string Request::header(const std::string& name) const
{
    for (const auto& [key, value] : headers) {
        if (key.size() == name.size() && strncasecmp(key.c_str(), name.c_str(), key.size()) == 0)
            return value;
    }
    return {};
}

PortalSimulator::PortalSimulator() : PortalSimulator(Options{}) {}

PortalSimulator::PortalSimulator(Options options) : m_options(std::move(options))
{
    m_rng = m_options.seed;
    generate();
}

PortalSimulator::~PortalSimulator()
{
    stop();
}

double PortalSimulator::now() const
{
    if (m_options.now)
        return m_options.now();
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

void PortalSimulator::generate()
{
    const double start = std::floor(now());
    m_nextIssuerNumber = 97000 + static_cast<std::int64_t>(nextRandom(m_rng) % 500);
    m_nextMarketNumber = 9100 + static_cast<std::int64_t>(nextRandom(m_rng) % 200);
    // Newest first: numbers fall and dates recede from a couple of minutes ago.
    auto make = [&](bool issuer, int count, double spacing) {
        std::vector<Item> items;
        std::int64_t& next = issuer ? m_nextIssuerNumber : m_nextMarketNumber;
        next += count;
        std::int64_t number = next;
        double time = start - 120;
        for (int i = 0; i < count; ++i) {
            Item item;
            item.issuer = issuer;
            item.number = --number;
            item.unixTime = std::floor(time);
            time -= spacing * (0.5 + static_cast<double>(nextRandom(m_rng) % 1000) / 1000.0);
            const std::uint64_t r = nextRandom(m_rng);
            item.company = static_cast<int>(r % static_cast<std::uint64_t>(companyCount()));
            item.headline = static_cast<int>((r >> 16) % 64);
            if (issuer) {
                item.withoutPressReleaseId = (r >> 32) % 23 == 0;
                item.htmlInDescription = (r >> 40) % 7 == 0;
            } else if ((r >> 32) % 3 == 0) {
                item.company = -1; // regulator and market notices name no issuer
            }
            items.push_back(item);
        }
        return items;
    };
    m_issuer = make(true, m_options.issuerItems, 2400.0);
    m_market = make(false, m_options.marketItems, 4200.0);
}

std::vector<Item> PortalSimulator::items(bool issuer) const
{
    std::lock_guard lock(m_mutex);
    return issuer ? m_issuer : m_market;
}

void PortalSimulator::setItems(bool issuer, std::vector<Item> items)
{
    std::lock_guard lock(m_mutex);
    (issuer ? m_issuer : m_market) = std::move(items);
}

Item PortalSimulator::addItem(bool issuer)
{
    const double time = std::floor(now());
    std::lock_guard lock(m_mutex);
    Item item;
    item.issuer = issuer;
    item.number = issuer ? m_nextIssuerNumber++ : m_nextMarketNumber++;
    item.unixTime = time;
    const std::uint64_t r = nextRandom(m_rng);
    item.company = static_cast<int>(r % static_cast<std::uint64_t>(companyCount()));
    item.headline = static_cast<int>((r >> 16) % 64);
    auto& feed = issuer ? m_issuer : m_market;
    feed.insert(feed.begin(), item);
    return item;
}

Item PortalSimulator::publish(Item item)
{
    std::lock_guard lock(m_mutex);
    if (item.number == 0)
        item.number = item.issuer ? m_nextIssuerNumber++ : m_nextMarketNumber++;
    auto& feed = item.issuer ? m_issuer : m_market;
    const auto at = std::find_if(feed.begin(), feed.end(),
                                 [&item](const Item& other) { return other.unixTime < item.unixTime; });
    feed.insert(at, item);
    return item;
}

bool PortalSimulator::republish(bool issuer, std::int64_t number, int headline)
{
    std::lock_guard lock(m_mutex);
    auto& feed = issuer ? m_issuer : m_market;
    const auto at =
        std::find_if(feed.begin(), feed.end(), [number](const Item& item) { return item.number == number; });
    if (at == feed.end())
        return false;
    at->headline = headline;
    return true;
}

void PortalSimulator::advance(int count)
{
    for (int i = 0; i < count; ++i)
        addItem(i % 3 != 2);
}

std::string PortalSimulator::pageBody(Feed feed, int page, int pageSize) const
{
    std::lock_guard lock(m_mutex);
    const std::vector<Item>& items = isIssuer(feed) ? m_issuer : m_market;
    std::string out = "{\"announcementList\":[";
    const std::size_t first =
        static_cast<std::size_t>(std::max(page - 1, 0)) * static_cast<std::size_t>(pageSize);
    for (std::size_t i = first; i < items.size() && i < first + static_cast<std::size_t>(pageSize); ++i) {
        if (i != first)
            out += ',';
        out += renderItem(items[i], isArabic(feed));
    }
    out += "],\"totalCount\":" + std::to_string(items.size()) + "}";
    return out;
}

void PortalSimulator::setFault(Feed feed, int page, Fault fault)
{
    std::lock_guard lock(m_mutex);
    if (fault.hold)
        m_releasing = false;
    m_faults[{feed, page}] = std::move(fault);
}

void PortalSimulator::clearFaults()
{
    std::lock_guard lock(m_mutex);
    m_faults.clear();
    m_releasing = true;
    m_held.notify_all();
}

void PortalSimulator::releaseHeld()
{
    std::lock_guard lock(m_mutex);
    m_releasing = true;
    m_held.notify_all();
}

int PortalSimulator::heldCount() const
{
    std::lock_guard lock(m_mutex);
    return m_heldCount;
}

void PortalSimulator::setCookie(std::string setCookieValue)
{
    std::lock_guard lock(m_mutex);
    m_cookie = std::move(setCookieValue);
}

std::vector<Request> PortalSimulator::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::size_t PortalSimulator::requestCount() const
{
    std::lock_guard lock(m_mutex);
    return m_requests.size();
}

void PortalSimulator::clearRequests()
{
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}

std::uint16_t PortalSimulator::port() const
{
    return m_port;
}

std::string PortalSimulator::origin() const
{
    return "http://127.0.0.1:" + std::to_string(m_port);
}

bool PortalSimulator::start()
{
    if (m_server)
        return true;
    m_server = std::make_unique<Server>();
    httplib::Server& http = m_server->http;
    http.set_keep_alive_max_count(1000);
    // An idle keep-alive connection holds a server thread, and stop() waits for it: keep that short.
    http.set_keep_alive_timeout(1);
    // Headers and body go out in separate writes; without this, Nagle's algorithm meets the client's
    // delayed ACK and every answer waits 40 ms.
    http.set_tcp_nodelay(true);

    auto handler = [this](const httplib::Request& in, httplib::Response& out) {
        Request request;
        request.method = in.method;
        request.path = in.path;
        for (const auto& [key, value] : in.headers) {
            if (key != "REMOTE_ADDR" && key != "REMOTE_PORT" && key != "LOCAL_ADDR" && key != "LOCAL_PORT")
                request.headers.emplace_back(key, value);
        }
        request.body = in.body;
        if (in.method == "POST")
            request.feed = feedForPath(in.path);
        if (request.feed) {
            request.page = toInt(formValue(in.body, "pageNumberDb"), 1);
            request.pageSize = std::clamp(toInt(formValue(in.body, "pageSize"), 50), 1, 200);
        }

        Fault fault;
        std::string cookie;
        {
            std::unique_lock lock(m_mutex);
            m_requests.push_back(request);
            if (request.feed) {
                auto found = m_faults.find({*request.feed, request.page});
                if (found == m_faults.end())
                    found = m_faults.find({*request.feed, 0});
                if (found != m_faults.end())
                    fault = found->second;
            }
            cookie = m_cookie;
            if (fault.hold) {
                ++m_heldCount;
                m_held.wait(lock, [this] { return m_releasing || m_stopping; });
                --m_heldCount;
            }
        }
        if (!request.feed) {
            out.status = 404;
            out.set_content("Not Found", "application/octet-stream");
            return;
        }
        if (fault.delay.count() > 0)
            std::this_thread::sleep_for(fault.delay);
        if (!cookie.empty())
            out.set_header("Set-Cookie", cookie);

        out.status = fault.status;
        std::string body;
        std::string type = "application/json;charset=UTF-8";
        if (fault.status == 403) {
            body = kAccessDenied;
            type = "text/html";
        } else if (fault.status < 200 || fault.status > 299) {
            body = "Service Unavailable";
            type = "text/plain";
        } else {
            switch (fault.body) {
            case Fault::Body::Normal:
            case Fault::Body::DropMidBody:
                body = pageBody(*request.feed, request.page, request.pageSize);
                break;
            case Fault::Body::HtmlPage:
                body = htmlChallengePage();
                type = "text/html;charset=UTF-8";
                break;
            case Fault::Body::MalformedJson:
                body = "{\"announcementList\":[{\"TITLE\":\"Cut sh";
                break;
            case Fault::Body::ArrayOfNonObjects:
                body = "{\"announcementList\":[1,\"x\",null]}";
                break;
            case Fault::Body::Raw:
                body = fault.rawBody;
                break;
            }
        }

        Encoding encoding = Encoding::Identity;
        if (fault.encoding)
            encoding = *fault.encoding;
        else if (request.header("Accept-Encoding").find("gzip") != std::string::npos)
            encoding = Encoding::Gzip;
        if (const char* name = encodingName(encoding)) {
            body = encode(body, encoding);
            out.set_header("Content-Encoding", name);
        }

        if (fault.body == Fault::Body::DropMidBody) {
            auto shared = std::make_shared<std::string>(std::move(body));
            out.set_content_provider(shared->size(), type,
                                     [shared](size_t offset, size_t, httplib::DataSink& sink) {
                                         if (offset > 0)
                                             return false; // the connection drops here
                                         sink.write(shared->data(), shared->size() / 2);
                                         return true;
                                     });
            return;
        }
        // A content provider with a known length is sent as is: the library's own compression (which
        // would follow the request's Accept-Encoding) applies only to plain bodies.
        auto shared = std::make_shared<std::string>(std::move(body));
        out.set_content_provider(
            shared->size(), type, [shared](size_t offset, size_t length, httplib::DataSink& sink) {
                return sink.write(shared->data() + offset, std::min(length, shared->size() - offset));
            });
    };
    http.Post(".*", handler);
    http.Get(".*", handler);
    http.Put(".*", handler);
    http.Delete(".*", handler);
    http.Patch(".*", handler);

    int port = m_options.port;
    if (port == 0)
        port = http.bind_to_any_port("127.0.0.1");
    else if (!http.bind_to_port("127.0.0.1", port))
        port = -1;
    if (port <= 0) {
        m_server.reset();
        return false;
    }
    m_port = static_cast<std::uint16_t>(port);
    m_serveThread = std::thread([this] { m_server->http.listen_after_bind(); });
    while (!m_server->http.is_running())
        std::this_thread::yield();
    if (m_options.newEvery.count() > 0)
        m_newItemThread = std::thread([this] { newItemLoop(); });
    return true;
}

void PortalSimulator::newItemLoop()
{
    std::unique_lock lock(m_mutex);
    for (int made = 0; !m_stopping; ++made) {
        if (m_stopWake.wait_for(lock, m_options.newEvery, [this] { return m_stopping; }))
            break;
        lock.unlock();
        addItem(made % 3 != 2); // two issuer announcements for each market-news item
        lock.lock();
    }
}

void PortalSimulator::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_held.notify_all();
        m_stopWake.notify_all();
    }
    if (m_newItemThread.joinable())
        m_newItemThread.join();
    if (m_server) {
        m_server->http.stop();
        if (m_serveThread.joinable())
            m_serveThread.join();
        m_server.reset();
    }
}

} // namespace portalsim
