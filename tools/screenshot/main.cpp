// The window on its INPUTS page, connected to a virtual wheel with a few inputs held and the
// clutch paddles half pulled, grabbed to a PNG on the offscreen platform.
//
//   tarvoset_screenshot --out packaging/linux/screenshots/inputs.png [--model R-VELO]
#include "app/mainwindow.h"
#include "device/devicehandle.h"
#include "support/mainwindowprobe.h"
#include "support/privatedesktop.h"
#include "virtualwheel/virtualwheel.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <cstdio>
#include <memory>

namespace {

constexpr quint16 kRightPaddle = 2900;
constexpr quint16 kLeftPaddle = 1300;
constexpr int kHeldInputs[] = {0, 6, 20, 32}; // counted from 0, as the report carries them
constexpr int kTimeoutMs = 10000;

QByteArray heldReport()
{
    QByteArray report(16, '\0');
    report[0] = char(kRightPaddle & 0xFF);
    report[1] = char(kRightPaddle >> 8);
    report[2] = char(kLeftPaddle & 0xFF);
    report[3] = char(kLeftPaddle >> 8);
    for (const int input : kHeldInputs)
        report[4 + input / 8] = char(report[4 + input / 8] | (1 << (input % 8)));
    return report;
}

template <typename Done>
bool runUntil(Done done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > kTimeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

int fail(const char* message)
{
    std::fprintf(stderr, "tarvoset_screenshot: %s\n", message);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    // The picture shows a fresh installation.
    const PrivateDesktop desktop;

    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Grabs TarvoSet's INPUTS page to a PNG."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("out"), QStringLiteral("Path of the PNG."), QStringLiteral("file")});
    parser.addOption({QStringLiteral("model"), QStringLiteral("Model text of the virtual wheel."),
                      QStringLiteral("text"), QStringLiteral("R-VELO")});
    parser.process(app);
    if (!parser.isSet(QStringLiteral("out")))
        return fail("--out is required");
    const QString model = parser.value(QStringLiteral("model"));

    int result = 0;
    VirtualWheel wheel(model, 0x2007);
    deviceHandle.setBackend(&wheel);
    {
        auto window = std::make_unique<MainWindow>();
        window->setWindowFlags(Qt::FramelessWindowHint);
        window->show();
        Ui::MainWindow* ui = MainWindowProbe::ui(*window);
        const bool connected = runUntil([&] {
            return MainWindowProbe::modelName(*window) == model && MainWindowProbe::eventThread(*window).isRunning()
                && ui->stackedWidget->currentIndex() == 0;
        });
        if (!connected) {
            result = fail("the window did not connect to the virtual wheel");
        } else {
            wheel.queueInput(heldReport());
            if (!runUntil([&] { return ui->pgAdcR->value() == kRightPaddle && ui->pgAdcL->value() == kLeftPaddle; })) {
                result = fail("the window did not show the held inputs");
            } else {
                const QImage image = window->grab().toImage();
                if (!image.save(parser.value(QStringLiteral("out")), "PNG", 0))
                    result = fail("cannot write the PNG");
            }
        }
    }
    // The reader thread ends with the window; only then may the wheel go.
    deviceHandle.close();
    deviceHandle.setBackend(nullptr);
    return result;
}
