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

enum class SampleEncoding { IbmFloat, IeeeFloat, Int32, Int16, Int8 };

// The format code a file of this encoding carries (SEG-Y rev 1 codes).
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
};

struct TraceSpec {
    // (byte position 1-based, value) pairs for 4-byte and 2-byte words.
    std::vector<std::pair<int, int32_t>> words4;
    std::vector<std::pair<int, int16_t>> words2;
    std::vector<double> samples; // padded with zeros to numSamples
};

class SegyWriter {
public:
    explicit SegyWriter(FileSpec spec);

    const FileSpec& Spec() const { return spec_; }

    // Overrides a binary-header field (offset within the 400-byte header).
    void SetBinary16(int offset, int16_t value);
    void SetBinary32(int offset, int32_t value);

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

    FileSpec spec_;
    std::vector<std::pair<int, int16_t>> binary16_;
    std::vector<std::pair<int, int32_t>> binary32_;
    std::vector<unsigned char> traces_;
};

bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);

} // namespace segytest
