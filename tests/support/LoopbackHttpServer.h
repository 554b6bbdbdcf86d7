#pragma once

#include <QByteArray>
#include <QList>
#include <algorithm>
#include <chrono>
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
        QList<std::pair<QByteArray, QByteArray>> headers;

        QByteArray header(const QByteArray& name) const
        {
            const auto found = std::find_if(headers.cbegin(), headers.cend(), [&](const auto& header) {
                return header.first.compare(name, Qt::CaseInsensitive) == 0;
            });
            return found == headers.cend() ? QByteArray() : found->second;
        }
    };
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

    explicit LoopbackHttpServer(Handler handler = {}, QByteArray host = "127.0.0.1")
        : m_handler(std::move(handler)), m_host(std::move(host))
    {
        auto record = [this](const httplib::Request& request, httplib::Response& response) {
            {
                QList<std::pair<QByteArray, QByteArray>> headers;
                for (const auto& [key, value] : request.headers)
                    headers.append({QByteArray::fromStdString(key), QByteArray::fromStdString(value)});
                std::lock_guard lock(m_mutex);
                m_requests.append({QByteArray::fromStdString(request.method),
                                   QByteArray::fromStdString(request.path),
                                   QByteArray::fromStdString(request.get_header_value("Content-Type")),
                                   QByteArray::fromStdString(request.body), std::move(headers)});
            }
            if (m_handler)
                m_handler(request, response);
        };
        m_server.Get(".*", record);
        m_server.Post(".*", record);
        m_server.Put(".*", record);
        m_port = m_server.bind_to_any_port(m_host.toStdString());
        // Bound and listening already: connections wait in the backlog until the loop runs.
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
    }
    ~LoopbackHttpServer()
    {
        // stop() does nothing until the loop has started, which would then run for ever.
        for (int waited = 0; waited < 5000 && !m_server.is_running(); ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
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
