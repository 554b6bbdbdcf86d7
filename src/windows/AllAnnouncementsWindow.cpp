#include "windows/AllAnnouncementsWindow.h"

#include "fetch/IssuerDirectory.h"
#include "history/HistoryExport.h"
#include "history/HistoryStore.h"
#include "model/AnnouncementCategory.h"
#include "platform/gui/UrlOpener.h"
#include "windows/AnnouncementItemDelegate.h"
#include "windows/AnnouncementListModel.h"
#include "windows/SavedGeometry.h"
#include "windows/WindowStyle.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>

AllAnnouncementsWindow::AllAnnouncementsWindow(UrlOpener& opener, const QString& uiStateFile, QWidget* parent)
    : AllAnnouncementsWindow(opener, uiStateFile, Services(), parent)
{
}

AllAnnouncementsWindow::AllAnnouncementsWindow(UrlOpener& opener, const QString& uiStateFile,
                                               Services services, QWidget* parent)
    : QWidget(parent, Qt::Window), m_opener(opener), m_services(std::move(services))
{
    setWindowTitle(tr("Zelvora — All Announcements"));
    setMinimumSize(400, 400);
    resize(560, 600);

    auto* header = new QWidget(this);
    header->setObjectName(QStringLiteral("header"));
    header->setAutoFillBackground(true);
    WindowStyle::setColor(header, QPalette::Window, WindowStyle::kSaudiGreen);
    header->setFixedHeight(48);
    auto* heading = new QLabel(tr("Zelvora — All Announcements"), header);
    heading->setObjectName(QStringLiteral("heading"));
    heading->setFont(WindowStyle::generalFont(13, QFont::DemiBold));
    WindowStyle::setColor(heading, QPalette::WindowText, Qt::white);
    heading->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred); // clipped, never widens the window
    m_scope = new QComboBox(header);
    m_scope->addItem(tr("Last 30 days"), int(Scope::LastThirtyDays));
    m_scope->addItem(tr("All history"), int(Scope::AllHistory));
    m_scope->setVisible(m_services.history != nullptr);
    connect(m_scope, &QComboBox::currentIndexChanged, this, &AllAnnouncementsWindow::applyFilter);
    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(16, 0, 16, 0);
    headerLayout->addWidget(heading, 1, Qt::AlignVCenter);
    headerLayout->addWidget(m_scope, 0, Qt::AlignVCenter);

    m_searchField = new QLineEdit;
    m_searchField->setFont(WindowStyle::generalFont(12));
    m_searchField->setPlaceholderText(tr("Search titles, text, symbols and companies"));
    m_searchField->setClearButtonEnabled(true);
    connect(m_searchField, &QLineEdit::textChanged, this, &AllAnnouncementsWindow::applyFilter);
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        m_searchField->setFocus(Qt::ShortcutFocusReason);
        m_searchField->selectAll();
    });
    m_categoryFilter = new QComboBox;
    m_categoryFilter->setFont(WindowStyle::generalFont(12));
    // As wide as a short name: the longest would leave the search field no room in a narrow window.
    m_categoryFilter->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_categoryFilter->setMinimumContentsLength(10);
    m_categoryFilter->addItem(tr("All categories"));
    for (const AnnouncementCategory::Kind kind : AnnouncementCategory::all())
        m_categoryFilter->addItem(AnnouncementCategory::emoji(kind) + QLatin1Char(' ') +
                                      AnnouncementCategory::displayName(kind),
                                  QVariant::fromValue(int(kind)));
    connect(m_categoryFilter, &QComboBox::currentIndexChanged, this, &AllAnnouncementsWindow::applyFilter);
    m_watchlistOnly = new QCheckBox(tr("Watchlist only"));
    m_watchlistOnly->setFont(WindowStyle::generalFont(12));
    connect(m_watchlistOnly, &QCheckBox::toggled, this, &AllAnnouncementsWindow::applyFilter);
    m_countLabel = new QLabel;
    m_countLabel->setObjectName(QStringLiteral("count"));
    m_countLabel->setFont(WindowStyle::generalFont(11));
    auto* searchBar = new QWidget(this);
    auto* searchLayout = new QHBoxLayout(searchBar);
    searchLayout->setContentsMargins(12, 8, 14, 4);
    searchLayout->setSpacing(10);
    searchLayout->addWidget(m_searchField, 1);
    searchLayout->addWidget(m_categoryFilter);
    searchLayout->addWidget(m_watchlistOnly);

    m_markAllRead = new QPushButton(tr("Mark All as Read"));
    m_markAllRead->setVisible(m_services.history != nullptr);
    connect(m_markAllRead, &QPushButton::clicked, this, &AllAnnouncementsWindow::markAllRead);
    auto* exportButton = new QPushButton(tr("Export…"));
    exportButton->setObjectName(QStringLiteral("export"));
    connect(exportButton, &QPushButton::clicked, this, &AllAnnouncementsWindow::exportShown);
    auto* actionBar = new QWidget(this);
    auto* actionLayout = new QHBoxLayout(actionBar);
    actionLayout->setContentsMargins(12, 0, 14, 8);
    actionLayout->addWidget(m_countLabel, 1);
    actionLayout->addWidget(m_markAllRead);
    actionLayout->addWidget(exportButton);

    m_model = new AnnouncementListModel(this);
    m_list = new QListView;
    m_list->setModel(m_model);
    m_list->setItemDelegate(new AnnouncementItemDelegate(m_list));
    // Not uniform: a row without text or symbols is shorter. The delegate's height needs no text
    // layout, so even thousands of rows are laid out at once.
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setMouseTracking(true); // hover tint
    m_list->viewport()->setAutoFillBackground(false);
    connect(m_list, &QListView::clicked, this, [this](const QModelIndex& index) { openRow(index.row()); });
    connect(m_list, &QListView::activated, this, [this](const QModelIndex& index) { openRow(index.row()); });

    m_emptyText = new QLabel;
    m_emptyText->setObjectName(QStringLiteral("emptyText"));
    m_emptyText->setFont(WindowStyle::generalFont(13));
    m_emptyText->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_emptyText->setContentsMargins(0, 40, 0, 0);
    m_pages = new QStackedWidget(this);
    m_pages->addWidget(m_list);
    m_pages->addWidget(m_emptyText);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(header);
    layout->addWidget(searchBar);
    layout->addWidget(actionBar);
    layout->addWidget(m_pages, 1);

    m_savedGeometry = SavedGeometry::attach(this, kGeometryKey, uiStateFile);
}

