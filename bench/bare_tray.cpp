// The yardstick for the tray program's footprint: a bare Qt tray icon with a 20-item menu.
#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QMenu menu;
    for (int i = 0; i < 20; ++i)
        menu.addAction(QStringLiteral("Announcement number %1 with a title of ordinary length").arg(i));
    QPixmap bell(22, 22);
    bell.fill(Qt::darkYellow);
    QSystemTrayIcon icon{QIcon(bell)};
    icon.setContextMenu(&menu);
    icon.setToolTip(QStringLiteral("Bare tray"));
    icon.show();
    return QApplication::exec();
}
