// Reading the SEG-Y file header: the textual header, the binary header's
// samples per trace, sample interval and format code, the byte order and
// the trace count from the file size.
#pragma once

#include "segy/SegyFormat.h"
#include "segy/UserMessages.h"

#include <cstdint>
#include <string>
#include <vector>

namespace segy {

// What the header reader fills. The viewer state holds these very fields,
// so whatever the reader writes, also on failure, is what the viewer shows.
struct SegyFileSummary {
    char TextHeader[kTextHeaderCapacity] = {};
    int32_t FormatCode = 0;
    int32_t NumSamples = 0;
    double SampleInterval = 0.0; // milliseconds
    // 64-bit: large prestack surveys hold more than 2^31 traces.
    int64_t NumTraces = 0;
    int32_t LittleEndian = 0;
    int32_t IeeeFormat = 0;
    // What later revisions of SEG-Y add; a rev 0 file leaves the defaults.
    int32_t RevisionMajor = 0;
    int32_t RevisionMinor = 0;
    // Extended textual headers between the binary header and trace 0; -1
    // when a variable number was announced and no end stanza was found.
    int32_t ExtendedTextHeaders = 0;
    int64_t FirstTraceOffset = kFileHeaderSize;
    int32_t TraceHeaderExtensions = 0;
    // Rev 2: the data trailer stanzas (-1 for a variable number, which the
    // count of traces does not leave out) and the binary header's own
    // count of traces (0 when it gives none).
    int32_t TrailerStanzas = 0;
    int64_t TracesInHeader = 0;

    TraceFraming Framing() const {
        return {FirstTraceOffset, TraceHeaderExtensions,
                TrailerStanzas > 0 ? int64_t{TrailerStanzas} * kTextHeaderSize : 0};
    }
};

// Stanzas of a variable number of extended textual headers are looked at up
// to this many; a file that ends none of them holds no traces.
constexpr int32_t kMaxVariableTextStanzas = 65536;
// Largest extended samples-per-trace and additional trace header counts
// taken from a rev 2 binary header; larger values are not believed.
constexpr int32_t kMaxExtendedSamples = 1 << 24;
constexpr int32_t kMaxTraceHeaderExtensions = 32767;

inline const char* const kCannotOpenHeaderMessage = "Cannot open input file <ReadSegyFileHeader>!!";

// Reads the 3600-byte file header of `path` into `summary`. Returns 1 when
// the binary header is recognised in either byte order, 0 when the file
// cannot be opened (after telling the user) or is not recognised. With
// withText false the textual header is left as it is. The caller sets
// LittleEndian to 0 before the call.
int32_t ReadSegyFileHeader(const std::string& path, SegyFileSummary& summary,
                           UserMessages& messages, bool withText = true);

// Recounts the whole traces of `path` for another sample width; 0 when the
// file cannot be opened (after telling the user).
int64_t CountSegyTraces(const std::string& path, int32_t numSamples, int32_t bytesPerSample,
                        UserMessages& messages, const TraceFraming& framing = {});

// Whole traces in a file of `fileSize` bytes: the remainder is dropped, and
// a file that ends before its first trace holds none.
int64_t TraceCountForSize(int64_t fileSize, int32_t traceLength,
                          int64_t firstTraceOffset = kFileHeaderSize);
int64_t TraceCountForSize(int64_t fileSize, int32_t traceLength, const TraceFraming& framing);

// The extended textual headers that `summary` found in `path`, each as 3200
// characters translated like the main textual header; only the stanzas the
// file holds in full. Empty when the file cannot be opened.
std::vector<std::string> ReadExtendedTextHeaders(const std::string& path,
                                                 const SegyFileSummary& summary);

// True when the 3200 bytes are already ASCII text rather than EBCDIC:
// more ASCII blanks (0x20) than EBCDIC blanks (0x40).
bool LooksLikeAsciiText(const unsigned char* text);

} // namespace segy
