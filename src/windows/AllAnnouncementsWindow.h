#pragma once

#include "model/Announcement.h"
#include "model/AnnouncementSearch.h"
#include "model/Watchlist.h"

#include <QWidget>
#include <functional>

class AnnouncementRowView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QScrollArea;
class QVBoxLayout;
class UrlOpener;
class SavedGeometry;

// The list of kept announcements, newest first, at most 100 rows, under a green header, with a search
// field (Ctrl+F), a category pop-up and a "Watchlist only" switch that narrow the list as the user types.
// Closing only hides it; the owner calls update() after each poll while it is visible.
class AllAnnouncementsWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kMaxRows = 100;
    static inline const QString kFrameName = QStringLiteral("AllAnnouncementsWindow");

    // Where the search finds the watchlist and the companies' names.
    struct SearchSources
    {
        std::function<Watchlist()> watchlist;
        QString issuerDirectory;
    };

    AllAnnouncementsWindow(UrlOpener& opener, const QString& uiStateFile, QWidget* parent = nullptr);
    AllAnnouncementsWindow(UrlOpener& opener, const QString& uiStateFile, SearchSources sources,
                           QWidget* parent = nullptr);

    // Shows the first 100 of `announcements` that pass the search, in the order given, rebuilding
    // every row.
    void update(const AnnouncementList& announcements);
    using QWidget::update;

    const AnnouncementList& announcements() const { return m_announcements; } // the rows shown
    QLineEdit* searchField() const { return m_searchField; }
    QCheckBox* watchlistOnlySwitch() const { return m_watchlistOnly; }
    QComboBox* categoryFilter() const { return m_categoryFilter; } // first "All categories", then the kinds
    QLabel* countLabel() const { return m_countLabel; }
    QList<AnnouncementRowView*> rows() const;
    int separatorCount() const;
    QWidget* emptyStateView() const { return m_emptyState; }
    QScrollArea* scrollArea() const { return m_scrollArea; }
    SavedGeometry* savedGeometry() const { return m_savedGeometry; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyFilter();
    void rebuildRows();
    void clearColumn();

    UrlOpener& m_opener;
    SearchSources m_sources;
    AnnouncementList m_all;
    AnnouncementSearch m_search;
    AnnouncementList m_announcements;
    QLineEdit* m_searchField = nullptr;
    QCheckBox* m_watchlistOnly = nullptr;
    QComboBox* m_categoryFilter = nullptr;
    QLabel* m_countLabel = nullptr;
    QScrollArea* m_scrollArea = nullptr;
    QWidget* m_column = nullptr;
    QVBoxLayout* m_columnLayout = nullptr;
    QWidget* m_emptyState = nullptr;
    QList<QWidget*> m_separators;
    SavedGeometry* m_savedGeometry = nullptr;
    bool m_built = false; // until the first update the column stays empty
};
