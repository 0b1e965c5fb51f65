#include "segy/Conversions.h"

#include "segy/SegyFormat.h"

#include <bit>
#include <cstring>

namespace segy {

// Code page 500 (EBCDIC International) restricted to 7-bit ASCII: every
// character outside it gives 0xFF, and so do 0xBB; 0x6A gives '|'.
// Row = high hex digit of the EBCDIC code, column = low digit.
const unsigned char kEbcdicToAsciiTable[256] = {
    0x00, 0x01, 0x02, 0x03, 0xFF, 0x09, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,
    0x10, 0x11, 0x12, 0x13, 0xFF, 0xFF, 0x08, 0xFF, 0x18, 0x19, 0xFF, 0xFF, 0x1C, 0x1D, 0x1E, 0x1F,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x0A, 0x17, 0x1B, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x05, 0x06, 0x07,
    0xFF, 0xFF, 0x16, 0xFF, 0xFF, 0xFF, 0xFF, 0x04, 0xFF, 0xFF, 0xFF, 0xFF, 0x14, 0x15, 0xFF, 0x1A,
    0x20, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x5B, 0x2E, 0x3C, 0x28, 0x2B, 0x21,
    0x26, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x5D, 0x24, 0x2A, 0x29, 0x3B, 0x5E,
    0x2D, 0x2F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7C, 0x2C, 0x25, 0x5F, 0x3E, 0x3F,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x60, 0x3A, 0x23, 0x40, 0x27, 0x3D, 0x22,
    0xFF, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F, 0x70, 0x71, 0x72, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0x7E, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0x7B, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0x7D, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F, 0x50, 0x51, 0x52, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0x5C, 0xFF, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
};

void EbcdicToAscii(const unsigned char* source, unsigned char* destination, int32_t length) {
    for (int32_t i = 0; i < length; ++i)
        destination[i] = kEbcdicToAsciiTable[source[i]];
}

namespace {
// Boundaries of the 27 swapped fields: three 4-byte words (job, line and
// reel numbers) followed by 24 two-byte fields up to position 3260.
constexpr int kBinaryFieldBounds[kBinSwappedFieldCount + 1] = {
    0,  4,  8,  12, 14, 16, 18, 20, 22, 24, 26, 28, 30, 32,
    34, 36, 38, 40, 42, 44, 46, 48, 50, 52, 54, 56, 58, kBinSwappedBytes};
} // namespace

void SwapBinaryHeader(const unsigned char* source, unsigned char* destination) {
    for (int field = 0; field < kBinSwappedFieldCount; ++field) {
        const int begin = kBinaryFieldBounds[field];
        const int end = kBinaryFieldBounds[field + 1];
        for (int j = 0; j < end - begin; ++j)
            destination[begin + j] = source[end - 1 - j];
    }
}

namespace {
// Bits above the IBM fraction in a 32-bit word: sign and exponent.
constexpr int kIbmFractionShift = 8;
} // namespace

uint32_t IbmBitsToIeeeBits(uint32_t ibm) {
    // IBM single: sign, 7-bit excess-64 exponent of 16, 24-bit fraction
    // without hidden bit. Normalising the fraction to a leading 1 costs k
    // shifts; the IEEE exponent is then 4 x (E - 64) - k - 1 + 127.
    const uint32_t sign = ibm & 0x80000000u;
    const int32_t exponent = static_cast<int32_t>((ibm >> 24) & 0x7F);
    uint32_t fraction = ibm & 0x00FFFFFFu;
    if (fraction == 0)
        return 0;
    // The fraction fills the low 24 of 32 bits, so its leading zeros
    // beyond the top 8 are the shifts that bring its first 1 to bit 23.
    const int shifts = std::countl_zero(fraction) - kIbmFractionShift;
    fraction <<= shifts;
    const int32_t ieeeExponent = 4 * exponent - 130 - shifts;
    // Outside the single-precision range the exponent would wrap inside its
    // 8-bit field and give a wrong finite number: saturate instead.
    if (ieeeExponent >= 255)
        return sign | 0x7F800000u;
    if (ieeeExponent <= 0)
        return 0;
    return sign | (static_cast<uint32_t>(ieeeExponent) << 23) | (fraction & 0x007FFFFFu);
}

void IbmToIeee(const unsigned char* source, float* destination, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        const unsigned char* p = source + 4 * static_cast<int64_t>(i);
        const uint32_t ibm =
            (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
        const uint32_t bits = IbmBitsToIeeeBits(ibm);
        std::memcpy(&destination[i], &bits, sizeof bits);
    }
}

void SwapWord(uint32_t* destination, const uint32_t* source) {
    const uint32_t v = *source;
    *destination = ((v & 0x000000FFu) << 24) | ((v & 0x0000FF00u) << 8) | ((v & 0x00FF0000u) >> 8) |
                   ((v & 0xFF000000u) >> 24);
}

void SwapTraceHeader(uint32_t* destination, const uint32_t* source) {
    for (int i = 0; i < kHeaderWords4; ++i)
        SwapWord(&destination[i], &source[i]);
}

void SwapBytePairs(const void* source, void* destination, int64_t count) {
    const auto* in = static_cast<const unsigned char*>(source);
    auto* out = static_cast<unsigned char*>(destination);
    for (int64_t i = 0; i + 1 < count; i += 2) {
        const unsigned char first = in[i];
        out[i] = in[i + 1];
        out[i + 1] = first;
    }
}

} // namespace segy
