#pragma once

#include <QCommandLineOption>
#include <QString>
#include <QStringList>
#include <cstdint>

class QCommandLineParser;

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

// The wheel, trace and update-server options, shared by the window and tarvoctl so that both
// check them alike. Qt Core only.
class AppOptionSet
{
public:
    AppOptionSet();
    void addTo(QCommandLineParser& parser) const;
    // Reads the options from a parser that has parsed; false with a sentence in *error when
    // one is refused (a usage error, exit code 2).
    bool read(const QCommandLineParser& parser, AppOptions* options, QString* error) const;

private:
    QCommandLineOption m_virtualWheel;
    QCommandLineOption m_virtualWheelPid;
    QCommandLineOption m_virtualWheelState;
    QCommandLineOption m_wheelControl;
    QCommandLineOption m_demo;
    QCommandLineOption m_hidTrace;
    QCommandLineOption m_updateServer;
    QCommandLineOption m_caCertificates;
};

// Parses the arguments (argv[0] first), Qt's own GUI options among them, so that it can run
// before QApplication exists. Prints help, version and usage errors itself.
AppOptionsResult parseAppOptions(const QStringList& arguments);
