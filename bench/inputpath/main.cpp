// How fast the window takes input reports, what it costs, and how late they reach the screen,
// with the virtual wheel feeding the real window through the real reader thread on the
// offscreen platform.
//
//   bench_inputpath [seconds at 1 kHz] [stream model] [worst-case model]
//   (defaults: 5, R-VELO, ORBIX)
//
// Two streams as a wheel on a desk sends them: three buttons change in every report while the
// clutch paddles either move smoothly through their range or swing across it from one report
// to the next. The worst case toggles every input in every report. Report bytes 12-13 (unused
// by the display) carry a sequence number; a thin wrapper around the wheel's device notes when
// the reader took each one.
//
// CPU figures are processor time, not wall time: the machine may be busy with other work, and
// what the program costs is the processor time it takes per second of stream. The feeding
// thread's own time is left out where the platform can tell it apart.
#include "app/mainwindow.h"
#include "app/trayavailability.h"
#include "device/devicehandle.h"
#include "profiles/gamerules.h"
#include "profiles/gamewatcher.h"
#include "settings/inputindicators.h"
#include "support/mainwindowprobe.h"
#include "support/privatedesktop.h"
#include "virtualwheel/virtualwheel.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <thread>
#include <vector>
#ifdef Q_OS_UNIX
#include <time.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kMaxSequence = 65536;
constexpr int kQueueHighWater = 3000; // the wheel drops reports beyond 4096 pending
constexpr int kFullScale = 4095;

std::int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

double processCpuSeconds()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}

// The calling thread's processor time; negative where the platform cannot tell.
double threadCpuSeconds()
{
#ifdef Q_OS_UNIX
    timespec ts{};
    if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts) == 0)
        return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
#endif
    return -1.0;
}

int sequenceOf(const std::uint8_t* afterId)
{
    return afterId[12] | afterId[13] << 8;
}

void setSequence(QByteArray& report, int sequence)
{
    report[12] = char(sequence & 0xFF);
    report[13] = char((sequence >> 8) & 0xFF);
}

void setAxes(QByteArray& report, int right, int left)
{
    report[0] = char(right & 0xFF);
    report[1] = char(right >> 8);
    report[2] = char(left & 0xFF);
    report[3] = char(left >> 8);
}

// One kind of report sequence; report(n) is the n-th report of it.
struct Stream
{
    const char* name;
    std::function<QByteArray(int)> report;
};

// Three buttons pressed in odd reports and released in even ones; the paddles sweep through
// their range in about a second each way, or swing from end to end in every report.
Stream buttonStream(const char* name, bool swinging, QList<int> inputs)
{
    return {name, [swinging, inputs](int sequence) {
                QByteArray report(16, '\0');
                int right = 0;
                if (swinging) {
                    right = sequence % 2 ? kFullScale : 0;
                } else {
                    const int phase = sequence % 2048;
                    right = 4 * (phase < 1024 ? phase : 2047 - phase);
                }
                setAxes(report, right, kFullScale - right);
                if (sequence % 2) {
                    for (int input : inputs)
                        report[4 + input / 8] = char(quint8(report[4 + input / 8]) | (1 << (input % 8)));
                }
                setSequence(report, sequence);
                return report;
            }};
}

// Every input on, then every input off; the bars move too.
Stream toggleAllStream()
{
    return {"every input toggling", [](int sequence) {
                QByteArray report(16, sequence % 2 ? '\0' : char(0xFF));
                setAxes(report, sequence & 0xFFF, sequence & 0xFFF);
                setSequence(report, sequence);
                report[14] = report[15] = 0;
                return report;
            }};
}

// When the reader took each report.
struct Timeline
{
    std::vector<std::int64_t> read = std::vector<std::int64_t>(kMaxSequence, 0);
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

// Notes when the last paint of a widget inside one window began.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(QWidget* window)
        : m_window(window)
    {
    }
    std::int64_t lastPaint = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()
            && static_cast<QWidget*>(watched)->window() == m_window)
            lastPaint = nowNs();
        return false;
    }

