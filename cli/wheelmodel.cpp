#include "cli/wheelmodel.h"

#include "settings/modeltable.h"

namespace {
// The keys of the window's LED slot tables, tried in this order: the first that occurs wins.
struct LedTableKey
{
    const char* key;
    bool lamps;
};
constexpr LedTableKey kLedTableKeys[] = {{"QLN5", true},   {"R-VELO", true}, {"ZEPHA2", true},
                                         {"LM270", false}, {"ORBIX", false}, {"KTR2", true}};
} // namespace

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
    for (const LedTableKey& key : kLedTableKeys) {
        if (text.contains(QLatin1String(key.key), Qt::CaseSensitive)) {
            m_ledTable = true;
            m_lamps = key.lamps;
            break;
        }
    }
}
