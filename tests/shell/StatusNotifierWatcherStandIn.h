#pragma once

#include <QDBusContext>
#include <QObject>
#include <QStringList>

// What KDE Plasma and GNOME's AppIndicator extension put on the session bus: a
// StatusNotifierWatcher with a host registered. Tray items register with it and export their menu
// over D-Bus (com.canonical.dbusmenu) for the host to draw.
class StatusNotifierWatcherStandIn : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)

public:
    bool start(); // on the session bus
    bool isHostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList items() const { return m_items; }
    // The bus name and object path of the first registered item.
    QString itemService() const;
    QString itemPath() const;

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString& serviceOrPath);
    void RegisterStatusNotifierHost(const QString&) {}

Q_SIGNALS:
    void StatusNotifierItemRegistered(const QString& item);

private:
    QStringList m_items;
};
