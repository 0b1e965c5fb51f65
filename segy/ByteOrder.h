// The one place where byte order is handled. SEG-Y is big endian by
// definition; some writers store little-endian files, which the viewer
// detects and reads as well.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace segy {

inline uint16_t LoadBig16(const unsigned char* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}
inline uint16_t LoadLittle16(const unsigned char* p) {
    return static_cast<uint16_t>((p[1] << 8) | p[0]);
}
inline uint32_t LoadBig32(const unsigned char* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
inline uint32_t LoadLittle32(const unsigned char* p) {
    return (uint32_t{p[3]} << 24) | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

inline uint64_t LoadBig64(const unsigned char* p) {
    return (uint64_t{LoadBig32(p)} << 32) | LoadBig32(p + 4);
}
inline uint64_t LoadLittle64(const unsigned char* p) {
    return (uint64_t{LoadLittle32(p + 4)} << 32) | LoadLittle32(p);
}
// 24-bit integers (SEG-Y rev 2 formats 7 and 15), unsigned.
inline uint32_t LoadBig24(const unsigned char* p) {
    return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
}
inline uint32_t LoadLittle24(const unsigned char* p) {
    return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

// Reads an integer in the file's byte order: big endian when littleEndian
// is 0, little endian otherwise.
inline uint16_t Load16(const unsigned char* p, int32_t littleEndian) {
    return littleEndian ? LoadLittle16(p) : LoadBig16(p);
}
inline uint32_t Load24(const unsigned char* p, int32_t littleEndian) {
    return littleEndian ? LoadLittle24(p) : LoadBig24(p);
}
inline uint32_t Load32(const unsigned char* p, int32_t littleEndian) {
    return littleEndian ? LoadLittle32(p) : LoadBig32(p);
}
inline uint64_t Load64(const unsigned char* p, int32_t littleEndian) {
    return littleEndian ? LoadLittle64(p) : LoadBig64(p);
}

// True when data in the file's byte order can be used without swapping.
inline bool IsHostOrder(int32_t littleEndian) {
    return (littleEndian != 0) == (std::endian::native == std::endian::little);
}

inline void StoreBig16(unsigned char* p, uint16_t v) {
    p[0] = static_cast<unsigned char>(v >> 8);
    p[1] = static_cast<unsigned char>(v);
}
inline void StoreLittle16(unsigned char* p, uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
inline void StoreBig32(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}
inline void StoreLittle32(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

inline void StoreBig64(unsigned char* p, uint64_t v) {
    StoreBig32(p, static_cast<uint32_t>(v >> 32));
    StoreBig32(p + 4, static_cast<uint32_t>(v));
}
inline void StoreLittle64(unsigned char* p, uint64_t v) {
    StoreLittle32(p, static_cast<uint32_t>(v));
    StoreLittle32(p + 4, static_cast<uint32_t>(v >> 32));
}

inline float BitsToFloat(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}
inline uint32_t FloatToBits(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}
inline double BitsToDouble(uint64_t bits) {
    return std::bit_cast<double>(bits);
}
inline uint64_t DoubleToBits(double d) {
    return std::bit_cast<uint64_t>(d);
}

} // namespace segy
