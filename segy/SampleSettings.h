// How a file's format code and IEEE marker choose the sample decoding.
#pragma once

#include <cstdint>

namespace segy {

struct SampleSettings {
    int32_t DataType;       // 1 fixed point, 2 IBM float, 3 IEEE float
    int32_t BytesPerSample; // 1, 2 or 4
};

// The decoding the viewer starts with for a freshly opened file:
//   code 1 IBM float (4 bytes), 3 two-byte integers, 5 IEEE float (SEG-Y
//   rev 1), 8 one-byte integers, any other code four-byte integers;
//   the IEEE marker forces IEEE float of 4 bytes whatever the code.
SampleSettings DeriveSampleSettings(int32_t formatCode, int32_t ieeeFormat);

// Bytes per sample the header reader assumes when it counts the traces of a
// file: 2 for code 3, 1 for code 8, 4 for every other code.
int32_t CountingBytesPerSample(int32_t formatCode);

} // namespace segy
