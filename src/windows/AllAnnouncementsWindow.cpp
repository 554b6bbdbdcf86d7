#include "windows/AllAnnouncementsWindow.h"

#include "fetch/IssuerDirectory.h"
#include "platform/gui/UrlOpener.h"
#include "windows/AnnouncementRowView.h"
#include "windows/SavedGeometry.h"
#include "windows/WindowStyle.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QShortcut>

namespace {
// A strip of one colour; cheaper than a styled frame when a hundred are made at once.
class ColorStrip : public QWidget
{
public:
    ColorStrip(const QColor& color, QWidget* parent) : QWidget(parent)
    {
        setAutoFillBackground(true);
        setColor(color);
    }
    void setColor(const QColor& color) { WindowStyle::setColor(this, QPalette::Window, color); }
};
} // namespace

AllAnnouncementsWindow::AllAnnouncementsWindow(UrlOpener& opener, const QString& uiStateFile, QWidget* parent)
    : AllAnnouncementsWindow(opener, uiStateFile, SearchSources(), parent)
{
}

AllAnnouncementsWindow::AllAnnouncementsWindow(UrlOpener& opener, const QString& uiStateFile,
                                               SearchSources sources, QWidget* parent)
    : QWidget(parent, Qt::Window), m_opener(opener), m_sources(std::move(sources))
{
    setWindowTitle(tr("Zelvora — All Announcements"));
    setMinimumSize(400, 400);
    resize(500, 600);

    auto* header = new ColorStrip(WindowStyle::kSaudiGreen, this);
    header->setObjectName(QStringLiteral("header"));
    header->setFixedHeight(48);
    auto* heading = new QLabel(tr("Zelvora — All Announcements (30 days)"), header);
    heading->setObjectName(QStringLiteral("heading"));
    heading->setFont(WindowStyle::systemFont(13, QFont::DemiBold));
    WindowStyle::setColor(heading, QPalette::WindowText, Qt::white);
    heading->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred); // clipped, never widens the window
    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(16, 0, 16, 0);
    headerLayout->addWidget(heading, 1, Qt::AlignVCenter);

    m_searchField = new QLineEdit;
    m_searchField->setFont(WindowStyle::systemFont(12));
    m_searchField->setPlaceholderText(tr("Search titles, text, symbols and companies"));
    m_searchField->setClearButtonEnabled(true);
    connect(m_searchField, &QLineEdit::textChanged, this, &AllAnnouncementsWindow::applyFilter);
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        m_searchField->setFocus(Qt::ShortcutFocusReason);
        m_searchField->selectAll();
    });
    m_categoryFilter = new QComboBox;
    m_categoryFilter->setFont(WindowStyle::systemFont(12));
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
    m_watchlistOnly->setFont(WindowStyle::systemFont(12));
    connect(m_watchlistOnly, &QCheckBox::toggled, this, &AllAnnouncementsWindow::applyFilter);
    m_countLabel = new QLabel;
    m_countLabel->setObjectName(QStringLiteral("count"));
    m_countLabel->setFont(WindowStyle::systemFont(11));
    WindowStyle::setColor(m_countLabel, QPalette::WindowText, WindowStyle::tertiaryLabelColor(palette()));
    auto* searchBar = new QWidget(this);
    auto* searchLayout = new QHBoxLayout(searchBar);
    searchLayout->setContentsMargins(12, 8, 14, 8);
    searchLayout->setSpacing(10);
    searchLayout->addWidget(m_searchField, 1);
    searchLayout->addWidget(m_categoryFilter);
    searchLayout->addWidget(m_watchlistOnly);
    searchLayout->addWidget(m_countLabel);

    m_column = new QWidget;
    m_column->setObjectName(QStringLiteral("column"));
    m_columnLayout = new QVBoxLayout(m_column);
    m_columnLayout->setContentsMargins(0, 0, 0, 0);
    m_columnLayout->setSpacing(0);

    m_scrollArea = new QScrollArea(this);
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setBackgroundRole(QPalette::Window);
    m_scrollArea->setWidget(m_column);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(header);
    layout->addWidget(searchBar);
    layout->addWidget(m_scrollArea, 1);

    m_savedGeometry = SavedGeometry::attach(this, kFrameName, uiStateFile);
}

