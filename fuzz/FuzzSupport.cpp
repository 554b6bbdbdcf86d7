#include "FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

// Log lines (a corrupt settings file, an unusable page) would take most of the time of a run.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

namespace FuzzSupport {
QByteArray bytes(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

QString scratchFolder()
{
    static const QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                          ? QStringLiteral("/dev/shm/zelvora-fuzz-XXXXXX")
                                          : QDir::tempPath() + QStringLiteral("/zelvora-fuzz-XXXXXX"));
    return folder.path();
}

QString writeScratch(const QString& name, const QByteArray& bytes)
{
    const QString path = scratchFolder() + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        fail("cannot write the scratch file");
    return path;
}

void fail(const char* what)
{
    std::fprintf(stderr, "oracle failed: %s\n", what);
    std::abort();
}
} // namespace FuzzSupport
