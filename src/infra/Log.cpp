#include "infra/Log.h"

#include <atomic>
#include <cstdio>

namespace {
std::atomic<bool> s_useStandardError{false};
}

void Log::line(const QString& component, const QString& message)
{
    const QByteArray text =
        (QLatin1Char('[') + component + QLatin1String("] ") + message + QLatin1Char('\n')).toUtf8();
    FILE* stream = s_useStandardError.load() ? stderr : stdout;
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stream);
    std::fflush(stream);
}

void Log::useStandardError(bool enabled)
{
    s_useStandardError.store(enabled);
}
