#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class DeviceHandle;

// Writes a firmware image into the wheel through a device handle: one block frame per 16
// image bytes in one reused buffer, the end-of-transfer frame, then four one-second steps
// while the wheel writes its flash. Blocking; call it from a worker thread (or from a
// command-line program). Progress goes to the handler on the calling thread: 0 to 95 while
// the blocks go out (only when the percentage changes, so at most 96 calls), then 97, 98,
// 99 and 100 one second apart.
//
// A failed send ends the transfer at once: no further block and no end frame go out, so
// the wheel is never asked to take a partial image.
class FirmwareTransfer
{
public:
    enum class Outcome {
        Done, // every frame sent and the flash write waited for; progress reached 100
        NoDevice, // no wheel open: nothing sent, no progress
        CannotRead, // the file could not be opened: nothing sent, no progress
        TooLarge, // larger than the wheel takes: nothing sent, no progress
        SendFailed, // a block or the end frame failed; sendResult holds its (negative) result
    };

    struct Result
    {
        Outcome outcome = Outcome::Done;
        int sendResult = 0; // the failed send's result, SendFailed only
        int framesSent = 0; // block frames and end frame that went out
        bool endFrameFailed = false; // SendFailed only: every block went, the end frame did not
    };

    using ProgressHandler = std::function<void(int percent)>;
    using WaitStep = std::function<void()>;

    static constexpr int kFlashWriteSteps = 4;

    explicit FirmwareTransfer(DeviceHandle& handle);

    void setProgressHandler(ProgressHandler handler);
    // One of the four steps of the flash write; one second by default. Benchmarks and
    // tests that do not look at the pause may shorten it.
    void setWaitStep(WaitStep step);

    // The image check: a path ending in ".bin" (case-sensitive) whose file holds 1 to
    // 229376 bytes. A path that names no file passes; reading it then fails.
    static bool acceptsImage(const QString& path);

    // Reads the file and sends it: sendImage, then waitForFlashWrite.
    Result sendFile(const QString& path);
    // The block frames and the end frame, progress 0 to 95; no waiting.
    Result sendImage(const QByteArray& image);
    // The four steps of the flash write, progress 97 to 100.
    void waitForFlashWrite();

private:
    void report(int percent);

    DeviceHandle& m_handle;
    ProgressHandler m_progress;
    WaitStep m_wait;
};
