#include "app/qt_platform_choice.h"

bool RunningUnderWine() { return false; }
