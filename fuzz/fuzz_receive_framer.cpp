// Any byte stream is cut into frames that together hold every byte exactly once, in order.
#include "protocol/receive_framer.h"

#include <cstdlib>
#include <vector>

namespace {

class CollectingSink : public IFrameSink {
public:
    std::vector<std::uint8_t> bytes;
    void OnFrame(const CountedBytes& frame, const CountedBytes* payload, bool checksumError) override
    {
        if (frame.Empty() || frame.Count() > CReceiveFramer::kMaxFrame || (payload && checksumError))
            std::abort();
        bytes.insert(bytes.end(), frame.Bytes().begin(), frame.Bytes().end());
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CollectingSink sink;
    CReceiveFramer framer(sink);
    for (std::size_t i = 0; i < size; ++i)
        framer.PutByte(data[i]);
    framer.AbortFrame();
    if (sink.bytes != std::vector<std::uint8_t>(data, data + size))
        std::abort();
    return 0;
}
