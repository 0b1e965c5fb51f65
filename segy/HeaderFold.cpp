#include "segy/HeaderFold.h"

#include "segy/ByteOrder.h"
#include "segy/SegyFormat.h"

#include <algorithm>

namespace segy {

namespace {

// Headers are folded into the tables a few bytes of header at a time over a
// batch of headers, so that the running minima and maxima of those bytes
// stay in registers instead of going through memory for every header.
static_assert(kTraceHeaderSize % kFoldPartBytes == 0);

template <bool kBigEndian>
[[gnu::always_inline]] inline uint32_t FoldHeadersAs(const unsigned char* first, int64_t count,
                                                     int64_t stride, const FoldTables& tables) {
    constexpr int kWords2 = kFoldPartBytes / 2;
    constexpr int kWords4 = kFoldPartBytes / 4;
    uint32_t changedParts = 0;
    for (int part = 0; part < kTraceHeaderSize; part += kFoldPartBytes) {
        int32_t* const min4 = tables.min4 + part / 4;
        int32_t* const max4 = tables.max4 + part / 4;
        int32_t* const min2 = tables.min2 + part / 2;
        int32_t* const max2 = tables.max2 + part / 2;
        // The 2-byte tables only ever hold start values and 16-bit words,
        // so their entries fit the width of the words.
        int32_t low4[kWords4], high4[kWords4];
        int16_t low2[kWords2], high2[kWords2];
        for (int j = 0; j < kWords4; ++j) {
            low4[j] = min4[j];
            high4[j] = max4[j];
        }
        for (int j = 0; j < kWords2; ++j) {
            low2[j] = static_cast<int16_t>(min2[j]);
            high2[j] = static_cast<int16_t>(max2[j]);
        }
        for (int64_t h = 0; h < count; ++h) {
            const unsigned char* bytes = first + h * stride + part;
            int32_t w4[kWords4];
            int16_t w2[kWords2];
            for (int j = 0; j < kWords4; ++j)
                w4[j] = static_cast<int32_t>(kBigEndian ? LoadBig32(bytes + 4 * j)
                                                        : LoadLittle32(bytes + 4 * j));
            for (int j = 0; j < kWords2; ++j)
                w2[j] = static_cast<int16_t>(kBigEndian ? LoadBig16(bytes + 2 * j)
                                                        : LoadLittle16(bytes + 2 * j));
            for (int j = 0; j < kWords4; ++j) {
                low4[j] = std::min(low4[j], w4[j]);
                high4[j] = std::max(high4[j], w4[j]);
            }
            for (int j = 0; j < kWords2; ++j) {
                low2[j] = std::min(low2[j], w2[j]);
                high2[j] = std::max(high2[j], w2[j]);
            }
        }
        bool changed = false;
        for (int j = 0; j < kWords4; ++j)
            changed |= (min4[j] != low4[j]) | (max4[j] != high4[j]);
        for (int j = 0; j < kWords2; ++j)
            changed |= (min2[j] != low2[j]) | (max2[j] != high2[j]);
        changedParts |= uint32_t{changed} << (part / kFoldPartBytes);
        for (int j = 0; j < kWords4; ++j) {
            min4[j] = low4[j];
            max4[j] = high4[j];
        }
        for (int j = 0; j < kWords2; ++j) {
            min2[j] = low2[j];
            max2[j] = high2[j];
        }
    }
    return changedParts;
}

} // namespace

// Enters `count` headers, `stride` bytes apart from `first`, into the tables.
// On x86-64 it is also built for processors with byte shuffles and 32-bit
// vector minima (SSSE3, SSE4.1), where every loop of the fold becomes vector
// code; the baseline build serves older processors. Not under the thread
// sanitizer, whose instrumented choice between the two would run before
// its runtime is set up, as the program is loaded.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__)
[[gnu::target_clones("arch=x86-64-v2", "default")]]
#endif
uint32_t
FoldHeaders(const unsigned char* first, int64_t count, int64_t stride, int32_t littleEndian,
            const FoldTables& tables) {
    return littleEndian ? FoldHeadersAs<false>(first, count, stride, tables)
                        : FoldHeadersAs<true>(first, count, stride, tables);
}

} // namespace segy
