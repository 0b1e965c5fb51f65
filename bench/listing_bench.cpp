// Times the Trace page's listing into a real list box on the offscreen
// platform: a 32767-sample trace, the longest a signed 16-bit count gives,
// and a 16,777,216-sample trace, the longest an extended count is believed
// for. The list box makes the lines it shows, so both should take about as
// long; the memory the long one takes beyond the short one is printed too.
// Prints the medians.
#include "logic/OpenFlow.h"
#include "logic/TraceListing.h"
#include "logic/ViewerState.h"
#include "segy/UserMessages.h"
#include "tests/support/SegyWriter.h"
#include "tests/support/SyntheticSeismic.h"
#include "viewer/TraceListingSource.h"

#include "segy/SegyFormat.h"
#include "tests/support/TestFiles.h"
#include "viewer/Controls.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kLongestTrace = 32767;
constexpr int kLongestExtendedTrace = 1 << 24;
constexpr int kTraceCount = 4;
constexpr int kRuns = 21;
constexpr double kSampleIntervalMs = 1.0;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool WriteLongTraceFile(const std::string& path) {
    segytest::FileSpec spec;
    spec.numSamples = kLongestTrace;
    spec.sampleIntervalUs = static_cast<int16_t>(kSampleIntervalMs * 1000);
    spec.encoding = segytest::SampleEncoding::IbmFloat;
    segytest::SegyWriter writer(spec);
    for (int trace = 0; trace < kTraceCount; ++trace) {
        segytest::TraceSpec traceSpec;
        traceSpec.samples =
            segytest::StackedSectionTrace(trace, kTraceCount, kLongestTrace, kSampleIntervalMs);
        writer.AddTrace(traceSpec);
    }
    return writer.WriteTo(path);
}

// Two traces of IEEE floats with an extended sample count, all zeros: a
// sparse file of 128 MiB that takes no disk.
bool WriteExtendedTraceFile(const std::string& path) {
    segytest::FileSpec spec;
    spec.numSamples = 0;
    spec.encoding = segytest::SampleEncoding::IeeeFloat;
    spec.revisionMajor = 2;
    segytest::SegyWriter writer(spec);
    writer.SetBinary32(segy::kBinExtSamplesPerTraceOffset, kLongestExtendedTrace);
    return writer.WriteTo(path) &&
           segytest::Resize(path, segy::kFileHeaderSize + 2 * (segy::kTraceHeaderSize +
                                                               4 * int64_t{kLongestExtendedTrace}));
}

long PeakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// One Trace page edit change after another, as typing different numbers,
// then a jump to the listing's end as the scroll bar's End key does.
std::vector<double> TimeListings(const ViewerState& state, LazyListBox& list, int traces) {
    segy::SilentMessages messages;
    std::vector<double> timings;
    for (int run = 0; run < kRuns; ++run) {
        const std::string selection = std::to_string(run % traces);
        QElapsedTimer timer;
        timer.start();
        list.SetLines(
            std::make_unique<TraceListingSource>(TraceListingLines(state, selection, 0, messages)));
        QCoreApplication::processEvents();
        list.scrollToBottom();
        QCoreApplication::processEvents();
        timings.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (list.count() != state.NumSamples)
            std::fprintf(stderr, "listing_bench: %d lines listed, not %d\n", list.count(),
                         state.NumSamples);
    }
    return timings;
}

bool Open(ViewerState& state, const std::string& path) {
    segy::SilentMessages messages;
    if (!ReadHeaderIntoState(state, path, messages).recognized) {
        std::fprintf(stderr, "listing_bench: %s is not recognised\n", path.c_str());
        return false;
    }
    state.CurrentFile = path;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("long-trace.sgy")).toStdString();
    const std::string extended = folder.filePath(QStringLiteral("extended.sgy")).toStdString();
    if (!folder.isValid() || !WriteLongTraceFile(path) || !WriteExtendedTraceFile(extended)) {
        std::fprintf(stderr, "listing_bench: cannot write the bench files\n");
        return 1;
    }
    auto state = std::make_unique<ViewerState>();
    auto extendedState = std::make_unique<ViewerState>();
    if (!Open(*state, path) || !Open(*extendedState, extended))
        return 1;

    std::printf("Listing a trace into a shown list box and scrolling to its end, %d runs\n", kRuns);
    LazyListBox list;
    list.resize(400, 600);
    list.show();
    const double shortMs = Median(TimeListings(*state, list, kTraceCount));
    const long shortPeak = PeakResidentKiB();
    const double longMs = Median(TimeListings(*extendedState, list, 2));
    const long longPeak = PeakResidentKiB();
    std::printf("%9d samples: median %7.2f ms\n", kLongestTrace, shortMs);
    std::printf("%9d samples: median %7.2f ms, %.2f times the short trace; peak memory grew by "
                "%ld KiB\n",
                kLongestExtendedTrace, longMs, longMs / shortMs, longPeak - shortPeak);
    return 0;
}
