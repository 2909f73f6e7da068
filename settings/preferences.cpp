// Preferences kept on the user's computer.
#include "app/mainwindow.h"
#include "settings/preferencekeys.h"

#ifdef TARVO_OPTIONAL_SET
#include "optional/releases/releases.h"
#endif

#include <QSettings>

using tarvo::preferences::encoderDownKey;
using tarvo::preferences::encoderUpKey;

namespace {

constexpr std::uint8_t kNoInput = 255;

} // namespace

void MainWindow::loadEncoderBinding()
{
#ifdef TARVO_OPTIONAL_SET
    if (loadEarlierEncoderBinding())
        return;
#endif
    QSettings settings(tarvo::preferences::organisation(), tarvo::preferences::application());
    // A value that is not a number reads as 0, like any toUInt() failure.
    encoderUpInput = std::uint8_t(settings.value(encoderUpKey(modelName), kNoInput).toUInt() & 0xFF);
    encoderDownInput = std::uint8_t(settings.value(encoderDownKey(modelName), kNoInput).toUInt() & 0xFF);
    if (encoderUpInput != kNoInput && encoderDownInput != kNoInput)
        setEncoderBindState(2);
}

void MainWindow::storeEncoderBinding()
{
    QSettings settings(tarvo::preferences::organisation(), tarvo::preferences::application());
    settings.setValue(encoderUpKey(modelName), int(encoderUpInput));
    settings.setValue(encoderDownKey(modelName), int(encoderDownInput));
    settings.sync();
}

void MainWindow::removeEncoderBinding()
{
    QSettings settings(tarvo::preferences::organisation(), tarvo::preferences::application());
    settings.remove(encoderUpKey(modelName));
    settings.remove(encoderDownKey(modelName));
    settings.sync();
}
