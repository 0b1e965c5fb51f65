// The numbers behind one trace: its decoded samples as text lines.
#pragma once

#include "segy/UserMessages.h"
#include "viewer/ViewerState.h"

#include <string>
#include <vector>

// "%d : %0.8f" with the sample number and the sample widened to double;
// infinities and NaNs print as the C library prints them.
std::string FormatSampleLine(int32_t sampleNumber, float value);

// Reads trace `index` (0-based) of the current file with the current
// settings and returns one line per sample. A negative index lists nothing.
std::vector<std::string> ListTraceSamples(const ViewerState& state, int32_t index,
                                          segy::UserMessages& messages);
