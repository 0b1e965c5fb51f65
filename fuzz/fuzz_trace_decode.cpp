// Trace decoding in every data type, width and byte order, with sample
// counts that do and do not fit the buffer.
#include "fuzz/FuzzInput.h"
#include "segy/Conversions.h"
#include "segy/Trace.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzReader in(data, size);
    segy::SampleDecoding decoding;
    decoding.DataType = in.Byte() % 5;       // 0 to 4: valid types and beyond
    decoding.BytesPerSample = in.Byte() % 6; // 0 to 5: valid widths and beyond
    decoding.LittleEndian = in.Byte() % 2;
    decoding.NumSamples = in.Word();
    std::vector<float> samples(decoding.NumSamples);
    segy::DecodeTraceSamples(in.Rest(), static_cast<int64_t>(in.RestSize()), decoding,
                             samples.data());
    if (in.RestSize() >= segy::kTraceHeaderSize) {
        int32_t w4[segy::kHeaderWords4];
        int16_t w2[segy::kHeaderWords2];
        segy::DecodeHeaderWords(in.Rest(), std::span<int32_t, 60>(w4), decoding.LittleEndian);
        segy::DecodeHeaderWords(in.Rest(), std::span<int16_t, 120>(w2), decoding.LittleEndian);
    }
    std::vector<float> ibm(in.RestSize() / 4);
    segy::IbmToIeee(in.Rest(), ibm.data(), static_cast<int32_t>(ibm.size()));
    return 0;
}
