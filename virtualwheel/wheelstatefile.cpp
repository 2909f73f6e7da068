#include "virtualwheel/wheelstatefile.h"

#include "virtualwheel/jsonfield.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QRegularExpression>
#include <QSaveFile>

namespace {

// Block numbers are 15 bits wide.
constexpr qint64 kLargestImage = qint64(0x8000) * FirmwareImage::kBlockBytes;

} // namespace

WheelStateFile::LoadResult WheelStateFile::load(const QString& path, WheelSettings* flash,
                                                FirmwareImage::Summary* firmware, QString* error)
{
    const auto failed = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, why);
        return LoadResult::Failed;
    };

    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return LoadResult::Missing;
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("cannot read the wheel state file: %1")
                          .arg(info.isDir() ? QStringLiteral("is a directory") : file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return failed(QStringLiteral("cannot read the wheel state file: %1").arg(file.errorString()));

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return failed(
            QStringLiteral("not valid JSON: %1 at offset %2").arg(parseError.errorString()).arg(parseError.offset));
    if (!document.isObject())
        return failed(QStringLiteral("not a JSON object"));
    const QJsonObject top = document.object();

    QString why;
    JsonField field(QString(), &why);
    QJsonObject flashObject;
    WheelSettings settings;
    if (!field.object(top, "flash", &flashObject) || !WheelSettings::fromJson(flashObject, "flash", &settings, &why))
        return failed(why);

    QJsonObject firmwareObject;
    if (!field.object(top, "firmware", &firmwareObject))
        return failed(why);
    JsonField firmwareField("firmware", &why);
    FirmwareImage::Summary summary;
    qint64 v = 0;
    if (!firmwareField.integer(firmwareObject, "size", 0, kLargestImage, &v))
        return failed(why);
    summary.size = v;
    if (!firmwareField.string(firmwareObject, "md5", &summary.md5))
        return failed(why);
    static const QRegularExpression md5Pattern(QStringLiteral("^([0-9a-f]{32})?$"));
    if (!md5Pattern.match(summary.md5).hasMatch())
        return failed(QStringLiteral("firmware.md5: expected 32 lower-case hex digits or an empty string"));
    if (!firmwareField.integer(firmwareObject, "blocks", 0, INT32_MAX, &v))
        return failed(why);
    summary.blocks = int(v);
    if (!firmwareField.boolean(firmwareObject, "inOrder", &summary.inOrder))
        return failed(why);
    // Only completed images reach the flash.
    summary.complete = !summary.md5.isEmpty();

    *flash = settings;
    *firmware = summary;
    return LoadResult::Loaded;
}

bool WheelStateFile::save(const QString& path, const WheelSettings& flash, const FirmwareImage::Summary& firmware,
                          QString* error)
{
    const QJsonObject top{
        {"flash", flash.toJson()},
        {"firmware",
         QJsonObject{
             {"size", firmware.size},
             {"md5", firmware.md5},
             {"blocks", firmware.blocks},
             {"inOrder", firmware.inOrder},
         }},
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    file.write(QJsonDocument(top).toJson(QJsonDocument::Indented));
    if (!file.commit()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
