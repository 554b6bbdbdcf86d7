#pragma once

#include "outputs/DeliveryResult.h"

#include <memory>

class Clock;
class OutputMessage;
struct OutputConfig;

// Sends a message to one output. send() blocks until the receiver has answered (or the time-out),
// so it runs on a worker thread or in a command; a sender is used by one thread at a time.
class OutputSender
{
public:
    virtual ~OutputSender() = default;
    virtual DeliveryResult send(const OutputMessage& message) = 0;

    // The sender for the output's kind, with its secret (empty when it has none).
    static std::unique_ptr<OutputSender> make(const OutputConfig& config, const QString& secret,
                                              const Clock& clock);
};
