#include "segy/Trace.h"

#include "segy/ByteOrder.h"
#include "segy/Conversions.h"
#include "segy/PosixFile.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace segy {

int32_t ReadTrace(const TraceSource& source, int64_t index, int32_t bytes, unsigned char* buffer,
                  UserMessages& messages) {
    ReadOnlyFile file;
    if (!file.Open(source.path)) {
        messages.ShowMessage(kCannotOpenTraceMessage);
        return 0;
    }
    if (bytes <= 0)
        return 0;
    if (index < 0) {
        std::memset(buffer, 0, static_cast<size_t>(bytes));
        return 0;
    }
    const int32_t extensions = source.Framing.TraceHeaderExtensions;
    const int64_t offset =
        TraceOffset(index, StoredTraceLength(source.NumSamples, source.BytesPerSample, extensions),
                    source.Framing.FirstTraceOffset);
    // The samples follow the additional headers, which the viewer skips.
    const int32_t headerBytes = extensions > 0 ? std::min(bytes, kTraceHeaderSize) : bytes;
    int64_t got = file.ReadAt(buffer, headerBytes, offset);
    if (headerBytes < bytes && got == headerBytes)
        got += file.ReadAt(buffer + headerBytes, bytes - headerBytes,
                           offset + int64_t{kTraceHeaderSize} * (1 + extensions));
    std::memset(buffer + got, 0, static_cast<size_t>(bytes - got));
    return static_cast<int32_t>(got);
}

int64_t ReadTraceSampleRun(const ReadOnlyFile& file, const TraceSource& source, int64_t index,
                           int64_t first, int64_t count, int32_t width, unsigned char* buffer) {
    if (index < 0 || first < 0 || count <= 0 || width <= 0)
        return kTraceHeaderSize;
    const int32_t extensions = source.Framing.TraceHeaderExtensions;
    const int64_t storedSampleBytes =
        static_cast<int64_t>(std::max(source.NumSamples, 0)) * std::max(source.BytesPerSample, 0);
    const int64_t begin = std::min(first * width, storedSampleBytes);
    const int64_t bytes = std::min(count * width, storedSampleBytes - begin);
    const int64_t samplesAt =
        TraceOffset(index, StoredTraceLength(source.NumSamples, source.BytesPerSample, extensions),
                    source.Framing.FirstTraceOffset) +
        int64_t{kTraceHeaderSize} * (1 + extensions);
    unsigned char* out = buffer + kTraceHeaderSize;
    const int64_t got = bytes > 0 ? file.ReadAt(out, bytes, samplesAt + begin) : 0;
    std::memset(out + got, 0, static_cast<size_t>(bytes - got));
    return kTraceHeaderSize + bytes;
}

int64_t ReadTraceWindow(const ReadOnlyFile& file, const TraceSource& source, int64_t index,
                        int64_t first, int64_t count, int32_t width, unsigned char* buffer) {
    int64_t got = 0;
    if (index >= 0)
        got = file.ReadAt(buffer, kTraceHeaderSize,
                          TraceOffset(index,
                                      StoredTraceLength(source.NumSamples, source.BytesPerSample,
                                                        source.Framing.TraceHeaderExtensions),
                                      source.Framing.FirstTraceOffset));
    std::memset(buffer + got, 0, static_cast<size_t>(kTraceHeaderSize - got));
    return ReadTraceSampleRun(file, source, index, first, count, width, buffer);
}

int32_t SampleWidth(int32_t dataType, int32_t bytesPerSample) {
    if (dataType == kDataIeeeFloat && bytesPerSample == kDoubleSampleWidth)
        return kDoubleSampleWidth;
    if (dataType == kDataIbmFloat || dataType == kDataIeeeFloat)
        return kFloatSampleWidth;
    return bytesPerSample;
}

WideSampleKind WideSampleKindOf(int32_t dataType, int32_t bytesPerSample) {
    if (SampleWidth(dataType, bytesPerSample) != kDoubleSampleWidth)
        return WideSampleKind::None;
    switch (dataType) {
    case kDataIeeeFloat:
        return WideSampleKind::Double;
    case kDataFixedPoint:
        return WideSampleKind::Signed;
    case kDataUnsignedFixedPoint:
        return WideSampleKind::Unsigned;
    default:
        return WideSampleKind::None;
    }
}

uint64_t WideSampleBits(const unsigned char* buffer, int64_t bufferBytes, int64_t index,
                        int32_t littleEndian) {
    const int64_t at = kTraceHeaderSize + index * kDoubleSampleWidth;
    if (index < 0 || at + kDoubleSampleWidth > bufferBytes)
        return 0;
    return Load64(buffer + at, littleEndian);
}

