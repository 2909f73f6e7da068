// Model identification and the per-model layout of the window.
#include "app/mainwindow.h"
#include "device/devicehandle.h"
#include "device/logging.h"
#include "firmware/updateserver.h"
#include "protocol/wheelprotocol.h"
#include "settings/inputindicators.h"
#include "settings/modellayouts.h"
#include "settings/modeltable.h"
#include "settings/placement.h"
#include "settings/preferencekeys.h"
#include "ui_mainwindow.h"

#ifdef TARVO_OPTIONAL_SET
#include "optional/releases/releases.h"
#endif

#include <QSettings>
#include <QSignalBlocker>
#include <QStringList>

namespace {

// LED buttons of the RGB page, all of which a model must place again to show.
bool isLedButtonName(const QString& name)
{
    static const QStringList prefixes = {QStringLiteral("pbT"), QStringLiteral("pbB"), QStringLiteral("pbD"),
                                         QStringLiteral("pbIB"), QStringLiteral("pbID")};
    for (const QString& prefix : prefixes) {
        if (name.startsWith(prefix, Qt::CaseSensitive))
            return true;
    }
    return false;
}

QWidget* pageChild(QWidget* page, const char* name)
{
    QWidget* child = page->findChild<QWidget*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
    if (!child)
        qCWarning(lcDevice) << "layout names a widget the form lacks:" << name;
    return child;
}

void placeAt(QWidget* widget, tarvo::Point at, bool shown)
{
    if (shown)
        placeShown(widget, at.x, at.y, IndicatorStyle::Plain);
    else
        placeHidden(widget, at.x, at.y, IndicatorStyle::Plain);
}

// Whether the wheel says it has the two auxiliary lamps. Without a wheel, or without an
// answer, it has none.
bool wheelConfirmsAuxLamps()
{
#ifdef TARVO_OPTIONAL_SET
    if (tarvo::releaseHas(tarvo::Difference::NoAuxLamps))
        return false;
#endif
    tarvo::AnswerBuffer buffer = tarvo::queryFrame(tarvo::QuerySelector::AuxLamps);
    if (deviceHandle.exchange(buffer) != DeviceHandle::ExchangeResult::Answered)
        return false;
    return tarvo::auxLampsAnswer(buffer).capability == 1;
}

} // namespace

void MainWindow::identifyModel()
{
    tarvo::AnswerBuffer buffer = tarvo::queryFrame(tarvo::QuerySelector::ModelId);
    if (deviceHandle.exchange(buffer) != DeviceHandle::ExchangeResult::Answered)
        return;
    const std::optional<std::string> text = tarvo::modelIdText(buffer);
    if (!text)
        return;
    modelName = QString::fromUtf8(text->data(), static_cast<qsizetype>(text->size()));
    qCDebug(lcDevice) << "model:" << modelName;
    applyModel(modelName);
}

