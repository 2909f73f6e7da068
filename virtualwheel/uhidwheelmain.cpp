// tarvo-uhid-wheel: the virtual wheel as a HID device of the running kernel (/dev/uhid), for
// testing the programs through hidraw and hidapi exactly as a real wheel would meet them.
#include "protocol/wheelprotocol.h"
#include "virtualwheel/uhidwheel.h"
#include "virtualwheel/virtualwheel.h"
#include "virtualwheel/wheelcontrolserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <QTextStream>
#include <algorithm>
#include <unistd.h>

namespace {
int fail(const QString& message)
{
    QTextStream(stderr) << "tarvo-uhid-wheel: " << message << '\n';
    return 2;
}

// One control line to a running wheel, its answer on stdout: a shell script drives the wheel
// without a socket tool of its own.
int tell(const QString& name, const QString& line)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(5000))
        return fail(QStringLiteral("--tell: %1").arg(socket.errorString()));
    socket.write(line.toUtf8() + '\n');
    QByteArray answer;
    while (!answer.contains('\n') && socket.waitForReadyRead(30000))
        answer += socket.readAll();
    QTextStream(stdout) << answer;
    return answer.startsWith("error") || !answer.contains('\n') ? 1 : 0;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarvo-uhid-wheel"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A virtual Tarvo wheel in the kernel, through /dev/uhid."));
    parser.addHelpOption();
    const QCommandLineOption model(QStringLiteral("virtual-wheel"), QStringLiteral("Model text the wheel reports."),
                                   QStringLiteral("MODEL"), QStringLiteral("R-VELO"));
    const QCommandLineOption pid(QStringLiteral("virtual-wheel-pid"), QStringLiteral("Product id, 2007 to 200d."),
                                 QStringLiteral("HEX"), QStringLiteral("2007"));
    const QCommandLineOption stateFile(QStringLiteral("virtual-wheel-state"),
                                       QStringLiteral("Keep the wheel's flash in FILE (JSON)."),
                                       QStringLiteral("FILE"));
    const QCommandLineOption control(QStringLiteral("wheel-control"),
                                     QStringLiteral("Listen for control commands on the local socket NAME."),
                                     QStringLiteral("NAME"));
    const QCommandLineOption tellOption(QStringLiteral("tell"),
                                        QStringLiteral("Send the command line given as the argument to the wheel "
                                                       "listening on NAME, print its answer and exit."),
                                        QStringLiteral("NAME"));
    const QCommandLineOption stdinControl(QStringLiteral("control-stdin"),
                                          QStringLiteral("Also take control commands on stdin, one a line, and "
                                                         "answer each on stdout."));
    parser.addOptions({model, pid, stateFile, control, tellOption, stdinControl});
    parser.addPositionalArgument(QStringLiteral("COMMAND"), QStringLiteral("With --tell: the control command."));
    parser.process(app);
    if (parser.isSet(tellOption))
        return tell(parser.value(tellOption), parser.positionalArguments().join(QLatin1Char(' ')));

    bool ok = false;
    const std::uint16_t productId = std::uint16_t(parser.value(pid).toUInt(&ok, 16));
    const auto& ids = tarvo::kProductIds;
    if (!ok || std::find(ids.begin(), ids.end(), productId) == ids.end())
        return fail(QStringLiteral("--virtual-wheel-pid: expected 2007 to 200d, got '%1'").arg(parser.value(pid)));

    VirtualWheel wheel(parser.value(model), productId);
    QString error;
    if (parser.isSet(stateFile) && !wheel.attachStateFile(parser.value(stateFile), &error))
        return fail(error);
    WheelControlServer server(&wheel);
    if (parser.isSet(control) && !server.listen(parser.value(control)))
        return fail(QStringLiteral("--wheel-control: %1").arg(server.errorString()));
    UhidWheel uhid(&wheel);
    if (!uhid.start(&error))
        return fail(error);
    // A script drives the wheel through a pipe without starting a client for each command.
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    input.setEnabled(parser.isSet(stdinControl));
    QByteArray pending;
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char chunk[4096];
        const ssize_t count = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (count <= 0) {
            input.setEnabled(false); // the script closed its end; the socket still works
            return;
        }
        pending.append(chunk, qsizetype(count));
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(pending.left(end));
            pending.remove(0, end + 1);
            QTextStream(stdout) << server.execute(line) << '\n' << Qt::flush;
        }
    });
    return QCoreApplication::exec();
}
