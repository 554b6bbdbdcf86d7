#pragma once

#include <QWidget>

class Preferences;
class QCheckBox;
class QComboBox;
class QTimeEdit;
class QVBoxLayout;

// The quiet hours (off, trading days only, or from one Riyadh time to another), the optional morning
// digest's time and the muted companies, each with a way to lift its mute. Every change is written at
// once.
class QuietHoursEditor : public QWidget
{
    Q_OBJECT
public:
    explicit QuietHoursEditor(Preferences& preferences, QWidget* parent = nullptr);

    // Reads the settings again (the file may have changed meanwhile).
    void reload();

    QComboBox* modeChoice() const { return m_mode; }
    QTimeEdit* fromTime() const { return m_from; }
    QTimeEdit* toTime() const { return m_to; }
    QCheckBox* digestChoice() const { return m_digest; }
    QTimeEdit* digestTime() const { return m_digestTime; }

private:
    enum Mode { Off, TradingDaysOnly, FromTo };
    void save();
    void listMutes();

    Preferences& m_preferences;
    QComboBox* m_mode = nullptr;
    QTimeEdit* m_from = nullptr;
    QTimeEdit* m_to = nullptr;
    QCheckBox* m_digest = nullptr;
    QTimeEdit* m_digestTime = nullptr;
    QVBoxLayout* m_mutes = nullptr;
    bool m_loading = false;
};