private:
    QWidget* m_window;
};

struct Stats
{
    double median = 0, p90 = 0, max = 0;
};

Stats statsOf(std::vector<double> values)
{
    Stats s;
    if (values.empty())
        return s;
    std::sort(values.begin(), values.end());
    auto at = [&](double q) { return values[std::min(values.size() - 1, std::size_t(q * double(values.size())))]; };
    s.median = at(0.5);
    s.p90 = at(0.9);
    s.max = values.back();
    return s;
}

// Runs the event loop until done() or the timeout; true when done. The loop sleeps while
// nothing happens and looks at done() at least every tickMs, so that waiting costs next to
// nothing in the CPU figures.
template <typename Done>
bool runUntil(Done done, int timeoutMs, int tickMs = 5)
{
    QElapsedTimer timer;
    timer.start();
    QTimer tick;
    tick.start(tickMs);
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void settle(int ms)
{
    runUntil([] { return false; }, ms);
}

// Counts the queued calls that reach one object: the reports, for a window.
class CallCounter : public QObject
{
public:
    std::atomic<int> count{0};

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MetaCall)
            count.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
};

// A window connected to a virtual wheel of one model, with the reports it handled counted.
class Rig
{
public:
    explicit Rig(const QString& model)
        : wheel(model, 0x2007)
        , backend(wheel, timeline)
    {
        deviceHandle.setBackend(&backend);
        window = std::make_unique<MainWindow>();
        window->show();
    }

    ~Rig()
    {
        MainWindowProbe::eventThread(*window).requestInterruption();
        MainWindowProbe::eventThread(*window).wait();
        window.reset();
        deviceHandle.close();
        deviceHandle.setBackend(nullptr);
    }

    bool connect(const QString& model)
    {
        if (!runUntil(
                [&] {
                    return MainWindowProbe::modelName(*window) == model
                        && MainWindowProbe::eventThread(*window).isRunning();
                },
                5000))
            return false;
        ui = MainWindowProbe::ui(*window);
        {
            const QSignalBlocker blocker(ui->cbShifter);
            ui->cbShifter->setChecked(true); // inputs 48 and 49 count too
        }
        settle(300); // let the connection's posted work settle
        // Each report reaches the window as one queued call; counting them as they arrive
        // adds no event of its own to what is measured.
        window->installEventFilter(&counter);
        return true;
    }

    // The first few inputs whose indicators this model places.
    QList<int> placedInputs(int count)
    {
        QList<int> inputs;
        for (const InputIndicator& entry : inputIndicators) {
            if (entry.input < 48 && (ui->*entry.widget)->isEnabled() && inputs.size() < count)
                inputs.append(entry.input);
        }
        return inputs;
    }

    // The INPUTS page shows what this report says.
    bool screenShows(const QByteArray& report)
    {
        const int right = quint8(report[0]) | quint8(report[1]) << 8;
        const int left = quint8(report[2]) | quint8(report[3]) << 8;
        if (ui->pgAdcR->value() != right || ui->pgAdcL->value() != left)
            return false;
        for (const InputIndicator& entry : inputIndicators) {
            QPushButton* indicator = ui->*entry.widget;
            const bool active = (quint8(report[4 + entry.input / 8]) >> (entry.input % 8) & 1) != 0;
            if ((active && indicator->isEnabled()) == indicator->isHidden())
                return false;
        }
        return true;
    }

    void toTray()
    {
        // The offscreen platform has no tray, and the window would only be minimised, still painting.
        TrayAvailability::setForTesting(true);
        QMetaObject::invokeMethod(window.get(), "onMinimize", Qt::DirectConnection);
        runUntil([&] { return !window->isVisible(); }, 5000);
        settle(200);
    }

    void fromTray()
    {
        QMetaObject::invokeMethod(window.get(), "onShowNormal", Qt::DirectConnection);
        runUntil([&] { return window->isVisible(); }, 5000);
    }

