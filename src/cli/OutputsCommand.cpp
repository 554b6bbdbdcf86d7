#include "cli/OutputsCommand.h"

#include "cli/CommandLine.h"
#include "context/AppEnvironment.h"
#include "model/Preferences.h"
#include "model/Rule.h"
#include "outputs/OutputMessage.h"
#include "outputs/OutputSender.h"
#include "outputs/OutputStore.h"

#include <QTextStream>
#include <cstdio>

namespace {

const QString kUsage =
    QStringLiteral("usage: zelvora outputs [list | add NAME KIND... | remove NAME | test NAME]");

// Each kind's option and the options it takes besides; its first value is the URL, except for
// Telegram, whose value is the bot token (a secret).
struct KindOptions
{
    OutputConfig::Kind kind;
    QStringList allowed;
};

const QList<KindOptions>& kindOptions()
{
    using Kind = OutputConfig::Kind;
    static const QList<KindOptions> all{
        {Kind::Webhook, {QStringLiteral("token")}},
        {Kind::Ntfy, {QStringLiteral("token")}},
        {Kind::Smtp,
         {QStringLiteral("to"), QStringLiteral("from"), QStringLiteral("user"), QStringLiteral("password")}},
        {Kind::Telegram, {QStringLiteral("chat"), QStringLiteral("api")}},
        {Kind::Matrix, {QStringLiteral("room"), QStringLiteral("token")}},
    };
    return all;
}

const QStringList kFieldOptions{QStringLiteral("token"), QStringLiteral("to"),       QStringLiteral("from"),
                                QStringLiteral("user"),  QStringLiteral("password"), QStringLiteral("chat"),
                                QStringLiteral("api"),   QStringLiteral("room")};

// A secret given as "-" is the first line of standard input, so it never stands on a command line.
QString readSecret(const QString& value)
{
    if (value != QLatin1String("-"))
        return value;
    QTextStream in(stdin);
    return in.readLine();
}

} // namespace

OutputsCommand::OutputsCommand(OutputStore& store, QStringList ruleNames, const Clock& clock,
                               QString portalOrigin)
    : m_store(store), m_ruleNames(std::move(ruleNames)), m_clock(clock),
      m_portalOrigin(std::move(portalOrigin))
{
}

QList<QCommandLineOption> OutputsCommand::options()
{
    const auto value = [](const char* name, const char* valueName, const char* description) {
        return QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(description),
                                  QString::fromLatin1(valueName));
    };
    return {
        value("webhook", "URL", "A webhook: POST of a JSON object per announcement"),
        value("ntfy", "URL", "An ntfy topic"),
        value("smtp", "URL", "A mail server (smtp://host:587 or smtps://host)"),
        value("telegram", "BOT_TOKEN", "A Telegram bot"),
        value("matrix", "HOMESERVER", "A Matrix homeserver"),
        value("token", "T", "The webhook's or ntfy's bearer token, Matrix's access token"),
        value("to", "ADDR", "Mail: the recipient"),
        value("from", "ADDR", "Mail: the sender"),
        value("user", "U", "Mail: the login"),
        value("password", "P", "Mail: the password"),
        value("chat", "ID", "Telegram: the chat"),
        value("api", "URL", "Telegram: another Bot API server"),
        value("room", "ID", "Matrix: the room"),
        value("rule", "NAME", "Only what this rule lets through"),
        QCommandLineOption(QStringLiteral("quiet-hours"), QStringLiteral("Keep quiet during quiet hours"))};
}

void OutputsCommand::registerIn(CommandLine& commandLine, const AppEnvironment& environment)
{
    commandLine.addCommand(
        {QStringLiteral("outputs"),
         QStringLiteral(
             "outputs [list | add NAME KIND... [--rule NAME] [--quiet-hours] | remove NAME | test NAME]\n"
             "  KIND: --webhook URL [--token T] | --ntfy URL [--token T]\n"
             "      | --smtp URL --to ADDR [--from ADDR] [--user U --password P]\n"
             "      | --telegram BOT_TOKEN --chat ID [--api URL] | --matrix HOMESERVER --room ID --token T\n"
             "  A secret given as - is read from standard input"),
         QStringLiteral("Show, add, remove or try the outputs (webhooks, ntfy, mail, Telegram, Matrix)"),
         CommandLine::AppKind::Core, options(),
         [environment](const QCommandLineParser& parsed) {
             Preferences preferences(environment.paths.settingsFile());
             OutputStore store(preferences);
             QStringList ruleNames{Rule::kWatchlistName};
             for (const Rule& rule : preferences.rules())
                 ruleNames.append(rule.name());
             return OutputsCommand(store, ruleNames, *environment.clock, environment.portalOrigin)
                 .run(parsed);
         },
         [](const QCommandLineParser& parsed) {
             const QStringList arguments = parsed.positionalArguments();
             return arguments.isEmpty() || arguments.first() == QLatin1String("list");
         }});
}

