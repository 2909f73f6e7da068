#include "settings/inputindicators.h"

namespace {

constexpr bool inputsAreIndices()
{
    for (int i = 0; i < kIndicatedInputs; ++i) {
        if (inputIndicators[i].input != i)
            return false;
    }
    return true;
}
// The display walks the table by index and reports releases in ascending order.
static_assert(inputsAreIndices(), "indicator table must list inputs 0..49 in order");

constexpr bool pairsAreIndicated()
{
    for (const EncoderPair& pair : encoderPairs) {
        if (pair.down < 0 || pair.down >= kIndicatedInputs || pair.up < 0 || pair.up >= kIndicatedInputs
            || pair.down == pair.up)
            return false;
    }
    return true;
}
// A direction without an indicator could never be released, so it could never step.
static_assert(pairsAreIndicated(), "every encoder direction needs an indicator");

} // namespace

const QString& shownTip()
{
    static const QString tip = QStringLiteral("SHOW");
    return tip;
}

const QString& hiddenTip()
{
    static const QString tip = QStringLiteral("HIDE");
    return tip;
}
