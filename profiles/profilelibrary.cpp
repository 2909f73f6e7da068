#include "profiles/profilelibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>

namespace {

// A profile is a few kilobytes; anything far larger is not one.
constexpr qint64 kMaxProfileBytes = 1 << 20;
constexpr int kMaxNameLength = 64;
const QLatin1String kSuffix(".json");

bool readBytes(const QString& path, QByteArray* data, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    if (file.size() > kMaxProfileBytes) {
        *error = QStringLiteral("%1 is too large for a profile").arg(path);
        return false;
    }
    *data = file.read(kMaxProfileBytes + 1);
    return true;
}

} // namespace

QString ProfileLibrary::tarvoFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Tarvo");
}

QString ProfileLibrary::folder()
{
    return tarvoFolder() + QStringLiteral("/profiles");
}

QString ProfileLibrary::pathOf(const QString& name)
{
    return folder() + QLatin1Char('/') + name + kSuffix;
}

bool ProfileLibrary::checkName(const QString& name, QString* error)
{
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    if (name.isEmpty() || name.size() > kMaxNameLength) {
        *error = QStringLiteral("a profile name has 1 to %1 characters: '%2'").arg(kMaxNameLength).arg(name);
        return false;
    }
    if (name.startsWith(QLatin1Char('.'))) {
        *error = QStringLiteral("a profile name does not begin with a dot: '%1'").arg(name);
        return false;
    }
    // Control characters too: a name is also a file name and a line of the list.
    const bool bad = std::any_of(name.begin(), name.end(), [](QChar c) {
        return forbidden.contains(c) || c.unicode() < 0x20 || c.unicode() == 0x7f;
    });
    if (bad) {
        *error = QStringLiteral("a profile name holds none of / \\ : * ? \" < > |: '%1'").arg(name);
        return false;
    }
    return true;
}

QList<ProfileLibrary::Entry> ProfileLibrary::list()
{
    QList<Entry> entries;
    const QDir dir(folder());
    const QFileInfoList files =
        dir.entryInfoList({QStringLiteral("*.json")}, QDir::Files | QDir::Readable | QDir::Hidden, QDir::Name);
    for (const QFileInfo& file : files) {
        Entry entry;
        entry.name = file.completeBaseName();
        QString nameError;
        if (!checkName(entry.name, &nameError))
            continue; // not one a user could name
        Profile profile;
        entry.valid = readFile(file.filePath(), &profile, &entry.problem);
        entry.model = entry.valid ? profile.model : QStringLiteral("invalid");
        entry.saved = entry.valid ? profile.saved : QString();
        entries.append(entry);
    }
    // By name as the user sees it, not by the file system's order.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return entries;
}

bool ProfileLibrary::contains(const QString& name)
{
    return QFileInfo::exists(pathOf(name));
}

bool ProfileLibrary::readFile(const QString& path, Profile* profile, QString* error)
{
    QByteArray data;
    if (!readBytes(path, &data, error))
        return false;
    if (!Profile::fromJson(data, profile, error)) {
        *error = QStringLiteral("%1: %2").arg(path, *error);
        return false;
    }
    return true;
}

bool ProfileLibrary::writeFile(const QString& path, const QByteArray& json, QString* error)
{
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        *error = QStringLiteral("cannot make the folder %1").arg(info.absolutePath());
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size() || !file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool ProfileLibrary::read(const QString& name, Profile* profile, QString* error)
{
    return checkName(name, error) && readFile(pathOf(name), profile, error);
}

bool ProfileLibrary::write(const QString& name, const QByteArray& json, QString* error)
{
    return checkName(name, error) && writeFile(pathOf(name), json, error);
}

bool ProfileLibrary::remove(const QString& name, QString* error)
{
    if (!checkName(name, error))
        return false;
    QFile file(pathOf(name));
    if (!file.remove()) {
        *error = QStringLiteral("cannot remove %1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    return true;
}
