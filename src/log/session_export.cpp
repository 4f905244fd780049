#include "log/session_export.h"

#include "log/printable_text.h"
#include "log/session_files.h"
#include "log/session_format.h"

#include <algorithm>
#include <cctype>
#include <cerrno>

namespace {

constexpr std::size_t kChunk = 1 << 20;

} // namespace

ExportFormat ExportFormatFor(const std::string& path)
{
    if (path.size() < 4)
        return ExportFormat::Session;
    std::string end = path.substr(path.size() - 4);
    std::transform(end.begin(), end.end(), end.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return end == ".csv" ? ExportFormat::Csv : ExportFormat::Session;
}

bool SaveRows(const std::string& path, std::span<const SessionRow* const> rows, std::string& error)
{
    const ExportFormat format = ExportFormatFor(path);
    std::string temporary;
    int failure = 0;
    const int fd = CreateBeside(path, temporary, failure);
    if (fd < 0) {
        error = "cannot create a file beside " + PrintableText(path) + ": " + ErrorText(failure);
        return false;
    }
    const auto fail = [&](const char* what) {
        error = std::string(what) + " " + PrintableText(path) + ": " + ErrorText(failure);
        CloseFile(fd);
        RemoveFile(temporary);
        return false;
    };

    std::string text = format == ExportFormat::Csv ? std::string(kCsvTitles) : std::string(kSessionTitles) + '\n';
    for (const SessionRow* row : rows) {
        if (format == ExportFormat::Csv)
            AppendCsvLine(text, *row);
        else
            AppendSessionLine(text, *row);
        if (text.size() >= kChunk) {
            if (!WriteAllBytes(fd, text, failure))
                return fail("cannot write");
            text.clear();
        }
    }
    if (!WriteAllBytes(fd, text, failure))
        return fail("cannot write");
    if (!SyncFile(fd)) {
        failure = errno;
        return fail("cannot write");
    }
    if (!CloseFile(fd)) {
        error = "cannot write " + PrintableText(path) + ": " + ErrorText(errno);
        RemoveFile(temporary);
        return false;
    }
    if (!MoveIntoPlace(temporary, path, failure)) {
        error = "cannot save as " + PrintableText(path) + ": " + ErrorText(failure);
        RemoveFile(temporary);
        return false;
    }
    return true;
}
