// What the INPUTS page shows of the reports, brought to the screen at the screen's pace.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace Ui {
class MainWindow;
}

// Every report goes through the window's slot, which keeps the program's state: the
// indicators' status tips, the released inputs, the calibration bounds, the encoder. Showing
// and hiding the indicators and moving the clutch bars costs a layout request and a repaint
// each, which at a wheel's 1000 reports a second is far more than any screen can show; this
// brings the widgets up to the latest report at most once a frame, and not at all while the
// page cannot be seen. The indicators follow their status tips, and only once a report came:
// whatever else shows or hides them (the waiting screen, a model's layout) stands until then.
class InputScreen : public QObject
{
    Q_OBJECT

public:
    InputScreen(Ui::MainWindow* ui, QObject* parent);

    // A report was handled: these are its clutch readings, and the status tips say what it lit.
    void reportHandled(int right, int left);

    // Something is waiting to reach the widgets.
    bool isPending() const { return pending; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void sync();

    Ui::MainWindow* ui;
    QTimer frameTimer;
    QElapsedTimer sinceSync;
    int right = 0;
    int left = 0;
    bool pending = false;
};
