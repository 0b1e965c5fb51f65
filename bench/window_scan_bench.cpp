// The all-traces header scan as the user runs it: the real window with its
// progress dialog shown, the file opened through the open flow (which scans
// the first trace only), then the Scan button. Each round times the scan
// with the dialog and, for comparison, the same scan with no dialog at all,
// which shows what the dialog's repaints and event processing cost.
//
//   window_scan_bench FILE [REPETITIONS]      (default 5)
//
// Prints one line per round and the medians in seconds; the last line,
// "median dialog S nodialog S", is what bench/window_bench.sh reads.
#include "bench/BenchWindow.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kDefaultRepetitions = 5;
// Bytes 5-8 hold the trace's number in the file in the benchmark files, so
// a complete scan leaves the trace count as this word's maximum.
constexpr int kTraceSeqFileWord = 1;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Seconds taken by one press of the Scan button.
double TimedScan(TVantrel& window) {
    const auto start = std::chrono::steady_clock::now();
    window.ScanHdrsBtnClick();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_scan_bench FILE [REPETITIONS]\n");
        return 2;
    }
    UseOffscreenUnlessSet();
    QApplication app(argc, argv);
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : kDefaultRepetitions;
    BenchWindow bench;
    if (!bench.Open(argv[1]))
        return 1;
    TVantrel& window = bench.window;
    std::printf("%s: %lld traces of %d samples; %d rounds\n", argv[1],
                static_cast<long long>(window.State.NumTraces), window.State.NumSamples,
                repetitions);

    std::vector<double> withDialog;
    std::vector<double> withoutDialog;
    for (int r = 0; r < repetitions; ++r) {
        IDD_PROGRESS = &bench.progress;
        withDialog.push_back(TimedScan(window));
        IDD_PROGRESS = nullptr;
        withoutDialog.push_back(TimedScan(window));
        std::printf("round %d: dialog %.4f s, no dialog %.4f s\n", r + 1, withDialog.back(),
                    withoutDialog.back());
        std::fflush(stdout);
    }

    const int32_t lastTrace = window.State.Hdr4Max[kTraceSeqFileWord];
    if (lastTrace != window.State.NumTraces)
        std::printf("warning: the scan's largest trace number is %d, not %lld: was the scan "
                    "complete?\n",
                    lastTrace, static_cast<long long>(window.State.NumTraces));
    std::printf("median dialog %.4f nodialog %.4f\n", Median(withDialog), Median(withoutDialog));
    return 0;
}
