#pragma once

// A wheel picture drawn from the placement tables, and the check of the window's widgets on it.
#include "settings/modellayouts.h"
#include "settings/modeltable.h"

#include <QImage>

namespace wheelart {

const tarvo::ModelInfo* modelInfo(const char* key);
QImage drawWheel(const tarvo::ModelLayout& layout, const tarvo::ModelInfo& model);
// The widgets as the window places them, on top of the picture.
QImage overlay(const QImage& wheel, const tarvo::ModelLayout& layout, const tarvo::ModelInfo& model, bool inputs);

} // namespace wheelart
