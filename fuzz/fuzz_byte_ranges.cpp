// Answers to requests for byte ranges, as a server (or anything between it
// and the viewer) may send them: the Content-Type, the Content-Range and
// the body, each part found must lie within the body.
#include "fuzz/FuzzInput.h"
#include "remote/ByteRanges.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzReader in(data, size);
    const std::string_view rest(reinterpret_cast<const char*>(in.Rest()), in.RestSize());
    // The first line is the Content-Type, the second the Content-Range.
    const size_t typeEnd = std::min(rest.find('\n'), rest.size());
    const std::string_view type = rest.substr(0, typeEnd);
    const std::string_view afterType = rest.substr(std::min(typeEnd + 1, rest.size()));
    const size_t rangeEnd = std::min(afterType.find('\n'), afterType.size());
    const std::string_view range = afterType.substr(0, rangeEnd);
    const std::string_view body = afterType.substr(std::min(rangeEnd + 1, afterType.size()));
    std::vector<remote::RangePart> parts;
    if (!remote::SplitByteRanges(body, type, range, parts))
        return 0;
    for (const remote::RangePart& part : parts)
        if (part.first < 0 || part.last < part.first || part.at > body.size() ||
            static_cast<uint64_t>(part.last - part.first) >= body.size() - part.at)
            std::abort();
    return 0;
}
