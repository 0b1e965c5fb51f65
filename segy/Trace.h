// Reading one trace by its index and decoding its samples and header words.
#pragma once

#include "segy/SegyFormat.h"
#include "segy/UserMessages.h"

#include <cstdint>
#include <span>
#include <string>

namespace segy {

inline const char* const kCannotOpenTraceMessage = "Cannot open input segy file!!";

// Where a trace lives: the file and the layout the viewer reads it with.
struct TraceSource {
    std::string path;
    int32_t NumSamples = 0;
    int32_t BytesPerSample = 0;
    TraceFraming Framing;
};

// Reads `bytes` bytes of trace `index` (0-based) into `buffer` and returns
// the number read: the 240-byte trace header, then the samples, leaving out
// any additional trace headers stored between them. The file is opened and closed within the call.
// A file that cannot be opened is reported and gives 0 with the buffer untouched; a negative index
// gives 0 and zeros; bytes past the end of the file are zeros, so a short read never leaves stale
// data behind.
int32_t ReadTrace(const TraceSource& source, int64_t index, int32_t bytes, unsigned char* buffer,
                  UserMessages& messages);

class ReadOnlyFile;

// Reads `count` samples of trace `index` from sample `first` on, each
// `width` bytes wide, into `buffer` after its first 240 bytes (left as they
// are), so that the buffer decodes like a whole trace whose sample 0 is
// sample `first`. Returns the buffer bytes to decode: the 240 and the bytes
// that lie within the trace's stored samples (NumSamples x BytesPerSample);
// bytes there past the end of the file are zeros. The buffer holds at least
// 240 + count x width bytes.
int64_t ReadTraceSampleRun(const ReadOnlyFile& file, const TraceSource& source, int64_t index,
                           int64_t first, int64_t count, int32_t width, unsigned char* buffer);

// As ReadTraceSampleRun, with the trace's 240-byte header read into the
// buffer's first bytes (zeros where the file ends before it): one window of
// a long trace that decodes and labels like a whole trace.
int64_t ReadTraceWindow(const ReadOnlyFile& file, const TraceSource& source, int64_t index,
                        int64_t first, int64_t count, int32_t width, unsigned char* buffer);

// The decoding settings of the viewer.
struct SampleDecoding {
    int32_t NumSamples = 0;
    int32_t DataType = 0;
    int32_t BytesPerSample = 0;
    int32_t LittleEndian = 0;
};

// Width in bytes of one stored sample: IBM samples are always 4 bytes wide,
// IEEE samples 8 (doubles) with a BytesPerSample of 8 and 4 otherwise;
// fixed point, signed or unsigned, takes BytesPerSample.
int32_t SampleWidth(int32_t dataType, int32_t bytesPerSample);

// 8-byte samples hold values a single cannot; the listing shows them from
// the stored value itself.
enum class WideSampleKind { None, Double, Signed, Unsigned };
WideSampleKind WideSampleKindOf(int32_t dataType, int32_t bytesPerSample);

// The 64 bits of sample `index` in the file's byte order; 0 for a sample
// that does not lie wholly inside the buffer.
uint64_t WideSampleBits(const unsigned char* buffer, int64_t bufferBytes, int64_t index,
                        int32_t littleEndian);

// Decodes NumSamples samples from the trace buffer (header first, samples
// from byte 240) into `samples`. Never reads past `bufferBytes`: samples
// that do not fit in the buffer, and every sample of an unknown data type
// or width, decode to 0.0.
void DecodeTraceSamples(const unsigned char* buffer, int64_t bufferBytes,
                        const SampleDecoding& decoding, float* samples);

// Decodes the 240-byte trace header as 60 signed 32-bit words or as 120
// signed 16-bit words in the file's byte order; row r is element r - 1.
void DecodeHeaderWords(const unsigned char* header, std::span<int32_t, kHeaderWords4> words,
                       int32_t littleEndian);
void DecodeHeaderWords(const unsigned char* header, std::span<int16_t, kHeaderWords2> words,
                       int32_t littleEndian);

// The header word that grid row `row` names in the chosen form, for label
// text; false when the row names no word (0, negative, or past the last).
bool HeaderWordAtRow(const unsigned char* header, int32_t row, bool fourByteMode,
                     int32_t littleEndian, int32_t& value);

} // namespace segy
