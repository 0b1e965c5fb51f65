// How the Data page draws its traces beyond variable area: lines only,
// colour cells (variable density) with or without lines over them, the
// colour maps, the amplitude clip and normalisation, the colour bar and the
// readout of the point under the cursor. Plain code on the canvas
// interface, shared by the window, the command-line renderer and the tests.
#pragma once

#include "logic/Canvas.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

enum class DisplayMode { VariableArea, Wiggle, Density, DensityWiggle };
enum class ColourMap { Grey, Seismic, RedWhiteBlack, Viridis };
enum class Normalisation { Global, PerTrace };

// The menu's texts and the command line's names, in enum order.
inline const char* const kDisplayModeTexts[] = {"Variable Area", "Wiggle", "Variable Density",
                                                "Density with Wiggles"};
inline const char* const kDisplayModeNames[] = {"area", "wiggle", "density", "density-wiggle"};
inline const char* const kColourMapTexts[] = {"Grey", "Seismic", "Red White Black", "Viridis"};
inline const char* const kColourMapNames[] = {"grey", "seismic", "red-white-black", "viridis"};
inline const char* const kNormalisationTexts[] = {"Global", "Per Trace"};
inline const char* const kNormalisationNames[] = {"global", "trace"};
inline constexpr double kClipChoices[] = {90, 95, 98, 99, 99.5, 100};
constexpr double kDefaultClipPercent = 99;

struct DisplaySettings {
    DisplayMode mode = DisplayMode::VariableArea;
    ColourMap colours = ColourMap::Grey;
    double clipPercent = kDefaultClipPercent;
    Normalisation normalisation = Normalisation::Global;

    bool Density() const {
        return mode == DisplayMode::Density || mode == DisplayMode::DensityWiggle;
    }
    bool Lines() const { return mode == DisplayMode::Wiggle || mode == DisplayMode::DensityWiggle; }
};

// Colours as 0xAARRGGBB.
constexpr int kColourSteps = 256;
using ColourRamp = std::array<uint32_t, kColourSteps>;
// The map from the most negative (step 0) through zero (the middle step)
// to the most positive amplitude (the last step).
const ColourRamp& RampOf(ColourMap map);
// The step of an amplitude already divided by its clip: -1 and below the
// first step, 0 the middle one, 1 and above the last; not finite the middle.
int ColourStep(float scaled);

// The amplitude at `percent` of the finite magnitudes of `samples` (100:
// the largest); 0 when there is none. `scratch` is reused for the work.
float AmplitudePercentile(const float* samples, size_t count, double percent,
                          std::vector<float>& scratch);

// What one paint in a mode other than variable area draws from: the
// visible window of each trace on screen, with the amplitude each trace is
// divided by.
struct SectionWindow {
    int32_t traces = 0;
    int32_t samples = 0;           // per trace, from the window's first sample
    const float* values = nullptr; // traces × samples
    std::vector<float> clips;      // per trace: the amplitude drawn at full strength
    int32_t left = 0;              // x of the first trace's zero line
    int32_t top = 0;               // y of the window's first sample
    double traceSpacing = 0;
    double pixelsPerSample = 0;
};

// The gain edit's gain relative to its default: the factor density
// amplitudes are multiplied by, so that the default gain draws each clip
// amplitude at the end of the colour map.
double DensityGainFactor(double plotGain);

// Draws the colour cells of every trace within the canvas: each trace fills
// its spacing around its zero line, each sample its share of time.
void DrawDensity(Canvas& canvas, const SectionWindow& window, const ColourRamp& ramp,
                 double plotGain);
// Draws each trace as a line only: a clip amplitude lies `plotGain` trace
// spacings from the zero line, and larger ones are held there.
void DrawWiggles(Canvas& canvas, const SectionWindow& window, double plotGain);
// The colour bar at the canvas's right edge from `top` down, with the
// texts of its ends beside it.
void DrawColourBar(Canvas& canvas, const ColourRamp& ramp, int top, const std::string& high,
                   const std::string& low);
