#pragma once

#include "update/Updater.h"

#include <QDialog>
#include <QUrl>
#include <functional>

class QLabel;
class QPushButton;

// The answer to "Check for Updates...": checking, up to date, a newer version (release notes and a
// download button that opens the download address in the browser), or what went wrong.
class UpdateDialog : public QDialog
{
    Q_OBJECT
public:
    using UrlOpener = std::function<void(const QUrl&)>;

    explicit UpdateDialog(Updater& updater, QWidget* parent = nullptr);

    void checkNow();                                  // shows "Checking…" and asks the updater
    void showResult(const UpdateCheckResult& result); // also for what a quiet check found
    void setUrlOpener(UrlOpener opener) { m_openUrl = std::move(opener); }

    QString heading() const;
    QString message() const;
    QPushButton* downloadButton() const { return m_download; }

private:
    static bool isWebAddress(const QUrl& url);

    Updater& m_updater;
    QLabel* m_heading = nullptr;
    QLabel* m_message = nullptr;
    QLabel* m_notes = nullptr;
    QPushButton* m_download = nullptr;
    QPushButton* m_close = nullptr;
    QUrl m_downloadUrl;
    UrlOpener m_openUrl;
};
