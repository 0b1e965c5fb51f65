// The extremes of every header word over the traces a scan read, as the
// Header page's grid shows them.
#pragma once

#include "segy/SegyFormat.h"

#include <cstdint>

namespace segy {

struct HeaderScanTables {
    int32_t Hdr4Min[kHeaderWords4] = {};
    int32_t Hdr4Max[kHeaderWords4] = {};
    int32_t Hdr2Min[kHeaderWords2] = {};
    int32_t Hdr2Max[kHeaderWords2] = {};
    // The first trace (0-based) that holds each minimum and maximum; -1
    // where no header read holds it (no header at all).
    int64_t Hdr4MinTrace[kHeaderWords4] = {};
    int64_t Hdr4MaxTrace[kHeaderWords4] = {};
    int64_t Hdr2MinTrace[kHeaderWords2] = {};
    int64_t Hdr2MaxTrace[kHeaderWords2] = {};
};

} // namespace segy
