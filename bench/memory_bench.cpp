// Peak memory of the window driven through a whole session on a big file:
// open it, scan every header with the progress dialog shown, paint the Data
// page at several scroll positions, list a trace on the Trace page and show
// the Inspect page with its plot and map. The window reads traces as it needs
// them and never loads the file, and what the scan learns for the Inspect
// page is bounded, so the peak should stay far below the file's size.
//
//   memory_bench FILE [GOAL_MIB]      (default goal 100 MiB)
//
// Prints the high-water mark after each step (VmHWM) and at the end the peak
// from getrusage and from /proc/self/status, in MiB.
#include "bench/BenchWindow.h"
#include "viewer/InspectPage.h"

#include <QImage>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

constexpr double kKiBPerMiB = 1024.0;
constexpr double kDefaultGoalMiB = 100.0;
constexpr int kScrollPositions = 5;
constexpr int kDarkGray = 64;
const char* const kTracesToList[] = {"1", "250", "2"};

// A field of /proc/self/status in KiB ("VmHWM", "VmRSS"); -1 when absent.
long StatusKiB(const char* field) {
    // The file reports a size of 0, so it is read line by line to its end.
    std::ifstream status("/proc/self/status");
    const std::string prefix = std::string(field) + ':';
    for (std::string line; std::getline(status, line);)
        if (line.rfind(prefix, 0) == 0)
            return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
    return -1;
}

// Pixels the plot's wiggles and labels turned dark: a blank plot has none.
int DarkPixels(const QImage& image) {
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < kDarkGray)
                ++dark;
    return dark;
}

double MiB(long kib) {
    return kib / kKiBPerMiB;
}

void Report(const char* step) {
    std::printf("%-44s VmRSS %7.1f MiB  VmHWM %7.1f MiB\n", step, MiB(StatusKiB("VmRSS")),
                MiB(StatusKiB("VmHWM")));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: memory_bench FILE [GOAL_MIB]\n");
        return 2;
    }
    UseOffscreenUnlessSet();
    QApplication app(argc, argv);
    Report("application started");

    BenchWindow bench;
    TVantrel& window = bench.window;
    QApplication::processEvents();
    Report("window shown");

    if (!bench.Open(argv[1]))
        return 1;
    std::printf("%s: %lld traces of %d samples\n", argv[1],
                static_cast<long long>(window.State.NumTraces), window.State.NumSamples);
    Report("file opened");

    window.ScanHdrsBtnClick();
    Report("all headers scanned");

    window.ActivatePage(kDataPage);
    QApplication::processEvents();
    const int last = window.HScrollBar->maximum();
    int drawn = 0;
    for (int i = 0; i < kScrollPositions; ++i) {
        window.HScrollBar->setValue(last / (kScrollPositions - 1) * i);
        drawn += DarkPixels(window.PB1->grab().toImage());
    }
    QApplication::processEvents();
    std::printf("Data page drew %d dark pixels over %d paints\n", drawn, kScrollPositions);
    Report("Data page painted at 5 positions");

    window.ActivatePage(kTracePage);
    for (const char* trace : kTracesToList)
        window.TrcSelED->setText(QLatin1String(trace));
    QApplication::processEvents();
    std::printf("Trace page lists %d samples\n", window.TrcValLB->count());
    Report("traces listed");

    window.ActivatePage(kInspectPage);
    QApplication::processEvents();
    const int inspectDrawn = DarkPixels(window.InspectTab->grab().toImage());
    std::printf("Inspect page drew %d dark pixels\n", inspectDrawn);
    Report("Inspect page shown");

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peak = MiB(usage.ru_maxrss);
    const double goal = argc > 2 ? std::atof(argv[2]) : kDefaultGoalMiB;
    std::printf("peak ru_maxrss %.1f MiB VmHWM %.1f MiB (goal: under %.0f MiB) %s\n", peak,
                MiB(StatusKiB("VmHWM")), goal, peak < goal ? "met" : "MISSED");
    return 0;
}
