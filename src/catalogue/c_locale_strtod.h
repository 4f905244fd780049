#pragma once

// strtod with the C locale's decimal point whatever locale the process runs in (a GUI toolkit may
// switch it to the user's). text must end with a zero byte.
double StrtodInCLocale(const char* text);
