#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

// What the command line asks for.
struct AppOptions
{
    bool virtualWheel = false;
    QString virtualWheelModel;
    std::uint16_t virtualWheelPid = 0x2007;
    QString virtualWheelState;
    QString wheelControl;
    bool demo = false;
    QString hidTrace;
    QString updateServer;
    QString caCertificates;
    QString release; // optional feature set: the release to behave as, "1.20" unless asked
};

struct AppOptionsResult
{
    bool run = true; // false: exit at once with exitCode
    int exitCode = 0; // 0 after --help / --version, 2 on a usage error
    AppOptions options;
};

// Parses the arguments (argv[0] first). Prints help, version and usage errors itself.
AppOptionsResult parseAppOptions(const QStringList& arguments);
