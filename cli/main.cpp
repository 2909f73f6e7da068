#include "cli/ctloptions.h"
#include "cli/ctloutput.h"
#include "cli/tarvoctl.h"
#include "device/logging.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    tarvo::quietDebugByDefault();
    QCoreApplication::setApplicationName(QStringLiteral("tarvoctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral("v" TARVO_VERSION));

    const CtlParseResult parsed = parseCtlOptions(QCoreApplication::arguments());
    const CtlOutput output(parsed.options.json);
    switch (parsed.action) {
    case CtlParseResult::Action::Version:
        output.line(QStringLiteral("tarvoctl ") + QCoreApplication::applicationVersion());
        return 0;
    case CtlParseResult::Action::Help:
        std::fputs(parsed.helpText.toUtf8().constData(), stdout);
        return 0;
    case CtlParseResult::Action::UsageError:
        if (!parsed.options.json)
            output.progress(parsed.helpText, false);
        return output.fail(Tarvoctl::BadInput, parsed.error);
    case CtlParseResult::Action::Run:
        break;
    }
    Tarvoctl tool(parsed.options);
    return tool.run();
}
