#include "segy/FileHeader.h"

#include "segy/ByteOrder.h"
#include "segy/Conversions.h"
#include "segy/PosixFile.h"
#include "segy/SampleSettings.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <string_view>

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
    summary.RevisionMajor = 0;
    summary.RevisionMinor = 0;
    summary.ExtendedTextHeaders = 0;
    summary.FirstTraceOffset = kFileHeaderSize;
    summary.TraceHeaderExtensions = 0;
    summary.TrailerStanzas = 0;
    summary.TracesInHeader = 0;
}

// The revision is two single bytes, major and minor, which rev 1 files fill
// with 0x0100. Writers that store the plain number as a 16-bit integer
// leave the first byte 0 and put the number in the second, whichever byte
// order they write, so that form is taken as a major number too.
void ReadRevision(const unsigned char* raw, SegyFileSummary& summary) {
    const unsigned char first = raw[kBinRevisionOffset];
    const unsigned char second = raw[kBinRevisionOffset + 1];
    summary.RevisionMajor = first != 0 ? first : second;
    summary.RevisionMinor = first != 0 ? second : 0;
}

// Rev 2 files carry 0x01020304 at 3297-3300 in the order they are written
// in; true with `littleEndian` set when it reads right in exactly one order.
bool ByteOrderFromConstant(const unsigned char* raw, int32_t& littleEndian) {
    const bool big = LoadBig32(raw + kBinByteOrderConstantOffset) == kByteOrderConstant;
    const bool little = LoadLittle32(raw + kBinByteOrderConstantOffset) == kByteOrderConstant;
    if (big == little)
        return false;
    littleEndian = little ? 1 : 0;
    return true;
}

void TranslateText(const unsigned char* raw, char* text) {
    if (LooksLikeAsciiText(raw))
        std::memcpy(text, raw, kTextHeaderSize);
    else
        EbcdicToAscii(raw, reinterpret_cast<unsigned char*>(text), kTextHeaderSize);
}

// EBCDIC code of an opening parenthesis.
constexpr unsigned char kEbcdicOpenParen = 0x4D;

bool HoldsEndText(const unsigned char* stanza) {
    // Most stanzas hold no "((" at all, in ASCII (0x28) or EBCDIC (0x4D);
    // they need no translation.
    auto hasOpening = [stanza](unsigned char paren) {
        const unsigned char pair[] = {paren, paren};
        return std::search(stanza, stanza + kTextHeaderSize, pair, pair + 2) !=
               stanza + kTextHeaderSize;
    };
    if (!hasOpening('(') && !hasOpening(kEbcdicOpenParen))
        return false;
    char text[kTextHeaderSize];
    TranslateText(stanza, text);
    const std::string_view end = kEndTextStanza;
    auto same = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    };
    return std::search(text, text + kTextHeaderSize, end.begin(), end.end(), same) !=
           text + kTextHeaderSize;
}

// A variable number of extended textual headers: the stanzas up to and
// including the one that ends them, or -1 when none does.
int32_t CountVariableTextStanzas(const ReadOnlyFile& file) {
    constexpr int32_t kStanzasPerRead = 64;
    std::vector<unsigned char> block(static_cast<size_t>(kStanzasPerRead) * kTextHeaderSize);
    for (int32_t first = 0; first < kMaxVariableTextStanzas; first += kStanzasPerRead) {
        const int64_t got = file.ReadAt(block.data(), static_cast<int64_t>(block.size()),
                                        kFileHeaderSize + int64_t{first} * kTextHeaderSize);
        const auto whole = static_cast<int32_t>(got / kTextHeaderSize);
        for (int32_t i = 0; i < whole; ++i)
            if (HoldsEndText(block.data() + static_cast<size_t>(i) * kTextHeaderSize))
                return first + i + 1;
        if (whole < kStanzasPerRead)
            return -1;
    }
    return -1;
}

bool FitsWholeTraces(int64_t fileSize, int64_t firstTrace, int64_t trailerBytes,
                     int32_t traceLength) {
    const int64_t dataBytes = fileSize - trailerBytes - firstTrace;
    return traceLength > 0 && dataBytes > 0 && dataBytes % traceLength == 0;
}

