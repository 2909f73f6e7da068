#include "app/appoptions.h"

#include "protocol/wheelprotocol.h"

#ifdef TARVO_OPTIONAL_SET
#include "bluetooth/releases.h"
#endif

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>
#include <QUrl>
#include <algorithm>
#include <cstdio>

namespace {
AppOptionsResult usageError(const QCommandLineParser& parser, const QString& message)
{
    QTextStream err(stderr);
    err << QCoreApplication::applicationName() << ": " << message << "\n\n" << parser.helpText();
    err.flush();
    AppOptionsResult result;
    result.run = false;
    result.exitCode = 2;
    return result;
}
} // namespace

AppOptionsResult parseAppOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Configures Tarvo sim-racing steering wheels over USB HID."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption virtualWheel(QStringLiteral("virtual-wheel"),
                                          QStringLiteral("Use a simulated wheel reporting MODEL instead of hidapi."),
                                          QStringLiteral("MODEL"));
    const QCommandLineOption virtualWheelPid(QStringLiteral("virtual-wheel-pid"),
                                             QStringLiteral("Product id of the virtual wheel, 2007 to 200d."),
                                             QStringLiteral("HEX"));
    const QCommandLineOption virtualWheelState(QStringLiteral("virtual-wheel-state"),
                                               QStringLiteral("Keep the virtual wheel's flash in FILE (JSON)."),
                                               QStringLiteral("FILE"));
    const QCommandLineOption wheelControl(QStringLiteral("wheel-control"),
                                          QStringLiteral("Listen for virtual-wheel commands on local socket NAME."),
                                          QStringLiteral("NAME"));
    const QCommandLineOption demo(
        QStringLiteral("demo"), QStringLiteral("A virtual R-VELO wheel whose paddles and buttons move by themselves."));
    const QCommandLineOption hidTrace(QStringLiteral("hid-trace"),
                                      QStringLiteral("Append one line per HID exchange to FILE."),
                                      QStringLiteral("FILE"));
    const QCommandLineOption updateServer(QStringLiteral("update-server"),
                                          QStringLiteral("Base address of the update server (https, ending in /)."),
                                          QStringLiteral("URL"));
    const QCommandLineOption caCertificates(
        QStringLiteral("ca-certificates"), QStringLiteral("Extra certificate authorities (PEM) for the update server."),
        QStringLiteral("FILE"));
    parser.addOptions(
        {virtualWheel, virtualWheelPid, virtualWheelState, wheelControl, demo, hidTrace, updateServer, caCertificates});
#ifdef TARVO_OPTIONAL_SET
    const QCommandLineOption release(
        QStringLiteral("release"),
        QStringLiteral("Behave as release NAME: %1.").arg(QString::fromStdString(tarvo::releaseNames())),
        QStringLiteral("NAME"), QStringLiteral("1.20"));
    parser.addOption(release);
#endif

    if (!parser.parse(arguments))
        return usageError(parser, parser.errorText());
    if (parser.isSet(helpOption)) {
        QTextStream(stdout) << parser.helpText();
        AppOptionsResult result;
        result.run = false;
        return result;
    }
    if (parser.isSet(versionOption)) {
        QTextStream(stdout) << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion()
                            << '\n';
        AppOptionsResult result;
        result.run = false;
        return result;
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(parser,
                          QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first()));

    AppOptionsResult result;
    AppOptions& options = result.options;
    options.demo = parser.isSet(demo);
    if (parser.isSet(virtualWheel)) {
        options.virtualWheel = true;
        options.virtualWheelModel = parser.value(virtualWheel);
        if (options.virtualWheelModel.toUtf8().size() > 19)
            return usageError(parser, QStringLiteral("The model text of --virtual-wheel is longer than 19 bytes."));
    } else if (options.demo) {
        options.virtualWheel = true;
        options.virtualWheelModel = QStringLiteral("R-VELO");
    }
    if (parser.isSet(virtualWheelPid)) {
        bool ok = false;
        const uint pid = parser.value(virtualWheelPid).toUInt(&ok, 16);
        const auto& ids = tarvo::kProductIds;
        if (!ok || std::find(ids.begin(), ids.end(), pid) == ids.end())
            return usageError(parser, QStringLiteral("--virtual-wheel-pid takes one of 2007 to 200d."));
        options.virtualWheelPid = static_cast<std::uint16_t>(pid);
    }
    options.virtualWheelState = parser.value(virtualWheelState);
    options.wheelControl = parser.value(wheelControl);
    options.hidTrace = parser.value(hidTrace);
    if ((!options.virtualWheelState.isEmpty() || !options.wheelControl.isEmpty()) && !options.virtualWheel)
        return usageError(parser, QStringLiteral("--virtual-wheel-state and --wheel-control need --virtual-wheel."));
    if (parser.isSet(updateServer)) {
        const QString url = parser.value(updateServer);
        const QUrl parsed(url, QUrl::StrictMode);
        if (!parsed.isValid() || parsed.scheme() != QLatin1String("https") || !url.endsWith(QLatin1Char('/')))
            return usageError(parser, QStringLiteral("--update-server takes an https address ending in /."));
        options.updateServer = url;
    }
#ifdef TARVO_OPTIONAL_SET
    options.release = parser.value(release);
    if (!tarvo::releaseByName(options.release.toStdString()))
        return usageError(
            parser, QStringLiteral("--release takes one of %1.").arg(QString::fromStdString(tarvo::releaseNames())));
#endif
    options.caCertificates = parser.value(caCertificates);
    if (!options.caCertificates.isEmpty() && !QFileInfo(options.caCertificates).isReadable())
        return usageError(parser,
                          QStringLiteral("Cannot read the --ca-certificates file '%1'.").arg(options.caCertificates));
    return result;
}
