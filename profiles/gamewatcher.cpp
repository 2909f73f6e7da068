#include "profiles/gamewatcher.h"

#include "profiles/runningprograms.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcGames, "tarvoset.profiles")

GameWatcher::GameWatcher(QObject* parent)
    : QObject(parent)
    , m_path(GameRules::path())
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        poll();
        if (m_running)
            m_timer.start(kIntervalMs);
    });
}

void GameWatcher::setRulesPath(const QString& path)
{
    m_path = path;
    m_exists = false;
    m_size = -1;
}

void GameWatcher::start()
{
    m_running = true;
    m_timer.start(0);
}

void GameWatcher::stop()
{
    m_running = false;
    m_timer.stop();
    m_active.reset();
}

void GameWatcher::reloadRules()
{
    const QFileInfo info(m_path);
    const bool exists = info.exists();
    if (exists == m_exists && (!exists || (info.lastModified() == m_modified && info.size() == m_size)))
        return;
    m_exists = exists;
    m_modified = exists ? info.lastModified() : QDateTime();
    m_size = exists ? info.size() : -1;
    m_rules.clear();
    m_wanted.clear();
    if (!exists)
        return; // no file, no rules
    QFile file(m_path);
    QString error;
    if (!file.open(QIODevice::ReadOnly))
        error = file.errorString();
    else if (!GameRules::fromJson(file.read(1 << 20), &m_rules, &error))
        m_rules.clear();
    if (!error.isEmpty()) {
        qCWarning(lcGames).noquote() << "game profiles ignored:" << m_path << error;
        return;
    }
    for (const GameRule& rule : qAsConst(m_rules))
        m_wanted.insert(rule.program.toLower());
}

void GameWatcher::poll()
{
    reloadRules();
    std::optional<GameRule> now;
    if (!m_wanted.isEmpty()) {
        const QSet<QString> running = RunningPrograms::find(m_wanted);
        for (const GameRule& rule : qAsConst(m_rules))
            if (running.contains(rule.program.toLower())) {
                now = rule;
                break;
            }
    }
    if (now == m_active)
        return;
    const std::optional<GameRule> ended = m_active;
    m_active = now;
    if (ended)
        emit gameEnded(ended->program, ended->profile);
    if (now)
        emit gameStarted(now->program, now->profile);
}
