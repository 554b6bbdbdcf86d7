#include "update/Appcast.h"

#include <QVersionNumber>
#include <QXmlStreamReader>
#include <algorithm>

namespace {
// The leading numbers: "1.2.3-beta" and "1.2.3 beta" are 1.2.3, "1.2b3" is 1.2; no trailing zeros,
// so "1.2" and "1.2.0" are the same version.
QVersionNumber versionNumber(const QString& version)
{
    return QVersionNumber::fromString(version.trimmed()).normalized();
}

void readEnclosure(const QXmlStreamAttributes& attributes, AppcastItem& item)
{
    for (const QXmlStreamAttribute& attribute : attributes) {
        const QStringView name = attribute.name();
        if (name == QLatin1String("url"))
            item.downloadUrl = attribute.value().toString().trimmed();
        else if (name == QLatin1String("version") && item.version.isEmpty())
            item.version = attribute.value().toString().trimmed();
        else if (name == QLatin1String("shortVersionString") && item.shortVersionString.isEmpty())
            item.shortVersionString = attribute.value().toString().trimmed();
    }
}
} // namespace

int Appcast::compareVersions(const QString& a, const QString& b)
{
    return std::clamp(QVersionNumber::compare(versionNumber(a), versionNumber(b)), -1, 1);
}

int Appcast::compare(const AppcastItem& a, const AppcastItem& b)
{
    if (const int shown = compareVersions(a.displayVersion(), b.displayVersion()); shown != 0)
        return shown;
    if (!a.shortVersionString.isEmpty() && !b.shortVersionString.isEmpty())
        return compareVersions(a.version, b.version);
    return 0;
}

bool Appcast::isNewer(const AppcastItem& item, const QString& currentVersion, const QString& currentBuild)
{
    return compare(item, AppcastItem{{}, currentBuild, currentVersion, {}, {}}) > 0;
}

const AppcastItem* Appcast::newest(const QList<AppcastItem>& items)
{
    const AppcastItem* best = nullptr;
    for (const AppcastItem& item : items) {
        if (!best || compare(item, *best) > 0)
            best = &item;
    }
    return best;
}

std::optional<QList<AppcastItem>> Appcast::parse(const QByteArray& xml, QString* error)
{
    QXmlStreamReader reader(xml);
    QList<AppcastItem> items;
    std::optional<AppcastItem> current;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            const QStringView name = reader.name();
            if (name == QLatin1String("item")) {
                current = AppcastItem();
            } else if (current) {
                if (name == QLatin1String("enclosure")) {
                    readEnclosure(reader.attributes(), *current);
                } else if (name == QLatin1String("title") && reader.namespaceUri().isEmpty()) {
                    current->title = reader.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
                } else if (name == QLatin1String("version")) {
                    current->version = reader.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
                } else if (name == QLatin1String("shortVersionString")) {
                    current->shortVersionString =
                        reader.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
                } else if (name == QLatin1String("releaseNotesLink")) {
                    current->releaseNotesLink =
                        reader.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
                }
            }
        } else if (reader.isEndElement() && reader.name() == QLatin1String("item") && current) {
            if (!current->version.isEmpty())
                items.append(*current);
            current.reset();
        }
    }
    if (reader.hasError()) {
        if (error)
            *error = QStringLiteral("%1 (line %2)").arg(reader.errorString()).arg(reader.lineNumber());
        return std::nullopt;
    }
    if (items.isEmpty()) {
        if (error)
            *error = QStringLiteral("it lists no version");
        return std::nullopt;
    }
    return items;
}