// Extended textual headers and where trace 0 begins. Rev 1 and later count
// them at 3505-3506. Rev 0 knew no such field, so its bytes there may be
// anything a writer left: a count is believed in a rev 0 file only where
// the file holds a whole number of traces with it and does not without it.
void ReadExtendedTextCount(const unsigned char* raw, const ReadOnlyFile& file, int64_t fileSize,
                           int32_t traceLength, SegyFileSummary& summary) {
    const bool revisionZero = summary.RevisionMajor < 1;
    if (revisionZero && FitsWholeTraces(fileSize, kFileHeaderSize, 0, traceLength))
        return;
    int32_t count =
        static_cast<int16_t>(Load16(raw + kBinExtendedTextCountOffset, summary.LittleEndian));
    if (count == kExtendedTextVariable)
        count = CountVariableTextStanzas(file);
    else if (count < 0)
        count = 0;
    if (revisionZero &&
        !(count > 0 && FitsWholeTraces(fileSize, kFileHeaderSize + int64_t{count} * kTextHeaderSize,
                                       0, traceLength)))
        return;
    summary.ExtendedTextHeaders = count;
    summary.FirstTraceOffset =
        count >= 0 ? kFileHeaderSize + int64_t{count} * kTextHeaderSize : fileSize;
}

// Rev 2 may place trace 0 outright; an offset inside the file header or
// past the file's end is not believed.
void ReadFirstTraceOffset(const unsigned char* raw, int64_t fileSize, SegyFileSummary& summary) {
    const auto offset =
        static_cast<int64_t>(Load64(raw + kBinFirstTraceOffsetOffset, summary.LittleEndian));
    if (offset >= kFileHeaderSize && offset <= fileSize)
        summary.FirstTraceOffset = offset;
}

// Rev 2's data trailer stanzas follow the last trace; a count the file
// cannot hold after trace 0 is not believed.
void ReadTrailerStanzas(const unsigned char* raw, int64_t fileSize, SegyFileSummary& summary) {
    const auto count =
        static_cast<int32_t>(Load32(raw + kBinTrailerStanzasOffset, summary.LittleEndian));
    if (count == kExtendedTextVariable)
        summary.TrailerStanzas = count;
    else if (count > 0 && int64_t{count} * kTextHeaderSize <= fileSize - summary.FirstTraceOffset)
        summary.TrailerStanzas = count;
}

// The additional 240-byte trace headers of rev 2: 16 bits at 3507, as rev
// 2.1 and segyio read them, also in rev 2.0 files, whose 32-bit field there
// writers fill as often as not with the 16-bit count's bytes (00 01 00 00).
// The 32-bit reading wins only where it fits the file and the 16-bit one
// does not.
void ReadTraceHeaderExtensions(const unsigned char* raw, int64_t fileSize, int32_t samples,
                               int32_t bytesPerSample, SegyFileSummary& summary) {
    const unsigned char* field = raw + kBinTraceExtensionsOffset;
    auto believed = [](int64_t count) { return count > 0 && count <= kMaxTraceHeaderExtensions; };
    const int64_t narrow = static_cast<int16_t>(Load16(field, summary.LittleEndian));
    const int64_t wide = static_cast<int32_t>(Load32(field, summary.LittleEndian));
    const int32_t chosen = believed(narrow) ? static_cast<int32_t>(narrow) : 0;
    auto fits = [&](int32_t extensions) {
        return FitsWholeTraces(fileSize, summary.FirstTraceOffset, summary.Framing().TrailerBytes,
                               StoredTraceLength(samples, bytesPerSample, extensions));
    };
    summary.TraceHeaderExtensions =
        believed(wide) && fits(static_cast<int32_t>(wide)) && !fits(chosen)
            ? static_cast<int32_t>(wide)
            : chosen;
}

