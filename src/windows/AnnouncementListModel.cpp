#include "windows/AnnouncementListModel.h"

void AnnouncementListModel::setRecords(HistoryRecordList records)
{
    beginResetModel();
    m_records = std::move(records);
    QHash<QString, bool> hasText;
    hasText.reserve(m_records.size());
    for (const HistoryRecord& record : std::as_const(m_records)) {
        const Announcement& announcement = record.announcement;
        const auto known = m_hasText.constFind(announcement.description());
        hasText.insert(announcement.description(),
                       known != m_hasText.cend() ? *known : !announcement.strippedDescription().isEmpty());
    }
    m_hasText = std::move(hasText);
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

bool AnnouncementListModel::hasText(int row) const
{
    return m_hasText.value(m_records.at(row).announcement.description(), true);
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
