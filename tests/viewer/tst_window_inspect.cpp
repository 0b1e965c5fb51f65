// The Inspect page through the real window: what it says before a scan of
// every header, what the scan fills in, the traces it leads to on the Data
// page, what another file does to it; and its plots on a recording canvas.
#include "tests/support/RecordingCanvas.h"
#include "tests/support/SegyWriter.h"
#include "tests/support/TestFiles.h"
#include "tests/viewer/TestWindow.h"
#include "viewer/InspectPage.h"
#include "logic/InspectPlots.h"
#include "logic/SectionPainter.h"

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

namespace {

// Inlines 100..110 by 2, crosslines 10..16, trace numbers from 1.
std::vector<unsigned char> Cube() {
    segytest::FileSpec spec;
    spec.numSamples = 10;
    segytest::SegyWriter writer(spec);
    for (int t = 0; t < 42; ++t) {
        segytest::TraceSpec trace;
        trace.words4 = {{5, t + 1}, {189, 100 + 2 * (t / 7)}, {193, 10 + t % 7}};
        writer.AddTrace(trace);
    }
    return writer.Bytes();
}

int RowOf(QTableWidget* table, const QString& name) {
    for (int r = 0; r < table->rowCount(); ++r)
        if (table->item(r, 0)->text() == name)
            return r;
    return -1;
}

} // namespace

class WindowInspectTest : public QObject {
    Q_OBJECT
private slots:
    void scanFillsThePageAndTracesLeadToTheDataPage() {
        segytest::ScratchDir dir;
        const std::string cube = dir.File("cube.sgy");
        const std::string other = dir.File("other.sgy");
        QVERIFY(segytest::WriteBytes(cube, Cube()));
        QVERIFY(segytest::WriteBytes(other, Cube()));
        RecordingUserInterface ui;
        auto window = StartTestWindow(ui);
        BrowseTo(*window, ui, cube);
        InspectPage* page = window->InspectTab;
        QVERIFY(window->PageControl1->isTabVisible(kInspectPage));
        QCOMPARE(window->PageControl1->tabText(kInspectPage), QStringLiteral("Inspect"));

        // Before a scan of every header the page says so and offers it.
        QCOMPARE(page->Summary()->text(), QString::fromLatin1(kNoInspectionText));
        const int iline = RowOf(page->FieldTable(), QStringLiteral("INLINE_3D"));
        QVERIFY(iline >= 0);
        QCOMPARE(page->FieldTable()->item(iline, 2)->text(), QString());

        page->ScanButton()->click();
        QVERIFY(page->Summary()->text().startsWith(QStringLiteral("Geometry: 3D.")));
        QVERIFY(page->Summary()->text().contains(
            QStringLiteral("Inline bytes 189-192: 100 to 110 by 2, 6 lines")));
        QTableWidget* table = page->FieldTable();
        QCOMPARE(table->item(iline, 2)->text(), QStringLiteral("100"));
        QCOMPARE(table->item(iline, 3)->text(), QStringLiteral("110"));
        QCOMPARE(table->item(iline, kMaxTraceColumn)->text(), QStringLiteral("36"));
        QCOMPARE(table->item(iline, 8)->text(),
                 QStringLiteral("increases by 2 every 7 traces, 6 values"));
        // The grid was filled by the same scan.
        QCOMPARE(window->State.Hdr4Max[47], 110);

        // A double click on the trace of the maximum shows it on the Data page.
        emit table->cellDoubleClicked(iline, kMaxTraceColumn);
        QCOMPARE(window->PageControl1->currentIndex(), kDataPage);
        QCOMPARE(window->HScrollBar->value(),
                 BarPositionForTrace(35, window->State.NumTraces, window->State.TracesPerScreen));

        // A click in the plot's last column picks the last trace.
        window->ActivatePage(kInspectPage);
        emit page->Plot()->clickedAt(page->Plot()->width() - 11, 50);
        QCOMPARE(window->PageControl1->currentIndex(), kDataPage);
        QCOMPARE(window->HScrollBar->value(),
                 BarPositionForTrace(41, window->State.NumTraces, window->State.TracesPerScreen));

        // Another file of the list, scanned at its first trace only,
        // empties the page, which stays in front.
        window->ActivatePage(kInspectPage);
        window->SelectFileItem(1);
        window->SegyFileLBChange();
        QCOMPARE(window->PageControl1->currentIndex(), kInspectPage);
        QCOMPARE(page->Summary()->text(), QString::fromLatin1(kNoInspectionText));
    }

    void plotsDrawTheEnvelopeAndTheGrid() {
        segytest::ScratchDir dir;
        const std::string cube = dir.File("cube.sgy");
        QVERIFY(segytest::WriteBytes(cube, Cube()));
        RecordingUserInterface ui;
        auto window = StartTestWindow(ui);
        BrowseTo(*window, ui, cube);
        window->ScanHdrsBtnClick();
        const segy::HeaderInspection* inspection = window->State.Inspection.get();
        QVERIFY(inspection);

        // The crossline against trace: 42 traces over 400 pixels, labelled
        // with its extremes and the first and last trace.
        segytest::RecordingCanvas plot(490, 200);
        DrawFieldEnvelope(plot, *inspection, segy::InspectedWordIndex(193, segy::FieldType::Int32));
        std::vector<std::string> texts;
        for (const auto& call : plot.Of(segytest::CallKind::TextOut))
            texts.push_back(call.text);
        QCOMPARE(texts,
                 (std::vector<std::string>{"CROSSLINE_3D, bytes 193-196", "16", "10", "1", "42"}));
        QVERIFY(plot.Of(segytest::CallKind::LineTo).size() >= 400);
        QCOMPARE(EnvelopeTraceAt(490, *inspection, 80), 0);
        QCOMPARE(EnvelopeTraceAt(490, *inspection, 479), 41);
        QCOMPARE(EnvelopeTraceAt(490, *inspection, 20), -1);

        // Without coordinates the map says where every trace is.
        segytest::RecordingCanvas map(300, 300);
        DrawCoordinateMap(map, *inspection, segy::CoordinatePair::Cdp);
        QCOMPARE(map.Of(segytest::CallKind::TextOut).at(0).text,
                 std::string("CDP X/Y: every trace at 0, 0"));
    }
};

QTEST_MAIN(WindowInspectTest)
#include "tst_window_inspect.moc"
