// How a file's format code and IEEE marker choose the sample decoding.
#pragma once

#include <cstdint>

namespace segy {

struct SampleSettings {
    int32_t DataType;       // 1 fixed point, 2 IBM float, 3 IEEE float, 4 unsigned
    int32_t BytesPerSample; // 1, 2, 3, 4 or 8
};

// The decoding the viewer starts with for a freshly opened file:
//   code 1 IBM float (4 bytes), 3 two-byte integers, 5 IEEE float (SEG-Y
//   rev 1), 8 one-byte integers, the codes SEG-Y rev 2 adds (6 IEEE
//   double, 7 and 9 signed 3- and 8-byte integers, 10, 11, 12, 15 and 16
//   unsigned integers of 4, 2, 8, 3 and 1 bytes), any other code four-byte
//   integers. Rev 2's codes were unassigned before it, so they are read by
//   the code in files of any revision, as every other reader reads them.
//   The IEEE marker forces IEEE float of 4 bytes whatever the code.
SampleSettings DeriveSampleSettings(int32_t formatCode, int32_t ieeeFormat);

// Bytes per sample the header reader assumes when it counts the traces of a
// file: the width the format code gives.
int32_t CountingBytesPerSample(int32_t formatCode);

} // namespace segy
