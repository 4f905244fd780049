#include "decode_stream.h"

#include "protocol/byte_text.h"

#include "protocol/receive_framer.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include <unistd.h>

namespace {

constexpr std::size_t kBlock = 64 * 1024;

} // namespace

bool DecodeStream(int fd, const std::string& name, bool asText, IFrameSink& sink, const std::function<bool()>& keepGoing,
                  std::string& error)
{
    CReceiveFramer framer(sink);
    ByteTextReader textReader;
    std::vector<std::uint8_t> values;
    std::vector<char> block(kBlock);
    auto frameAll = [&framer](const auto& bytes) {
        framer.PutBytes({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
    };
    for (;;) {
        const ssize_t n = read(fd, block.data(), static_cast<unsigned>(block.size())); // Windows takes unsigned
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = "cannot read " + name + ": " + std::strerror(errno);
            return false;
        }
        if (n == 0)
            break;
        const std::string_view got(block.data(), static_cast<std::size_t>(n));
        if (asText) {
            values.clear();
            const bool ok = textReader.Feed(got, values);
            frameAll(values);
            if (!ok) {
                error = name + ": " + textReader.Error();
                return false;
            }
        } else {
            frameAll(got);
        }
        if (!keepGoing())
            return true;
    }
    if (asText) {
        values.clear();
        const bool ok = textReader.Finish(values);
        frameAll(values);
        if (!ok) {
            error = name + ": " + textReader.Error();
            return false;
        }
    }
    framer.AbortFrame();
    return true;
}
