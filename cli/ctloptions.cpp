#include "cli/ctloptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <array>
#include <cmath>

namespace {

struct CommandInfo
{
    const char* word;
    const char* synopsis;
    int minArguments;
    int maxArguments; // -1: any number
    const char* help;
};

// clang-format off
constexpr std::array<CommandInfo, 12> kCommands = {{
    {"list", "list", 0, 0,
     "Every wheel of vendor 7e57 with its product id, path and model, or why it cannot be opened.\n"
     "A wheel held by another TarvoSet program is listed as such and left alone."},
    {"info", "info", 0, 0,
     "Model, product id, firmware, battery, every setting the wheel reports and the two preferences."},
    {"get", "get KEY", 1, 1,
     "One key; the text output is the value alone. Keys: model, product-id, firmware, battery,\n"
     "paddle-mode, paddle, bite-point, calibration, pulse-width, clutch, leds, led.N (0 to 47), lamps,\n"
     "extra-shifters, encoder-binding."},
    {"set", "set KEY=VALUE...", 1, -1,
     "Changes settings live; with --save the wheel also stores them. Every value is checked before\n"
     "anything is sent; afterwards the changed keys are read back and printed. Values:\n"
     "  paddle=left|right|off  bite-point=0..100  calibration=LMIN,LMAX,RMIN,RMAX (0..4096)\n"
     "  pulse-width=40..240  clutch=on|off  leds=#rrggbb (all 48 slots)  led.N=#rrggbb\n"
     "  lamps=#rrggbb,#rrggbb  extra-shifters=on|off  encoder-binding=none|UP,DOWN\n"
     "The two preferences (extra-shifters, encoder-binding) are stored on this computer at once."},
    {"backup", "backup FILE|@NAME", 1, 1,
     "Writes a profile of everything that can be written back; an existing FILE is replaced.\n"
     "FILE - writes the profile to stdout; @NAME writes NAME.json into the profile library."},
    {"restore", "restore FILE|@NAME", 1, 1,
     "Writes every setting of a profile to the wheel with the save marker, and its preferences, then\n"
     "reads everything back and compares. --dry-run prints what would change and sends nothing.\n"
     "A profile of another model is refused unless --force. @NAME reads NAME.json from the profile\n"
     "library."},
    {"profiles", "profiles", 0, 0,
     "Lists the profile library (Tarvo/profiles/ in the configuration folder): NAME, MODEL and SAVED\n"
     "separated by tabs, sorted by name. A file that is not a valid profile is listed with the model\n"
     "'invalid', and why on stderr. Needs no wheel."},
    {"flash", "flash FILE", 1, 1,
     "Writes a firmware image (.bin, at most 229376 bytes) to the wheel, with progress on stderr.\n"
     "Asks for confirmation (--yes)."},
    {"update", "update", 0, 0,
     "Asks the update server for the wheel's newest firmware; a newer image is downloaded, its MD5\n"
     "checked and flashed. --check only reports. Asks for confirmation (--yes)."},
    {"clear-flash", "clear-flash", 0, 0,
     "Erases the settings stored in the wheel. The preferences stay. Asks for confirmation (--yes)."},
    {"monitor", "monitor", 0, 0,
     "Prints input changes (inputs counted from 1, and the paddles) until interrupted or until\n"
     "--seconds N have passed."},
    {"help", "help [COMMAND]", 0, 1, "Describes tarvoctl, or one command."},
}};
// clang-format on

const CommandInfo* commandInfo(const QString& word)
{
    for (const CommandInfo& info : kCommands)
        if (word == QLatin1String(info.word))
            return &info;
    return nullptr;
}

} // namespace

QStringList ctlCommands()
{
    QStringList words;
    for (const CommandInfo& info : kCommands)
        words.append(QLatin1String(info.word));
    return words;
}

QString ctlCommandHelp(const QString& command)
{
    const CommandInfo* info = commandInfo(command);
    if (!info)
        return QString();
    return QStringLiteral("Usage: tarvoctl [OPTIONS] %1\n\n%2\n")
        .arg(QLatin1String(info->synopsis), QLatin1String(info->help));
}

