// Preferences kept on the user's computer.
#include "app/mainwindow.h"

#include <QSettings>

namespace {

// Each model keeps its own binding: the keys carry the model text the wheel reports.
QString encoderUpKey(const QString& model)
{
    return model + QStringLiteral("_ENCODER1");
}
QString encoderDownKey(const QString& model)
{
    return model + QStringLiteral("_ENCODER2");
}

constexpr std::uint8_t kNoInput = 255;

} // namespace

void MainWindow::loadEncoderBinding()
{
    QSettings settings(QStringLiteral("Tarvo"), QStringLiteral("TarvoSet"));
    // A value that is not a number reads as 0, like any toUInt() failure.
    encoderUpInput = std::uint8_t(settings.value(encoderUpKey(modelName), kNoInput).toUInt() & 0xFF);
    encoderDownInput = std::uint8_t(settings.value(encoderDownKey(modelName), kNoInput).toUInt() & 0xFF);
    if (encoderUpInput != kNoInput && encoderDownInput != kNoInput)
        setEncoderBindState(2);
}

void MainWindow::storeEncoderBinding()
{
    QSettings settings(QStringLiteral("Tarvo"), QStringLiteral("TarvoSet"));
    settings.setValue(encoderUpKey(modelName), int(encoderUpInput));
    settings.setValue(encoderDownKey(modelName), int(encoderDownInput));
    settings.sync();
}

void MainWindow::removeEncoderBinding()
{
    QSettings settings(QStringLiteral("Tarvo"), QStringLiteral("TarvoSet"));
    settings.remove(encoderUpKey(modelName));
    settings.remove(encoderDownKey(modelName));
    settings.sync();
}