void AllAnnouncementsWindow::update(const AnnouncementList& announcements)
{
    m_all = announcements;
    const IssuerDirectory issuers(m_sources.issuerDirectory);
    m_search = AnnouncementSearch(
        announcements, [&issuers](const QString& symbol) { return issuers.displayName(symbol); },
        m_sources.watchlist ? m_sources.watchlist() : Watchlist());
    m_built = true;
    applyFilter();
}

void AllAnnouncementsWindow::applyFilter()
{
    if (!m_built)
        return;
    const QVariant kind = m_categoryFilter->currentData();
    const auto category =
        kind.isValid() ? std::optional(AnnouncementCategory::Kind(kind.toInt())) : std::nullopt;
    const bool filtered =
        !m_searchField->text().trimmed().isEmpty() || m_watchlistOnly->isChecked() || category.has_value();
    const AnnouncementList found =
        m_search.filter(m_searchField->text(), m_watchlistOnly->isChecked(), category);
    m_announcements = found.mid(0, kMaxRows);
    if (!filtered)
        m_countLabel->setText(tr("%n kept", nullptr, int(m_all.size())));
    else
        m_countLabel->setText(tr("%1 of %2 match").arg(found.size()).arg(m_all.size()));
    rebuildRows();
}

void AllAnnouncementsWindow::clearColumn()
{
    while (QLayoutItem* item = m_columnLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    m_separators.clear();
    m_emptyState = nullptr;
}

void AllAnnouncementsWindow::rebuildRows()
{
    if (!m_built)
        return;
    m_column->setUpdatesEnabled(false);
    clearColumn();

    if (m_announcements.isEmpty()) {
        m_emptyState = new QWidget(m_column);
        m_emptyState->setObjectName(QStringLiteral("emptyState"));
        m_emptyState->setFixedHeight(120);
        auto* label = new QLabel(
            m_all.isEmpty() ? tr("No announcements cached yet.\nAnnouncements appear here once fetched.")
                            : tr("No announcement matches."),
            m_emptyState);
        label->setFont(WindowStyle::systemFont(13));
        label->setAlignment(Qt::AlignCenter);
        WindowStyle::setColor(label, QPalette::WindowText, WindowStyle::tertiaryLabelColor(palette()));
        label->setObjectName(QStringLiteral("emptyText"));
        auto* centre = new QVBoxLayout(m_emptyState);
        centre->setContentsMargins(0, 0, 0, 0);
        centre->addWidget(label, 0, Qt::AlignCenter);
        m_columnLayout->addWidget(m_emptyState);
    } else {
        const QColor separator = WindowStyle::separatorColor(palette());
        for (qsizetype i = 0; i < m_announcements.size(); ++i) {
            m_columnLayout->addWidget(new AnnouncementRowView(m_announcements.at(i), m_opener, m_column));
            if (i + 1 < m_announcements.size()) {
                auto* line = new ColorStrip(separator, m_column);
                line->setFixedHeight(1);
                m_columnLayout->addWidget(line);
                m_separators.append(line);
            }
        }
    }
    m_columnLayout->addStretch(1); // rows keep their height; the rest of the column stays empty
    m_column->setUpdatesEnabled(true);
}

QList<AnnouncementRowView*> AllAnnouncementsWindow::rows() const
{
    QList<AnnouncementRowView*> result;
    for (int i = 0; i < m_columnLayout->count(); ++i) {
        if (auto* row = qobject_cast<AnnouncementRowView*>(m_columnLayout->itemAt(i)->widget()))
            result.append(row);
    }
    return result;
}

int AllAnnouncementsWindow::separatorCount() const
{
    return static_cast<int>(m_separators.size());
}

void AllAnnouncementsWindow::changeEvent(QEvent* event)
{
    // Separator and empty-state colours are derived from the palette: follow a theme change.
    if (event->type() == QEvent::PaletteChange) {
        WindowStyle::setColor(m_countLabel, QPalette::WindowText, WindowStyle::tertiaryLabelColor(palette()));
        rebuildRows();
    }
    QWidget::changeEvent(event);
}
