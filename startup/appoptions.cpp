#include "startup/appoptions.h"

#include "protocol/wheelprotocol.h"

#ifdef TARVO_OPTIONAL_SET
#include "optional/releases/releases.h"
#endif

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QSslCertificate>
#include <QTextStream>
#include <QUrl>
#include <algorithm>
#include <cstdio>

namespace {
// The command line is read before QApplication takes its own options out of it, so those
// must be known here too, or "-platform offscreen" would be an unknown option.
struct QtGuiOption
{
    const char* name;
    bool takesValue;
};
constexpr QtGuiOption kQtGuiOptions[] = {
    {"platform", true},      {"platformpluginpath", true},
    {"platformtheme", true}, {"plugin", true},
    {"qmljsdebugger", true}, {"qwindowgeometry", true},
    {"geometry", true},      {"qwindowicon", true},
    {"icon", true},          {"qwindowtitle", true},
    {"title", true},         {"display", true},
    {"name", true},          {"session", true},
    {"style", true},         {"stylesheet", true},
    {"reverse", false},      {"widgetcount", false},
};

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

AppOptionSet::AppOptionSet()
    : m_virtualWheel(QStringLiteral("virtual-wheel"),
                     QStringLiteral("Use a simulated wheel reporting MODEL instead of hidapi."),
                     QStringLiteral("MODEL"))
    , m_virtualWheelPid(QStringLiteral("virtual-wheel-pid"),
                        QStringLiteral("Product id of the virtual wheel, 2007 to 200d."), QStringLiteral("HEX"))
    , m_virtualWheelState(QStringLiteral("virtual-wheel-state"),
                          QStringLiteral("Keep the virtual wheel's flash in FILE (JSON)."), QStringLiteral("FILE"))
    , m_wheelControl(QStringLiteral("wheel-control"),
                     QStringLiteral("Listen for virtual-wheel commands on local socket NAME."), QStringLiteral("NAME"))
    , m_demo(QStringLiteral("demo"),
             QStringLiteral("A virtual R-VELO wheel whose paddles and buttons move by themselves."))
    , m_hidTrace(QStringLiteral("hid-trace"), QStringLiteral("Append one line per HID exchange to FILE."),
                 QStringLiteral("FILE"))
    , m_updateServer(QStringLiteral("update-server"),
                     QStringLiteral("Base address of the update server (https, ending in /)."), QStringLiteral("URL"))
    , m_caCertificates(QStringLiteral("ca-certificates"),
                       QStringLiteral("Extra certificate authorities (PEM) for the update server."),
                       QStringLiteral("FILE"))
{
}

void AppOptionSet::addTo(QCommandLineParser& parser) const
{
    parser.addOptions({m_virtualWheel, m_virtualWheelPid, m_virtualWheelState, m_wheelControl, m_demo, m_hidTrace,
                       m_updateServer, m_caCertificates});
}

bool AppOptionSet::read(const QCommandLineParser& parser, AppOptions* options, QString* error) const
{
    const auto refuse = [error](const QString& message) {
        *error = message;
        return false;
    };
    options->demo = parser.isSet(m_demo);
    if (parser.isSet(m_virtualWheel)) {
        options->virtualWheel = true;
        options->virtualWheelModel = parser.value(m_virtualWheel);
        if (options->virtualWheelModel.toUtf8().size() > 19)
            return refuse(QStringLiteral("The model text of --virtual-wheel is longer than 19 bytes."));
    } else if (options->demo) {
        options->virtualWheel = true;
        options->virtualWheelModel = QStringLiteral("R-VELO");
    }
    if (parser.isSet(m_virtualWheelPid)) {
        bool ok = false;
        const uint pid = parser.value(m_virtualWheelPid).toUInt(&ok, 16);
        const auto& ids = tarvo::kProductIds;
        if (!ok || std::find(ids.begin(), ids.end(), pid) == ids.end())
            return refuse(QStringLiteral("--virtual-wheel-pid takes one of 2007 to 200d."));
        options->virtualWheelPid = static_cast<std::uint16_t>(pid);
    }
    options->virtualWheelState = parser.value(m_virtualWheelState);
    options->wheelControl = parser.value(m_wheelControl);
    options->hidTrace = parser.value(m_hidTrace);
    if ((!options->virtualWheelState.isEmpty() || !options->wheelControl.isEmpty() || parser.isSet(m_virtualWheelPid))
        && !options->virtualWheel)
        return refuse(
            QStringLiteral("--virtual-wheel-pid, --virtual-wheel-state and --wheel-control need --virtual-wheel."));
    if (parser.isSet(m_updateServer)) {
        const QString url = parser.value(m_updateServer);
        const QUrl parsed(url, QUrl::StrictMode);
        if (!parsed.isValid() || parsed.scheme() != QLatin1String("https") || !url.endsWith(QLatin1Char('/')))
            return refuse(QStringLiteral("--update-server takes an https address ending in /."));
        options->updateServer = url;
    }
    options->caCertificates = parser.value(m_caCertificates);
    if (!options->caCertificates.isEmpty() && !QFileInfo(options->caCertificates).isReadable())
        return refuse(QStringLiteral("Cannot read the --ca-certificates file '%1'.").arg(options->caCertificates));
    if (!options->caCertificates.isEmpty()
        && QSslCertificate::fromPath(options->caCertificates, QSsl::Pem, QSslCertificate::PatternSyntax::FixedString)
               .isEmpty())
        return refuse(
            QStringLiteral("The --ca-certificates file '%1' holds no PEM certificate.").arg(options->caCertificates));
    return true;
}

AppOptionsResult parseAppOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Configures Tarvo sim-racing steering wheels over USB HID."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const AppOptionSet shared;
    shared.addTo(parser);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions); // as Qt reads "-platform"
    for (const QtGuiOption& qtOption : kQtGuiOptions) {
        QCommandLineOption option(QString::fromLatin1(qtOption.name));
        if (qtOption.takesValue)
            option.setValueName(QStringLiteral("VALUE"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
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
    QString error;
    if (!shared.read(parser, &result.options, &error))
        return usageError(parser, error);
#ifdef TARVO_OPTIONAL_SET
    result.options.release = parser.value(release);
    if (!tarvo::releaseByName(result.options.release.toStdString()))
        return usageError(
            parser, QStringLiteral("--release takes one of %1.").arg(QString::fromStdString(tarvo::releaseNames())));
#endif
    return result;
}
