#include "windows/UpdateDialog.h"

#include "model/AppConstants.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

UpdateDialog::UpdateDialog(Updater& updater, QWidget* parent)
    : QDialog(parent), m_updater(updater), m_openUrl([](const QUrl& url) { QDesktopServices::openUrl(url); })
{
    setWindowTitle(tr("Software Update"));
    m_heading = new QLabel(this);
    QFont bold = m_heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    m_heading->setFont(bold);
    m_message = new QLabel(this);
    m_message->setWordWrap(true);
    // The version text and errors come from the appcast and the network: never read as markup.
    m_heading->setTextFormat(Qt::PlainText);
    m_message->setTextFormat(Qt::PlainText);
    m_notes = new QLabel(this);
    m_notes->setTextFormat(Qt::RichText);
    m_notes->setOpenExternalLinks(true);
    m_download = new QPushButton(tr("Download"), this);
    m_close = new QPushButton(tr("Close"), this);
    m_download->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_close);
    buttons->addWidget(m_download);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addWidget(m_message);
    layout->addWidget(m_notes);
    layout->addLayout(buttons);
    setMinimumWidth(380);

    connect(m_close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_download, &QPushButton::clicked, this, [this] {
        if (isWebAddress(m_downloadUrl))
            m_openUrl(m_downloadUrl);
        close();
    });
    connect(&m_updater, &Updater::checkFinished, this, &UpdateDialog::showResult);
}

bool UpdateDialog::isWebAddress(const QUrl& url)
{
    // The appcast is remote input: only web addresses are handed to the browser.
    return url.isValid() && (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http"));
}

QString UpdateDialog::heading() const
{
    return m_heading->text();
}

QString UpdateDialog::message() const
{
    return m_message->text();
}

void UpdateDialog::checkNow()
{
    m_heading->setText(tr("Checking for updates…"));
    m_message->clear();
    m_notes->hide();
    m_download->hide();
    show();
    raise();
    activateWindow();
    m_updater.checkNow();
}

void UpdateDialog::showResult(const UpdateCheckResult& result)
{
    const QString& name = AppConstants::appName;
    m_notes->hide();
    m_download->hide();
    switch (result.outcome) {
    case UpdateCheckResult::Outcome::UpToDate:
        m_heading->setText(tr("You’re up to date!"));
        m_message->setText(
            tr("%1 %2 is currently the newest version available.").arg(name, AppConstants::appVersion));
        break;
    case UpdateCheckResult::Outcome::UpdateAvailable: {
        m_heading->setText(tr("A new version of %1 is available!").arg(name));
        m_message->setText(tr("%1 %2 is now available — you have %3.")
                               .arg(name, result.latest.displayVersion(), AppConstants::appVersion));
        const QUrl notes(result.latest.releaseNotesLink);
        if (isWebAddress(notes)) {
            m_notes->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                                 .arg(notes.toString(QUrl::FullyEncoded).toHtmlEscaped(),
                                      tr("Release notes").toHtmlEscaped()));
            m_notes->show();
        }
        m_downloadUrl = QUrl(result.latest.downloadUrl);
        m_download->setVisible(isWebAddress(m_downloadUrl));
        break;
    }
    case UpdateCheckResult::Outcome::Failed:
        m_heading->setText(tr("Update Error!"));
        m_message->setText(result.error);
        break;
    }
    show();
    raise();
    activateWindow();
}
