#include "device/hidtrace.h"

#include <QByteArray>
#include <QFile>
#include <chrono>
#include <mutex>

namespace {

// Captured before main() runs, so T counts from program start.
const std::chrono::steady_clock::time_point programStart = std::chrono::steady_clock::now();

QByteArray hexOf(const std::uint8_t* data, std::size_t length)
{
    if (!data || length == 0)
        return QByteArrayLiteral("-");
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(length)).toHex();
}

} // namespace

class HidTraceWriter
{
public:
    explicit HidTraceWriter(const QString& path)
        : m_file(path)
    {
        m_open = m_file.open(QIODevice::WriteOnly | QIODevice::Append);
    }

    bool isOpen() const { return m_open; }

    void line(const char* kind, const QByteArray& data, int result)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_open)
            return;
        const std::chrono::duration<double, std::milli> sinceStart = std::chrono::steady_clock::now() - programStart;
        QByteArray text = QByteArray::number(sinceStart.count(), 'f', 3);
        text += ' ';
        text += kind;
        text += ' ';
        text += data;
        text += ' ';
        text += QByteArray::number(result);
        text += '\n';
        m_file.write(text);
        m_file.flush();
    }

private:
    std::mutex m_mutex;
    QFile m_file;
    bool m_open = false;
};

namespace {

class TracedDevice : public HidDevice
{
public:
    TracedDevice(std::unique_ptr<HidDevice> inner, std::shared_ptr<HidTraceWriter> writer)
        : m_inner(std::move(inner))
        , m_writer(std::move(writer))
    {
    }

    ~TracedDevice() override
    {
        m_inner.reset();
        m_writer->line("close", QByteArrayLiteral("-"), 0);
    }

    int setNonBlocking(bool nonBlocking) override { return m_inner->setNonBlocking(nonBlocking); }

    int read(std::uint8_t* data, std::size_t length) override
    {
        const int result = m_inner->read(data, length);
        if (result > 0)
            m_writer->line("read", hexOf(data, length), result);
        return result;
    }

    int write(const std::uint8_t* data, std::size_t length) override
    {
        const int result = m_inner->write(data, length);
        m_writer->line("write", hexOf(data, length), result);
        return result;
    }

    int sendFeatureReport(const std::uint8_t* data, std::size_t length) override
    {
        const int result = m_inner->sendFeatureReport(data, length);
        m_writer->line("send-feature", hexOf(data, length), result);
        return result;
    }

    int getFeatureReport(std::uint8_t* data, std::size_t length) override
    {
        const int result = m_inner->getFeatureReport(data, length);
        m_writer->line("get-feature", hexOf(data, length), result);
        return result;
    }

private:
    std::unique_ptr<HidDevice> m_inner;
    std::shared_ptr<HidTraceWriter> m_writer;
};

} // namespace

HidTrace::HidTrace(HidBackend* inner, const QString& path)
    : m_inner(inner)
    , m_writer(std::make_shared<HidTraceWriter>(path))
{
}

HidTrace::~HidTrace() = default;

bool HidTrace::isOpen() const
{
    return m_writer->isOpen();
}

int HidTrace::init()
{
    return m_inner->init();
}

std::unique_ptr<HidDevice> HidTrace::open(std::uint16_t vendorId, std::uint16_t productId)
{
    std::unique_ptr<HidDevice> device = m_inner->open(vendorId, productId);
    const QByteArray ids = QByteArray::number(vendorId, 16).rightJustified(4, '0') + ':'
        + QByteArray::number(productId, 16).rightJustified(4, '0');
    m_writer->line("open", ids, device ? 1 : 0);
    if (!device)
        return nullptr;
    return std::make_unique<TracedDevice>(std::move(device), m_writer);
}

std::vector<HidBackend::PresentDevice> HidTrace::enumerate(std::uint16_t vendorId)
{
    return m_inner->enumerate(vendorId);
}

std::string HidTrace::lockKey(std::uint16_t vendorId, std::uint16_t productId)
{
    return m_inner->lockKey(vendorId, productId);
}
