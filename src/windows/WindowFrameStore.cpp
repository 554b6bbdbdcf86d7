#include "windows/WindowFrameStore.h"

#include <QEvent>
#include <QGuiApplication>
#include <QJsonObject>
#include <QScreen>
#include <QWidget>

namespace {
constexpr int kSettleMilliseconds = 400;

QScreen* screenFor(const QRect& frame)
{
    for (QScreen* screen : QGuiApplication::screens()) {
        // Enough of the window must be reachable to grab it again.
        const QRect visible = screen->availableGeometry().intersected(frame);
        if (visible.width() >= 64 && visible.height() >= 32)
            return screen;
    }
    return nullptr;
}
} // namespace

WindowFrameStore::WindowFrameStore(const QString& path) : m_store(path) {}

std::optional<QRect> WindowFrameStore::frame(const QString& name) const
{
    const QJsonValue value = m_store.value(name);
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    for (const char* key : {"x", "y", "width", "height"}) {
        if (!object.value(QLatin1String(key)).isDouble())
            return std::nullopt;
    }
    const QRect rect(object.value(QLatin1String("x")).toInt(), object.value(QLatin1String("y")).toInt(),
                     object.value(QLatin1String("width")).toInt(),
                     object.value(QLatin1String("height")).toInt());
    if (rect.width() <= 0 || rect.height() <= 0)
        return std::nullopt;
    return rect;
}

void WindowFrameStore::saveFrame(const QString& name, const QRect& frame)
{
    const QJsonObject object{{QStringLiteral("x"), frame.x()},
                             {QStringLiteral("y"), frame.y()},
                             {QStringLiteral("width"), frame.width()},
                             {QStringLiteral("height"), frame.height()}};
    m_store.update([&](QJsonObject& all) {
        if (all.value(name) == object)
            return false;
        all.insert(name, object);
        return true;
    });
}

WindowFrameAutosaver::WindowFrameAutosaver(QWidget* window, QString name, const QString& path)
    : QObject(window), m_window(window), m_name(std::move(name)), m_store(path)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMilliseconds);
    connect(&m_settle, &QTimer::timeout, this, &WindowFrameAutosaver::saveNow);
}

WindowFrameAutosaver* WindowFrameAutosaver::attach(QWidget* window, const QString& name, const QString& path)
{
    auto* saver = new WindowFrameAutosaver(window, name, path);
    const std::optional<QRect> saved = saver->m_store.frame(name);
    if (saved && screenFor(*saved)) {
        const QSize minimum = window->minimumSize();
        window->setGeometry(QRect(saved->topLeft(), saved->size().expandedTo(minimum)));
        saver->m_restored = true;
    } else {
        QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            QRect frame(QPoint(), window->size());
            frame.moveCenter(screen->availableGeometry().center());
            window->move(frame.topLeft());
        }
    }
    window->installEventFilter(saver);
    return saver;
}

void WindowFrameAutosaver::saveNow()
{
    m_settle.stop();
    m_store.saveFrame(m_name, m_window->geometry());
}

bool WindowFrameAutosaver::eventFilter(QObject* watched, QEvent* event)
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
