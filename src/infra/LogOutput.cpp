#include "infra/LogOutput.h"

#include "infra/LogCategories.h"

#include <QLatin1StringView>
#include <atomic>
#include <cstring>

namespace {
using Category = const QLoggingCategory& (*)();

// The component each category's lines are bracketed with (the names log readers grep for).
const std::pair<Category, QLatin1StringView> kComponents[] = {
    {&lcAnnouncementWindowLoader, QLatin1StringView("AnnouncementWindowLoader")},
    {&lcBrowser, QLatin1StringView("Browser")},
    {&lcFetcher, QLatin1StringView("Fetcher")},
    {&lcNetwork, QLatin1StringView("Network")},
    {&lcNotificationManager, QLatin1StringView("NotificationManager")},
    {&lcOutbox, QLatin1StringView("Outbox")},
    {&lcPreferences, QLatin1StringView("Preferences")},
    {&lcSettings, QLatin1StringView("Settings")},
    {&lcUpdater, QLatin1StringView("Updater")},
};

// The message handler is a plain function, so what it writes to lives here; only LogOutput sets it.
std::atomic<FILE*> s_stream{nullptr};
std::atomic<QtMessageHandler> s_previousHandler{nullptr};

void writeLine(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const QByteArray text = LogOutput::line(context.category, message);
    FILE* stream = s_stream.load();
    if (text.isEmpty() || !stream) {
        if (const QtMessageHandler previous = s_previousHandler.load())
            previous(type, context, message);
        return;
    }
    // One write per line: lines from the fetch worker and the main thread never interleave.
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stream);
    std::fflush(stream);
}
} // namespace

LogOutput::LogOutput(FILE* stream)
    : m_previousStream(s_stream.exchange(stream)), m_previousHandler(qInstallMessageHandler(&writeLine))
{
    if (m_previousHandler != &writeLine)
        s_previousHandler.store(m_previousHandler);
}

LogOutput::~LogOutput()
{
    s_stream.store(m_previousStream);
    if (m_previousHandler != &writeLine)
        qInstallMessageHandler(m_previousHandler);
}

QByteArray LogOutput::line(const char* category, const QString& message)
{
    if (!category)
        return {};
    for (const auto& [categoryOf, component] : kComponents) {
        if (std::strcmp(categoryOf().categoryName(), category) == 0)
            return (QLatin1Char('[') + component + QLatin1String("] ") + message + QLatin1Char('\n'))
                .toUtf8();
    }
    return {};
}
