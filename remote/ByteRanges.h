// Several byte ranges in one HTTP request (RFC 9110, section 14): the
// request's list of ranges, and the parts of a multipart/byteranges answer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace remote {

// The ranges of a Range header (after "bytes=") for the inclusive ranges
// [first, last], in order, with ranges that overlap or touch joined into
// one: "0-239,6240-6479".
std::string RangeList(std::vector<std::pair<int64_t, int64_t>> ranges);

// One part of an answer: bytes [first, last] of a file of `total` bytes
// (-1 when the server did not say), found at `at` in the body.
struct RangePart {
    int64_t first = 0;
    int64_t last = -1;
    int64_t total = -1;
    size_t at = 0;
};

// The bytes [first, last] and total of a Content-Range value such as
// "bytes 0-239/1234"; false when it is not one.
bool ParseContentRange(std::string_view value, RangePart& part);

// Splits a 206 answer into its parts: a multipart/byteranges body by the
// boundary its Content-Type names, any other body as the one part its
// Content-Range gives. False when the answer is malformed or a part's bytes
// are not all there.
bool SplitByteRanges(std::string_view body, std::string_view contentType,
                     std::string_view contentRange, std::vector<RangePart>& parts);

} // namespace remote
