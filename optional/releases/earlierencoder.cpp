// The bite-point encoder of the earlier releases: four states, a save button on the wheel, and
// the encoder's first member raising the bite point.
#include "app/mainwindow.h"
#include "optional/releases/releases.h"
#include "settings/inputindicators.h"
#include "settings/preferencekeys.h"
#include "ui_mainwindow.h"

#include <QSettings>
#include <algorithm>
#include <array>

namespace {

constexpr std::uint8_t kNoInput = 255;

enum EncoderState { Idle = 0, WaitingForTurn = 1, WaitingForSave = 2, Bound = 3 };

// The inputs that may serve as the save button.
constexpr std::array<int, 26> kSaveButtonInputs = {0,  1,  6,  7,  8,  9,  10, 11, 12, 15, 20, 21, 23,
                                                   28, 29, 31, 32, 33, 38, 39, 40, 41, 42, 43, 44, 47};

QString saveButtonKey(const QString& model)
{
    return model + QStringLiteral("_BUTTON");
}

bool keepsBinding()
{
    return !tarvo::releaseHas(tarvo::Difference::NoPreferences);
}

} // namespace

void MainWindow::setEarlierEncoderState(int state)
{
    static const char* const texts[] = {
        QT_TRANSLATE_NOOP("MainWindow", "ASSIGN ROTARY ENCODER"),
        QT_TRANSLATE_NOOP("MainWindow", "ROTATE ONE ENCODER TO BIND BITEPOINT"),
        QT_TRANSLATE_NOOP("MainWindow", "PRESS ONE BUTTON TO BIND SAVE BITEPOINT"),
        QT_TRANSLATE_NOOP("MainWindow", "CLEAR BIND ENCODER/BITEPOINT"),
    };
    encoderBindState = std::clamp(state, int(Idle), int(Bound));
    ui->pbEncoder->setText(tr(texts[encoderBindState]));
    ui->pbEncoder->setChecked(encoderBindState == WaitingForTurn || encoderBindState == WaitingForSave);
}

void MainWindow::onEarlierEncoderClick()
{
    if (encoderBindState == Idle) {
        setEarlierEncoderState(WaitingForTurn);
    } else if (encoderBindState == Bound) {
        if (keepsBinding()) {
            QSettings settings(tarvo::preferences::organisation(), tarvo::preferences::application());
            settings.remove(tarvo::preferences::encoderUpKey(modelName));
            settings.remove(tarvo::preferences::encoderDownKey(modelName));
            settings.remove(saveButtonKey(modelName));
        }
        encoderUpInput = encoderDownInput = encoderSaveInput = kNoInput;
        setEarlierEncoderState(Idle);
    } else {
        // A click while binding changes nothing, not even the check mark the click toggled.
        setEarlierEncoderState(encoderBindState);
    }
}

bool MainWindow::loadEarlierEncoderBinding()
{
    if (!tarvo::releaseHas(tarvo::Difference::FourStateEncoder))
        return tarvo::releaseHas(tarvo::Difference::NoEncoderBinding);
    // Without preferences the binding lives as long as the program: a new connection keeps it.
    if (keepsBinding()) {
        encoderUpInput = encoderDownInput = encoderSaveInput = kNoInput;
        QSettings settings(tarvo::preferences::organisation(), tarvo::preferences::application());
        const auto input = [&](const QString& key) {
            return std::uint8_t(settings.value(key, kNoInput).toUInt() & 0xFF);
        };
        encoderUpInput = input(tarvo::preferences::encoderUpKey(modelName));
        encoderDownInput = input(tarvo::preferences::encoderDownKey(modelName));
        encoderSaveInput = input(saveButtonKey(modelName));
    }
    const bool complete = encoderUpInput != kNoInput && encoderDownInput != kNoInput && encoderSaveInput != kNoInput;
    setEarlierEncoderState(complete ? Bound : Idle);
    return true;
}

bool MainWindow::handleEarlierEncoder()
{
    if (tarvo::releaseHas(tarvo::Difference::NoEncoderBinding))
        return true;
    if (!tarvo::releaseHas(tarvo::Difference::FourStateEncoder))
        return false;
    const int first = releasedInputs.first();
    if (encoderBindState == WaitingForTurn) {
        if (const EncoderPair* pair = encoderPairOf(first)) {
            // The pair's first member raises the bite point.
            encoderUpInput = std::uint8_t(pair->down);
            encoderDownInput = std::uint8_t(pair->up);
            setEarlierEncoderState(WaitingForSave);
        }
    } else if (encoderBindState == WaitingForSave) {
        if (std::find(kSaveButtonInputs.begin(), kSaveButtonInputs.end(), first) != kSaveButtonInputs.end()) {
            encoderSaveInput = std::uint8_t(first);
            // Nothing is stored before the binding is complete.
            if (keepsBinding()) {
                QSettings settings(tarvo::preferences::organisation(), tarvo::preferences::application());
                settings.setValue(tarvo::preferences::encoderUpKey(modelName), int(encoderUpInput));
                settings.setValue(tarvo::preferences::encoderDownKey(modelName), int(encoderDownInput));
                settings.setValue(saveButtonKey(modelName), int(encoderSaveInput));
            }
            setEarlierEncoderState(Bound);
        }
    } else if (encoderBindState == Bound) {
        stepBitePointByEncoder();
        if (releasedInputs.contains(int(encoderSaveInput)))
            onSavePageP();
    }
    return true;
}
