#pragma once

// strtod with the C locale's decimal point whatever locale the process runs in (a GUI toolkit may
// switch it to the user's). text must end with a zero byte; end, when given, receives where the
// number ended, as strtod's does.
double StrtodInCLocale(const char* text, char** end = nullptr);
