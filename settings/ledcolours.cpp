// LED colours of the RGB page.
//
// A button's colour lives in its own style sheet, nowhere else; every send reads the colours
// afresh from there and maps them onto the wheel's slots with the model's send table.
#include "app/colordialog.h"
#include "app/mainwindow.h"
#include "app/messagebox.h"
#include "device/devicehandle.h"
#include "protocol/wheelprotocol.h"
#include "settings/ledslottables.h"
#include "ui_mainwindow.h"

#ifdef TARVO_OPTIONAL_SET
#include "optional/releases/releases.h"
#endif

#include <QColor>
#include <QLoggingCategory>
#include <QPushButton>
#include <QStringList>

namespace {

Q_LOGGING_CATEGORY(lcLed, "tarvoset.led")

struct Preset
{
    char key; // sixth character of the preset button's name
    std::uint8_t r, g, b;
};

constexpr Preset kPresets[] = {
    {'R', 255, 0, 0},   {'G', 0, 255, 0},   {'B', 0, 0, 255},  {'W', 255, 255, 255}, {'D', 0, 0, 0},
    {'1', 0, 170, 255}, {'2', 255, 0, 255}, {'3', 255, 85, 0}, {'4', 255, 255, 0},
};

bool isPresetTarget(const QString& name)
{
    for (const char* prefix : {"pbT", "pbB", "pbD", "pbX"}) {
        if (name.startsWith(QLatin1String(prefix), Qt::CaseSensitive))
            return true;
    }
    return false;
}

tarvo::Rgb rgbOf(const QColor& colour)
{
    // An invalid colour reads as black.
    if (!colour.isValid())
        return {};
    return {std::uint8_t(colour.red()), std::uint8_t(colour.green()), std::uint8_t(colour.blue())};
}

} // namespace

void MainWindow::setLedButtonColour(QPushButton* button, const QColor& colour)
{
    QString style = button->styleSheet();
    const qsizetype start = style.indexOf(QLatin1String("rgb"));
    if (start >= 0) {
        const qsizetype end = style.indexOf(QLatin1Char(';'), start);
        style.remove(start, end < 0 ? style.size() - start : end - start + 1);
    }
    const QString text = QString::asprintf("rgb(%d,%d,%d);", colour.red(), colour.green(), colour.blue());
    const qsizetype colourKey = style.indexOf(QLatin1String("color:"));
    if (colourKey >= 0)
        style.insert(colourKey + 6, text);
    else
        style.append(QLatin1String("background-color:") + text); // a style the form never gives
    button->setStyleSheet(style);
}

QColor MainWindow::ledButtonColour(const QPushButton* button, tarvo::ChannelOrder order) const
{
    const QString style = button->styleSheet();
    const qsizetype start = style.indexOf(QLatin1String("rgb("));
    if (start < 0)
        return QColor();
    const qsizetype end = style.indexOf(QLatin1Char(')'), start);
    const QString inner = style.mid(start + 4, end < 0 ? -1 : end - start - 4);
    const QStringList parts = inner.split(QLatin1Char(','));
    int c[3] = {0, 0, 0};
    for (int i = 0; i < 3 && i < parts.size(); ++i) {
        bool ok = false;
        const int value = parts[i].trimmed().toInt(&ok);
        c[i] = ok ? value : 0;
        if (c[i] < 0 || c[i] > 255)
            return QColor();
    }
    const tarvo::Rgb placed = tarvo::placeChannels({std::uint8_t(c[0]), std::uint8_t(c[1]), std::uint8_t(c[2])}, order);
    return QColor(placed.r, placed.g, placed.b);
}

bool MainWindow::sendAuxLamps(bool save)
{
    tarvo::AuxLamps lamps;
    lamps.left = rgbOf(ledButtonColour(ui->pbXL, tarvo::ChannelOrder::Rgb));
    lamps.right = rgbOf(ledButtonColour(ui->pbXR, tarvo::ChannelOrder::Rgb));
    return deviceHandle.send(tarvo::auxLampColoursFrame(lamps, save)) >= 0;
}

bool MainWindow::sendLedColours(bool save)
{
    const QByteArray model = modelName.toUtf8();
    const tarvo::LedSlotTable* table = tarvo::ledSendTable(std::string_view(model.constData(), model.size()));

    tarvo::LedLevels levels;
    levels.fill(255);
    if (table) {
        for (std::size_t slot = 0; slot < table->size(); ++slot) {
            const tarvo::LedSlot& entry = (*table)[slot];
            const auto* button =
                ui->page2->findChild<QPushButton*>(QLatin1String(entry.button), Qt::FindDirectChildrenOnly);
            const tarvo::Rgb colour = button ? rgbOf(ledButtonColour(button, entry.order)) : tarvo::Rgb{};
            tarvo::setLedSlotLevels(levels, slot, colour);
        }
    }

    // Every frame goes out even after a failure, as a live send does; a save reports whether all arrived.
    bool ok = deviceHandle.isOpen();
    bool lamps = table && table->lamps;
#ifdef TARVO_OPTIONAL_SET
    lamps = lamps && !tarvo::releaseHas(tarvo::Difference::NoAuxLamps);
#endif
    if (lamps)
        ok = sendAuxLamps(save) && ok;
    tarvo::LedEncoding encoding = tarvo::LedEncoding::NearestAbove;
#ifdef TARVO_OPTIONAL_SET
    if (tarvo::releaseHas(tarvo::Difference::UpperBitsLedCodes))
        encoding = tarvo::LedEncoding::UpperBits;
#endif
    for (const tarvo::LedBlockReport& report : tarvo::ledBlockReportsInWriteOrder(levels, encoding))
        ok = deviceHandle.write(report.data(), report.size()) >= 0 && ok;
    if (save)
        ok = deviceHandle.send(tarvo::ledCommitFrame()) >= 0 && ok;
    return ok;
}

void MainWindow::onColorPick()
{
    auto* button = qobject_cast<QPushButton*>(sender());
    if (!button)
        return;
    qCDebug(lcLed) << button->objectName();
    const QColor picked = ColorDialog::getColor(ledButtonColour(button, tarvo::ChannelOrder::Rgb));
    if (!picked.isValid())
        return;
    setLedButtonColour(button, picked);
    sendLedColours(false);
}

void MainWindow::onSetColor()
{
    const QString name = sender() ? sender()->objectName() : QString();
    if (name.size() < 6)
        return;
    const char key = name.at(5).toLatin1();
    const Preset* preset = nullptr;
    for (const Preset& p : kPresets) {
        if (p.key == key)
            preset = &p;
    }
    if (!preset)
        return;

    const QColor colour(preset->r, preset->g, preset->b);
    // Visible to the page, not the screen: the buttons the model placed, whichever page is in front.
    for (QObject* child : ui->page2->children()) {
        auto* button = qobject_cast<QPushButton*>(child);
        if (button && isPresetTarget(button->objectName()) && button->isVisibleTo(ui->page2))
            setLedButtonColour(button, colour);
    }
    sendLedColours(false);
}

void MainWindow::onSaveColor()
{
    if (sendLedColours(true))
        MessageBox::information(this, tr("Success"), tr("LED colors saved."));
    else
        MessageBox::critical(this, tr("Error"), tr("Can not save setting."));
}
