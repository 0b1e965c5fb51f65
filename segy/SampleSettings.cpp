#include "segy/SampleSettings.h"

#include "segy/SegyFormat.h"

namespace segy {

SampleSettings DeriveSampleSettings(int32_t formatCode, int32_t ieeeFormat) {
    if (ieeeFormat)
        return {kDataIeeeFloat, 4};
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

int32_t CountingBytesPerSample(int32_t formatCode) {
    switch (formatCode) {
    case kFormatInt16:
        return 2;
    case kFormatInt8:
        return 1;
    default:
        return 4;
    }
}

} // namespace segy
