#include "tests/support/SegyWriter.h"

#include "segy/ByteOrder.h"
#include "segy/Conversions.h"
#include "segy/SegyFormat.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

namespace segytest {

int16_t FormatCodeFor(SampleEncoding encoding) {
    switch (encoding) {
    case SampleEncoding::IbmFloat:
        return segy::kFormatIbmFloat;
    case SampleEncoding::IeeeFloat:
        return segy::kFormatIeeeFloat;
    case SampleEncoding::Int32:
        return segy::kFormatInt32;
    case SampleEncoding::Int16:
        return segy::kFormatInt16;
    case SampleEncoding::Int8:
        return segy::kFormatInt8;
    case SampleEncoding::IeeeDouble:
        return segy::kFormatIeeeDouble;
    case SampleEncoding::Int24:
        return segy::kFormatInt24;
    case SampleEncoding::Int64:
        return segy::kFormatInt64;
    case SampleEncoding::UInt32:
        return segy::kFormatUInt32;
    case SampleEncoding::UInt16:
        return segy::kFormatUInt16;
    case SampleEncoding::UInt64:
        return segy::kFormatUInt64;
    case SampleEncoding::UInt24:
        return segy::kFormatUInt24;
    case SampleEncoding::UInt8:
        return segy::kFormatUInt8;
    }
    return segy::kFormatIbmFloat;
}

int BytesFor(SampleEncoding encoding) {
    switch (encoding) {
    case SampleEncoding::Int16:
    case SampleEncoding::UInt16:
        return 2;
    case SampleEncoding::Int8:
    case SampleEncoding::UInt8:
        return 1;
    case SampleEncoding::Int24:
    case SampleEncoding::UInt24:
        return 3;
    case SampleEncoding::IeeeDouble:
    case SampleEncoding::Int64:
    case SampleEncoding::UInt64:
        return 8;
    default:
        return 4;
    }
}

uint32_t IeeeToIbmBits(float value) {
    if (value == 0.0f || !std::isfinite(value))
        return 0;
    const uint32_t sign = std::signbit(value) ? 0x80000000u : 0;
    double magnitude = std::fabs(static_cast<double>(value));
    int exponent = 64;
    while (magnitude >= 1.0) {
        magnitude /= 16.0;
        ++exponent;
    }
    while (magnitude < 1.0 / 16.0) {
        magnitude *= 16.0;
        --exponent;
    }
    if (exponent > 127)
        return sign | 0x7FFFFFFFu;
    if (exponent < 0)
        return 0;
    const auto fraction = static_cast<uint32_t>(magnitude * 16777216.0);
    return sign | (static_cast<uint32_t>(exponent) << 24) | (fraction & 0x00FFFFFFu);
}

unsigned char AsciiToEbcdic(unsigned char c) {
    for (int e = 0; e < 256; ++e)
        if (segy::kEbcdicToAsciiTable[e] == c && c != 0xFF)
            return static_cast<unsigned char>(e);
    return 0x40; // blank for anything the table cannot express
}

SegyWriter::SegyWriter(FileSpec spec) : spec_(std::move(spec)) {}

void SegyWriter::SetBinary16(int offset, int16_t value) {
    binary16_.emplace_back(offset, value);
}
void SegyWriter::SetBinary32(int offset, int32_t value) {
    binary32_.emplace_back(offset, value);
}

void SegyWriter::Store16(unsigned char* p, int16_t v) const {
    if (spec_.littleEndian)
        segy::StoreLittle16(p, static_cast<uint16_t>(v));
    else
        segy::StoreBig16(p, static_cast<uint16_t>(v));
}

void SegyWriter::Store32(unsigned char* p, uint32_t v) const {
    if (spec_.littleEndian)
        segy::StoreLittle32(p, v);
    else
        segy::StoreBig32(p, v);
}

std::vector<unsigned char> SegyWriter::TextBytes(const std::vector<std::string>& lines) const {
    std::vector<unsigned char> bytes(segy::kTextHeaderSize, 0);
    for (int line = 0; line < segy::kTextLineCount; ++line) {
        std::string text = line < static_cast<int>(lines.size()) ? lines[static_cast<size_t>(line)]
                                                                 : std::string();
        text.resize(segy::kTextLineLength, ' ');
        for (int i = 0; i < segy::kTextLineLength; ++i) {
            const auto c = static_cast<unsigned char>(text[static_cast<size_t>(i)]);
            bytes[static_cast<size_t>(line * segy::kTextLineLength + i)] =
                spec_.asciiText ? c : AsciiToEbcdic(c);
        }
    }
    return bytes;
}

void SegyWriter::AddExtendedText(const std::vector<std::string>& lines) {
    const auto bytes = TextBytes(lines);
    extendedText_.insert(extendedText_.end(), bytes.begin(), bytes.end());
}

std::vector<unsigned char> SegyWriter::FileHeaderBytes() const {
    std::vector<unsigned char> bytes = TextBytes(spec_.textLines);
    bytes.resize(segy::kFileHeaderSize, 0);
    unsigned char* binary = bytes.data() + segy::kTextHeaderSize;
    Store16(binary + segy::kBinSampleIntervalOffset, spec_.sampleIntervalUs);
    Store16(binary + segy::kBinSamplesPerTraceOffset, spec_.numSamples);
    Store16(binary + segy::kBinFormatCodeOffset,
            spec_.formatCode >= 0 ? spec_.formatCode : FormatCodeFor(spec_.encoding));
    for (const auto& [offset, value] : binary16_)
        Store16(binary + offset, value);
    for (const auto& [offset, value] : binary32_)
        Store32(binary + offset, static_cast<uint32_t>(value));
    if (spec_.ieeeMarker)
        binary[segy::kIeeeMarkerOffset] = segy::kIeeeMarker;
    if (spec_.revisionMajor != 0 || spec_.revisionMinor != 0) {
        binary[segy::kBinRevisionOffset] = static_cast<unsigned char>(spec_.revisionMajor);
        binary[segy::kBinRevisionOffset + 1] = static_cast<unsigned char>(spec_.revisionMinor);
    }
    if (spec_.byteOrderConstant)
        Store32(binary + segy::kBinByteOrderConstantOffset, segy::kByteOrderConstant);
    return bytes;
}

// The low bytes of `bits`, as many as the encoding's width, in file order.
void SegyWriter::StoreInteger(unsigned char* p, uint64_t bits) const {
    const int width = BytesFor(spec_.encoding);
    for (int i = 0; i < width; ++i) {
        const int shift = 8 * (spec_.littleEndian ? i : width - 1 - i);
        p[i] = static_cast<unsigned char>(bits >> shift);
    }
}

void SegyWriter::EncodeSample(unsigned char* p, double value) const {
    switch (spec_.encoding) {
    case SampleEncoding::IeeeDouble:
        StoreInteger(p, segy::DoubleToBits(value));
        break;
    case SampleEncoding::Int24:
    case SampleEncoding::Int64:
    case SampleEncoding::UInt32:
    case SampleEncoding::UInt16:
    case SampleEncoding::UInt64:
    case SampleEncoding::UInt24:
    case SampleEncoding::UInt8:
        StoreInteger(p, static_cast<uint64_t>(std::llround(value)));
        break;
    case SampleEncoding::IbmFloat:
        // IBM values are big endian by nature; a little-endian file stores
        // the same 4 bytes reversed.
        Store32(p, IeeeToIbmBits(static_cast<float>(value)));
        break;
    case SampleEncoding::IeeeFloat:
        Store32(p, segy::FloatToBits(static_cast<float>(value)));
        break;
    case SampleEncoding::Int32:
        Store32(p, static_cast<uint32_t>(static_cast<int32_t>(std::llround(value))));
        break;
    case SampleEncoding::Int16:
        Store16(p, static_cast<int16_t>(std::lround(value)));
        break;
    case SampleEncoding::Int8:
        p[0] = static_cast<unsigned char>(static_cast<int8_t>(std::lround(value)));
        break;
    }
}

std::vector<unsigned char> SegyWriter::TraceBytes(const TraceSpec& trace) const {
    const int width = BytesFor(spec_.encoding);
    const int samplesAt = segy::kTraceHeaderSize * (1 + spec_.traceExtensions);
    std::vector<unsigned char> bytes(static_cast<size_t>(samplesAt + spec_.numSamples * width), 0);
    std::fill(bytes.begin() + segy::kTraceHeaderSize, bytes.begin() + samplesAt, 0xEE);
    for (const auto& [position, value] : trace.words4)
        Store32(bytes.data() + position - 1, static_cast<uint32_t>(value));
    for (const auto& [position, value] : trace.words2)
        Store16(bytes.data() + position - 1, value);
    for (int i = 0; i < spec_.numSamples && i < static_cast<int>(trace.samples.size()); ++i)
        EncodeSample(bytes.data() + samplesAt + i * width, trace.samples[static_cast<size_t>(i)]);
    for (int i = 0; i < spec_.numSamples && i < static_cast<int>(trace.integerSamples.size()); ++i)
        StoreInteger(bytes.data() + samplesAt + i * width,
                     trace.integerSamples[static_cast<size_t>(i)]);
    return bytes;
}

void SegyWriter::AddTrace(const TraceSpec& trace) {
    const auto bytes = TraceBytes(trace);
    traces_.insert(traces_.end(), bytes.begin(), bytes.end());
}

void SegyWriter::AddNumberedTrace(int index) {
    TraceSpec trace;
    trace.words4 = {{1, index + 1}, {5, index + 1}};
    trace.words2 = {{115, spec_.numSamples}, {117, spec_.sampleIntervalUs}};
    for (int i = 0; i < spec_.numSamples; ++i)
        trace.samples.push_back(((i + index) % 7) - 3);
    AddTrace(trace);
}

std::vector<unsigned char> SegyWriter::Bytes() const {
    auto bytes = FileHeaderBytes();
    bytes.insert(bytes.end(), extendedText_.begin(), extendedText_.end());
    bytes.insert(bytes.end(), traces_.begin(), traces_.end());
    return bytes;
}

bool SegyWriter::WriteTo(const std::string& path) const {
    return WriteBytes(path, Bytes());
}

bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

} // namespace segytest
