// Painting the Data page of any file onto the recording canvas, with the
// scroll positions, zoom, gain, label rows and increment a user may set, in
// every display the plot's menu offers (chosen by the file's last byte),
// and the readout at points over the plot.
#include "fuzz/FuzzInput.h"
#include "logic/OpenFlow.h"
#include "logic/SectionPainter.h"
#include "logic/SectionScrolling.h"
#include "tests/support/RecordingCanvas.h"

#include <memory>
#include <string>

// The paint box at the window's start size.
constexpr int kFuzzPlotWidth = 584;
constexpr int kFuzzPlotHeight = 565;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4)
        return 0;
    FuzzReader controls(data, 4);
    const int hPosition = controls.Byte();
    const uint8_t view = controls.Byte();
    const uint8_t rows = controls.Byte();
    const auto gainByte = static_cast<int8_t>(controls.Byte());
    FuzzFile file(data + 4, size - 4);

    auto state = std::make_unique<ViewerState>();
    segy::SilentMessages messages;
    if (!ReadHeaderIntoState(*state, file.Path(), messages).recognized)
        return 0;
    state->CurrentFile = file.Path();
    state->FileLoaded = 1;
    ZoomBtnClick(*state, view & 0x10);
    state->FourByteMode = (rows & 0x80) ? 0 : 1;
    state->UpperLabelRow = (view >> 5) * 17;
    state->LowerLabelRow = rows & 0x7F;
    state->LabelIncrement = gainByte % 30;
    if (view & 0x08)
        state->DataType = 1 + (view & 0x03) % 3;

    SectionInputs in;
    in.width = kFuzzPlotWidth;
    in.height = kFuzzPlotHeight;
    in.hPosition = hPosition;
    in.hMaximum = TraceScrollMaximum(state->NumTraces, state->TracesPerScreen);
    in.vPosition = (view & 0x07) * 400;
    in.vMaximum = RecordLengthMs(state->NumSamples, state->SampleInterval);
    in.gainText = std::to_string(gainByte / 8.0);
    const uint8_t display = data[size - 1];
    state->Display.mode = static_cast<DisplayMode>(display & 3);
    state->Display.colours = static_cast<ColourMap>((display >> 2) & 3);
    state->Display.clipPercent = kClipChoices[(display >> 4) % 6];
    state->Display.normalisation = static_cast<Normalisation>(display >> 7);
    segytest::RecordingCanvas canvas(kFuzzPlotWidth, kFuzzPlotHeight);
    PaintSection(*state, canvas, in, messages);
    for (const int at : {0, 25, 300, 583})
        (void)ReadoutLines(*state, at, at);
    return 0;
}
