// The fields of the SEG-Y standard 240-byte trace header (revision 2.1):
// where each lies, how wide it is, the names users know it by, what it
// holds, and the scalar that applies to it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace segy {

enum class FieldType {
    Int16, // two's complement, 2 bytes
    Int32, // two's complement, 4 bytes
};

// Which scalar field of the same header a field's value is scaled by.
enum class FieldScalar {
    None,
    Elevation,  // bytes 69-70: elevations and depths, bytes 41-68
    Coordinate, // bytes 71-72: coordinates, bytes 73-88 and 181-188
    Time,       // bytes 215-216: times, bytes 95-114
    ShotPoint,  // bytes 201-202: the shotpoint, bytes 197-200
};

struct TraceHeaderField {
    int firstByte; // 1-based, as the standard counts
    FieldType type;
    // The name shown: segyio's TraceField name where segyio has the field
    // at the same place and width.
    std::string_view name;
    // Other names accepted: the Seismic Unix key (bytes 1-180) and the
    // short keys segyio's su module adds for the later fields.
    std::string_view aliases;
    std::string_view description;
    FieldScalar scalar = FieldScalar::None;

    int Width() const { return type == FieldType::Int16 ? 2 : 4; }
    int LastByte() const { return firstByte + Width() - 1; }
};

// Every field of the standard header, in byte order; together they cover
// bytes 1 to 240 without gaps or overlaps.
std::span<const TraceHeaderField> StandardTraceHeaderFields();

// The field that starts at `firstByte`, or null.
const TraceHeaderField* FieldStartingAt(int firstByte);

// The field a user names: its name or one of its aliases in any letter
// case, or its first byte as a decimal number. Null when none matches.
const TraceHeaderField* FindTraceHeaderField(std::string_view nameOrByte);

// The fields that share at least one byte with bytes first..last (1-based).
std::vector<const TraceHeaderField*> FieldsOverlapping(int firstByte, int lastByte);

// The fields within bytes first..last, one line each: name, aliases, bytes,
// type, description and the scalar that applies, for a tooltip.
std::string DescribeFields(int firstByte, int lastByte);

// The value of the word of type `type` starting at `firstByte` (1-based) in
// a 240-byte header stored in the given byte order.
int32_t HeaderWordValue(const unsigned char* header, int firstByte, FieldType type,
                        int32_t littleEndian);

// The field's value in a 240-byte header stored in the given byte order.
int32_t FieldValue(const unsigned char* header, const TraceHeaderField& field,
                   int32_t littleEndian);

// The first byte of the scalar field that applies to `scalar`; 0 for none.
int ScalarFieldByte(FieldScalar scalar);

// A value with the standard's scalar applied: a positive scalar multiplies,
// a negative one divides by its magnitude, and 0 counts as 1. Inline: the
// geometry fits apply it to thousands of sampled coordinates.
inline double ApplyScalar(int32_t value, int32_t scalar) {
    if (scalar > 0)
        return static_cast<double>(value) * scalar;
    if (scalar < 0)
        return static_cast<double>(value) / -static_cast<double>(scalar);
    return value;
}

} // namespace segy
