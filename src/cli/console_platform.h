#pragma once

// What the system's standard streams and files need before the tool uses them; one file per
// platform.

// POSIX: a reader closing the pipe must fail writes with EPIPE, not end the process with SIGPIPE.
// Windows: standard input delivers its bytes unchanged (the C library would otherwise turn CR LF
// into LF and end at the first 0x1A, corrupting a captured byte stream).
void PrepareStandardStreams();

// Opens a file to read its bytes unchanged, not inherited by child processes. -1 with errno set
// on failure.
int OpenForReading(const char* path);