namespace {

bool IsIntegerWidth(int32_t width) {
    return width == 1 || width == 2 || width == 3 || width == 4 || width == 8;
}

bool IsKnownEncoding(int32_t dataType, int32_t width) {
    if (dataType == kDataIbmFloat || dataType == kDataIeeeFloat)
        return true;
    return (dataType == kDataFixedPoint || dataType == kDataUnsignedFixedPoint) &&
           IsIntegerWidth(width);
}

// 24-bit two's complement: the sign bit of the third byte fills the top.
int32_t SignExtend24(uint32_t v) {
    return static_cast<int32_t>(v << 8) >> 8;
}

template <typename Decode>
void DecodeEach(const unsigned char* p, int32_t width, int64_t count, float* samples,
                Decode decode) {
    for (int64_t i = 0; i < count; ++i, p += width)
        samples[i] = decode(p);
}

// Integers of every width convert to the nearest single, ties to even
// (16777217 -> 16777216).
template <typename Integer, typename Load>
void DecodeIntegers(const unsigned char* p, int32_t width, int64_t count, float* samples,
                    Load load) {
    DecodeEach(p, width, count, samples,
               [load](const unsigned char* q) { return static_cast<float>(Integer(load(q))); });
}

// Signed and unsigned integers differ only in the type each width is read as.
template <bool kSigned>
void DecodeIntegerSamples(const unsigned char* p, int32_t width, int32_t le, int64_t count,
                          float* samples) {
    using Int8 = std::conditional_t<kSigned, int8_t, uint8_t>;
    using Int16 = std::conditional_t<kSigned, int16_t, uint16_t>;
    using Int32 = std::conditional_t<kSigned, int32_t, uint32_t>;
    using Int64 = std::conditional_t<kSigned, int64_t, uint64_t>;
    switch (width) {
    case 1:
        return DecodeIntegers<Int8>(p, width, count, samples,
                                    [](const unsigned char* q) { return q[0]; });
    case 2:
        return DecodeIntegers<Int16>(p, width, count, samples,
                                     [le](const unsigned char* q) { return Load16(q, le); });
    case 3:
        return DecodeIntegers<Int32>(p, width, count, samples, [le](const unsigned char* q) {
            const uint32_t v = Load24(q, le);
            return kSigned ? static_cast<uint32_t>(SignExtend24(v)) : v;
        });
    case 8:
        return DecodeIntegers<Int64>(p, width, count, samples,
                                     [le](const unsigned char* q) { return Load64(q, le); });
    default:
        return DecodeIntegers<Int32>(p, width, count, samples,
                                     [le](const unsigned char* q) { return Load32(q, le); });
    }
}

// The encoding is chosen once per trace, not once per sample: a trace is
// decoded on every repaint of the plot.
void DecodeSamples(const unsigned char* p, int32_t dataType, int32_t width, int32_t littleEndian,
                   int64_t count, float* samples) {
    switch (dataType) {
    case kDataIbmFloat:
        DecodeEach(p, width, count, samples, [littleEndian](const unsigned char* q) {
            return BitsToFloat(IbmBitsToIeeeBits(Load32(q, littleEndian)));
        });
        return;
    case kDataIeeeFloat:
        if (width == kDoubleSampleWidth)
            // Rounds to the nearest single; beyond its range to infinity.
            DecodeEach(p, width, count, samples, [littleEndian](const unsigned char* q) {
                return static_cast<float>(BitsToDouble(Load64(q, littleEndian)));
            });
        else
            DecodeEach(p, width, count, samples, [littleEndian](const unsigned char* q) {
                return BitsToFloat(Load32(q, littleEndian));
            });
        return;
    case kDataUnsignedFixedPoint:
        DecodeIntegerSamples<false>(p, width, littleEndian, count, samples);
        return;
    default:
        DecodeIntegerSamples<true>(p, width, littleEndian, count, samples);
        return;
    }
}

} // namespace

void DecodeTraceSamples(const unsigned char* buffer, int64_t bufferBytes,
                        const SampleDecoding& decoding, float* samples) {
    if (decoding.NumSamples <= 0)
        return;
    const int32_t width = SampleWidth(decoding.DataType, decoding.BytesPerSample);
    if (!IsKnownEncoding(decoding.DataType, width)) {
        std::fill(samples, samples + decoding.NumSamples, 0.0f);
        return;
    }
    // Samples whose bytes lie wholly inside the buffer; IBM and IEEE samples
    // read with a narrower BytesPerSample run past the trace's end.
    const int64_t available = std::max<int64_t>(0, bufferBytes - kTraceHeaderSize) / width;
    const int64_t decoded = std::min<int64_t>(decoding.NumSamples, available);
    DecodeSamples(buffer + kTraceHeaderSize, decoding.DataType, width, decoding.LittleEndian,
                  decoded, samples);
    std::fill(samples + decoded, samples + decoding.NumSamples, 0.0f);
}

// The header words are the 240 bytes copied as they are when the file's
// order is the host's, and with each word's bytes reversed otherwise.
void DecodeHeaderWords(const unsigned char* header, std::span<int32_t, kHeaderWords4> words,
                       int32_t littleEndian) {
    std::memcpy(words.data(), header, kTraceHeaderSize);
    if (IsHostOrder(littleEndian))
        return;
    auto* raw = reinterpret_cast<uint32_t*>(words.data());
    SwapTraceHeader(raw, raw);
}

void DecodeHeaderWords(const unsigned char* header, std::span<int16_t, kHeaderWords2> words,
                       int32_t littleEndian) {
    if (IsHostOrder(littleEndian))
        std::memcpy(words.data(), header, kTraceHeaderSize);
    else
        SwapBytePairs(header, words.data(), kTraceHeaderSize);
}

bool HeaderWordAtRow(const unsigned char* header, int32_t row, bool fourByteMode,
                     int32_t littleEndian, int32_t& value) {
    const int32_t words = fourByteMode ? kHeaderWords4 : kHeaderWords2;
    if (row < 1 || row > words)
        return false;
    if (fourByteMode)
        value = static_cast<int32_t>(Load32(header + 4 * (row - 1), littleEndian));
    else
        value = static_cast<int16_t>(Load16(header + 2 * (row - 1), littleEndian));
    return true;
}

} // namespace segy
