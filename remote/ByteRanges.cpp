#include "remote/ByteRanges.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace remote {

namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether `text` starts with `start`, which is in lower case, in any case.
bool StartsWithNoCase(std::string_view text, std::string_view start) {
    if (text.size() < start.size())
        return false;
    for (size_t i = 0; i < start.size(); ++i)
        if (LowerAscii(text[i]) != start[i])
            return false;
    return true;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                             text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

// Reads a whole number at the front of `text`, consuming it.
bool TakeNumber(std::string_view& text, int64_t& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || value < 0)
        return false;
    text.remove_prefix(static_cast<size_t>(end - text.data()));
    return true;
}

// The boundary a multipart Content-Type names, quoted or not; empty when
// the type is not multipart/byteranges.
std::string BoundaryOf(std::string_view contentType) {
    contentType = Trimmed(contentType);
    if (!StartsWithNoCase(contentType, "multipart/byteranges"))
        return {};
    size_t at = 0;
    while ((at = contentType.find(';', at)) != std::string_view::npos) {
        std::string_view parameter = Trimmed(contentType.substr(at + 1));
        ++at;
        if (!StartsWithNoCase(parameter, "boundary="))
            continue;
        parameter.remove_prefix(9);
        if (!parameter.empty() && parameter.front() == '"') {
            parameter.remove_prefix(1);
            return std::string(parameter.substr(0, parameter.find('"')));
        }
        return std::string(Trimmed(parameter.substr(0, parameter.find(';'))));
    }
    return {};
}

} // namespace

std::string RangeList(std::vector<std::pair<int64_t, int64_t>> ranges) {
    std::sort(ranges.begin(), ranges.end());
    std::string list;
    for (size_t i = 0; i < ranges.size();) {
        const int64_t first = ranges[i].first;
        int64_t last = ranges[i].second;
        for (++i; i < ranges.size() && ranges[i].first <= last + 1; ++i)
            last = std::max(last, ranges[i].second);
        if (!list.empty())
            list += ',';
        list += std::to_string(first) + "-" + std::to_string(last);
    }
    return list;
}

bool ParseContentRange(std::string_view value, RangePart& part) {
    value = Trimmed(value);
    if (!StartsWithNoCase(value, "bytes "))
        return false;
    value.remove_prefix(6);
    value = Trimmed(value);
    if (!TakeNumber(value, part.first) || value.empty() || value.front() != '-')
        return false;
    value.remove_prefix(1);
    if (!TakeNumber(value, part.last) || part.last < part.first ||
        part.last == std::numeric_limits<int64_t>::max() || value.empty() || value.front() != '/')
        return false;
    value.remove_prefix(1);
    part.total = -1;
    if (value == "*")
        return true;
    return TakeNumber(value, part.total) && value.empty();
}

bool SplitByteRanges(std::string_view body, std::string_view contentType,
                     std::string_view contentRange, std::vector<RangePart>& parts) {
    parts.clear();
    const std::string boundary = BoundaryOf(contentType);
    if (boundary.empty()) {
        RangePart part;
        if (!ParseContentRange(contentRange, part) ||
            static_cast<int64_t>(body.size()) != part.last - part.first + 1)
            return false;
        parts.push_back(part);
        return true;
    }
    const std::string delimiter = "--" + boundary;
    size_t at = body.find(delimiter);
    while (at != std::string_view::npos) {
        at += delimiter.size();
        if (body.substr(at, 2) == "--")
            return !parts.empty();
        // The part's header lines, up to an empty line.
        RangePart part;
        bool ranged = false;
        const size_t lineEnd = body.find("\r\n", at);
        if (lineEnd == std::string_view::npos)
            return false;
        at = lineEnd + 2;
        while (true) {
            const size_t end = body.find("\r\n", at);
            if (end == std::string_view::npos)
                return false;
            const std::string_view line = body.substr(at, end - at);
            at = end + 2;
            if (line.empty())
                break;
            if (StartsWithNoCase(line, "content-range:"))
                ranged = ParseContentRange(line.substr(14), part);
        }
        const auto length = static_cast<size_t>(part.last - part.first + 1);
        if (!ranged || body.size() - at < length)
            return false;
        part.at = at;
        parts.push_back(part);
        at = body.find(delimiter, at + length);
    }
    return false; // the closing delimiter never came
}

} // namespace remote
