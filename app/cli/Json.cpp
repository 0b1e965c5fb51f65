#include "app/cli/Json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

Json& Json::operator[](const std::string& key) {
    return members_[key];
}

void Json::Append(Json value) {
    items_.push_back(std::move(value));
}

std::string Json::Indented() const {
    std::string out;
    Write(out, 0, false);
    out += '\n';
    return out;
}

std::string Json::Compact() const {
    std::string out;
    Write(out, 0, true);
    return out;
}

namespace {

void WriteString(std::string& out, const std::string& text) {
    out += '"';
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += ch;
            }
        }
    }
    out += '"';
}

} // namespace

void Json::Write(std::string& out, int indent, bool compact) const {
    switch (kind_) {
    case Kind::Null:
        out += "null";
        return;
    case Kind::Bool:
        out += integer_ ? "true" : "false";
        return;
    case Kind::Integer:
        out += std::to_string(integer_);
        return;
    case Kind::Double:
        // JSON has no infinities or NaN.
        out += std::isfinite(double_) ? ShortestDouble(double_) : "null";
        return;
    case Kind::String:
        WriteString(out, text_);
        return;
    case Kind::Array: {
        out += compact ? "[" : "[\n";
        const std::string inner(static_cast<size_t>(4 * (indent + 1)), ' ');
        for (size_t i = 0; i < items_.size(); ++i) {
            if (!compact)
                out += inner;
            items_[i].Write(out, indent + 1, compact);
            if (i + 1 < items_.size())
                out += ',';
            if (!compact)
                out += '\n';
        }
        if (!compact)
            out.append(static_cast<size_t>(4 * indent), ' ');
        out += ']';
        return;
    }
    case Kind::Object: {
        out += compact ? "{" : "{\n";
        const std::string inner(static_cast<size_t>(4 * (indent + 1)), ' ');
        size_t i = 0;
        for (const auto& [key, value] : members_) {
            if (!compact)
                out += inner;
            WriteString(out, key);
            out += compact ? ":" : ": ";
            value.Write(out, indent + 1, compact);
            if (++i < members_.size())
                out += ',';
            if (!compact)
                out += '\n';
        }
        if (!compact)
            out.append(static_cast<size_t>(4 * indent), ' ');
        out += '}';
        return;
    }
    }
}

std::string Latin1ToUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string ShortestDouble(double value) {
    // Whole numbers that a double holds exactly print as integers.
    constexpr double kExactIntegers = 9007199254740992.0; // 2^53
    if (value == std::trunc(value) && std::fabs(value) <= kExactIntegers)
        return std::to_string(static_cast<int64_t>(value));
    // The shortest digits that read back as `value`, from the exponent form.
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    std::string text(buffer, result.ptr);
    const bool negative = text[0] == '-';
    if (negative)
        text.erase(0, 1);
    const size_t e = text.find('e');
    std::string digits = text.substr(0, e);
    const int exponent = std::stoi(text.substr(e + 1));
    if (digits.size() > 1)
        digits.erase(1, 1); // the decimal point
    const auto length = static_cast<int>(digits.size());
    const int point = exponent + 1; // digits before the decimal point

    std::string fixed;
    if (point <= 0)
        fixed = "0." + std::string(static_cast<size_t>(-point), '0') + digits;
    else if (point >= length)
        fixed = digits + std::string(static_cast<size_t>(point - length), '0');
    else
        fixed = digits.substr(0, static_cast<size_t>(point)) + "." +
                digits.substr(static_cast<size_t>(point));
    std::string scientific = digits.substr(0, 1);
    if (length > 1)
        scientific += "." + digits.substr(1);
    char power[16];
    std::snprintf(power, sizeof power, "e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    scientific += power;
    // The shorter form; fixed notation where they are as long.
    return (negative ? "-" : "") + (scientific.size() < fixed.size() ? scientific : fixed);
}