AllAnnouncementsWindow::~AllAnnouncementsWindow() = default;

AnnouncementSearch::CompanyNames AllAnnouncementsWindow::companyNames() const
{
    auto issuers = std::make_shared<IssuerDirectory>(m_services.issuerDirectory);
    return [issuers](const QString& symbol) { return issuers->displayName(symbol); };
}

Instant AllAnnouncementsWindow::now() const
{
    return m_services.clock ? m_services.clock->now() : Instant::now();
}

void AllAnnouncementsWindow::update(const AnnouncementList& announcements)
{
    m_kept = announcements;
    m_search = AnnouncementSearch(announcements, companyNames(),
                                  m_services.watchlist ? m_services.watchlist() : Watchlist());
    m_built = true;
    applyFilter();
}

void AllAnnouncementsWindow::setScope(Scope scope)
{
    m_scope->setCurrentIndex(m_scope->findData(int(scope)));
}

void AllAnnouncementsWindow::applyFilter()
{
    if (!m_built)
        return;
    const QString text = m_searchField->text();
    const bool watchlistOnly = m_watchlistOnly->isChecked();
    const QVariant kind = m_categoryFilter->currentData();
    const auto category =
        kind.isValid() ? std::optional(AnnouncementCategory::Kind(kind.toInt())) : std::nullopt;
    HistoryStore* history = m_services.history;
    HistoryRecordList records;
    qint64 matches = 0;
    qint64 total = 0;
    if (history && Scope(m_scope->currentData().toInt()) == Scope::AllHistory) {
        HistoryQuery query;
        query.text = text;
        query.limit = kMaxHistoryRows;
        if (category)
            query.category = AnnouncementCategory::key(*category);
        records = history->search(query).value_or(HistoryRecordList());
        if (watchlistOnly) {
            // The watchlist's rule runs here, over the newest matches loaded.
            const Watchlist watchlist = m_services.watchlist ? m_services.watchlist() : Watchlist();
            records.removeIf(
                [&watchlist](const HistoryRecord& r) { return !watchlist.matches(r.announcement); });
        }
        matches = watchlistOnly || records.size() < kMaxHistoryRows ? records.size() : history->count(query);
        total = history->count(HistoryQuery());
    } else {
        const AnnouncementList found = m_search.filter(text, watchlistOnly, category);
        QStringList ids;
        for (const Announcement& announcement : found)
            ids.append(announcement.id());
        // Without a history every kept announcement reads as read.
        const QSet<QString> unread = history ? history->unread(ids) : QSet<QString>();
        for (const Announcement& announcement : found)
            records.append({announcement, !unread.contains(announcement.id())});
        matches = found.size();
        total = m_kept.size();
    }
    m_model->setRecords(std::move(records));
    m_countLabel->setText(countText(Scope(m_scope->currentData().toInt()), matches, total));
    m_markAllRead->setEnabled(m_model->unreadCount() > 0);
    const bool empty = m_model->rowCount() == 0;
    m_emptyText->setText(total == 0
                             ? tr("No announcements cached yet.\nAnnouncements appear here once fetched.")
                             : tr("No announcement matches."));
    m_pages->setCurrentWidget(empty ? static_cast<QWidget*>(m_emptyText) : m_list);
}

