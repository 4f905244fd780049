#pragma once

#include "log/session_row.h"

#include <span>
#include <string>

enum class ExportFormat { Session, Csv };

// CSV when the name ends in ".csv" (any case), the session format otherwise.
ExportFormat ExportFormatFor(const std::string& path);

// Writes the rows to a new file beside `path` and puts it in place only once it is whole, so a
// failed save leaves what was there before. On failure `error` says why.
bool SaveRows(const std::string& path, std::span<const SessionRow* const> rows, std::string& error);
