#include "windows/OutputsEditor.h"

#include "infra/Clock.h"
#include "model/Preferences.h"
#include "outputs/OutputMessage.h"
#include "outputs/OutputSender.h"
#include "outputs/OutputStore.h"
#include "windows/ChoicePopup.h"
#include "windows/WindowStyle.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QThread>

namespace {
const QString kSeparator = QStringLiteral("  \u2014  ");
} // namespace

OutputsEditor::OutputsEditor(Preferences& preferences, QString portalOrigin, const Clock* clock,
                             QWidget* parent)
    : QWidget(parent), m_store(std::make_unique<OutputStore>(preferences)),
      m_portalOrigin(std::move(portalOrigin)), m_clock(clock ? *clock : *[] {
          static const SystemClock system;
          return &system;
      }())
{
    m_list = new QListWidget;
    m_list->setFont(WindowStyle::generalFont(12));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setFixedHeight(72);

    const auto field = [](const QString& placeholder) {
        auto* edit = new QLineEdit;
        edit->setFont(WindowStyle::generalFont(12));
        edit->setPlaceholderText(placeholder);
        return edit;
    };
    m_name = field(tr("e.g. phone"));
    m_kind = new ChoicePopup;
    m_kind->addItems({tr("Webhook"), QStringLiteral("ntfy"), tr("Mail (SMTP)"), QStringLiteral("Telegram"),
                      QStringLiteral("Matrix")});
    connect(m_kind, &QComboBox::currentIndexChanged, this, &OutputsEditor::kindChanged);
    m_address = field({});
    m_to = field(tr("you@example.org"));
    m_user = field(tr("optional"));
    m_chat = field(tr("e.g. -1001234567890 or @channel"));
    m_room = field(tr("e.g. !abc:example.org"));
    m_secret = field({});
    m_secret->setEchoMode(QLineEdit::Password);
    m_rule = field(tr("optional: only what this rule lets through"));
    m_quietHours = new QCheckBox(tr("Keep quiet during quiet hours"));

    m_form = new QFormLayout;
    m_form->addRow(tr("Name"), m_name);
    m_form->addRow(tr("Kind"), m_kind);
    m_form->addRow(tr("Address"), m_address);
    m_form->addRow(tr("To"), m_to);
    m_form->addRow(tr("Login"), m_user);
    m_form->addRow(tr("Chat"), m_chat);
    m_form->addRow(tr("Room"), m_room);
    m_form->addRow(tr("Secret"), m_secret);
    m_form->addRow(tr("Rule"), m_rule);
    m_form->addRow(QString(), m_quietHours);

    auto* addButton = new QPushButton(tr("Add"));
    connect(addButton, &QPushButton::clicked, this, &OutputsEditor::addFromForm);
    auto* removeButton = new QPushButton(tr("Remove"));
    connect(removeButton, &QPushButton::clicked, this, &OutputsEditor::removeSelected);
    m_testButton = new QPushButton(tr("Test"));
    connect(m_testButton, &QPushButton::clicked, this, &OutputsEditor::testSelected);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(addButton);
    buttons->addWidget(removeButton);
    buttons->addWidget(m_testButton);
    buttons->addStretch(1);

    m_message = new QLabel;
    m_message->setObjectName(QStringLiteral("outputsMessage"));
    m_message->setFont(WindowStyle::generalFont(11));
    m_message->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(m_list);
    layout->addLayout(m_form);
    layout->addLayout(buttons);
    layout->addWidget(m_message);
    kindChanged();
    reload();
}

OutputsEditor::~OutputsEditor() = default;

void OutputsEditor::reload()
{
    m_list->clear();
    for (const OutputConfig& config : m_store->outputs()) {
        auto* item = new QListWidgetItem(config.name + kSeparator + OutputConfig::kindName(config.kind) +
                                             kSeparator + config.target(),
                                         m_list);
        item->setData(Qt::UserRole, config.name);
    }
}

