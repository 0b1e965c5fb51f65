#include "segy/DecimalText.h"

#include <charconv>
#include <cmath>

namespace segy {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The number's own characters: blanks around it and a leading plus sign
// dropped (from_chars takes a minus sign but no plus sign).
std::string_view NumberPart(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    if (text.size() > 1 && text.front() == '+' && text[1] != '-')
        text.remove_prefix(1);
    return text;
}

// Reads all of `text` as a number of type T; false when any of it is left.
template <typename T, typename... Format>
bool ReadWhole(std::string_view text, T& value, Format... format) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, format...);
    return !text.empty() && error == std::errc() && stop == end;
}

} // namespace

bool ParseDecimalInteger(std::string_view text, int32_t& value) {
    int32_t parsed = 0;
    if (!ReadWhole(NumberPart(text), parsed, 10))
        return false;
    value = parsed;
    return true;
}

bool ParseDecimalNumber(std::string_view text, double& value) {
    double parsed = 0.0;
    if (!ReadWhole(NumberPart(text), parsed) || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

} // namespace segy
