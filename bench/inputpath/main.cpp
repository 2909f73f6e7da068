// How fast the window takes input reports, and how late they show, with the virtual wheel
// feeding the real window through the real reader thread on the offscreen platform.
//
//   bench_inputpath [model] [seconds at 1 kHz] [small burst] [large burst]
//   (defaults: ORBIX, 5, 1000, 10000)
//
// Every report alternates between all inputs on and all off, so the indicators toggle each
// time. Report bytes 12-13 (unused by the display) carry a sequence number; a thin wrapper
// around the wheel's device notes when the reader took each one.
#include "app/mainwindow.h"
#include "device/devicehandle.h"
#include "support/mainwindowprobe.h"
#include "virtualwheel/virtualwheel.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kMaxSequence = 65536;
constexpr int kQueueHighWater = 3000; // the wheel drops reports beyond 4096 pending

std::int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

int sequenceOf(const std::uint8_t* afterId)
{
    return afterId[12] | afterId[13] << 8;
}

QByteArray benchReport(int sequence)
{
    QByteArray report(16, sequence % 2 ? '\0' : char(0xFF));
    report[0] = char(sequence & 0xFF); // the clutch bars move too
    report[1] = char((sequence >> 8) & 0x0F);
    report[2] = report[0];
    report[3] = report[1];
    report[12] = char(sequence & 0xFF);
    report[13] = char((sequence >> 8) & 0xFF);
    report[14] = report[15] = 0;
    return report;
}

// Times when each report was queued, taken by the reader, and handled by the window.
struct Timeline
{
    std::vector<std::int64_t> queued = std::vector<std::int64_t>(kMaxSequence, 0);
    std::vector<std::int64_t> read = std::vector<std::int64_t>(kMaxSequence, 0);
    std::vector<std::int64_t> shown = std::vector<std::int64_t>(kMaxSequence, 0);
};

class TimedDevice : public HidDevice
{
public:
    TimedDevice(std::unique_ptr<HidDevice> inner, Timeline& timeline)
        : m_inner(std::move(inner))
        , m_timeline(timeline)
    {
    }
    int setNonBlocking(bool on) override { return m_inner->setNonBlocking(on); }
    int read(std::uint8_t* data, std::size_t length) override
    {
        const int result = m_inner->read(data, length);
        if (result >= 15)
            m_timeline.read[std::size_t(sequenceOf(data + 1))] = nowNs();
        return result;
    }
    int write(const std::uint8_t* data, std::size_t length) override { return m_inner->write(data, length); }
    int sendFeatureReport(const std::uint8_t* data, std::size_t length) override
    {
        return m_inner->sendFeatureReport(data, length);
    }
    int getFeatureReport(std::uint8_t* data, std::size_t length) override
    {
        return m_inner->getFeatureReport(data, length);
    }

private:
    std::unique_ptr<HidDevice> m_inner;
    Timeline& m_timeline;
};

class TimedBackend : public HidBackend
{
public:
    TimedBackend(VirtualWheel& wheel, Timeline& timeline)
        : m_wheel(wheel)
        , m_timeline(timeline)
    {
    }
    int init() override { return m_wheel.init(); }
    std::unique_ptr<HidDevice> open(std::uint16_t vendorId, std::uint16_t productId) override
    {
        std::unique_ptr<HidDevice> inner = m_wheel.open(vendorId, productId);
        if (!inner)
            return nullptr;
        return std::make_unique<TimedDevice>(std::move(inner), m_timeline);
    }

private:
    VirtualWheel& m_wheel;
    Timeline& m_timeline;
};

struct Stats
{
    double median = 0, p99 = 0, max = 0; // microseconds
};

Stats statsOf(std::vector<std::int64_t> ns)
{
    Stats s;
    if (ns.empty())
        return s;
    std::sort(ns.begin(), ns.end());
    auto at = [&](double q) {
        return double(ns[std::min(ns.size() - 1, std::size_t(q * double(ns.size())))]) / 1000.0;
    };
    s.median = at(0.5);
    s.p99 = at(0.99);
    s.max = double(ns.back()) / 1000.0;
    return s;
}

