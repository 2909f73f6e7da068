#pragma once

#include "profiles/profile.h"

#include <QList>
#include <QString>

// The user's profiles, one NAME.json each in Tarvo/profiles/ under the configuration folder,
// shared by the window and tarvoctl. Every call reads or writes the folder afresh: the other
// program may have changed it meanwhile.
class ProfileLibrary
{
public:
    struct Entry
    {
        QString name;
        bool valid = false;
        QString model; // "invalid" when the file is not a valid profile
        QString saved;
        QString problem; // why it is invalid
    };

    // Tarvo/ under the configuration folder: $XDG_CONFIG_HOME (else ~/.config) on Linux.
    static QString tarvoFolder();
    static QString folder();
    static QString pathOf(const QString& name);
    // 1 to 64 characters, none of / \ : * ? " < > |, no leading dot. False with a sentence.
    static bool checkName(const QString& name, QString* error);
    // Sorted by name.
    static QList<Entry> list();
    static bool contains(const QString& name);

    // A profile file anywhere: read and checked. False with a sentence naming the file.
    static bool readFile(const QString& path, Profile* profile, QString* error);
    // Atomically; the folder is made if missing.
    static bool writeFile(const QString& path, const QByteArray& json, QString* error);
    static bool read(const QString& name, Profile* profile, QString* error);
    static bool write(const QString& name, const QByteArray& json, QString* error);
    static bool remove(const QString& name, QString* error);
};
