#include "update/Appcast.h"

#include <QXmlStreamReader>
#include <algorithm>

namespace {
QList<qulonglong> versionParts(const QString& version)
{
    QList<qulonglong> parts;
    for (const QString& part : version.trimmed().split(QLatin1Char('.'))) {
        // Leading digits only: "3-beta" counts as 3, a part without digits as 0.
        qsizetype digits = 0;
        while (digits < part.size() && part.at(digits).isDigit() && part.at(digits).unicode() < 128)
            ++digits;
        parts.append(part.left(std::min<qsizetype>(digits, 18)).toULongLong());
    }
    while (parts.size() > 1 && parts.constLast() == 0)
        parts.removeLast();
    return parts;
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
    const QList<qulonglong> left = versionParts(a);
    const QList<qulonglong> right = versionParts(b);
    for (qsizetype i = 0; i < std::max(left.size(), right.size()); ++i) {
        const qulonglong l = i < left.size() ? left.at(i) : 0;
        const qulonglong r = i < right.size() ? right.at(i) : 0;
        if (l != r)
            return l < r ? -1 : 1;
    }
    return 0;
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
