#include "settings/inputindicators.h"
