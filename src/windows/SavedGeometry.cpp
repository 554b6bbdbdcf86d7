#include "windows/SavedGeometry.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {
constexpr int kSettleMilliseconds = 400;
} // namespace

SavedGeometry::SavedGeometry(QWidget* window, QString name, const QString& uiStateFile)
    : QObject(window), m_window(window), m_name(std::move(name)), m_store(uiStateFile)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMilliseconds);
    connect(&m_settle, &QTimer::timeout, this, &SavedGeometry::saveNow);
}

SavedGeometry* SavedGeometry::attach(QWidget* window, const QString& name, const QString& uiStateFile)
{
    auto* keeper = new SavedGeometry(window, name, uiStateFile);
    // Kept as Base64 text; an entry of another form (an older file) is not used.
    const QJsonValue saved = keeper->m_store.value(name);
    keeper->m_restored =
        saved.isString() && window->restoreGeometry(QByteArray::fromBase64(saved.toString().toLatin1()));
    if (!keeper->m_restored) {
        QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            QRect frame(QPoint(), window->size());
            frame.moveCenter(screen->availableGeometry().center());
            window->move(frame.topLeft());
        }
    }
    window->installEventFilter(keeper);
    return keeper;
}

void SavedGeometry::saveNow()
{
    m_settle.stop();
    const QString geometry = QString::fromLatin1(m_window->saveGeometry().toBase64());
    m_store.update([&](QJsonObject& all) {
        if (all.value(m_name) == geometry)
            return false;
        all.insert(m_name, geometry);
        return true;
    });
}

bool SavedGeometry::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
            if (m_window->isVisible())
                m_settle.start();
            break;
        case QEvent::Hide:
            saveNow();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}
