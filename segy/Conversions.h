// Byte-level conversions of the SEG-Y file: textual header character set,
// binary and trace header byte order, IBM floating point.
#pragma once

#include <cstdint>

namespace segy {

// Translates `length` EBCDIC bytes through the viewer's table: each 7-bit
// ASCII code comes from exactly one EBCDIC code, every other code gives
// 0xFF. Nothing happens for a length of 0 or less; no terminator is written.
void EbcdicToAscii(const unsigned char* source, unsigned char* destination, int32_t length);

// The translation table itself, indexed by EBCDIC code.
extern const unsigned char kEbcdicToAsciiTable[256];

// Reverses the bytes of each of the 27 standard binary-header fields
// (positions 3201-3260) from `source` into `destination`; both are 400-byte
// buffers that must not overlap. Destination bytes 60-399 are left alone.
void SwapBinaryHeader(const unsigned char* source, unsigned char* destination);

// Converts `count` consecutive IBM System/360 single-precision values,
// stored big endian, to IEEE 754 singles. Nothing happens for a count of 0
// or less.
void IbmToIeee(const unsigned char* source, float* destination, int32_t count);

// One IBM value given as its 32 bits read big endian; returns IEEE bits.
uint32_t IbmBitsToIeeeBits(uint32_t ibm);

// Reverses the 4 bytes of each of the 60 words of a trace header. The two
// arrays may be the same.
void SwapTraceHeader(uint32_t* destination, const uint32_t* source);

// Reverses the 4 bytes of one word; destination and source may be the same.
void SwapWord(uint32_t* destination, const uint32_t* source);

// The C library's swab: copies count / 2 byte pairs, swapping the two bytes
// of each pair. Unlike swab it allows source and destination to be the same.
void SwapBytePairs(const void* source, void* destination, int64_t count);

} // namespace segy
