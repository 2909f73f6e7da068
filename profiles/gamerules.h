#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The game-profiles.json document: which library profile to use while a program runs.
struct GameRule
{
    QString program; // compared without regard to case
    QString profile; // a library name
    bool operator==(const GameRule& o) const { return program == o.program && profile == o.profile; }
    bool operator!=(const GameRule& o) const { return !(*this == o); }
};

class GameRules
{
public:
    static QString path(); // game-profiles.json beside the profile library
    // False with a sentence when the document is not a valid rules file; then nothing of it is used.
    static bool fromJson(const QByteArray& data, QList<GameRule>* rules, QString* error);
    static QByteArray toJson(const QList<GameRule>& rules);
};