int OutputsCommand::run(const QCommandLineParser& parsed)
{
    const QStringList arguments = parsed.positionalArguments();
    const QString verb = arguments.isEmpty() ? QStringLiteral("list") : arguments.first();
    const bool kindGiven =
        std::any_of(kindOptions().cbegin(), kindOptions().cend(),
                    [&](const KindOptions& each) { return parsed.isSet(OutputConfig::kindName(each.kind)); });
    const bool fieldGiven = kindGiven || parsed.isSet(QStringLiteral("rule")) ||
                            parsed.isSet(QStringLiteral("quiet-hours")) ||
                            std::any_of(kFieldOptions.cbegin(), kFieldOptions.cend(),
                                        [&](const QString& option) { return parsed.isSet(option); });
    if (verb == QLatin1String("add")) {
        if (arguments.size() != 2)
            return CommandLine::usageError(QStringLiteral("outputs add takes one NAME and one KIND"));
        return add(arguments.at(1), parsed);
    }
    if (fieldGiven)
        return CommandLine::usageError(QStringLiteral("options are for outputs add only"));
    if (verb == QLatin1String("list") && arguments.size() <= 1)
        return list();
    if ((verb == QLatin1String("remove") || verb == QLatin1String("test")) && arguments.size() == 2)
        return verb == QLatin1String("remove") ? remove(arguments.at(1)) : test(arguments.at(1));
    return CommandLine::usageError(kUsage);
}

int OutputsCommand::list() const
{
    for (const OutputConfig& config : m_store.outputs()) {
        QStringList parts{config.name, OutputConfig::kindName(config.kind), config.target()};
        if (!config.rule.isEmpty())
            parts.append(QStringLiteral("rule: ") + config.rule);
        if (config.quietHours)
            parts.append(QStringLiteral("quiet hours"));
        const QString secret = m_store.secret(config.name);
        if (!secret.isEmpty())
            parts.append(OutputConfig::secretName(config.kind) + QStringLiteral(": ") +
                         OutputStore::masked(secret));
        CommandLine::printOut(parts.join(QStringLiteral("  ")));
    }
    return CommandLine::Success;
}

int OutputsCommand::add(const QString& name, const QCommandLineParser& parsed)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty() || trimmed != name)
        return CommandLine::usageError(
            QStringLiteral("an output's name cannot be empty or start or end with a space"));
    QList<const KindOptions*> kinds;
    for (const KindOptions& each : kindOptions()) {
        if (parsed.isSet(OutputConfig::kindName(each.kind)))
            kinds.append(&each);
    }
    if (kinds.size() != 1)
        return CommandLine::usageError(
            QStringLiteral("outputs add needs one of --webhook, --ntfy, --smtp, --telegram, --matrix"));
    const KindOptions& kind = *kinds.first();
    for (const QString& option : kFieldOptions) {
        if (parsed.isSet(option) && !kind.allowed.contains(option))
            return CommandLine::usageError(QStringLiteral("--%1 is not an option of --%2")
                                               .arg(option, OutputConfig::kindName(kind.kind)));
    }

    OutputConfig config;
    config.name = name;
    config.kind = kind.kind;
    const QString kindValue = parsed.value(OutputConfig::kindName(kind.kind));
    QString secret;
    if (kind.kind == OutputConfig::Kind::Telegram) {
        secret = kindValue;
        config.url = parsed.value(QStringLiteral("api"));
    } else {
        config.url = kindValue;
        secret = parsed.value(OutputConfig::secretName(kind.kind));
    }
    config.to = parsed.value(QStringLiteral("to"));
    config.from = parsed.value(QStringLiteral("from"));
    config.user = parsed.value(QStringLiteral("user"));
    config.chat = parsed.value(QStringLiteral("chat"));
    config.room = parsed.value(QStringLiteral("room"));
    config.rule = parsed.value(QStringLiteral("rule"));
    config.quietHours = parsed.isSet(QStringLiteral("quiet-hours"));
    if (!config.rule.isEmpty() && !m_ruleNames.contains(config.rule))
        return CommandLine::usageError(
            QStringLiteral("there is no rule named %1 (zelvora rules list)").arg(config.rule));
    if (const QString problem = config.problem(); !problem.isEmpty())
        return CommandLine::usageError(
            QStringLiteral("--%1 %2").arg(OutputConfig::kindName(kind.kind), problem));
    secret = readSecret(secret);
    if (secret.isEmpty() && OutputConfig::needsSecret(config.kind))
        return CommandLine::usageError(
            QStringLiteral("--%1 needs its %2")
                .arg(OutputConfig::kindName(kind.kind), OutputConfig::secretName(kind.kind)));
    if (!m_store.put(config, secret))
        return CommandLine::failure(QStringLiteral("could not write the settings or the secrets file"));
    return CommandLine::Success;
}

int OutputsCommand::remove(const QString& name)
{
    if (!m_store.output(name)) {
        std::fprintf(stderr, "zelvora: there is no output named %s\n", name.toUtf8().constData());
        return CommandLine::Success;
    }
    if (!m_store.remove(name))
        return CommandLine::failure(QStringLiteral("could not write the settings or the secrets file"));
    return CommandLine::Success;
}

int OutputsCommand::test(const QString& name) const
{
    const auto config = m_store.output(name);
    if (!config)
        return CommandLine::failure(QStringLiteral("there is no output named %1").arg(name));
    const auto sender = OutputSender::make(*config, m_store.secret(name), m_clock);
    const DeliveryResult result = sender->send(OutputMessage::sample(m_clock.now(), m_portalOrigin));
    CommandLine::printOut(name + QStringLiteral(": ") + result.describe());
    return result.isDelivered() ? CommandLine::Success : CommandLine::Failure;
}