// Where the traces lie: after the extended textual headers or at rev 2's
// own offset, with rev 2's additional trace headers and data trailer.
void ReadTraceLayout(const unsigned char* raw, const ReadOnlyFile& file, int64_t fileSize,
                     int32_t samples, int32_t formatCode, SegyFileSummary& summary) {
    const int32_t bytesPerSample = CountingBytesPerSample(formatCode);
    ReadExtendedTextCount(raw, file, fileSize, StoredTraceLength(samples, bytesPerSample, 0),
                          summary);
    if (summary.RevisionMajor < kFirstRevisionWithNewFormats)
        return;
    ReadFirstTraceOffset(raw, fileSize, summary);
    ReadTrailerStanzas(raw, fileSize, summary);
    ReadTraceHeaderExtensions(raw, fileSize, samples, bytesPerSample, summary);
    const auto traces =
        static_cast<int64_t>(Load64(raw + kBinTracesInFileOffset, summary.LittleEndian));
    summary.TracesInHeader = std::max<int64_t>(traces, 0);
}

// Rev 2 keeps samples per trace and the sample interval in wider fields as
// well; they stand in when the 16-bit fields are 0.
void ReadExtendedLayout(const unsigned char* raw, int32_t littleEndian, BinaryReading& reading,
                        double& intervalUs) {
    intervalUs = reading.sampleInterval;
    if (reading.samplesPerTrace == 0) {
        const auto samples =
            static_cast<int32_t>(Load32(raw + kBinExtSamplesPerTraceOffset, littleEndian));
        if (samples > 0 && samples <= kMaxExtendedSamples)
            reading.samplesPerTrace = samples;
    }
    if (reading.sampleInterval == 0) {
        const double interval =
            BitsToDouble(Load64(raw + kBinExtSampleIntervalOffset, littleEndian));
        if (std::isfinite(interval) && interval > 0.0)
            intervalUs = interval;
    }
}

// SEG-Y rev 2 made the 16-bit samples per trace unsigned, for traces longer
// than 32767 samples. Such a count is believed when the signed readings
// leave the file unrecognised and the file then holds a whole number of
// traces; `fields` are the three fields least significant byte first.
bool ReadUnsignedSamples(const unsigned char* fields, const unsigned char* raw,
                         const ReadOnlyFile& file, int64_t fileSize, int32_t littleEndian,
                         const SegyFileSummary& summary, BinaryReading& reading) {
    BinaryReading unsignedReading = ReadFields(fields);
    unsignedReading.samplesPerTrace = LoadLittle16(fields + kBinSamplesPerTraceOffset);
    if (!IsValid(unsignedReading))
        return false;
    SegyFileSummary layout = summary;
    layout.LittleEndian = littleEndian;
    ReadTraceLayout(raw, file, fileSize, unsignedReading.samplesPerTrace,
                    unsignedReading.formatCode, layout);
    const int32_t length = StoredTraceLength(unsignedReading.samplesPerTrace,
                                             CountingBytesPerSample(unsignedReading.formatCode),
                                             layout.TraceHeaderExtensions);
    if (!FitsWholeTraces(fileSize, layout.FirstTraceOffset, layout.Framing().TrailerBytes, length))
        return false;
    reading = unsignedReading;
    return true;
}

} // namespace

bool LooksLikeAsciiText(const unsigned char* text) {
    const auto asciiBlanks = std::count(text, text + kTextHeaderSize, 0x20);
    const auto ebcdicBlanks = std::count(text, text + kTextHeaderSize, 0x40);
    return asciiBlanks > ebcdicBlanks;
}

int64_t TraceCountForSize(int64_t fileSize, int32_t traceLength, int64_t firstTraceOffset) {
    if (fileSize < firstTraceOffset || traceLength <= 0)
        return 0;
    return (fileSize - firstTraceOffset) / traceLength;
}

int64_t TraceCountForSize(int64_t fileSize, int32_t traceLength, const TraceFraming& framing) {
    return TraceCountForSize(fileSize - framing.TrailerBytes, traceLength,
                             framing.FirstTraceOffset);
}

