// Sizes, byte positions and codes of the SEG-Y layout as Vantrel reads it.
// Offsets are 0-based; the SEG-Y standard counts byte positions from 1.
#pragma once

#include <cstdint>

namespace segy {

// File header: 3200-byte textual header (40 card images of 80 characters),
// then the 400-byte binary header. Traces follow from byte 3601.
constexpr int kTextHeaderSize = 3200;
constexpr int kBinaryHeaderSize = 400;
constexpr int kFileHeaderSize = kTextHeaderSize + kBinaryHeaderSize;
constexpr int kTextLineCount = 40;
constexpr int kTextLineLength = 80;
// The viewer keeps a little slack behind the 3200 characters of the text.
constexpr int kTextHeaderCapacity = 3300;

// Binary header fields used by the viewer, as offsets within the binary
// header (file positions 3217, 3221 and 3225 of SEG-Y rev 1).
constexpr int kBinSampleIntervalOffset = 16;
constexpr int kBinSamplesPerTraceOffset = 20;
constexpr int kBinFormatCodeOffset = 24;
// Only the 27 standard fields at positions 3201-3260 are byte-swapped.
constexpr int kBinSwappedFieldCount = 27;
constexpr int kBinSwappedBytes = 60;

// A private marker in the unassigned part of the binary header (file
// position 3599) that selects IEEE floating-point samples.
constexpr int kIeeeMarkerOffset = 398;
constexpr unsigned char kIeeeMarker = '[';

constexpr int kMaxFormatCode = 16;

// Data sample format codes of the binary header (SEG-Y rev 1, bytes 3225-3226).
constexpr int32_t kFormatIbmFloat = 1;
constexpr int32_t kFormatInt32 = 2;
constexpr int32_t kFormatInt16 = 3;
constexpr int32_t kFormatIeeeFloat = 5;
constexpr int32_t kFormatInt8 = 8;

// The viewer's data types (the item index of the data type box plus one).
constexpr int32_t kDataFixedPoint = 1;
constexpr int32_t kDataIbmFloat = 2;
constexpr int32_t kDataIeeeFloat = 3;

// Trace header: 240 bytes, seen as 60 four-byte or 120 two-byte words.
constexpr int kTraceHeaderSize = 240;
constexpr int kHeaderWords4 = kTraceHeaderSize / 4;
constexpr int kHeaderWords2 = kTraceHeaderSize / 2;

constexpr int kFloatSampleWidth = 4;

// Trace length in bytes for a sample count and width; 32-bit like the
// binary header's own fields, which keep it far below 2^31.
constexpr int32_t TraceLength(int32_t numSamples, int32_t bytesPerSample) {
    return numSamples * bytesPerSample + kTraceHeaderSize;
}

// Offset of trace `index`, in 64-bit arithmetic so files beyond 4 GiB work.
constexpr int64_t TraceOffset(int64_t index, int32_t traceLength) {
    return kFileHeaderSize + index * static_cast<int64_t>(traceLength);
}

} // namespace segy
