#include "log/session_export.h"

#include "log/file_writes.h"
#include "log/printable_text.h"
#include "log/session_format.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kChunk = 1 << 20;

mode_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

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
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        error = "cannot create a file beside " + PrintableText(path) + ": " + std::strerror(errno);
        return false;
    }
    int failure = 0;
    const auto fail = [&](const char* what) {
        error = std::string(what) + " " + PrintableText(path) + ": " + std::strerror(failure ? failure : errno);
        ::close(fd);
        ::unlink(temporary.c_str());
        return false;
    };
    if (::fchmod(fd, NewFileMode()) != 0)
        return fail("cannot set the permissions of");

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
    if (::fsync(fd) != 0)
        return fail("cannot write");
    if (::close(fd) != 0) {
        error = "cannot write " + PrintableText(path) + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        error = "cannot save as " + PrintableText(path) + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}