int32_t ReadSegyFileHeader(const std::string& path, SegyFileSummary& summary,
                           UserMessages& messages, bool withText) {
    ClearNumbers(summary);

    unsigned char rawText[kTextHeaderSize] = {};
    unsigned char rawBinary[kBinaryHeaderSize] = {};
    ReadOnlyFile file;
    if (!file.Open(path)) {
        messages.ShowMessage(kCannotOpenHeaderMessage);
        return 0;
    }
    int64_t delivered = file.ReadAt(rawText, kTextHeaderSize, 0);
    delivered += file.ReadAt(rawBinary, kBinaryHeaderSize, kTextHeaderSize);
    const int64_t fileSize = file.Size();

    if (withText)
        TranslateText(rawText, summary.TextHeader);

    // A file that ends inside its 3600-byte header has no binary header to
    // trust, and no marker byte either.
    if (delivered < kFileHeaderSize || fileSize < kFileHeaderSize) {
        summary.LittleEndian = 0;
        summary.IeeeFormat = 0;
        return 0;
    }

    summary.IeeeFormat = rawBinary[kIeeeMarkerOffset] == kIeeeMarker ? 1 : 0;
    ReadRevision(rawBinary, summary);

    // A rev 2 file says its byte order outright. Otherwise the standard's
    // big-endian order comes first, and a header that makes no sense that
    // way is tried little endian, as some writers store it.
    unsigned char converted[kBinaryHeaderSize] = {};
    SwapBinaryHeader(rawBinary, converted);
    int32_t declared = 0;
    BinaryReading reading{};
    if (summary.RevisionMajor >= kFirstRevisionWithNewFormats &&
        ByteOrderFromConstant(rawBinary, declared)) {
        summary.LittleEndian = declared;
        reading = ReadFields(declared ? rawBinary : converted);
        if (!IsValid(reading))
            ReadUnsignedSamples(declared ? rawBinary : converted, rawBinary, file, fileSize,
                                declared, summary, reading);
    } else {
        reading = ReadFields(converted);
        if (!IsValid(reading)) {
            summary.LittleEndian = 1;
            reading = ReadFields(rawBinary);
        }
        // The signed readings come first, so that every file they recognise
        // reads as it always has; then the unsigned count, big endian first.
        if (!IsValid(reading)) {
            for (const int32_t little : {0, 1})
                if (ReadUnsignedSamples(little ? rawBinary : converted, rawBinary, file, fileSize,
                                        little, summary, reading)) {
                    summary.LittleEndian = little;
                    break;
                }
        }
    }
    if (!IsValid(reading)) {
        summary.LittleEndian = 0;
        ClearNumbers(summary);
        return 0;
    }

    double intervalUs = reading.sampleInterval;
    if (summary.RevisionMajor >= kFirstRevisionWithNewFormats)
        ReadExtendedLayout(rawBinary, summary.LittleEndian, reading, intervalUs);
    ReadTraceLayout(rawBinary, file, fileSize, reading.samplesPerTrace, reading.formatCode,
                    summary);

    summary.NumSamples = reading.samplesPerTrace;
    summary.SampleInterval = intervalUs / 1000.0;
    summary.FormatCode = reading.formatCode;
    const int32_t traceLength =
        StoredTraceLength(reading.samplesPerTrace, CountingBytesPerSample(reading.formatCode),
                          summary.TraceHeaderExtensions);
    summary.NumTraces = TraceCountForSize(fileSize, traceLength, summary.Framing());
    return 1;
}

int64_t CountSegyTraces(const std::string& path, int32_t numSamples, int32_t bytesPerSample,
                        UserMessages& messages, const TraceFraming& framing) {
    int64_t fileSize = 0;
    {
        ReadOnlyFile file;
        if (!file.Open(path)) {
            messages.ShowMessage(kCannotOpenHeaderMessage);
            return 0;
        }
        fileSize = file.Size();
    }
    return TraceCountForSize(
        fileSize, StoredTraceLength(numSamples, bytesPerSample, framing.TraceHeaderExtensions),
        framing);
}

std::vector<std::string> ReadExtendedTextHeaders(const std::string& path,
                                                 const SegyFileSummary& summary) {
    std::vector<std::string> stanzas;
    ReadOnlyFile file;
    if (!file.Open(path))
        return stanzas;
    unsigned char raw[kTextHeaderSize];
    char text[kTextHeaderSize];
    for (int32_t i = 0; i < summary.ExtendedTextHeaders; ++i) {
        if (file.ReadAt(raw, kTextHeaderSize, kFileHeaderSize + int64_t{i} * kTextHeaderSize) <
            kTextHeaderSize)
            break;
        TranslateText(raw, text);
        stanzas.emplace_back(text, kTextHeaderSize);
    }
    return stanzas;
}

} // namespace segy
