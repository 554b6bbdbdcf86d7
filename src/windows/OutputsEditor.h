#pragma once

#include "outputs/OutputConfig.h"

#include <QWidget>
#include <memory>

class Clock;
class OutputStore;
class Preferences;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The outputs part of the settings: the outputs listed, a form that adds one (its fields follow the
// kind; the secret is typed hidden and stored in secrets.json), Remove, and Test, which sends a sample
// announcement in the background and shows how it went.
class OutputsEditor : public QWidget
{
    Q_OBJECT
public:
    // `portalOrigin`: where the test announcement's links point; `clock` null: the system's.
    OutputsEditor(Preferences& preferences, QString portalOrigin, const Clock* clock = nullptr,
                  QWidget* parent = nullptr);
    ~OutputsEditor() override;

    QListWidget* list() const { return m_list; }
    QLineEdit* nameInput() const { return m_name; }
    QComboBox* kindPopup() const { return m_kind; }
    QLineEdit* addressInput() const { return m_address; }
    QLineEdit* secretInput() const { return m_secret; }
    QLabel* message() const { return m_message; }

    void reload();
    // Stores the output the form describes; false (and a message) when it is incomplete.
    bool addFromForm();
    void removeSelected();
    void testSelected(); // the outcome shows in message() when the receiver has answered

Q_SIGNALS:
    void testFinished();

private:
    void kindChanged();
    OutputConfig formConfig() const;
    void showMessage(const QString& text, bool problem);

    std::unique_ptr<OutputStore> m_store;
    QString m_portalOrigin;
    const Clock& m_clock;
    QListWidget* m_list = nullptr;
    QFormLayout* m_form = nullptr;
    QLineEdit* m_name = nullptr;
    QComboBox* m_kind = nullptr;
    QLineEdit* m_address = nullptr;
    QLineEdit* m_to = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_chat = nullptr;
    QLineEdit* m_room = nullptr;
    QLineEdit* m_secret = nullptr;
    QLineEdit* m_rule = nullptr;
    QCheckBox* m_quietHours = nullptr;
    QPushButton* m_testButton = nullptr;
    QLabel* m_message = nullptr;
};
