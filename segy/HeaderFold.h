// The fold of trace headers into tables of the smallest and largest value
// of every 4-byte and every 2-byte word: the inner loop of the header scan.
#pragma once

#include "segy/SegyFormat.h"

#include <cstdint>

namespace segy {

// The minimum and maximum tables a fold enters headers into: one entry per
// 4-byte word (60) and per 2-byte word (120) of the 240-byte header.
struct FoldTables {
    int32_t* min4;
    int32_t* max4;
    int32_t* min2;
    int32_t* max2;
};

// Headers are folded in parts of this many bytes; a mask of parts has bit p
// for bytes 16p to 16p + 15.
constexpr int kFoldPartBytes = 16;
constexpr uint32_t kAllFoldParts = (1u << (kTraceHeaderSize / kFoldPartBytes)) - 1;

// Enters `count` headers, `stride` bytes apart from `first`, stored in the
// given byte order, into the tables. Returns the mask of parts in which an
// entry of any of the four tables changed.
uint32_t FoldHeaders(const unsigned char* first, int64_t count, int64_t stride,
                     int32_t littleEndian, const FoldTables& tables);

} // namespace segy
