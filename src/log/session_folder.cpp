#include "log/session_folder.h"

#include "log/printable_text.h"

#include <algorithm>
#include <ctime>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPrefix = "vantrolix-";
constexpr std::string_view kSuffix = ".tsv";
// "2026-12-07T13-04-56"
constexpr std::string_view kStampShape = "dddd-dd-ddTdd-dd-dd";

} // namespace

std::string SessionFileName(std::chrono::system_clock::time_point start, std::string_view port)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(start);
    std::tm local {};
    localtime_r(&seconds, &local);
    char stamp[32];
    const std::size_t n = std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H-%M-%S", &local);
    std::string name(kPrefix);
    name.append(stamp, n);
    name += '-';
    for (char c : port) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.'
            || c == '_' || c == '-';
        name += plain ? c : '_';
    }
    name += kSuffix;
    return name;
}

bool IsSessionFileName(std::string_view name)
{
    if (name.size() < kPrefix.size() + kStampShape.size() + 1 + kSuffix.size() || !name.starts_with(kPrefix)
        || !name.ends_with(kSuffix))
        return false;
    const std::string_view stamp = name.substr(kPrefix.size(), kStampShape.size());
    for (std::size_t i = 0; i < kStampShape.size(); ++i) {
        const bool digit = stamp[i] >= '0' && stamp[i] <= '9';
        if (kStampShape[i] == 'd' ? !digit : stamp[i] != kStampShape[i])
            return false;
    }
    return name[kPrefix.size() + kStampShape.size()] == '-';
}

bool StartSessionFile(SessionWriter& writer, const fs::path& folder, std::chrono::system_clock::time_point start,
                      std::string_view port, std::string& error)
{
    // The system takes a name only up to its first NUL: the folder made and written would be
    // another one, named by the part before it.
    if (folder.native().find(fs::path::value_type{}) != fs::path::string_type::npos) {
        error = "cannot use the folder " + PrintableText(folder.string()) + ": the folder name holds a NUL character";
        return false;
    }
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        error = "cannot create the folder " + PrintableText(folder.string()) + ": " + ec.message();
        return false;
    }
    const std::string name = SessionFileName(start, port);
    const std::string stem = name.substr(0, name.size() - kSuffix.size());
    for (int attempt = 1; attempt <= 100; ++attempt) {
        const fs::path path = folder / (attempt == 1 ? name : stem + '-' + std::to_string(attempt) + std::string(kSuffix));
        if (writer.Open(path.string(), SessionWriter::OpenMode::CreateNew, error))
            return true;
        if (!fs::exists(fs::symlink_status(path, ec)))
            return false;
    }
    error = "cannot create a new session file in " + PrintableText(folder.string()) + ": too many files of this second";
    return false;
}

std::vector<fs::path> PruneSessions(const fs::path& folder, const RetentionLimits& limits, const fs::path& keep,
                                    std::string& error)
{
    struct Candidate {
        fs::path path;
        fs::file_time_type modified;
        std::uintmax_t size;
    };
    std::vector<Candidate> files;
    std::uintmax_t used = 0;
    std::size_t kept = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& path = it->path();
        if (!it->is_regular_file(ec) || it->is_symlink(ec) || !IsSessionFileName(path.filename().string()))
            continue;
        const std::uintmax_t size = it->file_size(ec);
        const auto modified = it->last_write_time(ec);
        if (ec) {
            ec.clear();
            continue;
        }
        // The file being written is in this folder under its own name: only an entry of that name
        // is asked whether it is the same file (a question that reads both files' status).
        if (!keep.empty() && path.filename() == keep.filename() && fs::equivalent(path, keep, ec)) {
            used += size;
            ++kept;
            continue;
        }
        files.push_back({path, modified, size});
    }
    if (ec) {
        error = "cannot list " + PrintableText(folder.string()) + ": " + ec.message();
        return {};
    }
    std::sort(files.begin(), files.end(), [](const Candidate& a, const Candidate& b) {
        return a.modified != b.modified ? a.modified > b.modified : a.path.filename() > b.path.filename();
    });
    std::vector<fs::path> removed;
    bool full = false;
    for (const Candidate& file : files) {
        full = full || kept + 1 > limits.maxFiles || used + file.size > limits.maxBytes;
        if (!full) {
            ++kept;
            used += file.size;
            continue;
        }
        if (fs::remove(file.path, ec))
            removed.push_back(file.path);
        else if (ec && error.empty())
            error = "cannot remove " + PrintableText(file.path.string()) + ": " + ec.message();
    }
    return removed;
}
