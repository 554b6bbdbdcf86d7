#include "windows/AnnouncementWebView.h"

#include "windows/WindowStyle.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>

AnnouncementWebView::AnnouncementWebView(QWidget* parent) : QWebEngineView(parent) {}

AnnouncementWebView::~AnnouncementWebView()
{
    delete m_inspector;
}

void AnnouncementWebView::prepareEngine()
{
    static bool prepared = false;
    if (prepared)
        return;
    prepared = true;
    if (!WindowStyle::isDark(QApplication::palette()))
        return;
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (flags.contains("--force-dark-mode"))
        return;
    flags += flags.isEmpty() ? "--force-dark-mode" : " --force-dark-mode";
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
}

void AnnouncementWebView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    QAction* builtIn = pageAction(QWebEnginePage::InspectElement);
    menu->removeAction(builtIn);
    menu->addSeparator();
    menu->addAction(tr("Inspect Element"), this, &AnnouncementWebView::inspect);
    menu->setAttribute(Qt::WA_DeleteOnClose, true);
    menu->popup(event->globalPos());
}

void AnnouncementWebView::inspect()
{
    if (!m_inspector) {
        m_inspector = new QWebEngineView;
        m_inspector->setAttribute(Qt::WA_DeleteOnClose, false);
        m_inspector->resize(900, 600);
        m_inspector->setWindowTitle(tr("Web Inspector — %1").arg(window()->windowTitle()));
        page()->setDevToolsPage(m_inspector->page());
    }
    m_inspector->show();
    m_inspector->raise();
    page()->triggerAction(QWebEnginePage::InspectElement);
}
