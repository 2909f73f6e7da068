#pragma once

#include "profiles/gamerules.h"

#include <QDialog>
#include <QStringList>

class QTableWidget;

// Edits the game rules: one row per rule, the program's name and the profile to use while it
// runs; the first row whose program runs wins.
class GameProfilesDialog : public QDialog
{
    Q_OBJECT

public:
    GameProfilesDialog(const QList<GameRule>& rules, const QStringList& profiles, QWidget* parent = nullptr);
    // The rows with both a program and a profile, in order.
    QList<GameRule> rules() const;

private:
    void addRow(const GameRule& rule);

    QTableWidget* m_table = nullptr;
    QStringList m_profiles;
};