void MainWindow::applyModel(const QString& text)
{
    ui->lbHead->setText(tr("TARVO ") + text);
    ui->lbIcon->move(tarvo::kHeaderIconX, ui->lbIcon->y());

    // Undo what the waiting screen hid; the clutch axes are hidden again below and only
    // the models that have them bring them back.
    for (QWidget* w :
         {static_cast<QWidget*>(ui->pbCalL), static_cast<QWidget*>(ui->pgAdcR), static_cast<QWidget*>(ui->pbCalR),
          static_cast<QWidget*>(ui->pgAdcL), static_cast<QWidget*>(ui->lbEnc), static_cast<QWidget*>(ui->hsTrigger),
          static_cast<QWidget*>(ui->lbTrigger), static_cast<QWidget*>(ui->pbSaveEnc)})
        w->setVisible(true);
    for (QWidget* w : {ui->pbS1, ui->pbS2, ui->pbS3, ui->pbS4})
        w->setEnabled(true);

    const QList<QWidget*> rgbChildren = ui->page2->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* child : rgbChildren) {
        if (isLedButtonName(child->objectName())) {
            child->hide();
            child->setEnabled(false);
        }
    }
    for (QWidget* w :
         {static_cast<QWidget*>(ui->pbXL), static_cast<QWidget*>(ui->pbXR), static_cast<QWidget*>(ui->pbIExL),
          static_cast<QWidget*>(ui->pbIExR), static_cast<QWidget*>(ui->cbClutch), static_cast<QWidget*>(ui->gpClutch),
          static_cast<QWidget*>(ui->cbShifter), static_cast<QWidget*>(ui->pgAdcL), static_cast<QWidget*>(ui->pbCalL),
          static_cast<QWidget*>(ui->pgAdcR), static_cast<QWidget*>(ui->pbCalR)})
        w->hide();

    // A live indicator the model does not place has no spot on its picture and must stay
    // dark; placing enables it again. The extra-shifter pair has no placement: cbShifter
    // alone decides whether it lights.
    for (const InputIndicator& entry : inputIndicators) {
        QPushButton* indicator = ui->*entry.widget;
        if (indicator != ui->pbIExL && indicator != ui->pbIExR) {
            indicator->hide();
            indicator->setEnabled(false);
        }
    }

    // Every model whose key occurs is applied, in table order; a later one overrides.
    bool known = false;
    for (const tarvo::ModelInfo& model : tarvo::kModels) {
        if (!tarvo::modelMatches(model, text))
            continue;
#ifdef TARVO_OPTIONAL_SET
        if (!tarvo::releaseKnowsModel(model.key))
            continue;
#endif
        known = true;

        if (model.title) {
            ui->lbIcon->move(model.titleIconX, ui->lbIcon->y());
            ui->lbHead->setText(tr(model.title));
        }

        upgradeBaseUrl = updateServerBaseUrl() + QStringLiteral("upgrade/") + QLatin1String(model.folder);

        const QString picture = tarvo::pictureStyleSheet(model);
        ui->lbMain->setStyleSheet(picture);

        placeShown(ui->lbEnc, tarvo::kEncoderPulseX[0], model.encoderPulseY[0], IndicatorStyle::Plain);
        placeShown(ui->hsTrigger, tarvo::kEncoderPulseX[1], model.encoderPulseY[1], IndicatorStyle::Plain);
        placeShown(ui->lbTrigger, tarvo::kEncoderPulseX[2], model.encoderPulseY[2], IndicatorStyle::Plain);

        const tarvo::ModelLayout* layout = tarvo::modelLayout(model.key);
        if (layout) {
            for (const tarvo::WidgetPlacement& indicator : layout->indicators) {
                if (QWidget* w = pageChild(ui->page1, indicator.name))
                    placeHidden(w, indicator.x, indicator.y, model.indicatorKind);
            }
        }

        if (model.clutchAxes != tarvo::ClutchAxes::None) {
            const bool shown = model.clutchAxes == tarvo::ClutchAxes::Shown;
            placeAt(ui->pgAdcL, model.clutchAxesAt.adcL, shown);
            placeAt(ui->pbCalL, model.clutchAxesAt.calL, shown);
            placeAt(ui->pgAdcR, model.clutchAxesAt.adcR, shown);
            placeAt(ui->pbCalR, model.clutchAxesAt.calR, shown);
        }

        ui->pbS2->setEnabled(model.rgbPage);
        if (model.rgbPage) {
            ui->lbMainRGB->setStyleSheet(picture);
            if (layout) {
                for (const tarvo::LedPlacement& led : layout->leds) {
                    if (QWidget* w = pageChild(ui->page2, led.name))
                        placeShown(w, led.x, led.y, static_cast<IndicatorStyle>(led.kind));
                }
            }
        }

        if (model.clutchGroup) {
            ui->cbClutch->show();
            ui->gpClutch->show();
        }

        {
            // Setting the box here must not count as the user's toggle: that would overwrite
            // the stored preference whenever a model without extra shifters connects.
            const QSignalBlocker blocker(ui->cbShifter);
            if (model.extraShifter == tarvo::ExtraShifter::Unchecked) {
                ui->cbShifter->setChecked(false);
            } else {
                QSettings settings(tarvo::preferences::organisation(), tarvo::preferences::application());
                bool kept = settings.value(tarvo::preferences::extraShifterKey(), false).toBool();
#ifdef TARVO_OPTIONAL_SET
                kept = kept && !tarvo::releaseHas(tarvo::Difference::NoExtraShifterPreference);
                // Before the toggle existed, a wheel with extra shifters always had their rows.
                kept = kept || tarvo::releaseHas(tarvo::Difference::ExtraShiftersWithoutToggle);
#endif
                ui->cbShifter->setChecked(kept);
            }
            if (model.extraShifter == tarvo::ExtraShifter::FromSettingBoxShown)
                ui->cbShifter->show();
        }
        updateShifterGroupHeight();

        const bool lamps = model.auxLamps == tarvo::AuxLampsRule::Always
            || (model.auxLamps == tarvo::AuxLampsRule::IfConfirmed && wheelConfirmsAuxLamps());
        if (lamps) {
            placeShown(ui->pbXL, model.lampsAt[0].x, model.lampsAt[0].y, model.lampKind);
            placeShown(ui->pbXR, model.lampsAt[1].x, model.lampsAt[1].y, model.lampKind);
        }

        hasBattery = model.hasBattery;
    }
    // An unknown model has no picture, whatever the window showed before.
    if (!known)
        ui->lbMain->setStyleSheet(QStringLiteral("border-image:"));
#ifdef TARVO_OPTIONAL_SET
    applyOptionalModel(text);
#else
    // Without a battery the lines would only show the form's placeholders.
    ui->lbBatStatus->setVisible(hasBattery);
    ui->lbBTStatus->setVisible(hasBattery);
#endif
}
