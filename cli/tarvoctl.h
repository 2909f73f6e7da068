#pragma once

#include "cli/ctloptions.h"
#include "cli/ctloutput.h"
#include "profiles/wheelstate.h"

#include <QByteArray>
#include <memory>

class AppSetup;
class HidBackend;
struct Profile;

// Runs one tarvoctl command. The checks run in a fixed order, each with its exit code:
// the arguments and files that need no wheel (2), the lock (4), the wheel (3), what needs
// the wheel's model (2), the confirmation (5); then the work (0 done, 1 not done).
class Tarvoctl
{
public:
    enum ExitCode { Done = 0, NotDone = 1, BadInput = 2, NoWheel = 3, Held = 4, NotConfirmed = 5 };

    // backend, when given, replaces the one the options ask for (tests).
    explicit Tarvoctl(const CtlOptions& options, HidBackend* backend = nullptr);
    ~Tarvoctl();
    int run();

    // The whole program after the application object: parses arguments (the program's name
    // first), answers --help, --version and usage errors, or runs the command.
    static int runCommandLine(const QStringList& arguments, HidBackend* backend = nullptr);

private:
    int list();
    int info();
    int get();
    int set();
    int backup();
    int restore();
    int profiles();
    int clearFlash();
    int monitor();
    int flash();
    int update();

    // Sets up the backend; Done, or the code to exit with.
    int setUpBackend();
    // setUpBackend, then opens the wheel.
    int openWheel();
    // openWheel, then the model and every setting.
    int openAndRead(WheelState* state);
    int readState(WheelState* state);
    // Done when confirmed (--yes, or y / yes on a terminal).
    int confirm(const QString& question);
    int sendFailed(const QString& what);
    // A FILE argument @NAME becomes the library's NAME.json (a bad NAME: BadInput).
    int profilePath(QString* path);
    // Writes an image as the window does, with progress on stderr.
    int transfer(const QByteArray& image);

    const CtlOptions& m_options;
    CtlOutput m_output;
    std::unique_ptr<AppSetup> m_setup;
    HidBackend* m_backend;
    std::uint16_t m_productId = 0;
};
