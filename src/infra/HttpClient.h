#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <variant>

typedef void CURL;
typedef void CURLM;

// HTTP on libcurl, the same way for every part of the program: http/https only (also after a
// redirect, at most 10, never from https down to http), TLS verified, one overall time-out, a cap on
// the decoded body, no "Expect: 100-continue", and one kind of result: a response of any status, or
// the transport's sentence for why there is none.
//
// Transfers never run on the caller's thread: start() queues one for the client's worker thread
// (one transfer at a time, in order) and calls `done` back on the thread the client lives in. Code
// that already runs on a worker thread of its own (the feed fetcher's) calls run() there instead.
class HttpClient : public QObject
{
    Q_OBJECT
public:
    enum class Redirects {
        AnyWebAddress, // any http(s) address, as browsers do
        SameOrigin,    // only within the request's scheme, host and port; others end the transfer
        // None: a redirect is the response. A POST that follows a 301 or 302 arrives as a GET without
        // its body, so a sender that must know its body arrived does not follow.
        None,
    };
    struct Options
    {
        long timeoutMs = 60'000;
        qint64 maxBodyBytes = qint64{32} * 1024 * 1024;  // decoded size
        QByteArray userAgent;                            // none when empty
        QByteArray acceptEncoding = "gzip, deflate, br"; // also decoded; none offered when empty
        bool sharedCookies = false; // one in-memory cookie jar for every client that asks
        Redirects redirects = Redirects::AnyWebAddress;
    };
    struct Request
    {
        QByteArray url;
        QList<QByteArray> headers; // "Name: value"
        bool post = false;
        QByteArray body;     // of a POST, or of the method below
        QByteArray method{}; // another method that sends `body` (such as "PUT"); overrides `post`
    };
    struct Response
    {
        long status = 0;
        QByteArray body;
        QList<std::pair<QByteArray, QByteArray>> headers; // of the final response, in order

        QByteArray header(const QByteArray& name) const; // the first of that name (any case), or empty
    };
    using Result = std::variant<Response, QString>;
    using Callback = std::function<void(const Result&)>;

    explicit HttpClient(Options options, QObject* parent = nullptr);
    ~HttpClient() override; // abandons the transfer in flight and the queued ones
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // Whether libcurl accepts `url` as an absolute http(s) URL.
    static bool isValidUrl(const QByteArray& url);
    // Whether a redirect from `from` to `to` is followed: an http(s) address, not from https to
    // http, and with SameOrigin on the same scheme, host and port.
    static bool mayFollow(const QByteArray& from, const QByteArray& to, Redirects policy);
    static constexpr int kMaxRedirects = 10;

    void start(Request request, Callback done = {});
    Result run(const Request& request); // blocks the calling thread until the transfer ends

    // From any thread: the transfer in flight and every later one fail at once ("Request cancelled").
    void cancel();

private:
    struct Job
    {
        Request request;
        Callback done;
    };
    struct Finished
    {
        Callback done;
        Result result;
    };

    static size_t write(char* data, size_t size, size_t count, void* self);
    int perform(const QByteArray& url, bool post, const QByteArray& method, const QByteArray& body,
                void* headers, char* errorText);
    void workLoop();
    void deliverFinished();

    const Options m_options;
    std::atomic<bool> m_cancelled{false};

    std::mutex m_transferMutex; // one transfer at a time on the handles below
    CURL* m_easy = nullptr;
    CURLM* m_multi = nullptr;
    QByteArray m_body;
    bool m_overCap = false;

    std::mutex m_queueMutex; // guards the two queues, m_stopping and the worker's start
    std::condition_variable m_queueChanged;
    std::deque<Job> m_queue;
    std::deque<Finished> m_finished;
    bool m_stopping = false;
    std::thread m_worker;
};
