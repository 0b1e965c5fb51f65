// Header reading with the sample settings and the text lines, as opening a
// file does, on any bytes at all.
#include "fuzz/FuzzInput.h"
#include "segy/FileHeader.h"
#include "logic/OpenFlow.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzFile file(data, size);
    auto state = std::make_unique<ViewerState>();
    segy::SilentMessages messages;
    const OpenResult result = ReadHeaderIntoState(*state, file.Path(), messages);
    (void)TextHeaderLines(*state);
    (void)RecordLengthMs(state->NumSamples, state->SampleInterval);
    if (result.recognized)
        for (int32_t width : {1, 2, 4})
            (void)segy::CountSegyTraces(file.Path(), state->NumSamples, width, messages);
    return 0;
}
