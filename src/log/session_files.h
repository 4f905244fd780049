#pragma once

#include <functional>
#include <string>
#include <string_view>

// The few file calls the session record and the test reports make, with one implementation per
// platform. Files are C runtime descriptors, binary on every platform, so a session file is byte
// for byte the same wherever it was written. Failures give an errno value; ErrorText says it in words.

// Opens `path` for appending; `createNew` fails when it exists, `readable` allows ReadAt.
int OpenForAppend(const std::string& path, bool createNew, bool readable, int& error);
// Opens `path` for reading without waiting for a pipe's writer.
int OpenForReading(const std::string& path, int& error);
// What is there of the file or pipe, up to `size` bytes; 0 at its end, -1 on failure. Before it
// waits for more (a pipe whose writer has paused) it calls `waiting`, and again about every 100 ms
// while it waits: the caller hands over what it holds, or throws to give up the read.
long long ReadOrWait(int fd, char* data, std::size_t size, const std::function<void()>& waiting, int& error);
// Up to `size` bytes from `offset` without moving the write position; -1 on failure.
long long ReadAt(int fd, char* data, std::size_t size, long long offset, int& error);
// -1 when it cannot be told.
long long FileSize(int fd);
// Writes all of `bytes`, across short writes and interruptions.
bool WriteAllBytes(int fd, std::string_view bytes, int& error);
// Asks the system to put the file's content on the disk.
bool SyncFile(int fd);
bool CloseFile(int fd);

// A new file beside `path`, named in `temporary`, with the permissions a new file gets.
int CreateBeside(const std::string& path, std::string& temporary, int& error);
// Puts the closed `temporary` in the place of `path`, replacing any file there in one step.
bool MoveIntoPlace(const std::string& temporary, const std::string& path, int& error);
void RemoveFile(const std::string& path);

std::string ErrorText(int error);
