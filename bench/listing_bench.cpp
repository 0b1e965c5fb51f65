// Times the Trace page's listing of a 32767-sample trace, the longest a file
// header can describe, into a real list widget on the offscreen platform:
// reading, decoding and formatting the lines, then replacing the list box's
// lines in one batch and letting it lay them out. Prints the medians.
#include "segy/UserMessages.h"
#include "tests/support/SegyWriter.h"
#include "tests/support/SyntheticSeismic.h"
#include "viewer/OpenFlow.h"
#include "viewer/TraceListing.h"
#include "viewer/ViewerState.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kLongestTrace = 32767;
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

struct Timings {
    std::vector<double> lines;
    std::vector<double> widget;
    std::vector<double> total;
};

// One Trace page edit change after another, as typing different numbers.
Timings TimeListings(const ViewerState& state, QListWidget& list) {
    segy::SilentMessages messages;
    Timings timings;
    for (int run = 0; run < kRuns; ++run) {
        const QString selection = QString::number(run % kTraceCount);
        QElapsedTimer timer;
        timer.start();
        const QStringList lines = TraceListingLines(state, selection, 0, messages);
        const qint64 linesNs = timer.nsecsElapsed();
        list.clear();
        list.addItems(lines);
        QCoreApplication::processEvents();
        const qint64 totalNs = timer.nsecsElapsed();
        if (list.count() != kLongestTrace)
            std::fprintf(stderr, "listing_bench: %d lines listed, not %d\n", list.count(),
                         kLongestTrace);
        timings.lines.push_back(static_cast<double>(linesNs) / 1e6);
        timings.widget.push_back(static_cast<double>(totalNs - linesNs) / 1e6);
        timings.total.push_back(static_cast<double>(totalNs) / 1e6);
    }
    return timings;
}

void PrintTimings(const char* what, const Timings& timings) {
    std::printf("%-28s median %7.2f ms  (lines %6.2f ms, list box %6.2f ms)\n", what,
                Median(timings.total), Median(timings.lines), Median(timings.widget));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("long-trace.sgy")).toStdString();
    if (!folder.isValid() || !WriteLongTraceFile(path)) {
        std::fprintf(stderr, "listing_bench: cannot write %s\n", path.c_str());
        return 1;
    }
    auto state = std::make_unique<ViewerState>();
    segy::SilentMessages messages;
    if (!ReadHeaderIntoState(*state, path, messages).recognized) {
        std::fprintf(stderr, "listing_bench: the bench file is not recognised\n");
        return 1;
    }
    state->CurrentFile = path;

    std::printf("Listing a trace of %d samples into a shown list widget, %d runs\n", kLongestTrace,
                kRuns);
    QListWidget list;
    list.resize(400, 600);
    list.show();
    list.setUniformItemSizes(true);
    PrintTimings("uniform item sizes:", TimeListings(*state, list));
    list.setUniformItemSizes(false);
    PrintTimings("item sizes measured:", TimeListings(*state, list));
    return 0;
}
