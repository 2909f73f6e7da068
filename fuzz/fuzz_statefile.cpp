// The virtual wheel's state-file loader: any file content. What loads must save and load
// again to the same flash.
#include "fuzzcheck.h"
#include "virtualwheel/wheelstatefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>

namespace {
QString pathFor(const char* what)
{
    // Saving syncs the file to disk: in memory where possible, or the disk sets the pace.
    const QDir folder = QDir(QStringLiteral("/dev/shm")).exists() ? QDir(QStringLiteral("/dev/shm")) : QDir::temp();
    return folder.filePath(
        QStringLiteral("tarvoset-fuzz-%1-%2.json").arg(what).arg(QCoreApplication::applicationPid()));
}

struct Files
{
    QString input = pathFor("input");
    QString again = pathFor("again");
    ~Files()
    {
        QFile::remove(input);
        QFile::remove(again);
    }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const Files files;
    const QString& input = files.input;
    const QString& again = files.again;
    {
        QFile file(input);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    }
    WheelSettings flash;
    FirmwareImage::Summary firmware;
    QString error;
    const WheelStateFile::LoadResult result = WheelStateFile::load(input, &flash, &firmware, &error);
    FUZZ_CHECK(result != WheelStateFile::LoadResult::Missing);
    if (result == WheelStateFile::LoadResult::Failed) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    FUZZ_CHECK(WheelStateFile::save(again, flash, firmware, &error));
    WheelSettings flashAgain;
    FirmwareImage::Summary firmwareAgain;
    FUZZ_CHECK(WheelStateFile::load(again, &flashAgain, &firmwareAgain, &error) == WheelStateFile::LoadResult::Loaded);
    FUZZ_CHECK(flashAgain.toJson() == flash.toJson());
    FUZZ_CHECK(firmwareAgain == firmware);
    return 0;
}
