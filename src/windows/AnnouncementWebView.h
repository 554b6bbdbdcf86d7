#pragma once

#include <QPointer>
#include <QWebEngineView>

// The web view of an announcement window. Its context menu keeps "Inspect Element", which opens the
// web inspector in a window of its own.
class AnnouncementWebView : public QWebEngineView
{
    Q_OBJECT
public:
    explicit AnnouncementWebView(QWidget* parent = nullptr);
    ~AnnouncementWebView() override;

    // Call before the first web view exists: lets pages follow a dark application palette
    // (prefers-color-scheme), which the engine reads once, when it starts.
    static void prepareEngine();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void inspect();

    QPointer<QWebEngineView> m_inspector;
};