QString AllAnnouncementsWindow::countText(Scope scope, qint64 matches, qint64 total)
{
    // Says what the number counts: "404 kept" alone read like an error code.
    const int all = int(total);
    if (scope == Scope::AllHistory)
        return matches == total ? tr("%n announcements in the history", nullptr, all)
                                : tr("%1 of %n announcements in the history", nullptr, all).arg(matches);
    return matches == total ? tr("%n announcements in the last 30 days", nullptr, all)
                            : tr("%1 of %n announcements in the last 30 days", nullptr, all).arg(matches);
}

AnnouncementList AllAnnouncementsWindow::announcements() const
{
    AnnouncementList shown;
    for (const HistoryRecord& record : m_model->records())
        shown.append(record.announcement);
    return shown;
}

QWidget* AllAnnouncementsWindow::emptyStateView() const
{
    return m_pages->currentWidget() == m_emptyText ? m_emptyText : nullptr;
}

void AllAnnouncementsWindow::openRow(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    const HistoryRecord record = m_model->record(row);
    const QUrl url = UrlOpener::webAddress(record.announcement.link());
    if (url.isValid())
        m_opener.open(url);
    if (record.read || !m_services.history)
        return;
    if (m_services.history->markRead({record.announcement.id()}, now())) {
        m_model->markRead({record.announcement.id()});
        m_markAllRead->setEnabled(m_model->unreadCount() > 0);
        Q_EMIT readChanged({record.announcement.id()});
    }
}

void AllAnnouncementsWindow::markAllRead()
{
    if (!m_services.history || !m_services.history->markRead({}, now()))
        return;
    m_model->markRead({});
    m_markAllRead->setEnabled(false);
    Q_EMIT readChanged({});
}

void AllAnnouncementsWindow::exportShown()
{
    QString filter;
    const QString path =
        QFileDialog::getSaveFileName(this, tr("Export Announcements"), QStringLiteral("announcements.csv"),
                                     tr("CSV (*.csv);;JSON (*.json)"), &filter);
    if (path.isEmpty())
        return;
    const bool json =
        path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive) || filter.contains(QLatin1String("json"));
    QString error;
    if (!HistoryExport::write(path, json ? HistoryExport::Format::Json : HistoryExport::Format::Csv,
                              m_model->records(), companyNames(), &error))
        QMessageBox::warning(this, tr("Export Announcements"), tr("Could not write %1: %2").arg(path, error));
}
