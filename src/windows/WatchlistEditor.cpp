#include "windows/WatchlistEditor.h"

#include "fetch/IssuerDirectory.h"
#include "model/Preferences.h"
#include "model/SearchText.h"
#include "model/Watchlist.h"
#include "windows/WindowStyle.h"

#include <QAbstractItemView>
#include <QBoxLayout>
#include <QCompleter>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringListModel>

namespace {
const QString kNameSeparator = QStringLiteral("  \u2014  ");

// "2222  —  Arabian Energy Co. · شركة …": the names are isolated, so that in a right-to-left
// interface the English name keeps its full stop at its end.
QString listed(const QString& symbol, const QString& name)
{
    return name.isEmpty() ? symbol : symbol + kNameSeparator + QChar(0x2068) + name + QChar(0x2069);
}

// Words are shown joined by the comma of their language: a typed "،" stays "،".
QString joined(const QStringList& words, const QString& typed = QString())
{
    const QChar arabicComma(0x060C);
    bool arabic = typed.contains(arabicComma) && !typed.contains(QLatin1Char(','));
    if (typed.isEmpty() && !words.isEmpty()) {
        static const QRegularExpression arabicLetter(QStringLiteral("[\\x{0600}-\\x{06FF}]"));
        arabic = std::all_of(words.cbegin(), words.cend(),
                             [](const QString& word) { return arabicLetter.match(word).hasMatch(); });
    }
    return words.join(arabic ? QString(arabicComma) + QLatin1Char(' ') : QStringLiteral(", "));
}

bool isFourDigits(const QString& text)
{
    static const QRegularExpression fourDigits(QStringLiteral("^[0-9]{4}$"));
    return fourDigits.match(text).hasMatch();
}
} // namespace

