#include "settings/placement.h"
