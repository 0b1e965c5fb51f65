// The Inspect page's content without widgets: the field table's texts, the
// geometry summary, the plot of a field against trace number and the map of
// a coordinate pair, drawn on the canvas interface.
#pragma once

#include "logic/Canvas.h"
#include "segy/HeaderInspection.h"

#include <cstdint>
#include <string>
#include <vector>

// The columns of the field table, in order.
inline const char* const kInspectColumnTitles[] = {"Field",        "Bytes",        "Min",
                                                   "Max",          "Scaled min",   "Scaled max",
                                                   "Min at trace", "Max at trace", "Character"};
constexpr int kInspectColumns = 9;
constexpr int kMinTraceColumn = 6;
constexpr int kMaxTraceColumn = 7;

// What the page says before a scan of every header has filled it.
inline const char* const kNoInspectionText =
    "No scan of every trace header of this file yet. The Inspect page is filled by that scan: "
    "press Scan All Headers (or Scan on the Header page with Auto Scan checked).";

struct InspectFieldRow {
    int word = 0; // index into segy::InspectedWords()
    std::string cells[kInspectColumns];
    // The first trace (0-based) of the minimum and maximum; -1 for none.
    int64_t minTrace = -1;
    int64_t maxTrace = -1;
};

// One row per standard field, in byte order. Traces are counted from 1, as
// the Data page's trace box counts them.
std::vector<InspectFieldRow> InspectFieldRows(const segy::HeaderInspection& inspection);

// The geometry summary, a line each.
std::vector<std::string> GeometrySummary(const segy::HeaderInspection& inspection);

// The plot of a word against trace number over every trace scanned: each
// pixel column spans the smallest to the largest value of its traces.
void DrawFieldEnvelope(Canvas& canvas, const segy::HeaderInspection& inspection, int word);
// The trace (0-based) a click at x picks in that plot on a canvas `width`
// pixels wide; -1 outside the plotted traces.
int64_t EnvelopeTraceAt(int width, const segy::HeaderInspection& inspection, int x);

// The map of a coordinate pair from the sampled headers, scaled alike in
// both directions, with the grid's corners and its inline and crossline
// directions where the geometry has them in that pair.
void DrawCoordinateMap(Canvas& canvas, const segy::HeaderInspection& inspection,
                       segy::CoordinatePair pair);
