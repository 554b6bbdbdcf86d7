#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>
#include <optional>

// One release listed in an appcast (RSS with the common update-feed elements).
struct AppcastItem
{
    QString title;
    QString version;            // "version": the build number, or the whole version when alone
    QString shortVersionString; // "shortVersionString": the version people see, e.g. "1.2.4"
    QString releaseNotesLink;
    QString downloadUrl; // the enclosure's url

    QString displayVersion() const { return shortVersionString.isEmpty() ? version : shortVersionString; }
};
Q_DECLARE_METATYPE(AppcastItem)

class Appcast
{
public:
    // Items without a version are skipped. Returns nothing (and sets error) for XML that does not
    // parse or an appcast that lists no version.
    static std::optional<QList<AppcastItem>> parse(const QByteArray& xml, QString* error = nullptr);

    // Numeric comparison part by part ("1.10" > "1.9", "1.2" == "1.2.0"); <0, 0, >0.
    static int compareVersions(const QString& a, const QString& b);

    // Orders releases: by shown version, then by build number when both have one.
    static int compare(const AppcastItem& a, const AppcastItem& b);
    // Whether an item is newer than the running version (shown version and build number).
    static bool isNewer(const AppcastItem& item, const QString& currentVersion, const QString& currentBuild);
    static const AppcastItem* newest(const QList<AppcastItem>& items);
};
