#pragma once

#include "model/Rule.h"

#include <QWidget>

class ChoicePopup;
class Preferences;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The user's rules, checked in order after the Watchlist: a list to add, remove and reorder them, and
// below it the chosen rule's name, symbols, watch words, categories, excluded words and action. Every
// change is written at once.
class RulesEditor : public QWidget
{
    Q_OBJECT
public:
    explicit RulesEditor(Preferences& preferences, QWidget* parent = nullptr);

    QListWidget* ruleList() const { return m_list; }
    QLineEdit* nameInput() const { return m_name; }
    QLineEdit* symbolsInput() const { return m_symbols; }
    QLineEdit* wordsInput() const { return m_words; }
    QListWidget* categoryList() const { return m_categories; } // checkable, in the categories' order
    QLineEdit* excludeInput() const { return m_exclude; }
    ChoicePopup* actionPopup() const { return m_action; } // positions: notify, urgent, silent

    // Reads the stored rules again (they may have been changed from the command line).
    void reload();
    void addRule();
    void removeSelected();
    void moveSelected(int offset); // -1 up, +1 down
    // Writes the form into the chosen rule.
    void formEdited();

Q_SIGNALS:
    void rulesChanged();

private:
    void showRule(int row);
    void store(const QList<Rule>& rules, int selectRow);
    static QString summary(const Rule& rule);

    Preferences& m_preferences;
    QList<Rule> m_rules;
    QListWidget* m_list = nullptr;
    QPushButton* m_removeButton = nullptr;
    QPushButton* m_upButton = nullptr;
    QPushButton* m_downButton = nullptr;
    QWidget* m_form = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_symbols = nullptr;
    QLineEdit* m_words = nullptr;
    QListWidget* m_categories = nullptr;
    QLineEdit* m_exclude = nullptr;
    ChoicePopup* m_action = nullptr;
    bool m_showing = false; // filling the form, not an edit
};
