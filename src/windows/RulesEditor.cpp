#include "windows/RulesEditor.h"

#include "model/Preferences.h"
#include "windows/ChoicePopup.h"
#include "windows/WatchlistEditor.h"
#include "windows/WindowStyle.h"

#include <QBoxLayout>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {
QLineEdit* listInput(const QString& placeholder)
{
    auto* input = new QLineEdit;
    input->setFont(WindowStyle::generalFont(12));
    input->setPlaceholderText(placeholder);
    return input;
}

QString joined(const QStringList& list)
{
    return list.join(QStringLiteral(", "));
}
} // namespace

RulesEditor::RulesEditor(Preferences& preferences, QWidget* parent)
    : QWidget(parent), m_preferences(preferences)
{
    auto* note = new QLabel(tr("The Watchlist is checked first, then these rules in order; the first rule an "
                               "announcement matches decides. A rule needs all the kinds it names."));
    note->setFont(WindowStyle::generalFont(11));
    note->setWordWrap(true);

    m_list = new QListWidget;
    m_list->setFont(WindowStyle::generalFont(12));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setFixedHeight(92);
    connect(m_list, &QListWidget::currentRowChanged, this, &RulesEditor::showRule);

    auto* addButton = new QPushButton(tr("New Rule"));
    connect(addButton, &QPushButton::clicked, this, &RulesEditor::addRule);
    m_removeButton = new QPushButton(tr("Remove"));
    connect(m_removeButton, &QPushButton::clicked, this, &RulesEditor::removeSelected);
    m_upButton = new QPushButton(tr("Move Up"));
    connect(m_upButton, &QPushButton::clicked, this, [this] { moveSelected(-1); });
    m_downButton = new QPushButton(tr("Move Down"));
    connect(m_downButton, &QPushButton::clicked, this, [this] { moveSelected(1); });
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    for (QPushButton* button : {addButton, m_removeButton, m_upButton, m_downButton})
        buttons->addWidget(button);
    buttons->addStretch(1);

    m_name = listInput(tr("Name"));
    m_symbols = listInput(tr("e.g. 2222, 1120"));
    m_words = listInput(tr("e.g. dividend, توزيع أرباح"));
    m_exclude = listInput(tr("e.g. sukuk, صكوك"));
    for (QLineEdit* input : {m_name, m_symbols, m_words, m_exclude})
        connect(input, &QLineEdit::editingFinished, this, &RulesEditor::formEdited);
    m_categories = new QListWidget;
    m_categories->setFont(WindowStyle::generalFont(12));
    // Side by side, so all nine show without scrolling.
    m_categories->setFlow(QListView::LeftToRight);
    m_categories->setWrapping(true);
    m_categories->setResizeMode(QListView::Adjust);
    m_categories->setGridSize(QSize(175, 22));
    m_categories->setFixedHeight(5 * 22 + 6);
    for (const AnnouncementCategory::Kind kind : AnnouncementCategory::all()) {
        auto* item = new QListWidgetItem(AnnouncementCategory::emoji(kind) + QLatin1Char(' ') +
                                             AnnouncementCategory::displayName(kind),
                                         m_categories);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    connect(m_categories, &QListWidget::itemChanged, this, &RulesEditor::formEdited);
    m_action = new ChoicePopup;
    for (const Rule::Action action : {Rule::Action::Notify, Rule::Action::Urgent, Rule::Action::Silent})
        m_action->addItem(Rule::actionDisplayName(action));
    connect(m_action, &QComboBox::activated, this, &RulesEditor::formEdited);

    m_form = new QWidget;
    auto* form = new QFormLayout(m_form);
    form->setContentsMargins(0, 4, 0, 0);
    form->setSpacing(6);
    form->addRow(tr("Name"), m_name);
    form->addRow(tr("Symbols"), m_symbols);
    form->addRow(tr("Words"), m_words);
    form->addRow(tr("Categories"), m_categories);
    form->addRow(tr("Except words"), m_exclude);
    form->addRow(tr("Action"), m_action);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(note);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    layout->addWidget(m_form);
    reload();
}

QString RulesEditor::summary(const Rule& rule)
{
    QStringList parts = rule.symbols() + rule.words();
    for (const AnnouncementCategory::Kind kind : rule.categories())
        parts.append(AnnouncementCategory::inlineName(kind));
    QString text = rule.name();
    if (!parts.isEmpty())
        text += QStringLiteral(": ") + parts.join(QStringLiteral(" \u00B7 "));
    if (rule.action() != Rule::Action::Notify)
        text += QStringLiteral("  (") + Rule::actionDisplayName(rule.action()) + QLatin1Char(')');
    return text;
}

void RulesEditor::reload()
{
    const int row = m_list->currentRow();
    m_rules = m_preferences.rules();
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    for (const Rule& rule : std::as_const(m_rules))
        m_list->addItem(summary(rule));
    m_list->setCurrentRow(std::clamp(row, m_rules.isEmpty() ? -1 : 0, int(m_rules.size()) - 1));
    showRule(m_list->currentRow());
}

void RulesEditor::showRule(int row)
{
    const bool chosen = row >= 0 && row < m_rules.size();
    m_form->setEnabled(chosen);
    m_removeButton->setEnabled(chosen);
    m_upButton->setEnabled(chosen && row > 0);
    m_downButton->setEnabled(chosen && row + 1 < m_rules.size());
    const Rule rule = chosen ? m_rules.at(row) : Rule();
    m_showing = true;
    m_name->setText(rule.name());
    m_symbols->setText(joined(rule.symbols()));
    m_words->setText(joined(rule.words()));
    m_exclude->setText(joined(rule.excludeWords()));
    for (int i = 0; i < m_categories->count(); ++i)
        m_categories->item(i)->setCheckState(
            rule.categories().contains(AnnouncementCategory::all().at(i)) ? Qt::Checked : Qt::Unchecked);
    m_action->setCurrentIndex(int(rule.action()));
    m_showing = false;
}

void RulesEditor::store(const QList<Rule>& rules, int selectRow)
{
    m_preferences.setRules(rules);
    reload();
    m_list->setCurrentRow(selectRow);
    Q_EMIT rulesChanged();
}

void RulesEditor::addRule()
{
    QList<Rule> rules = m_rules;
    QString name;
    for (int n = int(rules.size()) + 1; name.isEmpty(); ++n) {
        const QString candidate = tr("Rule %1").arg(n);
        if (std::none_of(rules.cbegin(), rules.cend(),
                         [&](const Rule& rule) { return rule.name() == candidate; }))
            name = candidate;
    }
    rules.append(Rule(name, {}, {}, {}, {}));
    store(rules, int(rules.size()) - 1);
    m_name->setFocus();
    m_name->selectAll();
}

void RulesEditor::removeSelected()
{
    const int row = m_list->currentRow();
    if (row < 0 || row >= m_rules.size())
        return;
    QList<Rule> rules = m_rules;
    rules.removeAt(row);
    store(rules, std::min(row, int(rules.size()) - 1));
}

void RulesEditor::moveSelected(int offset)
{
    const int row = m_list->currentRow();
    const int target = row + offset;
    if (row < 0 || row >= m_rules.size() || target < 0 || target >= m_rules.size())
        return;
    QList<Rule> rules = m_rules;
    rules.move(row, target);
    store(rules, target);
}

void RulesEditor::formEdited()
{
    const int row = m_list->currentRow();
    if (m_showing || row < 0 || row >= m_rules.size())
        return;
    const Rule& old = m_rules.at(row);
    // A rule keeps a name, and one of its own: the command line finds rules by name.
    QString name = m_name->text().simplified();
    const bool taken = std::any_of(m_rules.cbegin(), m_rules.cend(),
                                   [&](const Rule& rule) { return &rule != &old && rule.name() == name; });
    if (name.isEmpty() || taken || name.compare(Rule::kWatchlistName, Qt::CaseInsensitive) == 0)
        name = old.name();
    QList<Rule::Category> categories;
    for (int i = 0; i < m_categories->count(); ++i) {
        if (m_categories->item(i)->checkState() == Qt::Checked)
            categories.append(AnnouncementCategory::all().at(i));
    }
    const Rule edited(name, WatchlistEditor::splitWords(m_symbols->text()),
                      WatchlistEditor::splitWords(m_words->text()), categories,
                      WatchlistEditor::splitWords(m_exclude->text()), Rule::Action(m_action->currentIndex()));
    if (edited == old) {
        showRule(row); // shows the words as kept
        return;
    }
    QList<Rule> rules = m_rules;
    rules[row] = edited;
    store(rules, row);
}
