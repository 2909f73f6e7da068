// The window's input-report slot on the offscreen platform: reports of any length and bytes,
// with the encoder unbound, binding or bound, the extra shifters on or off, and the clutch
// calibrations running or not.
//
// Input: one byte of flags, then records of [length] [length bytes], each one report.
#include "device/devicehandle.h"
#include "fuzzcheck.h"
#include "support/mainwindowprobe.h"
#include "virtualwheel/virtualwheel.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <cstdlib>

namespace {
struct Fixture
{
    QApplication* app = nullptr;
    VirtualWheel* wheel = nullptr;
    MainWindow* window = nullptr;
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void setQuietly(QAbstractButton* button, bool checked)
{
    const bool blocked = button->blockSignals(true);
    button->setChecked(checked);
    button->blockSignals(blocked);
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Never the user's display or settings.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    // A binding is stored (and synced to disk) as it is made: in memory where possible, or the
    // disk's flushes set the pace.
    static QTemporaryDir config(QDir(QStringLiteral("/dev/shm")).exists()
                                    ? QStringLiteral("/dev/shm/tarvoset-fuzz-XXXXXX")
                                    : QDir::temp().filePath(QStringLiteral("tarvoset-fuzz-XXXXXX")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));

    Fixture& f = fixture();
    f.app = new QApplication(*argc, *argv);
    f.wheel = new VirtualWheel(QStringLiteral("R-VELO"), 0x2007);
    deviceHandle.setBackend(f.wheel);
    f.window = new MainWindow;
    QElapsedTimer clock;
    clock.start();
    while (MainWindowProbe::modelName(*f.window).isEmpty() && clock.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    FUZZ_CHECK(!MainWindowProbe::modelName(*f.window).isEmpty());
    // The input thread must end before the handle and the wheel go at exit.
    std::atexit([] {
        Fixture& f = fixture();
        QMetaObject::invokeMethod(f.window, "onClose");
        delete f.window;
        deviceHandle.close();
        deviceHandle.setBackend(nullptr);
        delete f.wheel;
        delete f.app;
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MainWindow& w = *fixture().window;
    auto* ui = MainWindowProbe::ui(w);
    const std::uint8_t flags = size > 0 ? data[0] : 0;
    MainWindowProbe::setEncoderBindState(w, flags % 3);
    setQuietly(ui->cbShifter, flags & 0x04);
    setQuietly(ui->pbCalL, flags & 0x08);
    setQuietly(ui->pbCalR, flags & 0x10);

    std::size_t at = 1;
    while (at < size) {
        const std::size_t length = std::min<std::size_t>(data[at] % 33, size - at - 1);
        const QByteArray report(reinterpret_cast<const char*>(data + at + 1), qsizetype(length));
        at += 1 + length;
        QMetaObject::invokeMethod(&w, "onJoystickEvent", Q_ARG(QByteArray, report));

        FUZZ_CHECK(ui->hsBite->value() >= ui->hsBite->minimum() && ui->hsBite->value() <= ui->hsBite->maximum());
        FUZZ_CHECK(MainWindowProbe::calLeftMin(w) <= MainWindowProbe::calLeftMax(w));
        FUZZ_CHECK(MainWindowProbe::calRightMin(w) <= MainWindowProbe::calRightMax(w));
        for (int input : MainWindowProbe::releasedInputs(w))
            FUZZ_CHECK(input >= 0 && input < 64);
    }
    // Calibration bounds grow only while a calibration runs; start each input afresh.
    MainWindowProbe::calLeftMin(w) = MainWindowProbe::calRightMin(w) = 0;
    MainWindowProbe::calLeftMax(w) = MainWindowProbe::calRightMax(w) = 4096;
    return 0;
}
