#pragma once

#include <QString>
#include <QWidget>

class Preferences;
class QCompleter;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStringListModel;

// The watchlist part of the settings window: the symbols with their companies' names, a field that
// takes a symbol or part of a company's name (completed from the issuer directory in
// `issuerDirectory`), and the watch words. Every change is written at once; input that names no
// company gets an inline message and changes nothing.
class WatchlistEditor : public QWidget
{
    Q_OBJECT
public:
    WatchlistEditor(Preferences& preferences, QString issuerDirectory, QWidget* parent = nullptr);

    QListWidget* symbolList() const { return m_symbolList; }
    QLineEdit* symbolInput() const { return m_symbolInput; }
    QLineEdit* wordsInput() const { return m_wordsInput; }
    QLabel* message() const { return m_message; }

    // Reads the stored watchlist and the issuer directory again (they may have changed meanwhile).
    void reload();
    // Adds what the symbol field holds; false (and an inline message) when it names no company.
    bool addTyped();
    void removeSelected();
    void wordsEdited();

    // "dividend, توزيع أرباح" -> the two words; commas (also the Arabic one) separate them.
    static QStringList splitWords(const QString& text);

Q_SIGNALS:
    // A symbol or the watch words were written.
    void watchlistChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showMessage(const QString& text);
    QString symbolFor(const QString& typed);

    Preferences& m_preferences;
    QString m_issuerDirectory;
    QListWidget* m_symbolList = nullptr;
    QLineEdit* m_symbolInput = nullptr;
    QPushButton* m_addButton = nullptr;
    QPushButton* m_removeButton = nullptr;
    QLineEdit* m_wordsInput = nullptr;
    QLabel* m_message = nullptr;
    QStringListModel* m_completions = nullptr;
    QCompleter* m_completer = nullptr;
};
