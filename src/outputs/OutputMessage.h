#pragma once

#include "model/Announcement.h"

#include <QCoreApplication>
#include <QJsonObject>
#include <QList>
#include <QString>

// One announcement as an output gets it, with what the announcement alone does not say.
struct OutputItem
{
    Announcement announcement;
    QString company;  // the first company's name, as far as known
    QString category; // its key ("dividends")
    QString rule;     // the rule that let it through; empty when everything is notified

    // With the announcement's category as classified from its headline.
    static OutputItem of(const Announcement& announcement, const QString& company, const QString& rule);
    QString symbol() const;
    QString date() const; // ISO 8601 in Riyadh time ("2026-12-06T14:05:00+03:00")
    // The webhook's object: id, title, text, symbol, company, category, date, link, rule.
    QJsonObject toJson() const;
};

// What one delivery carries: one announcement, or a burst summed up in one message.
class OutputMessage
{
    Q_DECLARE_TR_FUNCTIONS(OutputMessage)

public:
    static constexpr int kSummaryLines = 10;

    explicit OutputMessage(QList<OutputItem> items);
    // A made-up announcement, for trying an output.
    static OutputMessage sample(Instant now, const QString& portalOrigin);

    const QList<OutputItem>& items() const { return m_items; }
    bool isSummary() const { return m_items.size() > 1; }

    // The same for every attempt at the same delivery, so a receiver can drop a repeat: the
    // announcement's id, or a digest of the summed-up ids.
    QString key() const;
    QString title() const; // the announcement's title, or "3 new announcements"
    // The text and the link, or one line per announcement (at most kSummaryLines, then how many more).
    QString body() const;
    QString link() const; // the announcement's; a summary's is empty
    QStringList symbols() const;

private:
    QList<OutputItem> m_items;
};
