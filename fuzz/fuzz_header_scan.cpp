// The header scan in every mode over a file opened as the window opens it,
// with the byte order and width the user may choose afterwards, and what a
// scan of every header learns for the Inspect page.
#include "fuzz/FuzzInput.h"
#include "segy/HeaderScan.h"
#include "logic/InspectPlots.h"
#include "logic/OpenFlow.h"

#include <memory>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4)
        return 0;
    // The first bytes choose; the file is the rest.
    const int32_t mode = data[0] % 5;
    const int32_t width = (data[1] % 3 == 0) ? 1 : (data[1] % 3 == 1 ? 2 : 4);
    const std::string selected = std::to_string(static_cast<int8_t>(data[2]));
    const bool flipOrder = data[3] & 1;
    FuzzFile file(data + 4, size - 4);
    auto state = std::make_unique<ViewerState>();
    segy::SilentMessages messages;
    ReadHeaderIntoState(*state, file.Path(), messages);
    if (data[1] & 0x80)
        state->BytesPerSample = width;
    if (flipOrder)
        state->LittleEndian = !state->LittleEndian;
    segy::NoScanProgress progress;
    const segy::ScanContext context{messages, progress, [&] { return selected; }};
    segy::HeaderInspection inspection;
    segy::ScanTraceHeaders(mode, file.Path(), state->ScanLayoutNow(), *state, context, nullptr,
                           &inspection);
    (void)segy::HeaderGridText(*state, mode % 2 == 0);
    // What a full scan learnt, as the Inspect page and scan --json give it.
    if (inspection.Finished()) {
        (void)InspectFieldRows(inspection);
        (void)GeometrySummary(inspection);
    }
    return 0;
}
