#pragma once

#include "infra/HttpClient.h"
#include "infra/Instant.h"

#include <QString>
#include <optional>

// How one attempt at a delivery ended, as the outbox acts on it: done, try again later (the network,
// a server's own trouble, too many requests), or refused by the receiver (a wrong address, token or
// request), which trying again would not change.
struct DeliveryResult
{
    enum class Outcome { Delivered, RetryLater, Refused };

    Outcome outcome = Outcome::Delivered;
    QString detail;                          // for the log and the status: "HTTP 503", a transport error
    std::optional<double> retryAfterSeconds; // a 429's or 503's Retry-After, when it gave one

    static DeliveryResult delivered() { return {}; }
    static DeliveryResult retryLater(QString detail) { return {Outcome::RetryLater, std::move(detail), {}}; }
    static DeliveryResult refused(QString detail) { return {Outcome::Refused, std::move(detail), {}}; }

    // 2xx delivered; no response, 5xx, 408 and 429 retry later; any other status refused.
    static DeliveryResult fromHttp(const HttpClient::Result& result, Instant now);
    // A Retry-After value, as seconds ("120") or an HTTP date, in seconds from `now` (at least 0).
    static std::optional<double> parseRetryAfter(const QByteArray& value, Instant now);

    bool isDelivered() const { return outcome == Outcome::Delivered; }
    QString describe() const; // "delivered", "retry later: HTTP 503", "refused: HTTP 404 (Not found)"
};
