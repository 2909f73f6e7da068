#include "profiles/wheelmodel.h"

#include "settings/ledslottables.h"
#include "settings/modeltable.h"
WheelModel::WheelModel(const QString& text)
    : m_text(text)
{
    // As the window lays itself out: every model whose key occurs applies, a later one
    // overriding an earlier one.
    for (const tarvo::ModelInfo& model : tarvo::kModels) {
        if (!tarvo::modelMatches(model, text))
            continue;
        m_known = true;
        m_battery = model.hasBattery;
        m_folder = QLatin1String(model.folder);
    }
    // The LED page's send table decides which slots and lamps exist to be set.
    const std::string utf8 = text.toStdString();
    if (const tarvo::LedSlotTable* table = tarvo::ledSendTable(utf8)) {
        m_ledTable = true;
        m_lamps = table->lamps;
    }
}
