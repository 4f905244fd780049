#include "script/script_file.h"

#include "log/session_files.h"

#include <cerrno>
#include <cstdio>

std::optional<std::string> ReadScriptFile(const std::string& path, std::string& error, const std::atomic<bool>* stop)
{
    const auto stopped = [stop] { return stop && stop->load(); };
    const auto failed = [&](int code) {
        error = "cannot read " + path + ": " + ErrorText(code);
        return std::nullopt;
    };
    std::FILE* in = nullptr;
    while (!stopped() && !(in = std::fopen(path.c_str(), "rb")) && errno == EINTR) {
    }
    if (!in)
        return stopped() ? std::nullopt : failed(errno);
    std::string text(kLargestScript + 1, '\0');
    std::size_t size = 0;
    while (size < text.size() && !stopped()) {
        errno = 0;
        const std::size_t n = std::fread(text.data() + size, 1, text.size() - size, in);
        size += n;
        if (n > 0)
            continue;
        if (std::ferror(in) && errno == EINTR) {
            std::clearerr(in);
            continue;
        }
        break;
    }
    const int readError = std::ferror(in) ? errno : 0;
    std::fclose(in);
    if (stopped())
        return std::nullopt;
    if (readError != 0)
        return failed(readError);
    if (size > kLargestScript) {
        error = path + " is larger than a script can be (16 MiB)";
        return std::nullopt;
    }
    text.resize(size);
    return text;
}
