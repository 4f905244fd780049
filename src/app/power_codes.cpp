#include "app/power_notices.h"

unsigned PowerCodeOfPrepareForSleep(bool start)
{
    return start ? PBT_APMQUERYSUSPEND : PBT_APMRESUMESUSPEND;
}

unsigned PowerCodeOfWindowsEvent(unsigned event)
{
    return event == PBT_APMSUSPEND ? unsigned{PBT_APMQUERYSUSPEND} : event;
}
