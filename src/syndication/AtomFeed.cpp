#include "syndication/AtomFeed.h"

#include "model/AppConstants.h"
#include "syndication/FeedContent.h"

#include <QXmlStreamWriter>

namespace {
const QString kAtom = QStringLiteral("http://www.w3.org/2005/Atom");
const QString kXmlLang = QStringLiteral("xml:lang");
const QString kSymbolScheme = QStringLiteral("tag:zelvora.org,2026:symbol");
const QString kCategoryScheme = QStringLiteral("tag:zelvora.org,2026:category");

void writeLink(QXmlStreamWriter& xml, const QString& href)
{
    xml.writeEmptyElement(QStringLiteral("link"));
    xml.writeAttribute(QStringLiteral("rel"), QStringLiteral("alternate"));
    xml.writeAttribute(QStringLiteral("href"), href);
}
} // namespace

QByteArray AtomFeed::document(const FeedContent& content)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(kAtom);
    xml.writeStartElement(kAtom, QStringLiteral("feed"));
    xml.writeAttribute(kXmlLang, content.language());
    xml.writeTextElement(QStringLiteral("id"), content.id());
    xml.writeTextElement(QStringLiteral("title"), content.title());
    xml.writeTextElement(QStringLiteral("updated"), content.updated());
    xml.writeStartElement(QStringLiteral("author"));
    xml.writeTextElement(QStringLiteral("name"), content.author());
    xml.writeEndElement();
    writeLink(xml, content.portalOrigin());
    xml.writeStartElement(QStringLiteral("generator"));
    xml.writeAttribute(QStringLiteral("version"), AppConstants::appVersion);
    xml.writeCharacters(AppConstants::appName);
    xml.writeEndElement();

    for (const FeedContent::Entry& entry : content.entries()) {
        xml.writeStartElement(QStringLiteral("entry"));
        xml.writeAttribute(kXmlLang, entry.language);
        xml.writeTextElement(QStringLiteral("id"), entry.id);
        xml.writeTextElement(QStringLiteral("title"), entry.title);
        if (!entry.summary.isEmpty())
            xml.writeTextElement(QStringLiteral("summary"), entry.summary);
        writeLink(xml, entry.link);
        xml.writeTextElement(QStringLiteral("published"), entry.date);
        xml.writeTextElement(QStringLiteral("updated"), entry.date);
        xml.writeEmptyElement(QStringLiteral("category"));
        xml.writeAttribute(QStringLiteral("term"), entry.category);
        xml.writeAttribute(QStringLiteral("scheme"), kCategoryScheme);
        for (const QString& symbol : entry.symbols) {
            xml.writeEmptyElement(QStringLiteral("category"));
            xml.writeAttribute(QStringLiteral("term"), symbol);
            xml.writeAttribute(QStringLiteral("scheme"), kSymbolScheme);
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}
