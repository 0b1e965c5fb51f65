// Bad and big files through the window: a file that shrinks or goes away
// between opening and the next paint, scan or listing; a 100 GiB sparse
// file; names with blanks, accents and bytes that are no text. Each ends in
// the reader's message or a sound display, never a crash or a hang.
#include "tests/support/SegyWriter.h"
#include "tests/support/TestFiles.h"
#include "tests/viewer/RecordingUserInterface.h"
#include "tests/viewer/TestWindow.h"
#include "viewer/TVantrel.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <filesystem>
#include <memory>

namespace {

std::vector<unsigned char> Section(int traces, int16_t samples) {
    segytest::FileSpec spec;
    spec.numSamples = samples;
    segytest::SegyWriter writer(spec);
    for (int t = 0; t < traces; ++t) {
        segytest::TraceSpec trace;
        trace.words4 = {{1, t + 1}};
        for (int i = 0; i < samples; ++i)
            trace.samples.push_back((i % 9) * 100.0 - 400.0);
        writer.AddTrace(trace);
    }
    return writer.Bytes();
}

} // namespace

class WindowBadFilesTest : public QObject {
    Q_OBJECT

private:
    segytest::ScratchDir dir_;
    RecordingUserInterface ui_;
    std::unique_ptr<TVantrel> w_;

    void Open(const std::string& path) { BrowseTo(*w_, ui_, path); }

private slots:
    void init() {
        ui_ = RecordingUserInterface();
        w_ = StartTestWindow(ui_);
    }
    void cleanup() { w_.reset(); }

    void aFileThatGoesAwayAfterOpening() {
        const std::string path = dir_.File("going.sgy");
        QVERIFY(segytest::WriteBytes(path, Section(3, 50)));
        Open(path);
        QCOMPARE(w_->State.NumTraces, 3);
        std::filesystem::remove(path);

        w_->ActivatePage(kDataPage);
        w_->PB1->grab();
        // Once for the paint, after it has ended.
        QVERIFY(ui_.messages.isEmpty());
        QTRY_COMPARE(ui_.messages.size(), 1);
        QCOMPARE(ui_.messages.first(), QStringLiteral("Cannot open input segy file!!"));
        QCOMPARE(w_->State.Painting, 0);

        w_->ScanHdrsBtnClick();
        QCOMPARE(ui_.messages.last(), QStringLiteral("Cannot open input SEGY file!!"));
        QCOMPARE(w_->StrGrid->Cell(1, 1), QStringLiteral("2147483647"));

        w_->TrcSelED->setText(QStringLiteral("1"));
        QCOMPARE(ui_.messages.last(), QStringLiteral("Cannot open input segy file!!"));
        QCOMPARE(w_->TrcValLB->count(), 50);
        QCOMPARE(w_->TrcValLB->ItemText(0), QStringLiteral("0 : 0.00000000"));

        w_->DataBytesCB->setCurrentIndex(1);
        w_->DataBytesCBChange();
        QCOMPARE(ui_.messages.last(),
                 QStringLiteral("Cannot open input file <ReadSegyFileHeader>!!"));
        QCOMPARE(w_->TracesED->text(), QStringLiteral("0"));
    }

    void aVanishedFileInARealPaintWithARealMessageBox() {
        const std::string path = dir_.File("vanishing.sgy");
        QVERIFY(segytest::WriteBytes(path, Section(3, 50)));
        QtUserInterface real;
        TVantrel w({QStringLiteral("vantrel"), QFile::decodeName(QByteArray::fromStdString(path)),
                    QString::fromLatin1(kLaunchCode)},
                   real);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.PageControl1->setCurrentIndex(kDataPage);
        QTRY_VERIFY(w.PB1->isVisible());
        QTest::qWait(50);
        std::filesystem::remove(path);

        // Each box that comes up is read and closed, as a user presses OK.
        QStringList texts;
        bool paintingMeanwhile = false;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                paintingMeanwhile =
                    paintingMeanwhile || w.State.Painting || w.PB1->paintingActive();
                w.PB1->repaint(); // the box's own event loop lets paints run
                box->accept();
            }
        });
        closer.start(20);
        w.PB1->update();
        QTRY_COMPARE(texts.size(), 1);
        w.ZoomBtn->click();
        QTRY_COMPARE(texts.size(), 2);
        QTest::qWait(200); // and no box after those
        QCOMPARE(texts, QStringList(2, QStringLiteral("Cannot open input segy file!!")));
        QVERIFY(!paintingMeanwhile);
        QCOMPARE(w.State.Painting, 0);
    }

    void aFileThatShrinksAfterOpening() {
        const std::string path = dir_.File("shrinking.sgy");
        QVERIFY(segytest::WriteBytes(path, Section(40, 50)));
        Open(path);
        QVERIFY(segytest::Resize(path, 3600 + 440 + 250));
        w_->ActivatePage(kDataPage);
        w_->PB1->grab();
        w_->ScanHdrsBtnClick();
        QCOMPARE(w_->StrGrid->Cell(2, 1), QStringLiteral("2")); // two whole headers left
        w_->TrcSelED->setText(QStringLiteral("30"));
        QCOMPARE(w_->TrcValLB->ItemText(49), QStringLiteral("49 : 0.00000000"));
        QVERIFY(ui_.messages.isEmpty());
    }

    void aHundredGigabyteSparseFile() {
        const std::string path = dir_.File("huge.sgy");
        QVERIFY(segytest::WriteBytes(path, Section(2, 1000)));
        QVERIFY(segytest::Resize(path, int64_t{100} << 30));
        Open(path);
        const int32_t traces = static_cast<int32_t>(((int64_t{100} << 30) - 3600) / 4240);
        QCOMPARE(w_->TracesED->text(), QString::number(traces));
        // The bar reaches the first trace of the last whole window.
        QCOMPARE(w_->HScrollBar->maximum(), traces - 100);
        w_->ActivatePage(kDataPage);
        w_->HScrollBar->triggerAction(QAbstractSlider::SliderToMaximum);
        w_->PB1->grab();
        w_->AutoScanCB->setCurrentIndex(3);
        w_->AutoScanCBChange();
        QCOMPARE(w_->StrGrid->Cell(1, 1), QStringLiteral("0"));
        w_->TrcSelED->setText(QStringLiteral("99"));
        QCOMPARE(w_->TrcValLB->count(), 1000);
        QVERIFY(ui_.messages.isEmpty());
    }

    void oddNamesOpenAndExport() {
        for (const std::string& name : {std::string("with blanks.sgy"), std::string("ünïcödé.sgy"),
                                        std::string("bad\xff name.sgy")}) {
            const std::string path = dir_.File(name);
            QVERIFY(segytest::WriteBytes(path, Section(3, 20)));
            ui_.messages.clear();
            Open(path);
            QVERIFY2(w_->MessageLbl->isHidden(), name.c_str());
            QCOMPARE(w_->TracesED->text(), QStringLiteral("3"));
            w_->TrcSelED->setText(QStringLiteral("2"));
            QCOMPARE(w_->TrcValLB->ItemText(0), QStringLiteral("0 : -400.00000000"));
            ui_.saveAnswer = QString::fromStdString(dir_.File("debug.out"));
            w_->ExportDebugFileBtnClick();
            QCOMPARE(ui_.messages, QStringList{QStringLiteral("Debug file complete")});
        }
    }
};

QTEST_MAIN(WindowBadFilesTest)
#include "tst_window_bad_files.moc"