    Timeline timeline;
    VirtualWheel wheel;
    TimedBackend backend;
    std::unique_ptr<MainWindow> window;
    Ui::MainWindow* ui = nullptr;
    CallCounter counter;
    std::atomic<int>& handled = counter.count;
};

// The display slot called back to back, without the event loop in between.
void slotAlone(Rig& rig, const Stream& stream)
{
    constexpr int kCalls = 20000;
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = processCpuSeconds();
    for (int i = 0; i < kCalls; ++i)
        QMetaObject::invokeMethod(rig.window.get(), "onJoystickEvent", Qt::DirectConnection,
                                  Q_ARG(QByteArray, stream.report(i)));
    const double s = double(timer.nsecsElapsed()) / 1e9;
    const double cpu = processCpuSeconds() - cpuStart;
    std::printf("  display slot alone:       %8.0f reports/s wall, %8.0f per CPU second (%.1f us CPU each)\n",
                kCalls / s, kCalls / cpu, cpu * 1e6 / kCalls);
    settle(200);
}

// Reports at 1 kHz for a while: the processor time the program takes per second of stream.
double cpuShare(Rig& rig, const Stream& stream, int seconds, const char* where)
{
    const int reports = std::min(kMaxSequence, seconds * 1000);
    rig.handled = 0;
    std::atomic<double> feederCpu{0};
    const double guiStart = threadCpuSeconds();
    const double cpuStart = processCpuSeconds();
    const auto start = Clock::now();
    std::thread feeder([&] {
        const double own = threadCpuSeconds();
        for (int sequence = 0; sequence < reports; ++sequence) {
            std::this_thread::sleep_until(start + std::chrono::microseconds(1000 * sequence));
            rig.wheel.queueInput(stream.report(sequence));
        }
        feederCpu = own < 0 ? 0.0 : threadCpuSeconds() - own;
    });
    const bool done = runUntil([&] { return rig.handled.load() >= reports; }, seconds * 1000 + 10000, 50);
    feeder.join();
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double process = processCpuSeconds() - cpuStart;
    const double gui = guiStart < 0 ? -1.0 : threadCpuSeconds() - guiStart;
    const double program = process - feederCpu.load();
    std::printf("  1 kHz, %-17s  %5.1f %% of a core (GUI thread %.1f %%, feeder's %.1f %% left out), "
                "%d of %d handled%s\n",
                where, 100.0 * program / wall, gui < 0 ? -1.0 : 100.0 * gui / wall, 100.0 * feederCpu.load() / wall,
                rig.handled.load(), reports, done ? "" : ", TIMED OUT");
    settle(200);
    return done ? 100.0 * program / wall : 100.0;
}

// Short bursts at 1 kHz, then quiet: how long after the reader took the last report of a burst
// the last paint it caused began, and whether the screen then showed that report.
double lastReportLatency(Rig& rig, const Stream& stream)
{
    constexpr int kBursts = 25;
    constexpr int kBurstLength = 37; // odd bursts and odd phases: the last report differs from the one before
    PaintWatch watch(rig.window.get());
    qApp->installEventFilter(&watch);
    std::vector<double> latencies;
    int stale = 0;
    int sequence = 1;
    for (int burst = 0; burst < kBursts; ++burst) {
        rig.handled = 0;
        const int first = sequence;
        const auto start = Clock::now();
        std::thread feeder([&] {
            for (int k = 0; k < kBurstLength; ++k) {
                std::this_thread::sleep_until(start + std::chrono::microseconds(1000 * k + 97 * burst));
                rig.wheel.queueInput(stream.report(first + k));
            }
        });
        runUntil([&] { return rig.handled.load() >= kBurstLength; }, 10000);
        feeder.join();
        settle(80); // anything still to paint is painted by now
        const int last = first + kBurstLength - 1;
        if (!rig.screenShows(stream.report(last)))
            ++stale;
        latencies.push_back(double(watch.lastPaint - rig.timeline.read[std::size_t(last)]) / 1e6);
        sequence += kBurstLength + 1;
    }
    qApp->removeEventFilter(&watch);
    const Stats s = statsOf(latencies);
    std::printf("  last report on screen:    median %5.1f ms, p90 %5.1f ms, max %5.1f ms after the reader took it "
                "(%d bursts)%s\n",
                s.median, s.p90, s.max, kBursts, stale ? ", SCREEN STALE" : "");
    if (stale)
        std::printf("  the screen did not show the last report after %d of %d bursts\n", stale, kBursts);
    settle(100);
    return stale ? 1e9 : s.max;
}

