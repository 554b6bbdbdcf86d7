#include "windows/AnnouncementWindow.h"

#include "model/AnnouncementPage.h"
#include "model/DescriptionMarkup.h"
#include "platform/HeapTrim.h"
#include "platform/gui/UrlOpener.h"
#include "windows/AnnouncementWebPage.h"
#include "windows/AnnouncementWebView.h"
#include "windows/SavedGeometry.h"
#include "windows/TagLabel.h"
#include "windows/WindowStyle.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QEvent>
#include <QIcon>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QWebEngineScript>
#include <memory>

namespace {
// The engine loads a document through a data: address, which may not exceed 2 MiB once
// percent-encoded; leave room for the address's prefix.
constexpr qsizetype kDataAddressLimit = 2 * 1024 * 1024 - 4096;

bool fitsInDataAddress(const QString& html)
{
    return QByteArray(html.toUtf8()).toPercentEncoding().size() <= kDataAddressLimit;
}

// The bottom bar's three groups: buttons from the left edge, date from the right edge, tags centred
// in the bar (kept clear of the other two when the window is narrow).
class BarLayout : public QLayout
{
public:
    BarLayout(QWidget* buttons, QWidget* tags, QWidget* date, QWidget* bar) : QLayout(bar)
    {
        for (QWidget* child : {buttons, tags, date})
            addWidget(child);
    }
    ~BarLayout() override { qDeleteAll(m_items); }

    void addItem(QLayoutItem* item) override { m_items.append(item); }
    int count() const override { return static_cast<int>(m_items.size()); }
    QLayoutItem* itemAt(int index) const override { return m_items.value(index); }
    QLayoutItem* takeAt(int index) override
    {
        return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
    }
    QSize sizeHint() const override { return minimumSize(); }
    QSize minimumSize() const override
    {
        int width = 12 + 14;
        int height = 0;
        for (const QLayoutItem* item : m_items) {
            width += item->sizeHint().width();
            height = std::max(height, item->sizeHint().height());
        }
        return QSize(width, height);
    }

    void setGeometry(const QRect& rect) override
    {
        QLayout::setGeometry(rect);
        if (m_items.size() != 3)
            return;
        const int middle = rect.top() + rect.height() / 2;
        // Laid out left to right, then mirrored in a right-to-left interface (buttons on the right).
        const Qt::LayoutDirection direction =
            parentWidget() ? parentWidget()->layoutDirection() : Qt::LeftToRight;
        auto place = [middle, direction, rect](QLayoutItem* item, int left, int width) {
            const int height = item->sizeHint().height();
            item->setGeometry(
                QStyle::visualRect(direction, rect, QRect(left, middle - height / 2, width, height)));
        };
        const QSize buttons = m_items[0]->sizeHint();
        place(m_items[0], rect.left() + 12, buttons.width());
        const QSize date = m_items[2]->sizeHint();
        const int dateLeft = rect.right() + 1 - 14 - date.width();
        place(m_items[2], dateLeft, date.width());

        const int tags = m_items[1]->sizeHint().width();
        const int freeLeft = rect.left() + 12 + buttons.width() + 8;
        const int freeRight = dateLeft - 8;
        int left = rect.left() + (rect.width() - tags) / 2;
        left = std::max(freeLeft, std::min(left, freeRight - tags));
        place(m_items[1], left, std::max(0, std::min(tags, freeRight - left)));
    }

private:
    QList<QLayoutItem*> m_items;
};

const TagLabel::Look& barTagLook()
{
    static const TagLabel::Look look{WindowStyle::monospaceFont(10, QFont::Medium),
                                     WindowStyle::kLightGreen,
                                     WindowStyle::withAlpha(WindowStyle::kSaudiGreen, 0.15),
                                     QColor(),
                                     4,
                                     QMargins(4, 1, 4, 1)};
    return look;
}
} // namespace