void OutputsEditor::kindChanged()
{
    using Kind = OutputConfig::Kind;
    const auto kind = static_cast<Kind>(m_kind->currentIndex());
    m_form->setRowVisible(m_to, kind == Kind::Smtp);
    m_form->setRowVisible(m_user, kind == Kind::Smtp);
    m_form->setRowVisible(m_chat, kind == Kind::Telegram);
    m_form->setRowVisible(m_room, kind == Kind::Matrix);
    switch (kind) {
    case Kind::Webhook:
        m_address->setPlaceholderText(QStringLiteral("https://example.org/hook"));
        m_secret->setPlaceholderText(tr("bearer token (optional)"));
        break;
    case Kind::Ntfy:
        m_address->setPlaceholderText(QStringLiteral("https://ntfy.sh/my-topic"));
        m_secret->setPlaceholderText(tr("access token (optional)"));
        break;
    case Kind::Smtp:
        m_address->setPlaceholderText(QStringLiteral("smtp://mail.example.org:587"));
        m_secret->setPlaceholderText(tr("password (optional)"));
        break;
    case Kind::Telegram:
        m_address->setPlaceholderText(tr("API address (optional)"));
        m_secret->setPlaceholderText(tr("bot token"));
        break;
    case Kind::Matrix:
        m_address->setPlaceholderText(QStringLiteral("https://matrix.example.org"));
        m_secret->setPlaceholderText(tr("access token"));
        break;
    }
}

OutputConfig OutputsEditor::formConfig() const
{
    OutputConfig config;
    config.name = m_name->text().simplified();
    config.kind = static_cast<OutputConfig::Kind>(m_kind->currentIndex());
    config.url = m_address->text().trimmed();
    const bool smtp = config.kind == OutputConfig::Kind::Smtp;
    config.to = smtp ? m_to->text().trimmed() : QString();
    config.user = smtp ? m_user->text().trimmed() : QString();
    config.chat = config.kind == OutputConfig::Kind::Telegram ? m_chat->text().trimmed() : QString();
    config.room = config.kind == OutputConfig::Kind::Matrix ? m_room->text().trimmed() : QString();
    config.rule = m_rule->text().trimmed();
    config.quietHours = m_quietHours->isChecked();
    return config;
}

bool OutputsEditor::addFromForm()
{
    const OutputConfig config = formConfig();
    const QString secret = m_secret->text().trimmed();
    QString problem = config.problem();
    if (config.name.isEmpty())
        problem = tr("needs a name");
    else if (problem.isEmpty() && secret.isEmpty() && OutputConfig::needsSecret(config.kind))
        problem = tr("needs its secret");
    if (!problem.isEmpty()) {
        showMessage(tr("%1: %2").arg(m_kind->currentText(), problem), true);
        return false;
    }
    if (!m_store->put(config, secret)) {
        showMessage(tr("The settings could not be saved."), true);
        return false;
    }
    for (QLineEdit* edit : {m_name, m_address, m_to, m_user, m_chat, m_room, m_secret, m_rule})
        edit->clear();
    m_quietHours->setChecked(false);
    reload();
    showMessage(tr("Added %1.").arg(config.name), false);
    return true;
}

void OutputsEditor::removeSelected()
{
    const QListWidgetItem* item = m_list->currentItem();
    if (!item)
        return;
    if (!m_store->remove(item->data(Qt::UserRole).toString()))
        showMessage(tr("The settings could not be saved."), true);
    reload();
}

void OutputsEditor::testSelected()
{
    const QListWidgetItem* item = m_list->currentItem();
    const auto config = item ? m_store->output(item->data(Qt::UserRole).toString()) : std::nullopt;
    if (!config) {
        showMessage(tr("Choose an output to test."), true);
        return;
    }
    m_testButton->setEnabled(false);
    showMessage(tr("Sending a test announcement to %1…").arg(config->name), false);
    // The receiver may take up to its time-out to answer: never on the window's thread.
    auto result = std::make_shared<DeliveryResult>();
    auto sender =
        std::shared_ptr<OutputSender>(OutputSender::make(*config, m_store->secret(config->name), m_clock));
    const OutputMessage sample = OutputMessage::sample(m_clock.now(), m_portalOrigin);
    QThread* thread = QThread::create([result, sender, sample] { *result = sender->send(sample); });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    connect(thread, &QThread::finished, this, [this, result, name = config->name] {
        m_testButton->setEnabled(true);
        switch (result->outcome) {
        case DeliveryResult::Outcome::Delivered:
            showMessage(tr("%1: the test announcement was delivered.").arg(name), false);
            break;
        case DeliveryResult::Outcome::RetryLater:
            showMessage(tr("%1: not delivered, try again later (%2).").arg(name, result->detail), true);
            break;
        case DeliveryResult::Outcome::Refused:
            showMessage(tr("%1: the receiver refused it (%2).").arg(name, result->detail), true);
            break;
        }
        Q_EMIT testFinished();
    });
    thread->start();
}

void OutputsEditor::showMessage(const QString& text, bool problem)
{
    m_message->setText(text);
    WindowStyle::setColor(m_message, QPalette::WindowText,
                          problem ? QColor(0xC6, 0x28, 0x28) : palette().color(QPalette::WindowText));
}
