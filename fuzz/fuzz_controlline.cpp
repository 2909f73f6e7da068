// The control socket's command lines: any bytes, split into lines as the socket does.
#include "fuzzcheck.h"
#include "virtualwheel/virtualwheel.h"
#include "virtualwheel/wheelcontrolserver.h"

#include <QByteArray>
#include <QList>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    VirtualWheel wheel(QStringLiteral("R-VELO"), 0x2007);
    WheelControlServer server(&wheel);
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    for (QByteArray line : input.split('\n')) {
        if (line.size() > WheelControlServer::kMaxLineBytes)
            continue; // the socket refuses such a line before parsing it
        if (line.endsWith('\r'))
            line.chop(1);
        const QString answer = server.execute(QString::fromUtf8(line));
        // One line back: ok, an error, or the state as JSON.
        FUZZ_CHECK(!answer.contains(QLatin1Char('\n')));
        FUZZ_CHECK(answer == QLatin1String("ok") || answer.startsWith(QLatin1String("error: "))
                   || answer.startsWith(QLatin1Char('{')));
    }
    return 0;
}