// The wheel's queue is kept full, so the reader hands reports on as fast as it reads them
// and the window's event queue grows as deep as the burst makes it.
double drain(Rig& rig, const Stream& stream, int count)
{
    rig.handled = 0;
    std::atomic<int> maxBehind{0};
    QElapsedTimer timer;
    timer.start();
    const double guiStart = threadCpuSeconds();
    const double cpuStart = processCpuSeconds();
    std::thread feeder([&] {
        for (int sequence = 0; sequence < count;) {
            const int behind = sequence - rig.handled.load();
            maxBehind = std::max(maxBehind.load(), behind);
            if (rig.wheel.pendingInputCount() > kQueueHighWater) {
                std::this_thread::sleep_for(std::chrono::microseconds(50));
                continue;
            }
            const int batch = std::min(count - sequence, 500);
            for (int k = 0; k < batch; ++k, ++sequence)
                rig.wheel.queueInput(stream.report(sequence));
        }
    });
    const bool done = runUntil([&] { return rig.handled.load() >= count; }, 300000);
    const double s = double(timer.nsecsElapsed()) / 1e9;
    const double cpu = processCpuSeconds() - cpuStart;
    const double gui = guiStart < 0 ? -1.0 : threadCpuSeconds() - guiStart;
    feeder.join();
    const bool shows = runUntil([&] { return rig.screenShows(stream.report(count - 1)); }, 2000);
    std::printf("  backlog of %5d reports:  %8.0f reports/s wall, %8.0f per GUI-thread CPU second "
                "(%.2f s, %.0f%% of a core; at most %d behind)%s%s\n",
                count, rig.handled.load() / s, gui > 0 ? rig.handled.load() / gui : -1.0, s, 100.0 * cpu / s,
                maxBehind.load(), done ? "" : ", TIMED OUT", shows ? "" : ", SCREEN STALE");
    settle(300);
    return done && shows ? rig.handled.load() / s : 0.0;
}

bool connectRig(Rig& rig, const QString& model)
{
    if (rig.connect(model))
        return true;
    std::fprintf(stderr, "the window did not connect to the virtual wheel %s\n", qPrintable(model));
    return false;
}

// The game-profile watcher's looks at the running programs, made on the GUI thread while a
// wheel is open: processor time per look, with twenty rules whose programs do not run (so every
// process is read to the end), as a share of a core at the watcher's interval.
double gameWatcherShare()
{
    QTemporaryDir dir;
    QList<GameRule> rules;
    for (int i = 0; i < 20; ++i)
        rules.append(GameRule{QStringLiteral("no-such-game-%1.exe").arg(i), QStringLiteral("GT3")});
    QFile file(dir.filePath(QStringLiteral("game-profiles.json")));
    if (!file.open(QIODevice::WriteOnly) || file.write(GameRules::toJson(rules)) < 0)
        return 1e9;
    file.close();
    GameWatcher watcher;
    watcher.setRulesPath(file.fileName());
    watcher.poll(); // reads the rules; later looks only check the file's time
    constexpr int kLooks = 200;
    const bool perThread = threadCpuSeconds() >= 0;
    const double start = perThread ? threadCpuSeconds() : processCpuSeconds();
    for (int i = 0; i < kLooks; ++i)
        watcher.poll();
    const double perLook = ((perThread ? threadCpuSeconds() : processCpuSeconds()) - start) / kLooks;
    const int processes = QDir(QStringLiteral("/proc"))
                              .entryList(QDir::Dirs)
                              .filter(QRegularExpression(QStringLiteral("^[0-9]+$")))
                              .size();
    const double share = perLook / (GameWatcher::kIntervalMs / 1000.0) * 100.0;
    std::printf("game-profile watcher, %d rules, %d processes running:\n", int(rules.size()), processes);
    std::printf("  one look every %d ms:     %.2f ms processor time each, %.3f %% of a core\n",
                GameWatcher::kIntervalMs, perLook * 1000.0, share);
    return share;
}

} // namespace

