// Memory of the tray program's process after opening and closing 20 announcement windows (the
// delegate keeps one window per announcement, hidden after closing). Prints resident memory.
#include "platform/gui/UrlOpener.h"
#include "windows/AnnouncementWindow.h"

#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <vector>

static long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    RecordingUrlOpener opener;
    std::printf("before any window: %ld KiB\n", residentKiB());
    std::vector<std::unique_ptr<AnnouncementWindow>> windows;
    for (int i = 0; i < 20; ++i) {
        const Announcement announcement(QStringLiteral("se_%1").arg(97000 + i),
                                        QStringLiteral("Company %1 announces its annual results").arg(i),
                                        QStringLiteral("<p>Net profit rose by %1 percent.</p>").arg(i),
                                        QStringLiteral("https://www.saudiexchange.sa/item/%1").arg(i),
                                        Instant::now(), {QStringLiteral("%1").arg(2000 + i)});
        AnnouncementWindow::Services services = AnnouncementWindow::Services::defaults();
        services.opener = &opener;
        auto window = std::make_unique<AnnouncementWindow>(announcement, services);
        QSignalSpy ready(window.get(), &AnnouncementWindow::pageReady);
        window->show();
        ready.wait(20000);
        window->close();
        windows.push_back(std::move(window));
        if (i == 0)
            std::printf("after the first window: %ld KiB\n", residentKiB());
    }
    QTimer::singleShot(2000, &app, &QCoreApplication::quit);
    QApplication::exec();
    std::printf("after 20 windows opened and closed: %ld KiB\n", residentKiB());
    return 0;
}
