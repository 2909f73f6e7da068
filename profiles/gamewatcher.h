#pragma once

#include "profiles/gamerules.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <optional>

// Watches the running programs for the game rules. While started it looks every kIntervalMs
// (and at once on start); it reads the rules file again whenever its time or size changed, so an
// edited file counts at the next look. Of several rules whose programs run, the first in the
// file wins. Lives on the GUI thread.
class GameWatcher : public QObject
{
    Q_OBJECT

public:
    static constexpr int kIntervalMs = 1000;

    explicit GameWatcher(QObject* parent = nullptr);
    // Another rules file than the user's (tests, the benchmark).
    void setRulesPath(const QString& path);

    void start();
    // Stops looking and forgets the active rule without a signal: a lost wheel ends a game
    // profile quietly, and the next start finds a game still running as a new one.
    void stop();
    bool isActive() const { return m_running; }
    std::optional<GameRule> activeRule() const { return m_active; }
    // Forgets the active rule without a signal, so the next look starts it again.
    void forgetActive() { m_active.reset(); }
    // One look: the rules file, then the programs.
    void poll();

signals:
    void gameStarted(const QString& program, const QString& profile);
    void gameEnded(const QString& program, const QString& profile);

private:
    void reloadRules();

    QTimer m_timer;
    bool m_running = false;
    QString m_path;
    QDateTime m_modified;
    qint64 m_size = -1;
    bool m_exists = false;
    QList<GameRule> m_rules;
    QSet<QString> m_wanted;
    std::optional<GameRule> m_active;
};
