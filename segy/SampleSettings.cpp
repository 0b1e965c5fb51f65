#include "segy/SampleSettings.h"

#include "segy/SegyFormat.h"

namespace segy {

namespace {

// The codes of SEG-Y rev 2 that earlier revisions left unassigned.
bool RevisionTwoSettings(int32_t formatCode, SampleSettings& settings) {
    switch (formatCode) {
    case kFormatIeeeDouble:
        settings = {kDataIeeeFloat, 8};
        return true;
    case kFormatInt24:
        settings = {kDataFixedPoint, 3};
        return true;
    case kFormatInt64:
        settings = {kDataFixedPoint, 8};
        return true;
    case kFormatUInt32:
        settings = {kDataUnsignedFixedPoint, 4};
        return true;
    case kFormatUInt16:
        settings = {kDataUnsignedFixedPoint, 2};
        return true;
    case kFormatUInt64:
        settings = {kDataUnsignedFixedPoint, 8};
        return true;
    case kFormatUInt24:
        settings = {kDataUnsignedFixedPoint, 3};
        return true;
    case kFormatUInt8:
        settings = {kDataUnsignedFixedPoint, 1};
        return true;
    default:
        return false;
    }
}

SampleSettings CodeSettings(int32_t formatCode, int32_t revision) {
    SampleSettings settings{kDataFixedPoint, 4};
    if (revision >= kFirstRevisionWithNewFormats && RevisionTwoSettings(formatCode, settings))
        return settings;
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

SampleSettings DeriveSampleSettings(int32_t formatCode, int32_t ieeeFormat, int32_t revision) {
    if (ieeeFormat)
        return {kDataIeeeFloat, 4};
    return CodeSettings(formatCode, revision);
}

int32_t CountingBytesPerSample(int32_t formatCode, int32_t revision) {
    return CodeSettings(formatCode, revision).BytesPerSample;
}

} // namespace segy
