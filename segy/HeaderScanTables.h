// The extremes of every header word over the traces a scan read, as the
// Header page's grid shows them.
#pragma once

#include "segy/SegyFormat.h"
#include "segy/TraceHeaderFields.h"

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

// A field's extremes and the first traces holding them, from the row of the
// word it is: 4-byte fields lie on 4-byte words, 2-byte ones on 2-byte words.
struct TableExtremes {
    int32_t min = 0, max = 0;
    int64_t minTrace = -1, maxTrace = -1;
};
inline TableExtremes ExtremesAt(const HeaderScanTables& tables, int firstByte, FieldType type) {
    if (type == FieldType::Int32) {
        const int i = (firstByte - 1) / 4;
        return {tables.Hdr4Min[i], tables.Hdr4Max[i], tables.Hdr4MinTrace[i],
                tables.Hdr4MaxTrace[i]};
    }
    const int i = (firstByte - 1) / 2;
    return {tables.Hdr2Min[i], tables.Hdr2Max[i], tables.Hdr2MinTrace[i], tables.Hdr2MaxTrace[i]};
}

} // namespace segy
