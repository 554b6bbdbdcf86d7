#pragma once

#include <QByteArray>
#include <QList>
#include <functional>
#include <httplib.h>
#include <mutex>
#include <thread>

// An HTTP server on 127.0.0.1 (or another loopback address: a third party in tests), on a free port,
// recording every request it is sent.
class LoopbackHttpServer
{
public:
    struct Request
    {
        QByteArray method;
        QByteArray path;
        QByteArray contentType;
        QByteArray body;
    };
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

    explicit LoopbackHttpServer(Handler handler = {}, QByteArray host = "127.0.0.1")
        : m_handler(std::move(handler)), m_host(std::move(host))
    {
        auto record = [this](const httplib::Request& request, httplib::Response& response) {
            {
                std::lock_guard lock(m_mutex);
                m_requests.append({QByteArray::fromStdString(request.method),
                                   QByteArray::fromStdString(request.path),
                                   QByteArray::fromStdString(request.get_header_value("Content-Type")),
                                   QByteArray::fromStdString(request.body)});
            }
            if (m_handler)
                m_handler(request, response);
        };
        m_server.Get(".*", record);
        m_server.Post(".*", record);
        m_port = m_server.bind_to_any_port(m_host.toStdString());
        // Bound and listening already: connections wait in the backlog until the loop runs.
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
    }
    ~LoopbackHttpServer()
    {
        m_server.stop();
        m_thread.join();
    }

    int port() const { return m_port; }
    QByteArray origin() const { return "http://" + m_host + ':' + QByteArray::number(m_port); }
    QByteArray url(const char* path) const { return origin() + path; }
    QList<Request> requests() const
    {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }
    int count() const { return static_cast<int>(requests().size()); }

private:
    httplib::Server m_server;
    Handler m_handler;
    QByteArray m_host;
    int m_port = 0;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    QList<Request> m_requests;
};
