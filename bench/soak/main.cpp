// The window under a steady stream of input reports for a long time: resident memory and CPU
// share each minute, and whether memory kept growing after the first minute.
//
//   bench_soak [--minutes N] [--rate R] [--model TEXT]   (defaults: 10 minutes, 1000 reports a second, R-VELO)
//
// A feeder thread plays the wheel: it queues R changing reports a second (both paddles sweep,
// one input after another is held and released), and the real reader thread and window take
// them, on the offscreen platform unless QT_QPA_PLATFORM says otherwise. Exit code 1 when the
// resident memory grew by more than 1 MiB after the first minute.
#include "app/mainwindow.h"
#include "device/devicehandle.h"
#include "support/privatedesktop.h"
#include "virtualwheel/virtualwheel.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QLoggingCategory>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

namespace {

constexpr long kGrowthLimitKiB = 1024;
constexpr int kQueueHighWater = 3000; // the wheel keeps at most 4096 pending reports

// Resident memory in KiB; -1 where the platform does not say.
long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

QByteArray report(long n)
{
    QByteArray bytes(16, '\0');
    const int right = int((n * 3) % 4096);
    const int left = 4095 - int((n * 5) % 4096);
    bytes[0] = char(right & 0xFF);
    bytes[1] = char(right >> 8);
    bytes[2] = char(left & 0xFF);
    bytes[3] = char(left >> 8);
    // One of the 64 inputs held for 50 reports, then the next.
    const int input = int((n / 50) % 64);
    bytes[4 + input / 8] = char(1 << (input % 8));
    return bytes;
}

} // namespace

int main(int argc, char* argv[])
{
    const PrivateDesktop desktop;
    QApplication app(argc, argv);
    // A line per lit indicator, a thousand times a second, would measure the log, not the window.
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"minutes", "How long to run.", "N", "10"});
    parser.addOption({"rate", "Reports a second.", "R", "1000"});
    parser.addOption({"model", "Model text of the virtual wheel.", "TEXT", "R-VELO"});
    parser.process(app);
    const int minutes = qMax(1, parser.value("minutes").toInt());
    const int rate = qBound(1, parser.value("rate").toInt(), 100000);

    VirtualWheel wheel(parser.value("model"), 0x2007);
    deviceHandle.setBackend(&wheel);
    auto window = std::make_unique<MainWindow>();
    window->show();

    std::atomic<bool> stop{false};
    std::atomic<long> queued{0};
    std::atomic<long> dropped{0};
    std::thread feeder([&] {
        using Clock = std::chrono::steady_clock;
        const auto start = Clock::now();
        long n = 0;
        while (!stop) {
            const long due = long(std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count()
                                  * rate / 1000000);
            for (; n < due; ++n) {
                if (!wheel.isOpen() || wheel.pendingInputCount() > kQueueHighWater) {
                    ++dropped;
                    continue;
                }
                wheel.queueInput(report(n));
                ++queued;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });

    std::printf("soak: %d minutes, %d reports a second, model %s\n", minutes, rate, qPrintable(parser.value("model")));
    std::printf("%6s %10s %10s %8s %12s %10s\n", "minute", "rss_kib", "delta_kib", "cpu_%", "reports", "dropped");
    std::fflush(stdout);

    long firstMinuteRss = -1;
    long maxGrowth = 0;
    int minute = 0;
    std::clock_t lastCpu = std::clock();
    auto lastWall = std::chrono::steady_clock::now();
    long lastRss = residentKiB();
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        ++minute;
        const long rss = residentKiB();
        const std::clock_t cpu = std::clock();
        const auto wall = std::chrono::steady_clock::now();
        const double wallSeconds = std::chrono::duration<double>(wall - lastWall).count();
        // CPU of the whole process (window, reader and feeder), as a share of one core.
        const double cpuShare = 100.0 * double(cpu - lastCpu) / CLOCKS_PER_SEC / wallSeconds;
        std::printf("%6d %10ld %10ld %8.1f %12ld %10ld\n", minute, rss, rss - lastRss, cpuShare, queued.load(),
                    dropped.load());
        std::fflush(stdout);
        if (minute == 1)
            firstMinuteRss = rss;
        else if (firstMinuteRss >= 0)
            maxGrowth = std::max(maxGrowth, rss - firstMinuteRss);
        lastRss = rss;
        lastCpu = cpu;
        lastWall = wall;
        if (minute >= minutes)
            app.quit();
    });
    tick.start(60 * 1000);
    app.exec();

    stop = true;
    feeder.join();
    QMetaObject::invokeMethod(window.get(), "onClose");
    window.reset();
    deviceHandle.close();
    deviceHandle.setBackend(nullptr);

    const bool grew = maxGrowth > kGrowthLimitKiB;
    if (minutes > 1)
        std::printf("resident memory after the first minute grew by at most %ld KiB (limit %ld KiB): %s\n", maxGrowth,
                    kGrowthLimitKiB, grew ? "EXCEEDED" : "ok");
    else
        std::printf("one minute only: no growth after the first minute to judge\n");
    return grew ? 1 : 0;
}
