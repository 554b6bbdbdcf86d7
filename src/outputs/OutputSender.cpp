#include "outputs/OutputSender.h"

#include "outputs/MatrixSender.h"
#include "outputs/NtfySender.h"
#include "outputs/OutputConfig.h"
#include "outputs/SmtpSender.h"
#include "outputs/TelegramSender.h"
#include "outputs/WebhookSender.h"

std::unique_ptr<OutputSender> OutputSender::make(const OutputConfig& config, const QString& secret,
                                                 const Clock& clock)
{
    switch (config.kind) {
    case OutputConfig::Kind::Webhook:
        return std::make_unique<WebhookSender>(config.url, secret, clock);
    case OutputConfig::Kind::Ntfy:
        return std::make_unique<NtfySender>(config.url, secret, clock);
    case OutputConfig::Kind::Smtp:
        return std::make_unique<SmtpSender>(config, secret, clock);
    case OutputConfig::Kind::Telegram:
        return std::make_unique<TelegramSender>(config.url, secret, config.chat, clock);
    case OutputConfig::Kind::Matrix:
        return std::make_unique<MatrixSender>(config.url, config.room, secret, clock);
    }
    return nullptr;
}
