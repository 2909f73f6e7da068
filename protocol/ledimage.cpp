#include "protocol/wheelprotocol.h"

namespace tarvo {
} // namespace tarvo
