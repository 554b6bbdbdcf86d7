#include "shell/NotificationPrompt.h"

#include "model/Preferences.h"
#include "notify/NotificationManager.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QUrl>

NotificationPrompt::NotificationPrompt(Preferences& preferences, NotificationManager& notifications,
                                       AskFunction ask, Action openSystemSettings, QObject* parent)
    : QObject(parent), m_preferences(preferences), m_notifications(notifications),
      m_ask(ask ? std::move(ask) : AskFunction(&NotificationPrompt::askWithMessageBox)),
      m_openSystemSettings(openSystemSettings ? std::move(openSystemSettings)
                                              : Action([] { openDesktopNotificationSettings(QString()); }))
{
}

NotificationPrompt::Texts NotificationPrompt::textsFor(Alert alert)
{
    if (alert == Alert::Invitation)
        return {tr("Enable Notifications?"),
                tr("Zelvora can notify you about new Saudi Exchange announcements \u2014 company "
                   "disclosures, dividends, and market news.\n\nNext, Zelvora checks that your desktop's "
                   "notification service answers and sends you a test notification."),
                tr("Enable Notifications"), tr("Don't Ask Again")};
    return {tr("Notifications Disabled"),
            tr("When Zelvora last asked, no notification service answered on this desktop. "
               "Turn notifications on in your desktop's settings (Notifications \u2192 "
               "Zelvora), or start a notification service, and restart Zelvora."),
            tr("Open Settings"), tr("Don't Ask Again")};
}

void NotificationPrompt::run()
{
    if (m_preferences.notificationsDontAsk()) {
        Q_EMIT finished();
        return;
    }
    m_notifications.queryPermission([this](NotificationManager::Status status) {
        // The answer may come from another thread: alerts only on the main thread.
        QMetaObject::invokeMethod(
            this,
            [this, status] {
                if (status != NotificationManager::Status::Authorized)
                    answer(status == NotificationManager::Status::Denied ? Alert::Denied : Alert::Invitation);
                Q_EMIT finished();
            },
            Qt::QueuedConnection);
    });
}

void NotificationPrompt::answer(Alert alert)
{
    const Answer reply = m_ask(alert);
    if (reply == Answer::FirstButton) {
        if (alert == Alert::Invitation)
            m_notifications.requestPermission(true);
        else
            m_openSystemSettings();
        return;
    }
    m_preferences.setNotificationsDontAsk(true);
}

NotificationPrompt::Answer NotificationPrompt::askWithMessageBox(Alert alert)
{
    const Texts texts = textsFor(alert);
    QMessageBox box;
    box.setWindowTitle(QStringLiteral("Zelvora"));
    box.setIcon(QMessageBox::Information);
    box.setText(texts.message);
    box.setInformativeText(texts.informative);
    QPushButton* first = box.addButton(texts.firstButton, QMessageBox::AcceptRole);
    box.addButton(texts.secondButton, QMessageBox::RejectRole);
    box.setDefaultButton(first);
    box.setWindowModality(Qt::ApplicationModal);
    box.raise();
    box.activateWindow();
    box.exec();
    return box.clickedButton() == first ? Answer::FirstButton : Answer::Other;
}

void NotificationPrompt::openDesktopNotificationSettings(const QString& desktop)
{
    // Best effort; nothing is reported when none of these exists.
    if (desktop.contains(QLatin1String("GNOME")) || desktop.contains(QLatin1String("UNITY"))) {
        if (QProcess::startDetached(QStringLiteral("gnome-control-center"),
                                    {QStringLiteral("notifications")}))
            return;
    }
    if (desktop.contains(QLatin1String("KDE"))) {
        if (QProcess::startDetached(QStringLiteral("systemsettings"), {QStringLiteral("kcm_notifications")}))
            return;
    }
    QDesktopServices::openUrl(QUrl(QStringLiteral("settings://notifications")));
}
