#include "settings/inputscreen.h"

#include "settings/inputindicators.h"

#include <QEvent>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <utility>

namespace {

// About 60 frames a second: no screen shows more.
constexpr int kFrameMs = 16;

} // namespace

InputScreen::InputScreen(Ui::MainWindow* ui, QObject* parent)
    : QObject(parent)
    , ui(ui)
{
    frameTimer.setSingleShot(true);
    // A coarse timer may fire a few milliseconds late, which the last report of a burst would
    // wait on.
    frameTimer.setTimerType(Qt::PreciseTimer);
    connect(&frameTimer, &QTimer::timeout, this, &InputScreen::sync);
    // Shown again (the window back from the tray, or the page chosen): bring it up to date
    // before it is painted.
    ui->page1->installEventFilter(this);
}

void InputScreen::reportHandled(int rightValue, int leftValue)
{
    right = rightValue;
    left = leftValue;
    pending = true;
    if (frameTimer.isActive() || !ui->page1->isVisible())
        return;
    // The first report after a quiet spell shows at once; a stream waits for the next frame.
    const qint64 since = sinceSync.isValid() ? sinceSync.elapsed() : kFrameMs;
    frameTimer.start(int(std::clamp<qint64>(kFrameMs - since, 0, kFrameMs)));
}

bool InputScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->page1 && event->type() == QEvent::Show)
        sync();
    return QObject::eventFilter(watched, event);
}

void InputScreen::sync()
{
    if (!pending || !ui->page1->isVisible())
        return;
    pending = false;
    sinceSync.start();

    // A progress bar repaints itself at once when its value changes visibly; with updates off
    // meanwhile, both bars are painted with the indicators, in one pass of the page.
    for (auto [bar, value] : {std::pair{ui->pgAdcR, right}, std::pair{ui->pgAdcL, left}}) {
        bar->setUpdatesEnabled(false);
        bar->setValue(value);
        bar->setUpdatesEnabled(true); // and asks for the repaint
    }

    for (const InputIndicator& entry : inputIndicators) {
        QPushButton* indicator = ui->*entry.widget;
        const QString tip = indicator->statusTip();
        if (tip == shownTip() && indicator->isHidden())
            indicator->show();
        else if (tip == hiddenTip() && !indicator->isHidden())
            indicator->hide();
    }
}
