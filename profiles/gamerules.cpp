#include "profiles/gamerules.h"

#include "profiles/profilelibrary.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
const QString kFormat = QStringLiteral("tarvoset-game-profiles");
constexpr int kVersion = 1;
} // namespace

QString GameRules::path()
{
    return ProfileLibrary::tarvoFolder() + QStringLiteral("/game-profiles.json");
}

bool GameRules::fromJson(const QByteArray& data, QList<GameRule>* rules, QString* error)
{
    const QJsonDocument document = QJsonDocument::fromJson(data);
    const QJsonObject root = document.object();
    if (!document.isObject() || root.value("format").toString() != kFormat) {
        *error = QStringLiteral("not a %1 document").arg(kFormat);
        return false;
    }
    if (root.value("version").toInt(0) != kVersion || !root.value("version").isDouble()) {
        *error = QStringLiteral("member \"version\" must be %1").arg(kVersion);
        return false;
    }
    if (!root.value("rules").isArray()) {
        *error = QStringLiteral("member \"rules\" must be a list");
        return false;
    }
    QList<GameRule> result;
    const QJsonArray list = root.value("rules").toArray();
    for (int i = 0; i < list.size(); ++i) {
        const QJsonObject rule = list.at(i).toObject();
        const QString program = rule.value("program").toString();
        const QString profile = rule.value("profile").toString();
        QString nameError;
        if (!list.at(i).isObject() || program.isEmpty() || !ProfileLibrary::checkName(profile, &nameError)) {
            *error = QStringLiteral("rule %1 needs a \"program\" and a \"profile\" name").arg(i + 1);
            return false;
        }
        result.append(GameRule{program, profile});
    }
    *rules = result;
    return true;
}

QByteArray GameRules::toJson(const QList<GameRule>& rules)
{
    QJsonArray list;
    for (const GameRule& rule : rules)
        list.append(QJsonObject{{"program", rule.program}, {"profile", rule.profile}});
    return QJsonDocument(QJsonObject{{"format", kFormat}, {"version", kVersion}, {"rules", list}})
        .toJson(QJsonDocument::Indented);
}