// Runs the event loop until done() or the timeout; true when done.
template <typename Done>
bool runUntil(Done done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never the user's own preferences.
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());

    QApplication app(argc, argv);
    const QString model = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("ORBIX");
    const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const int smallBurst = argc > 3 ? std::clamp(std::atoi(argv[3]), 1, kMaxSequence) : 1000;
    const int largeBurst = argc > 4 ? std::clamp(std::atoi(argv[4]), 1, kMaxSequence) : 10000;

    Timeline timeline;
    VirtualWheel wheel(model, 0x2007);
    TimedBackend backend(wheel, timeline);
    deviceHandle.setBackend(&backend);

    MainWindow window;
    window.show();
    if (!runUntil(
            [&] {
                return MainWindowProbe::modelName(window) == model && MainWindowProbe::eventThread(window).isRunning();
            },
            5000)) {
        std::fprintf(stderr, "the window did not connect to the virtual wheel\n");
        return 1;
    }
    Ui::MainWindow* ui = MainWindowProbe::ui(window);
    {
        const QSignalBlocker blocker(ui->cbShifter);
        ui->cbShifter->setChecked(true); // inputs 48 and 49 count too
    }
    runUntil([] { return false; }, 200); // let the connection's posted work settle

    std::atomic<int> shownCount{0};
    // Queued after the window's own connection, so it runs right after the window's slot.
    QObject::connect(
        &MainWindowProbe::eventThread(window), &TarvoEvent::eventTrigger, &window,
        [&](const QByteArray& report) {
            timeline.shown[std::size_t(sequenceOf(reinterpret_cast<const std::uint8_t*>(report.constData())))] =
                nowNs();
            shownCount.fetch_add(1, std::memory_order_relaxed);
        },
        Qt::QueuedConnection);

    int lit = 0;
    for (const QObject* child : ui->page1->children())
        lit += child->objectName().startsWith(QLatin1String("pbI"))
            || child->objectName().startsWith(QLatin1String("pbJ"))
            || child->objectName().startsWith(QLatin1String("pbSW"));
    std::printf("model %s, %d indicator widgets on the page, window shown offscreen\n", qPrintable(model), lit);

    // (a) The display slot alone, called back to back (painting excluded).
    {
        constexpr int kCalls = 20000;
        QElapsedTimer timer;
        timer.start();
        const std::clock_t cpuStart = std::clock();
        for (int i = 0; i < kCalls; ++i)
            QMetaObject::invokeMethod(&window, "onJoystickEvent", Qt::DirectConnection,
                                      Q_ARG(QByteArray, benchReport(i)));
        const double s = double(timer.nsecsElapsed()) / 1e9;
        const double cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        std::printf("display slot alone:        %9.0f reports/s wall, %9.0f per CPU second (%.1f us CPU each)\n",
                    kCalls / s, kCalls / cpu, cpu * 1e6 / kCalls);
        runUntil([] { return false; }, 100);

        // The same report again and again: no indicator changes, the bookkeeping alone.
        const QByteArray held = benchReport(0);
        const std::clock_t heldStart = std::clock();
        for (int i = 0; i < kCalls; ++i)
            QMetaObject::invokeMethod(&window, "onJoystickEvent", Qt::DirectConnection, Q_ARG(QByteArray, held));
        const double heldCpu = double(std::clock() - heldStart) / CLOCKS_PER_SEC;
        std::printf("display slot, nothing changes: %9.0f per CPU second (%.1f us CPU each)\n", kCalls / heldCpu,
                    heldCpu * 1e6 / kCalls);
        runUntil([] { return false; }, 100);
    }

    // (b) Bursts: the wheel's queue is kept full, so the reader hands reports on as fast as it
    // reads them and the window's event queue grows as deep as the burst makes it.
    auto flatOut = [&](const char* label, int count, int inFlight) {
        std::fill(timeline.shown.begin(), timeline.shown.end(), 0);
        shownCount = 0;
        std::atomic<int> maxBehind{0};
        QElapsedTimer timer;
        timer.start();
        const std::clock_t cpuStart = std::clock();
        std::thread feeder([&] {
            for (int sequence = 0; sequence < count;) {
                const int behind = sequence - shownCount.load();
                maxBehind = std::max(maxBehind.load(), behind);
                if (behind >= inFlight || wheel.pendingInputCount() > kQueueHighWater) {
                    std::this_thread::sleep_for(std::chrono::microseconds(50));
                    continue;
                }
                const int batch = std::min({inFlight - behind, count - sequence, 500});
                for (int k = 0; k < batch; ++k, ++sequence)
                    wheel.queueInput(benchReport(sequence));
            }
        });
        const bool done = runUntil([&] { return shownCount.load() >= count; }, 300000);
        const double s = double(timer.nsecsElapsed()) / 1e9;
        const double cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        feeder.join();
        std::printf("%s %9.0f reports/s wall (%d shown in %.2f s, %.0f%% of a core busy; at most %d behind)%s\n", label,
                    shownCount.load() / s, shownCount.load(), s, 100.0 * cpu / s, maxBehind.load(),
                    done ? "" : ", TIMED OUT");
        runUntil([] { return false; }, 200);
    };
    for (int burst : {smallBurst, largeBurst}) {
        char label[64];
        std::snprintf(label, sizeof label, "burst of %5d reports:   ", burst);
        flatOut(label, burst, kMaxSequence);
    }

    // (c) 1000 reports per second, each timed from queue to reader to window.
    {
        const int reports = std::min(kMaxSequence, seconds * 1000);
        std::fill(timeline.read.begin(), timeline.read.end(), 0);
        std::fill(timeline.shown.begin(), timeline.shown.end(), 0);
        shownCount = 0;
        std::atomic<int> maxPending{0};
        std::atomic<int> maxLag{0}; // queued but not yet handled by the window
        std::atomic<int> lagAtEnd{0};
        const auto start = Clock::now();
        std::thread feeder([&] {
            for (int sequence = 0; sequence < reports; ++sequence) {
                std::this_thread::sleep_until(start + std::chrono::milliseconds(sequence));
                maxPending = std::max(maxPending.load(), wheel.pendingInputCount());
                maxLag = std::max(maxLag.load(), sequence - shownCount.load());
                timeline.queued[std::size_t(sequence)] = nowNs();
                wheel.queueInput(benchReport(sequence));
            }
            lagAtEnd = reports - shownCount.load();
        });
        const bool done = runUntil([&] { return shownCount.load() >= reports; }, seconds * 1000 + 10000);
        feeder.join();
        const double s = std::chrono::duration<double>(Clock::now() - start).count();

        std::vector<std::int64_t> readToShown, queuedToShown, queuedToRead;
        for (int i = 0; i < reports; ++i) {
            const std::size_t k = std::size_t(i);
            if (timeline.shown[k] == 0 || timeline.read[k] == 0)
                continue;
            readToShown.push_back(timeline.shown[k] - timeline.read[k]);
            queuedToShown.push_back(timeline.shown[k] - timeline.queued[k]);
            queuedToRead.push_back(timeline.read[k] - timeline.queued[k]);
        }
        const Stats a = statsOf(readToShown), b = statsOf(queuedToShown), c = statsOf(queuedToRead);
        std::printf("at 1 kHz for %d s:          %d of %d shown (%.0f reports/s offered)%s\n", seconds,
                    shownCount.load(), reports, reports / s, done ? "" : ", TIMED OUT");
        std::printf("  read -> window updated:  median %7.1f us, p99 %7.1f us, max %8.1f us\n", a.median, a.p99, a.max);
        std::printf("  queued -> read:          median %7.1f us, p99 %7.1f us, max %8.1f us\n", c.median, c.p99, c.max);
        std::printf("  queued -> window:        median %7.1f us, p99 %7.1f us, max %8.1f us\n", b.median, b.p99, b.max);
        std::printf("  backlog: wheel queue max %d pending; window behind by at most %d, by %d at the end -> %s\n",
                    maxPending.load(), maxLag.load(), lagAtEnd.load(),
                    maxPending.load() <= 20 && lagAtEnd.load() <= 20 ? "no backlog" : "BACKLOG");
    }

    MainWindowProbe::eventThread(window).requestInterruption();
    MainWindowProbe::eventThread(window).wait();
    deviceHandle.close();
    return 0;
}
