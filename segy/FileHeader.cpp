#include "segy/FileHeader.h"

#include "segy/ByteOrder.h"
#include "segy/Conversions.h"
#include "segy/PosixFile.h"
#include "segy/SampleSettings.h"

#include <algorithm>
#include <cstring>

namespace segy {

namespace {

struct BinaryReading {
    int32_t samplesPerTrace;
    int32_t sampleInterval; // microseconds
    int32_t formatCode;
};

// Reads the three fields the viewer uses as signed 16-bit integers stored
// least significant byte first: either a header that SwapBinaryHeader has
// converted from big endian, or a little-endian header as stored.
BinaryReading ReadFields(const unsigned char* header) {
    auto field = [&](int offset) {
        return static_cast<int32_t>(static_cast<int16_t>(LoadLittle16(header + offset)));
    };
    return {field(kBinSamplesPerTraceOffset), field(kBinSampleIntervalOffset),
            field(kBinFormatCodeOffset)};
}

bool IsValid(const BinaryReading& r) {
    return r.samplesPerTrace >= 0 && r.sampleInterval >= 0 && r.formatCode >= 0 &&
           r.formatCode <= kMaxFormatCode;
}

void ClearNumbers(SegyFileSummary& summary) {
    summary.FormatCode = 0;
    summary.NumSamples = 0;
    summary.NumTraces = 0;
    summary.SampleInterval = 0.0;
}

} // namespace

bool LooksLikeAsciiText(const unsigned char* text) {
    const auto asciiBlanks = std::count(text, text + kTextHeaderSize, 0x20);
    const auto ebcdicBlanks = std::count(text, text + kTextHeaderSize, 0x40);
    return asciiBlanks > ebcdicBlanks;
}

int32_t TraceCountForSize(int64_t fileSize, int32_t traceLength) {
    if (fileSize < kFileHeaderSize || traceLength <= 0)
        return 0;
    const int64_t count = (fileSize - kFileHeaderSize) / traceLength;
    return static_cast<int32_t>(std::min<int64_t>(count, INT32_MAX));
}

int32_t ReadSegyFileHeader(const std::string& path, SegyFileSummary& summary,
                           UserMessages& messages, bool withText) {
    ClearNumbers(summary);

    unsigned char rawText[kTextHeaderSize] = {};
    unsigned char rawBinary[kBinaryHeaderSize] = {};
    int64_t fileSize = 0;
    int64_t delivered = 0;
    {
        ReadOnlyFile file;
        if (!file.Open(path)) {
            messages.ShowMessage(kCannotOpenHeaderMessage);
            return 0;
        }
        delivered = file.ReadAt(rawText, kTextHeaderSize, 0);
        delivered += file.ReadAt(rawBinary, kBinaryHeaderSize, kTextHeaderSize);
        fileSize = file.Size();
    }

    if (withText) {
        if (LooksLikeAsciiText(rawText))
            std::memcpy(summary.TextHeader, rawText, kTextHeaderSize);
        else
            EbcdicToAscii(rawText, reinterpret_cast<unsigned char*>(summary.TextHeader),
                          kTextHeaderSize);
    }

    // A file that ends inside its 3600-byte header has no binary header to
    // trust, and no marker byte either.
    if (delivered < kFileHeaderSize || fileSize < kFileHeaderSize) {
        summary.LittleEndian = 0;
        summary.IeeeFormat = 0;
        return 0;
    }

    summary.IeeeFormat = rawBinary[kIeeeMarkerOffset] == kIeeeMarker ? 1 : 0;

    // The standard's big-endian order first; a header that makes no sense
    // that way is tried little endian, as some writers store it.
    unsigned char converted[kBinaryHeaderSize] = {};
    SwapBinaryHeader(rawBinary, converted);
    BinaryReading reading = ReadFields(converted);
    if (!IsValid(reading)) {
        summary.LittleEndian = 1;
        reading = ReadFields(rawBinary);
        if (!IsValid(reading)) {
            summary.LittleEndian = 0;
            return 0;
        }
    }

    summary.NumSamples = reading.samplesPerTrace;
    summary.SampleInterval = reading.sampleInterval / 1000.0;
    summary.FormatCode = reading.formatCode;
    const int32_t traceLength =
        TraceLength(reading.samplesPerTrace, CountingBytesPerSample(reading.formatCode));
    summary.NumTraces = TraceCountForSize(fileSize, traceLength);
    return 1;
}

int32_t CountSegyTraces(const std::string& path, int32_t numSamples, int32_t bytesPerSample,
                        UserMessages& messages) {
    int64_t fileSize = 0;
    {
        ReadOnlyFile file;
        if (!file.Open(path)) {
            messages.ShowMessage(kCannotOpenHeaderMessage);
            return 0;
        }
        fileSize = file.Size();
    }
    return TraceCountForSize(fileSize, TraceLength(numSamples, bytesPerSample));
}

} // namespace segy
