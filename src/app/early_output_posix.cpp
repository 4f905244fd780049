#include "app/early_output.h"

void ConnectEarlyOutput() {}