AnnouncementWindow::AnnouncementWindow(const Announcement& announcement, const Services& services,
                                       QWidget* parent)
    : QWidget(parent, Qt::Window), m_announcement(announcement), m_services(services),
      m_dateText(AnnouncementPage::dateText(announcement.pubDate()))
{
    setWindowTitle(m_announcement.displayTitle());
    setMinimumSize(480, 360);
    resize(680, 540);
    m_savedGeometry = SavedGeometry::attach(this, kGeometryKey, m_services.uiStateFile);
    setupUi();
}

AnnouncementWindow::~AnnouncementWindow()
{
    // The view goes before the page it shows.
    delete m_webView;
    delete m_page;
}

void AnnouncementWindow::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted())
        releasePage();
}

void AnnouncementWindow::releasePage()
{
    if (!m_webView)
        return;
    if (m_scrollPosition.isNull()) // else the page never got to where the reader was
        m_scrollPosition = m_page->scrollPosition();
    // The view goes before the page it shows.
    delete m_webView;
    m_webView = nullptr;
    delete m_page;
    m_page = nullptr;
    // The native window goes too: once it has shown a web view it composes through OpenGL and
    // keeps a context of its own. The widget, with its frame, makes a new one when shown again.
    // The engine frees the page's memory from its own event handling; trim once that has run.
    QTimer::singleShot(0, this, [this] {
        if (!isVisible())
            destroy();
        HeapTrim::now();
    });
}

void AnnouncementWindow::pageLoaded(bool ok)
{
    if (!ok || m_scrollPosition.isNull()) {
        Q_EMIT pageReady(ok);
        return;
    }
    // A scroll made before the page is laid out at the view's size is clamped away: scroll again
    // each time the page's size changes, until it is where the reader left it.
    auto* page = m_page;
    const QPointF target = m_scrollPosition;
    const auto scroll = [page, target] {
        // Scripts are off for the page itself; the application's own world may still scroll it.
        page->runJavaScript(QStringLiteral("window.scrollTo(%1, %2)").arg(target.x()).arg(target.y()),
                            QWebEngineScript::ApplicationWorld);
    };
    const auto restoring = std::make_shared<QMetaObject::Connection>(
        connect(page, &QWebEnginePage::contentsSizeChanged, page, scroll));
    connect(page, &QWebEnginePage::scrollPositionChanged, page, [restoring, target](const QPointF& at) {
        if (at == target)
            QObject::disconnect(*restoring);
    });
    scroll();
    m_scrollPosition = QPointF();
    Q_EMIT pageReady(true);
}

QString AnnouncementWindow::buildHTML() const
{
    return AnnouncementPage::buildHTML(m_announcement, m_dateText);
}

QPushButton* AnnouncementWindow::makeToolbarButton(const QString& title, const QString& iconName)
{
    auto* button = new QPushButton(title);
    button->setFont(WindowStyle::generalFont(11));
    const QIcon icon = QIcon::fromTheme(iconName);
    if (!icon.isNull()) {
        button->setIcon(icon);
        button->setIconSize(QSize(14, 14));
    }
    return button;
}

