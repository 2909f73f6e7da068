#pragma once

#include <QSet>
#include <QString>

// The names of the programs that run now, for the game profiles. Each process counts under
// two names: its own (Linux: comm) and the last element of the first word of its command line,
// where both / and \ separate elements (a game under a Windows compatibility layer). Only this
// user's view of the system is needed: no extra privileges.
class RunningPrograms
{
public:
    // Which of the wanted names (lower case) run now, compared without regard to case.
    // Empty on systems without an implementation yet.
    static QSet<QString> find(const QSet<QString>& wanted);
};
