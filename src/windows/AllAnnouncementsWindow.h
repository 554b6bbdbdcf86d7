#pragma once

#include "model/Announcement.h"

#include <QWidget>

class AnnouncementRowView;
class QLabel;
class QScrollArea;
class QVBoxLayout;
class UrlOpener;
class WindowFrameAutosaver;

// The list of kept announcements, newest first, at most 100 rows, under a green header. Closing only
// hides it; the owner calls update() after each poll while it is visible.
class AllAnnouncementsWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kMaxRows = 100;
    static inline const QString kFrameName = QStringLiteral("AllAnnouncementsWindow");

    AllAnnouncementsWindow(UrlOpener& opener, const QString& uiStateFile, QWidget* parent = nullptr);

    static QString announcementEmoji(const QString& title);

    // Shows the first 100 of `announcements` in the order given, rebuilding every row.
    void update(const AnnouncementList& announcements);
    using QWidget::update;

    const AnnouncementList& announcements() const { return m_announcements; }
    QList<AnnouncementRowView*> rows() const;
    int separatorCount() const;
    QWidget* emptyStateView() const { return m_emptyState; }
    QScrollArea* scrollArea() const { return m_scrollArea; }
    WindowFrameAutosaver* frameSaver() const { return m_frameSaver; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void rebuildRows();
    void clearColumn();

    UrlOpener& m_opener;
    AnnouncementList m_announcements;
    QScrollArea* m_scrollArea = nullptr;
    QWidget* m_column = nullptr;
    QVBoxLayout* m_columnLayout = nullptr;
    QWidget* m_emptyState = nullptr;
    QList<QWidget*> m_separators;
    WindowFrameAutosaver* m_frameSaver = nullptr;
    bool m_built = false; // until the first update the column stays empty
};
