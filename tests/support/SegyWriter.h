// A small SEG-Y writer for the tests, the demo data and the benchmarks.
// It writes what the viewer reads: a textual header in EBCDIC or ASCII, the
// binary header fields, trace headers and samples in every encoding the
// viewer decodes, in either byte order.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace segytest {

enum class SampleEncoding {
    IbmFloat,
    IeeeFloat,
    Int32,
    Int16,
    Int8,
    // SEG-Y rev 2 encodings.
    IeeeDouble,
    Int24,
    Int64,
    UInt32,
    UInt16,
    UInt64,
    UInt24,
    UInt8,
};

// The format code a file of this encoding carries (SEG-Y rev 1 and 2 codes).
int16_t FormatCodeFor(SampleEncoding encoding);
int BytesFor(SampleEncoding encoding);

// IBM System/360 single-precision bits of a value (rounded toward zero).
uint32_t IeeeToIbmBits(float value);

// ASCII to EBCDIC, the inverse of the viewer's table for 7-bit ASCII.
unsigned char AsciiToEbcdic(unsigned char c);

struct FileSpec {
    std::vector<std::string> textLines; // up to 40 lines; padded with blanks
    bool asciiText = false;             // store the text as ASCII, not EBCDIC
    int16_t sampleIntervalUs = 4000;
    int16_t numSamples = 0;
    SampleEncoding encoding = SampleEncoding::IbmFloat;
    int16_t formatCode = -1; // -1: the encoding's own code
    bool littleEndian = false;
    bool ieeeMarker = false; // '[' at file position 3599
    // Revision bytes at 3501-3502 (major, minor); 0, 0 leaves them zero.
    int revisionMajor = 0;
    int revisionMinor = 0;
    bool byteOrderConstant = false; // 16909060 at 3297-3300, in the file's order
    // Additional 240-byte headers written after each trace header, filled
    // with 0xEE; the binary header's field is set apart (SetBinary16/32).
    int traceExtensions = 0;
};

struct TraceSpec {
    // (byte position 1-based, value) pairs for 4-byte and 2-byte words.
    std::vector<std::pair<int, int32_t>> words4;
    std::vector<std::pair<int, int16_t>> words2;
    std::vector<double> samples; // padded with zeros to numSamples
    // Integer samples as their bit patterns, for values a double cannot
    // hold; used instead of `samples` when given.
    std::vector<uint64_t> integerSamples;
};

class SegyWriter {
public:
    explicit SegyWriter(FileSpec spec);

    const FileSpec& Spec() const { return spec_; }

    // Overrides a binary-header field (offset within the 400-byte header).
    void SetBinary16(int offset, int16_t value);
    void SetBinary32(int offset, int32_t value);

    // A 3200-byte extended textual header after the binary header, in the
    // textual header's character set; the count field is set apart.
    void AddExtendedText(const std::vector<std::string>& lines);

    void AddTrace(const TraceSpec& trace);
    // A trace whose header numbers it (bytes 1-4, 5-8) and whose samples
    // follow a simple pattern derived from its index.
    void AddNumberedTrace(int index);

    std::vector<unsigned char> FileHeaderBytes() const;
    std::vector<unsigned char> TraceBytes(const TraceSpec& trace) const;
    std::vector<unsigned char> Bytes() const;

    bool WriteTo(const std::string& path) const;

private:
    void Store16(unsigned char* p, int16_t v) const;
    void Store32(unsigned char* p, uint32_t v) const;
    void EncodeSample(unsigned char* p, double value) const;
    void StoreInteger(unsigned char* p, uint64_t bits) const;
    std::vector<unsigned char> TextBytes(const std::vector<std::string>& lines) const;

    FileSpec spec_;
    std::vector<std::pair<int, int16_t>> binary16_;
    std::vector<std::pair<int, int32_t>> binary32_;
    std::vector<unsigned char> extendedText_;
    std::vector<unsigned char> traces_;
};

bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);

} // namespace segytest
