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

// Fields of later revisions (SEG-Y rev 1 and rev 2.0/2.1), also offsets
// within the binary header. The revision is two single bytes, major then
// minor (position 3501 and 3502); rev 1 files store 0x0100 there.
constexpr int kBinRevisionOffset = 300;
// Count of 3200-byte extended textual headers after the binary header
// (3505-3506, rev 1 and later): -1 means a variable number ended by a
// ((SEG: EndText)) stanza.
constexpr int kBinExtendedTextCountOffset = 304;
// Rev 2: extended samples per trace (3269-3272, 32-bit) and sample interval
// (3273-3280, IEEE double, microseconds), the byte-order constant
// (3297-3300) and the maximum number of additional 240-byte trace headers,
// 4 bytes at 3507-3510 in rev 2.0 and 2 bytes at 3507-3508 from rev 2.1 on.
constexpr int kBinExtSamplesPerTraceOffset = 68;
constexpr int kBinExtSampleIntervalOffset = 72;
constexpr int kBinByteOrderConstantOffset = 96;
constexpr uint32_t kByteOrderConstant = 16909060; // 0x01020304
constexpr int kBinTraceExtensionsOffset = 306;
// Rev 2 also: the number of traces in the file (3513-3520, 64-bit), the byte
// offset of trace 0 (3521-3528, 64-bit; 0 when the text counts place it)
// and the number of 3200-byte data trailer stanzas at the end of the file
// (3529-3532, 32-bit; -1 for a variable number).
constexpr int kBinTracesInFileOffset = 312;
constexpr int kBinFirstTraceOffsetOffset = 320;
constexpr int kBinTrailerStanzasOffset = 328;

constexpr int kExtendedTextVariable = -1;
// The stanza that ends a variable number of extended textual headers.
inline const char* const kEndTextStanza = "((SEG: EndText))";

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
// Codes added by SEG-Y rev 2, unassigned before it.
constexpr int32_t kFormatIeeeDouble = 6;
constexpr int32_t kFormatInt24 = 7;
constexpr int32_t kFormatInt64 = 9;
constexpr int32_t kFormatUInt32 = 10;
constexpr int32_t kFormatUInt16 = 11;
constexpr int32_t kFormatUInt64 = 12;
constexpr int32_t kFormatUInt24 = 15;
constexpr int32_t kFormatUInt8 = 16;
constexpr int32_t kFirstRevisionWithNewFormats = 2;

// The viewer's data types (the item index of the data type box plus one).
constexpr int32_t kDataFixedPoint = 1;
constexpr int32_t kDataIbmFloat = 2;
constexpr int32_t kDataIeeeFloat = 3;
constexpr int32_t kDataUnsignedFixedPoint = 4;

// Trace header: 240 bytes, seen as 60 four-byte or 120 two-byte words.
constexpr int kTraceHeaderSize = 240;
constexpr int kHeaderWords4 = kTraceHeaderSize / 4;
constexpr int kHeaderWords2 = kTraceHeaderSize / 2;

constexpr int kFloatSampleWidth = 4;
constexpr int kDoubleSampleWidth = 8;

// Trace length in bytes for a sample count and width; 32-bit like the
// binary header's own fields, which keep it far below 2^31.
constexpr int32_t TraceLength(int32_t numSamples, int32_t bytesPerSample) {
    return numSamples * bytesPerSample + kTraceHeaderSize;
}

// Length of a trace as stored when each one carries `extensions` additional
// 240-byte headers between its header and its samples (SEG-Y rev 2).
constexpr int32_t StoredTraceLength(int32_t numSamples, int32_t bytesPerSample,
                                    int32_t extensions) {
    return TraceLength(numSamples, bytesPerSample) + extensions * kTraceHeaderSize;
}

// Where a file's traces begin and how many additional 240-byte headers
// each carries (none before SEG-Y rev 2).
struct TraceFraming {
    int64_t FirstTraceOffset = kFileHeaderSize;
    int32_t TraceHeaderExtensions = 0;
    // Bytes of data trailer stanzas at the file's end, which hold no traces.
    int64_t TrailerBytes = 0;
};

// Offset of trace `index`, in 64-bit arithmetic so files beyond 4 GiB work.
// Trace 0 starts after the file header and any extended textual headers.
constexpr int64_t TraceOffset(int64_t index, int32_t traceLength,
                              int64_t firstTraceOffset = kFileHeaderSize) {
    return firstTraceOffset + index * static_cast<int64_t>(traceLength);
}

} // namespace segy
