#include "windows/AnnouncementListModel.h"

void AnnouncementListModel::setRecords(HistoryRecordList records)
{
    beginResetModel();
    m_records = std::move(records);
    endResetModel();
}

void AnnouncementListModel::markRead(const QSet<QString>& ids)
{
    for (int row = 0; row < m_records.size(); ++row) {
        HistoryRecord& record = m_records[row];
        if (record.read || (!ids.isEmpty() && !ids.contains(record.announcement.id())))
            continue;
        record.read = true;
        Q_EMIT dataChanged(index(row), index(row), {Qt::FontRole});
    }
}

int AnnouncementListModel::unreadCount() const
{
    return int(
        std::count_if(m_records.cbegin(), m_records.cend(), [](const HistoryRecord& r) { return !r.read; }));
}

int AnnouncementListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_records.size());
}

QVariant AnnouncementListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_records.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return m_records.at(index.row()).announcement.displayTitle();
    return {};
}
