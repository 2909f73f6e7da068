#include "settings/modeltable.h"

namespace tarvo {

bool modelMatches(const ModelInfo& model, const QString& text)
{
    return text.contains(QLatin1String(model.key), Qt::CaseSensitive);
}

QString pictureStyleSheet(const ModelInfo& model)
{
    return QStringLiteral("border-image: url(:/img/back.%1.png)").arg(QLatin1String(model.imageKey));
}

} // namespace tarvo
