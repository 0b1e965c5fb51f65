#include "segy/SampleSettings.h"

#include "segy/SegyFormat.h"

namespace segy {

namespace {

struct CodeSetting {
    int32_t code;
    SampleSettings settings;
};

// The codes of SEG-Y rev 2 that earlier revisions left unassigned: a file
// that carries one can only mean rev 2's table, whatever revision it claims.
constexpr CodeSetting kRevisionTwoCodes[] = {
    {kFormatIeeeDouble, {kDataIeeeFloat, 8}},      {kFormatInt24, {kDataFixedPoint, 3}},
    {kFormatInt64, {kDataFixedPoint, 8}},          {kFormatUInt32, {kDataUnsignedFixedPoint, 4}},
    {kFormatUInt16, {kDataUnsignedFixedPoint, 2}}, {kFormatUInt64, {kDataUnsignedFixedPoint, 8}},
    {kFormatUInt24, {kDataUnsignedFixedPoint, 3}}, {kFormatUInt8, {kDataUnsignedFixedPoint, 1}},
};

SampleSettings CodeSettings(int32_t formatCode) {
    for (const CodeSetting& entry : kRevisionTwoCodes)
        if (entry.code == formatCode)
            return entry.settings;
    switch (formatCode) {
    case kFormatIbmFloat:
        return {kDataIbmFloat, 4};
    case kFormatInt16:
        return {kDataFixedPoint, 2};
    case kFormatIeeeFloat:
        return {kDataIeeeFloat, 4};
    case kFormatInt8:
        return {kDataFixedPoint, 1};
    default:
        return {kDataFixedPoint, 4};
    }
}

} // namespace

SampleSettings DeriveSampleSettings(int32_t formatCode, int32_t ieeeFormat) {
    if (ieeeFormat)
        return {kDataIeeeFloat, 4};
    return CodeSettings(formatCode);
}

int32_t CountingBytesPerSample(int32_t formatCode) {
    return CodeSettings(formatCode).BytesPerSample;
}

} // namespace segy
