#pragma once

#include "history/HistoryRecord.h"
#include "infra/Clock.h"
#include "model/Announcement.h"
#include "model/AnnouncementSearch.h"
#include "model/Watchlist.h"

#include <QWidget>
#include <functional>

class AnnouncementListModel;
class HistoryStore;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QStackedWidget;
class UrlOpener;
class SavedGeometry;

// The announcements, newest first, under a green header: the kept ones ("Last 30 days") or, with a
// history, every archived one ("All history"). A search field (Ctrl+F), a category pop-up and a
// "Watchlist only" switch narrow the list as the user types; unread ones are bold until opened or "Mark All
// as Read"; "Export…" writes what is shown. Closing only hides it; the owner calls update() after each poll
// while it is visible.
class AllAnnouncementsWindow : public QWidget
{
    Q_OBJECT
public:
    // Rows "All history" loads at most for one search, newest first.
    static constexpr int kMaxHistoryRows = 2000;
    static inline const QString kGeometryKey = QStringLiteral("AllAnnouncementsWindow");

    enum class Scope { LastThirtyDays, AllHistory };

    // Where the window finds the watchlist, the companies' names and the history (none: the kept
    // list alone, all of it read).
    struct Services
    {
        std::function<Watchlist()> watchlist;
        QString issuerDirectory;
        HistoryStore* history = nullptr;
        const Clock* clock = nullptr; // when things are read; none: the system's
    };

    AllAnnouncementsWindow(UrlOpener& opener, const QString& uiStateFile, QWidget* parent = nullptr);
    AllAnnouncementsWindow(UrlOpener& opener, const QString& uiStateFile, Services services,
                           QWidget* parent = nullptr);
    ~AllAnnouncementsWindow() override;

    // The kept announcements (the last 30 days); shown at once in that scope.
    void update(const AnnouncementList& announcements);
    using QWidget::update;
    void setScope(Scope scope);
    // The count line: what is shown of how many, and where they come from.
    static QString countText(Scope scope, qint64 matches, qint64 total);
    // Opens the announcement of this row in the browser and marks it read.
    void openRow(int row);
    void markAllRead();

    AnnouncementList announcements() const; // the rows shown
    AnnouncementListModel* model() const { return m_model; }
    QListView* listView() const { return m_list; }
    QLineEdit* searchField() const { return m_searchField; }
    QCheckBox* watchlistOnlySwitch() const { return m_watchlistOnly; }
    QComboBox* scopeChoice() const { return m_scope; }
    QComboBox* categoryFilter() const { return m_categoryFilter; } // first "All categories", then the kinds
    QLabel* countLabel() const { return m_countLabel; }
    QWidget* emptyStateView() const; // null while rows are shown
    SavedGeometry* savedGeometry() const { return m_savedGeometry; }

Q_SIGNALS:
    // Announcements became read here (empty: all); the tray updates its menu and tooltip.
    void readChanged(const QStringList& ids);

private:
    void applyFilter();
    void exportShown();
    AnnouncementSearch::CompanyNames companyNames() const;
    Instant now() const;

    UrlOpener& m_opener;
    Services m_services;
    AnnouncementList m_kept;
    AnnouncementSearch m_search;
    AnnouncementListModel* m_model = nullptr;
    QLineEdit* m_searchField = nullptr;
    QComboBox* m_scope = nullptr;
    QComboBox* m_categoryFilter = nullptr;
    QCheckBox* m_watchlistOnly = nullptr;
    QLabel* m_countLabel = nullptr;
    QPushButton* m_markAllRead = nullptr;
    QListView* m_list = nullptr;
    QLabel* m_emptyText = nullptr;
    QStackedWidget* m_pages = nullptr;
    SavedGeometry* m_savedGeometry = nullptr;
    bool m_built = false; // until the first update the list stays empty
};