CtlParseResult parseCtlOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("The Tarvo wheel from the command line. Exit codes: 0 done, 1 the wheel or the server did "
                       "not do it,\n2 usage or bad input, 3 no wheel, 4 the wheel is held by another TarvoSet "
                       "program, 5 not confirmed."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Describe tarvoctl, or with a command that command."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Print the version."));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Machine-readable output on stdout."));
    const QCommandLineOption yes(QStringLiteral("yes"),
                                 QStringLiteral("Answer yes to the confirmation of flash, update and clear-flash."));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("Use a wheel another TarvoSet program holds; restore also takes "
                                                  "another model's profile."));
    const QCommandLineOption save(QStringLiteral("save"), QStringLiteral("set: the wheel also stores the values."));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"),
                                    QStringLiteral("restore: print what would change, send nothing."));
    const QCommandLineOption check(QStringLiteral("check"), QStringLiteral("update: only report."));
    const QCommandLineOption seconds(QStringLiteral("seconds"), QStringLiteral("monitor: stop after N seconds."),
                                     QStringLiteral("N"));
    parser.addOptions({help, version, json, yes, force, save, dryRun, check, seconds});
    const AppOptionSet shared;
    shared.addTo(parser);
    parser.addPositionalArgument(QStringLiteral("command"), ctlCommands().join(QStringLiteral(", ")),
                                 QStringLiteral("COMMAND [ARGUMENTS]"));

    CtlParseResult result;
    const auto usageError = [&](const QString& message) {
        result.action = CtlParseResult::Action::UsageError;
        result.error = message;
        result.helpText = parser.helpText();
        return result;
    };
    CtlOptions& options = result.options;
    if (!parser.parse(arguments)) {
        // The error goes out as JSON too when the rest of the line asked for it.
        options.json = arguments.contains(QStringLiteral("--json"));
        return usageError(parser.errorText());
    }
    options.json = parser.isSet(json);
    QStringList positional = parser.positionalArguments();

    if (parser.isSet(version)) {
        result.action = CtlParseResult::Action::Version;
        return result;
    }
    const bool helpAsked = parser.isSet(help) || positional.value(0) == QLatin1String("help");
    if (helpAsked) {
        const QString topic = positional.value(0) == QLatin1String("help") ? positional.value(1) : positional.value(0);
        result.action = CtlParseResult::Action::Help;
        if (topic.isEmpty()) {
            QString text = parser.helpText();
            text += QStringLiteral("\nCommands:\n");
            for (const CommandInfo& info : kCommands)
                text += QStringLiteral("  %1\n").arg(QLatin1String(info.synopsis));
            result.helpText = text;
            return result;
        }
        result.helpText = ctlCommandHelp(topic);
        if (result.helpText.isEmpty())
            return usageError(QStringLiteral("unknown command '%1'").arg(topic));
        return result;
    }
    if (positional.isEmpty())
        return usageError(QStringLiteral("no command given"));
    options.command = positional.takeFirst();
    options.arguments = positional;
    const CommandInfo* info = commandInfo(options.command);
    if (!info)
        return usageError(QStringLiteral("unknown command '%1'").arg(options.command));
    if (options.arguments.size() < info->minArguments
        || (info->maxArguments >= 0 && options.arguments.size() > info->maxArguments))
        return usageError(QStringLiteral("usage: tarvoctl %1").arg(QLatin1String(info->synopsis)));

    struct CommandOption
    {
        const QCommandLineOption* option;
        bool* value;
        const char* command;
    };
    options.yes = parser.isSet(yes);
    options.force = parser.isSet(force);
    const CommandOption commandOptions[] = {
        {&save, &options.save, "set"}, {&dryRun, &options.dryRun, "restore"}, {&check, &options.check, "update"}};
    for (const CommandOption& entry : commandOptions) {
        *entry.value = parser.isSet(*entry.option);
        if (*entry.value && options.command != QLatin1String(entry.command))
            return usageError(
                QStringLiteral("--%1 belongs to %2").arg(entry.option->names().first(), QLatin1String(entry.command)));
    }
    if (parser.isSet(seconds)) {
        if (options.command != QLatin1String("monitor"))
            return usageError(QStringLiteral("--seconds belongs to monitor"));
        bool ok = false;
        const double value = parser.value(seconds).toDouble(&ok);
        if (!ok || !std::isfinite(value) || value <= 0 || value > 1e6)
            return usageError(
                QStringLiteral("--seconds takes a number of seconds above 0, not '%1'").arg(parser.value(seconds)));
        options.seconds = value;
    }
    QString error;
    if (!shared.read(parser, &options.app, &error))
        return usageError(error);
    return result;
}