int main(int argc, char** argv)
{
    const PrivateDesktop desktop;

    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, kMaxSequence / 1000) : 5;
    const QString streamModel = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("R-VELO");
    const QString worstModel = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("ORBIX");
    std::printf("CPU shares are processor time per second of stream%s.\n",
                threadCpuSeconds() < 0 ? " (the feeder's own time is included here)" : "");

    double shown = 0, tray = 0, latency = 0; // the most expensive stream's
    double deepDrain = 1e12, worstDrain = 1e12; // the slowest

    {
        Rig rig(streamModel);
        if (!connectRig(rig, streamModel))
            return 1;
        const QList<int> inputs = rig.placedInputs(3);
        QStringList names;
        for (int input : inputs)
            names.append(QString::number(input));
        for (const Stream& stream :
             {buttonStream("paddles moving smoothly", false, inputs), buttonStream("paddles swinging", true, inputs)}) {
            std::printf("%s, %s, inputs %s changing:\n", qPrintable(streamModel), stream.name,
                        qPrintable(names.join(QLatin1Char(' '))));
            slotAlone(rig, stream);
            shown = std::max(shown, cpuShare(rig, stream, seconds, "window shown:"));
            latency = std::max(latency, lastReportLatency(rig, stream));
            drain(rig, stream, 1000);
            deepDrain = std::min(deepDrain, drain(rig, stream, 10000));
            rig.toTray();
            tray = std::max(tray, cpuShare(rig, stream, seconds, "in the tray:"));
            const QByteArray last = stream.report(seconds * 1000 - 1);
            QElapsedTimer restored;
            restored.start();
            rig.fromTray();
            const bool caughtUp = runUntil([&] { return rig.screenShows(last); }, 2000);
            std::printf("  back from the tray:       the screen shows the last report after %s\n",
                        caughtUp ? qPrintable(QStringLiteral("%1 ms").arg(restored.elapsed())) : "2 s: NEVER");
            if (!caughtUp)
                latency = 1e9;
            settle(300);
        }
    }
    {
        Rig rig(worstModel);
        if (!connectRig(rig, worstModel))
            return 1;
        const Stream stream = toggleAllStream();
        std::printf("%s, %s (worst case):\n", qPrintable(worstModel), stream.name);
        slotAlone(rig, stream);
        cpuShare(rig, stream, seconds, "window shown:");
        worstDrain = std::min(worstDrain, drain(rig, stream, 1000));
        worstDrain = std::min(worstDrain, drain(rig, stream, 10000));
    }

    const double games = gameWatcherShare();

    auto verdict = [](bool met) { return met ? "met" : "NOT MET"; };
    std::printf("targets (the most expensive stream counts; drain rates are wall time, so a busy machine "
                "lowers them):\n");
    std::printf("  window shown, under 5 %% of a core:                %5.1f %%      %s\n", shown, verdict(shown < 5.0));
    std::printf("  in the tray, under 3 %% of a core:                 %5.1f %%      %s\n", tray, verdict(tray < 3.0));
    std::printf("  last report of a burst on screen within 20 ms:    %5.1f ms     %s\n", latency,
                verdict(latency <= 20.0));
    std::printf("  10000 queued reports drain at 10000/s or more: %8.0f /s    %s\n", deepDrain,
                verdict(deepDrain >= 10000.0));
    std::printf("  worst case drains at 20000/s or more:          %8.0f /s    %s\n", worstDrain,
                verdict(worstDrain >= 20000.0));
    std::printf("  game-profile watcher under 0.5 %% of a core:       %5.3f %%     %s\n", games, verdict(games < 0.5));
    return 0;
}
