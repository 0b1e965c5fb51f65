// The part of opening a file that does not touch a widget: read the file
// header into the viewer state, choose the messages, substitute a usable
// layout for an invalid one and derive the sample decoding. The window and
// the command-line tool both open files through it, so they agree.
#pragma once

#include "logic/ViewerState.h"
#include "segy/DecimalText.h"
#include "segy/UserMessages.h"

#include <string>

inline const char* const kNotRecognizedMessage = "Not Recognized SEGY format";
inline const char* const kCustomFormatMessage = "Custom SEGY format";
inline const char* const kInvalidFileFormatMessage = "Invalid File Format!";

// What a header with zero samples or a zero interval is shown as.
constexpr int32_t kSubstituteNumSamples = 500;
constexpr double kSubstituteSampleInterval = 2.0;

struct OpenResult {
    bool recognized = false;
    bool customFormat = false;  // little endian or IEEE marker
    bool invalidFormat = false; // zero samples or interval, substituted
    // The message label's text after the open, "" when it stays hidden.
    std::string labelMessage;
};

// Reads `path`'s header into `state` (LittleEndian reset first). When it is
// recognised, substitutes 500 samples of 2 ms for a zero layout (after the
// beep and "Invalid File Format!") and sets DataType and BytesPerSample.
// An unrecognised file leaves everything but the summary fields as it was.
OpenResult ReadHeaderIntoState(ViewerState& state, const std::string& path,
                               segy::UserMessages& messages);

// The two halves of it, for the window, which shows the byte order between
// them: reading the header and choosing the messages, then the layout
// substitution and the sample decoding of a recognised file.
OpenResult ReadHeaderSummary(ViewerState& state, const std::string& path,
                             segy::UserMessages& messages);
void SettleLayoutAndDecoding(ViewerState& state, OpenResult& result, segy::UserMessages& messages);

// The text-memo lines of the textual header: 40 lines of 80 characters,
// each cut at its first NUL.
std::vector<std::string> TextHeaderLines(const ViewerState& state);
// The same lines of any 3200-character stanza, an extended textual header.
std::vector<std::string> TextStanzaLines(const char* stanza);

// The trace length in milliseconds the vertical scroll bar spans.
int32_t RecordLengthMs(int32_t numSamples, double sampleInterval);

// A number in the general floating-point format the window shows sample
// rates and gains in: "2", "0.25", "2.5" (up to 15 significant digits).
std::string FormatGeneralFloat(double value);

// The edits and the plot read typed numbers by the rules of segy/DecimalText.
using segy::ParseDecimalNumber;
