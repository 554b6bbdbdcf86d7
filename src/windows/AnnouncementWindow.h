#pragma once

#include "model/Announcement.h"

#include <QPointF>
#include <QUrl>
#include <QWidget>

class AnnouncementWebPage;
class QLabel;
class QPushButton;
class QWebEngineView;
class TagLabel;
class UrlOpener;
class SavedGeometry;

// One announcement as a web page, with a bottom bar: "Open Source" and "Open in Tadawul" on the
// left, up to four company tags in the middle, the date on the right. Closing hides it; the owner
// keeps it and shows it again for the same announcement.
//
// The web page lives only while the window is shown: the web engine starts when a window is first
// shown, and closing a window drops its page and view (tens of megabytes with the page's renderer),
// keeping the window, its frame and the scroll position. Shown again, it loads the page anew and
// scrolls back to where the reader was.
class AnnouncementWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kMaxTags = 4;
    static inline const QString kGeometryKey = QStringLiteral("AnnouncementWindowFrame");

    struct Services
    {
        UrlOpener* opener = nullptr; // required
        QUrl portalOrigin;           // "Open in Tadawul"
        QString uiStateFile;         // where the window was
    };

    AnnouncementWindow(const Announcement& announcement, const Services& services, QWidget* parent = nullptr);
    ~AnnouncementWindow() override;

    const Announcement& announcement() const { return m_announcement; }
    QString buildHTML() const;
    QString dateText() const { return m_dateText; }

    void openSource();
    void openInTadawul();

    // Null while the window is not shown.
    QWebEngineView* webView() const { return m_webView; }
    QList<TagLabel*> tags() const { return m_tags; }
    QPushButton* openSourceButton() const { return m_openSource; }
    QPushButton* openInTadawulButton() const { return m_openInTadawul; }
    QLabel* dateLabel() const { return m_date; }
    SavedGeometry* savedGeometry() const { return m_savedGeometry; }

    void setVisible(bool visible) override;

Q_SIGNALS:
    // The first load of the page ended (with the description in place).
    void pageReady(bool ok);

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void setupUi();
    void loadContent();
    void releasePage();
    void pageLoaded(bool ok);
    QPushButton* makeToolbarButton(const QString& title, const QString& iconName);
    void applyColors();

    Announcement m_announcement;
    Services m_services;
    QString m_dateText;
    QWidget* m_webHost = nullptr;
    QWebEngineView* m_webView = nullptr;
    AnnouncementWebPage* m_page = nullptr;
    QPointF m_scrollPosition; // of the released page, restored when it is loaded again
    QWidget* m_separator = nullptr;
    QPushButton* m_openSource = nullptr;
    QPushButton* m_openInTadawul = nullptr;
    QList<TagLabel*> m_tags;
    QLabel* m_date = nullptr;
    SavedGeometry* m_savedGeometry = nullptr;
};
