#pragma once

#include <QObject>
#include <QString>
#include <functional>

class NotificationManager;
class Preferences;

// The start-up question about notifications: an invitation while the user has not decided, a pointer
// to the desktop's settings after a refusal, nothing once granted or after "Don't Ask Again".
class NotificationPrompt : public QObject
{
    Q_OBJECT
public:
    enum class Alert { Invitation, Denied };
    enum class Answer { FirstButton, Other };

    struct Texts
    {
        QString message;
        QString informative;
        QString firstButton;
        QString secondButton;
    };
    static Texts textsFor(Alert alert);

    using AskFunction = std::function<Answer(Alert alert)>;
    using Action = std::function<void()>;

    // `ask` shows the alert and returns the answer; `openSystemSettings` opens the desktop's
    // notification settings. Both default to the real thing.
    NotificationPrompt(Preferences& preferences, NotificationManager& notifications, AskFunction ask = {},
                       Action openSystemSettings = {}, QObject* parent = nullptr);

    void run();

    static Answer askWithMessageBox(Alert alert);
    // `desktop`: $XDG_CURRENT_DESKTOP, upper case.
    static void openDesktopNotificationSettings(const QString& desktop);

Q_SIGNALS:
    // The question was answered, or needed no asking.
    void finished();

private:
    void answer(Alert alert);

    Preferences& m_preferences;
    NotificationManager& m_notifications;
    AskFunction m_ask;
    Action m_openSystemSettings;
};
