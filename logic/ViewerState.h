// Everything the viewer knows, in one record owned by the main window. The
// file-format core fills parts of it (the file summary, the scan tables)
// through the base records it defines; the window and the plot read and
// write the rest by name.
#pragma once

#include "logic/Canvas.h"
#include "logic/DisplayModes.h"
#include "segy/FileHeader.h"
#include "segy/HeaderScan.h"
#include "segy/Trace.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Start capacity of the renderer's buffers; they grow for longer traces.
constexpr int kRendererBufferCapacity = 10000;

// Label marks of the header grid's rows.
constexpr int32_t kUpperLabelMark = 70;
constexpr int32_t kLowerLabelMark = 80;

constexpr int32_t kDefaultTracesPerScreen = 100;
constexpr int32_t kDefaultMsPerScreen = 1000;
constexpr int32_t kDefaultLabelIncrement = 20;
constexpr double kDefaultPlotGain = 2.5;

// What the last paint of the Data page drew, for the readout under the
// cursor: the visible window of each trace and its header.
struct PaintedSection {
    bool valid = false;
    int64_t firstTrace = 0;
    int32_t traces = 0;
    int32_t firstSample = 0;
    int32_t samples = 0; // per trace
    double traceSpacing = 0;
    double pixelsPerSample = 0;
    std::vector<float> values;          // traces × samples
    std::vector<unsigned char> headers; // traces × 240
};

struct ViewerState : segy::SegyFileSummary, segy::HeaderScanTables {
    int32_t FourByteMode = 1;
    int32_t Hdr4Mark[segy::kHeaderWords4] = {};
    int32_t Hdr2Mark[segy::kHeaderWords2] = {};
    int32_t LabelIncrement = kDefaultLabelIncrement;
    int32_t BytesPerSample = 0;
    int32_t FileLoaded = 0;
    int32_t UpperLabelRow = 0;
    int32_t LowerLabelRow = 0;
    int32_t TracesPerScreen = kDefaultTracesPerScreen;
    int32_t MsPerScreen = kDefaultMsPerScreen;
    int32_t RepaintOnChange = 0;
    int32_t DataType = 0;
    int32_t Painting = 0;
    int32_t FileOpen = 0;
    double PlotGain = kDefaultPlotGain;
    // How the Data page draws: variable area unless the plot's menu says
    // otherwise.
    DisplaySettings Display;
    PaintedSection Painted;
    std::string DataFolder;
    std::string CurrentFile;
    std::vector<std::string> FolderFiles;
    // What the last full scan of the current file learnt beyond the grid;
    // empty before one finished.
    std::shared_ptr<const segy::HeaderInspection> Inspection;
    std::string InspectedFile;

    // Renderer buffers, reused for every trace of every paint.
    std::vector<int32_t> PolyCounts = std::vector<int32_t>(kRendererBufferCapacity);
    std::vector<CanvasPoint> PolyPoints = std::vector<CanvasPoint>(kRendererBufferCapacity);
    std::vector<CanvasPoint> TracePoints = std::vector<CanvasPoint>(kRendererBufferCapacity);
    std::vector<float> TraceSamples = std::vector<float>(kRendererBufferCapacity);

    // The layout trace reads and header scans use.
    segy::TraceSource TraceFile() const {
        return {CurrentFile, NumSamples, BytesPerSample, Framing()};
    }
    segy::ScanLayout ScanLayoutNow() const {
        return {NumSamples, BytesPerSample, NumTraces, LittleEndian, Framing()};
    }
    segy::SampleDecoding Decoding() const {
        return {NumSamples, DataType, BytesPerSample, LittleEndian};
    }
};
