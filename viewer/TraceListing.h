// The numbers behind one trace: its decoded samples as text lines.
#pragma once

#include "segy/Trace.h"
#include "segy/UserMessages.h"
#include "viewer/ViewerState.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>
#include <vector>

// "%d : %0.8f" with the sample number and the sample widened to double;
// infinities and NaNs print as the C library prints them.
std::string FormatSampleLine(int32_t sampleNumber, float value);

// The same line for an 8-byte sample from its stored bits: a double with its
// own digits, a 64-bit integer exactly (as "%0.8f" of it would be, had a
// double room for every such integer).
std::string FormatWideSampleLine(int32_t sampleNumber, segy::WideSampleKind kind, uint64_t bits);

// Reads trace `index` (0-based) of the current file with the current
// settings and returns one line per sample. A negative index lists nothing
// and beeps: there is no trace before the first.
std::vector<std::string> ListTraceSamples(const ViewerState& state, int64_t index,
                                          segy::UserMessages& messages);

// The trace number typed in the Trace page's edit: a decimal integer, or 0
// for any text that is not one (letters, an empty edit, a number beyond 32
// bits).
int32_t TraceSelectionNumber(const std::string& text);

// The trace the Trace page lists: the edit's number counted from the
// horizontal scroll bar's position, in 64 bits so that no sum wraps.
int64_t ListedTraceIndex(const std::string& selectionText, int32_t scrollPosition);

// The Trace page's lines for the edit's text and the scroll bar's position,
// ready to go into the list box in one batch.
QStringList TraceListingLines(const ViewerState& state, const QString& selectionText,
                              int32_t scrollPosition, segy::UserMessages& messages);
