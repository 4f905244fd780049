#include "console_platform.h"

#include <cstdio>

#include <fcntl.h>
#include <io.h>

void PrepareStandardStreams()
{
    // Standard output stays in text mode: rows end with CR LF, as Windows tools' lines do.
    _setmode(_fileno(stdin), _O_BINARY);
}

int OpenForReading(const char* path)
{
    return _open(path, _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}
