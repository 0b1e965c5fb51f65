// The header scan as a user of the segyio C library would write it: one
// segy_traceheader call per trace, then the minimum and maximum of every
// 4-byte and 2-byte word. Prints the tables as the JSON object of
// `vantrel-cli scan --json`, so the two can be compared value by value.
// Only big-endian files are read (segyio's default byte order).
//
//   segyio_scan FILE
#include "segy/ByteOrder.h"
#include "segy/HeaderScan.h"
#include "segy/SegyFormat.h"

#include <segyio/segy.h>

#include <algorithm>
#include <cstdio>

namespace {

void PrintArray(const char* name, const int32_t* values, int count) {
    std::printf("\"%s\":[", name);
    for (int i = 0; i < count; ++i)
        std::printf("%s%d", i ? "," : "", values[i]);
    std::printf("],");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: segyio_scan FILE\n");
        return 2;
    }
    segy_file* file = segy_open(argv[1], "rb");
    if (!file) {
        std::fprintf(stderr, "segyio_scan: cannot open %s\n", argv[1]);
        return 1;
    }
    char binary[SEGY_BINARY_HEADER_SIZE];
    if (segy_binheader(file, binary) != SEGY_OK) {
        std::fprintf(stderr, "segyio_scan: cannot read the binary header\n");
        segy_close(file);
        return 1;
    }
    const int samples = segy_samples(binary);
    const long trace0 = segy_trace0(binary);
    const int traceBytes = segy_trsize(segy_format(binary), samples);
    if (traceBytes < 0) {
        std::fprintf(stderr, "segyio_scan: unsupported sample format\n");
        segy_close(file);
        return 1;
    }

    segy::HeaderScanTables tables;
    segy::ResetScanTables(tables);
    char header[SEGY_TRACE_HEADER_SIZE];
    int64_t headersRead = 0;
    for (int t = 0; segy_traceheader(file, t, header, trace0, traceBytes) == SEGY_OK; ++t) {
        // segyio hands out header bytes big endian whatever the file's order.
        const auto* bytes = reinterpret_cast<const unsigned char*>(header);
        for (int i = 0; i < segy::kHeaderWords4; ++i) {
            const auto w = static_cast<int32_t>(segy::LoadBig32(bytes + 4 * i));
            tables.Hdr4Min[i] = std::min(tables.Hdr4Min[i], w);
            tables.Hdr4Max[i] = std::max(tables.Hdr4Max[i], w);
        }
        for (int i = 0; i < segy::kHeaderWords2; ++i) {
            const int32_t w = static_cast<int16_t>(segy::LoadBig16(bytes + 2 * i));
            tables.Hdr2Min[i] = std::min(tables.Hdr2Min[i], w);
            tables.Hdr2Max[i] = std::max(tables.Hdr2Max[i], w);
        }
        ++headersRead;
    }
    segy_close(file);

    std::printf("{");
    PrintArray("Hdr2Max", tables.Hdr2Max, segy::kHeaderWords2);
    PrintArray("Hdr2Min", tables.Hdr2Min, segy::kHeaderWords2);
    PrintArray("Hdr4Max", tables.Hdr4Max, segy::kHeaderWords4);
    PrintArray("Hdr4Min", tables.Hdr4Min, segy::kHeaderWords4);
    std::printf("\"HeadersRead\":%lld}\n", static_cast<long long>(headersRead));
    return 0;
}
