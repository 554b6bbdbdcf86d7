#pragma once

#include "history/HistoryRecord.h"

#include <QAbstractListModel>
#include <QHash>
#include <QSet>

// The announcements a list shows, in order, with their read state. Views draw them with
// AnnouncementItemDelegate, which reads the records through record().
class AnnouncementListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // Replaces the whole list (one reset: a view then lays out only the rows it shows).
    void setRecords(HistoryRecordList records);
    const HistoryRecordList& records() const { return m_records; }
    const HistoryRecord& record(int row) const { return m_records.at(row); }
    // Whether the row has text once its markup is gone. The view asks every row's height whenever it
    // lays the list out, and a poll or a keystroke resets the list, so the answer is kept per text.
    bool hasText(int row) const;

    // Marks these announcements read (all when `ids` is empty), repainting only their rows.
    void markRead(const QSet<QString>& ids);
    int unreadCount() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    // The title as read (display and accessible text).
    QVariant data(const QModelIndex& index, int role) const override;

private:
    HistoryRecordList m_records;
    QHash<QString, bool> m_hasText; // by description
};