void AnnouncementWindow::setupUi()
{
    m_webHost = new QWidget(this);
    m_webHost->setObjectName(QStringLiteral("webHost"));
    auto* hostLayout = new QVBoxLayout(m_webHost);
    hostLayout->setContentsMargins(0, 0, 0, 0);

    m_separator = new QWidget(this);
    m_separator->setObjectName(QStringLiteral("separator"));
    m_separator->setFixedHeight(1);
    m_separator->setAutoFillBackground(true);

    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("bottomBar"));
    bar->setFixedHeight(48);

    m_openSource = makeToolbarButton(tr("Open Source"), QStringLiteral("internet-web-browser"));
    m_openInTadawul = makeToolbarButton(tr("Open in Tadawul"), QStringLiteral("go-home"));
    connect(m_openSource, &QPushButton::clicked, this, &AnnouncementWindow::openSource);
    connect(m_openInTadawul, &QPushButton::clicked, this, &AnnouncementWindow::openInTadawul);
    auto* buttons = new QWidget(bar);
    auto* buttonLayout = new QHBoxLayout(buttons);
    buttonLayout->setContentsMargins(0, 0, 0, 0);
    buttonLayout->setSpacing(8);
    buttonLayout->addWidget(m_openSource);
    buttonLayout->addWidget(m_openInTadawul);

    auto* tags = new QWidget(bar);
    tags->setObjectName(QStringLiteral("companyTags"));
    auto* tagLayout = new QHBoxLayout(tags);
    tagLayout->setContentsMargins(0, 0, 0, 0);
    tagLayout->setSpacing(6);
    for (const QString& company : m_announcement.companies().mid(0, kMaxTags)) {
        auto* tag = new TagLabel(company, barTagLook(), tags);
        tagLayout->addWidget(tag);
        m_tags.append(tag);
    }

    m_date = new QLabel(m_dateText, bar);
    m_date->setFont(WindowStyle::generalFont(11));
    new BarLayout(buttons, tags, m_date, bar);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_webHost, 1);
    layout->addWidget(m_separator);
    layout->addWidget(bar);
    applyColors();
}

void AnnouncementWindow::applyColors()
{
    WindowStyle::setColor(m_separator, QPalette::Window, WindowStyle::separatorColor(palette()));
    WindowStyle::setColor(m_date, QPalette::WindowText, WindowStyle::tertiaryText(palette()));
}

void AnnouncementWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange && m_date)
        applyColors();
    QWidget::changeEvent(event);
}

void AnnouncementWindow::setVisible(bool visible)
{
    // The view goes in before the native window is made: added to a shown window, it would make Qt
    // destroy and remake that window for OpenGL, and the window would vanish for a moment.
    if (visible && !m_webView)
        loadContent();
    QWidget::setVisible(visible);
}

void AnnouncementWindow::loadContent()
{
    AnnouncementWebView::prepareEngine();
    m_webView = new AnnouncementWebView(m_webHost);
    m_page = new AnnouncementWebPage(m_services.opener, m_services.portalOrigin, this);
    m_webView->setPage(m_page);
    m_webHost->layout()->addWidget(m_webView);

    // Relative links and images resolve against the announcement's own page on the portal (the
    // portal's home page for a link elsewhere).
    const QUrl base = UrlOpener::webAddress(m_announcement.link());
    const QString html = buildHTML();
    if (fitsInDataAddress(html)) {
        connect(
            m_page, &QWebEnginePage::loadFinished, this, [this](bool ok) { pageLoaded(ok); },
            Qt::SingleShotConnection);
        m_page->loadDocument(html, base);
        return;
    }

    // Too large for a data: address: load the page without its body, then put the body in place
    // from the application's own script world (the page's scripts stay off).
    const Announcement shell(m_announcement.id(), m_announcement.title(), QString(), m_announcement.link(),
                             m_announcement.pubDate(), m_announcement.companies());
    const QString description = DescriptionMarkup::forPage(m_announcement.description());
    connect(
        m_page, &QWebEnginePage::loadFinished, this,
        [this, description](bool ok) {
            if (!ok) {
                Q_EMIT pageReady(false);
                return;
            }
            const QByteArray literal = QJsonDocument(QJsonArray{description}).toJson(QJsonDocument::Compact);
            const QString script = QStringLiteral("(function(){var c=document.querySelector('.content');"
                                                  "if(!c)return false;c.innerHTML=%1[0];return true;})()")
                                       .arg(QString::fromUtf8(literal));
            m_page->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                  [this](const QVariant& placed) { pageLoaded(placed.toBool()); });
        },
        Qt::SingleShotConnection);
    m_page->loadDocument(AnnouncementPage::buildHTML(shell, m_dateText), base);
}

void AnnouncementWindow::openSource()
{
    const QUrl url = UrlOpener::webAddress(m_announcement.link());
    if (url.isValid())
        m_services.opener->open(url);
}

void AnnouncementWindow::openInTadawul()
{
    m_services.opener->open(m_services.portalOrigin);
}
