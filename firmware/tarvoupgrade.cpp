#include "firmware/tarvoupgrade.h"

void TarvoUpgrade::run() { }
