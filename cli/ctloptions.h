#pragma once

#include "startup/appoptions.h"

#include <QString>
#include <QStringList>
#include <optional>

// tarvoctl's command line: the window's wheel options, tarvoctl's own, a command word and
// its arguments. Options may stand before or after the command word.
struct CtlOptions
{
    AppOptions app;
    QString command;
    QStringList arguments;
    bool json = false;
    bool yes = false;
    bool force = false;
    bool save = false;
    bool dryRun = false;
    bool check = false;
    std::optional<double> seconds;
};

struct CtlParseResult
{
    enum class Action { Run, Help, Version, UsageError } action = Action::Run;
    CtlOptions options;
    QString helpText; // Help: the text to print
    QString error; // UsageError
};

// The command words, in the order of the help text.
QStringList ctlCommands();
// The help of one command; empty for an unknown word.
QString ctlCommandHelp(const QString& command);
CtlParseResult parseCtlOptions(const QStringList& arguments);