WatchlistEditor::WatchlistEditor(Preferences& preferences, QString issuerDirectory, QWidget* parent)
    : QWidget(parent), m_preferences(preferences), m_issuerDirectory(std::move(issuerDirectory))
{
    m_symbolList = new QListWidget;
    m_symbolList->setFont(WindowStyle::generalFont(12));
    m_symbolList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_symbolList->setFixedHeight(92);
    m_symbolList->installEventFilter(this); // the Delete key removes the selected symbol
    connect(m_symbolList, &QListWidget::itemSelectionChanged, this,
            [this] { m_removeButton->setEnabled(!m_symbolList->selectedItems().isEmpty()); });

    m_symbolInput = new QLineEdit;
    m_symbolInput->setFont(WindowStyle::generalFont(12));
    m_symbolInput->setPlaceholderText(tr("Symbol or company name"));
    m_completions = new QStringListModel(this);
    auto* completer = new QCompleter(m_completions, this);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    m_symbolInput->setCompleter(completer);
    m_completer = completer;
    connect(m_symbolInput, &QLineEdit::returnPressed, this, &WatchlistEditor::addTyped);
    connect(m_symbolInput, &QLineEdit::textEdited, this, [this] { m_message->clear(); });

    m_addButton = new QPushButton(tr("Add"));
    connect(m_addButton, &QPushButton::clicked, this, &WatchlistEditor::addTyped);
    m_removeButton = new QPushButton(tr("Remove"));
    m_removeButton->setEnabled(false); // until a symbol is selected
    connect(m_removeButton, &QPushButton::clicked, this, &WatchlistEditor::removeSelected);

    m_message = new QLabel;
    m_message->setObjectName(QStringLiteral("watchlistMessage"));
    m_message->setFont(WindowStyle::generalFont(11));
    m_message->setWordWrap(true);
    WindowStyle::setColor(m_message, QPalette::WindowText, QColor(0xC6, 0x28, 0x28));

    auto* wordsLabel = new QLabel(tr("Watch words"));
    wordsLabel->setFont(WindowStyle::generalFont(13));
    wordsLabel->setFixedWidth(110);
    m_wordsInput = new QLineEdit;
    m_wordsInput->setFont(WindowStyle::generalFont(12));
    m_wordsInput->setPlaceholderText(tr("e.g. dividend, rights issue, توزيع أرباح"));
    m_wordsInput->setToolTip(tr("Announcements whose title or text holds one of these words count as "
                                "watchlist matches. Separate words with commas."));
    connect(m_wordsInput, &QLineEdit::editingFinished, this, &WatchlistEditor::wordsEdited);

    auto* addRow = new QHBoxLayout;
    addRow->setSpacing(6);
    addRow->addWidget(m_symbolInput, 1);
    addRow->addWidget(m_addButton);
    addRow->addWidget(m_removeButton);
    auto* wordsRow = new QHBoxLayout;
    wordsRow->setSpacing(12);
    wordsRow->addWidget(wordsLabel);
    wordsRow->addWidget(m_wordsInput, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(m_symbolList);
    layout->addLayout(addRow);
    layout->addWidget(m_message);
    layout->addSpacing(4);
    layout->addLayout(wordsRow);
    reload();
}

void WatchlistEditor::reload()
{
    const IssuerDirectory issuers(m_issuerDirectory);
    QStringList completions;
    for (const IssuerDirectory::Issuer& issuer : issuers.issuers())
        completions.append(listed(issuer.symbol, issuers.displayName(issuer.symbol)));
    m_completions->setStringList(completions);
    // The list is as wide as its longest name (within reason), not cut at the field's width.
    int widest = 0;
    const QFontMetrics metrics(m_completer->popup()->font());
    for (const QString& completion : std::as_const(completions))
        widest = std::max(widest, metrics.horizontalAdvance(completion));
    m_completer->popup()->setMinimumWidth(std::min(widest + 40, 640));

    m_symbolList->clear();
    const Watchlist watchlist = m_preferences.watchlist();
    for (const QString& symbol : watchlist.symbols()) {
        const QString name = issuers.displayName(symbol);
        auto* item = new QListWidgetItem(listed(symbol, name), m_symbolList);
        item->setData(Qt::UserRole, symbol);
    }
    m_wordsInput->setText(joined(watchlist.words()));
    m_message->clear();
}

QString WatchlistEditor::symbolFor(const QString& typed)
{
    const IssuerDirectory issuers(m_issuerDirectory);
    // A symbol, or a chosen completion ("2222  —  Name"), starts with the symbol.
    const QString symbol = typed.section(QLatin1Char(' '), 0, 0);
    if (issuers.find(symbol) || isFourDigits(symbol))
        return symbol;
    const QList<IssuerDirectory::Issuer> found = issuers.search(typed);
    if (found.size() == 1)
        return found.first().symbol;
    if (found.size() > 1)
        showMessage(
            tr("%n companies match \u201C%1\u201D; choose one from the list.", nullptr, int(found.size()))
                .arg(typed));
    else
        showMessage(tr("\u201C%1\u201D is neither a known symbol nor four digits.").arg(typed));
    return {};
}

bool WatchlistEditor::addTyped()
{
    const QString typed = m_symbolInput->text().simplified();
    if (typed.isEmpty())
        return false;
    const QString symbol = symbolFor(typed);
    if (symbol.isEmpty())
        return false;
    QSet<QString> symbols = m_preferences.watchlistSymbols();
    symbols.insert(symbol);
    m_preferences.setWatchlistSymbols(symbols);
    m_symbolInput->clear();
    reload();
    Q_EMIT watchlistChanged();
    return true;
}

void WatchlistEditor::removeSelected()
{
    const QListWidgetItem* item = m_symbolList->currentItem();
    if (!item)
        return;
    QSet<QString> symbols = m_preferences.watchlistSymbols();
    symbols.remove(item->data(Qt::UserRole).toString());
    m_preferences.setWatchlistSymbols(symbols);
    const int row = m_symbolList->currentRow();
    reload();
    m_symbolList->setCurrentRow(std::min(row, m_symbolList->count() - 1));
    Q_EMIT watchlistChanged();
}

QStringList WatchlistEditor::splitWords(const QString& text)
{
    static const QRegularExpression separators(QStringLiteral("[,\u060C]"));
    QStringList words;
    QStringList folded;
    for (const QString& part : text.split(separators)) {
        const QString word = part.simplified();
        const QString key = SearchText::fold(word);
        if (!key.isEmpty() && !folded.contains(key)) {
            words.append(word);
            folded.append(key);
        }
    }
    return words;
}

void WatchlistEditor::wordsEdited()
{
    QStringList words = splitWords(m_wordsInput->text());
    QStringList refused;
    words.removeIf([&refused](const QString& word) {
        if (Watchlist::isUsableWord(word))
            return false;
        refused.append(QStringLiteral("\u201C%1\u201D").arg(word));
        return true;
    });
    if (!refused.isEmpty())
        showMessage(
            tr("A watch word needs at least two letters: %1.").arg(refused.join(QStringLiteral(", "))));
    if (words != m_preferences.watchWords()) {
        m_preferences.setWatchWords(words);
        Q_EMIT watchlistChanged();
    }
    m_wordsInput->setText(joined(words, m_wordsInput->text()));
}

bool WatchlistEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_symbolList && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        removeSelected();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void WatchlistEditor::showMessage(const QString& text)
{
    m_message->setText(text);
}
