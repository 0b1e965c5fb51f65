// Opening files in the real window: the open flow's messages and what
// survives them, the folder fill, the format controls, the header grid with
// its label choices, scans that run while the window keeps answering, and
// agreement with vantrel-cli on the shared corpus.
#include "tests/support/SegyWriter.h"
#include "tests/viewer/RecordingUserInterface.h"
#include "viewer/Progress.h"
#include "viewer/TVantrel.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

const QString kProgram = QStringLiteral("vantrel");
const QString kCode = QString::fromLatin1(kLaunchCode);

// Traces numbered from 1 in bytes 1-4; bytes 21-24 hold 100 + trace index.
segytest::SegyWriter NumberedFile(segytest::FileSpec spec, int traces) {
    segytest::SegyWriter writer(spec);
    for (int t = 0; t < traces; ++t) {
        segytest::TraceSpec trace;
        trace.words4 = {{1, t + 1}, {21, 100 + t}};
        trace.words2 = {{115, spec.numSamples}};
        trace.samples = std::vector<double>(static_cast<size_t>(spec.numSamples), t % 5);
        writer.AddTrace(trace);
    }
    return writer;
}

segytest::FileSpec Spec(int16_t samples, segytest::SampleEncoding encoding,
                        bool littleEndian = false) {
    segytest::FileSpec spec;
    spec.textLines = {"C 1 OPEN FLOW TEST", "C 2 SECOND LINE"};
    spec.numSamples = samples;
    spec.encoding = encoding;
    spec.littleEndian = littleEndian;
    return spec;
}

QString CliOutput(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(VANTREL_CLI_PATH), arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class OpenFlowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    RecordingUserInterface ui_;
    std::unique_ptr<TVantrel> w_;

    QString Path(const QString& name) const { return dir_.filePath(name); }

    void Write(const QString& name, const segytest::SegyWriter& writer) {
        QVERIFY(writer.WriteTo(Path(name).toStdString()));
    }

    // Browses to `name` as the user would.
    void Browse(const QString& name) {
        ui_.openAnswer = Path(name);
        w_->SegyBrowseBtnClick();
    }

    // Selects a listed file as a click in the list box does.
    void Click(const QString& name) {
        const auto items = w_->SegyFileLB->findItems(name, Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        w_->SegyFileLB->setCurrentItem(items.first());
    }

    QString Grid(int column, int row) const { return w_->StrGrid->Cell(column, row); }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        Write(QStringLiteral("good.sgy"),
              NumberedFile(Spec(50, segytest::SampleEncoding::IbmFloat), 10));
        Write(QStringLiteral("little.sgy"),
              NumberedFile(Spec(20, segytest::SampleEncoding::Int16, true), 4));
        segytest::FileSpec ieee = Spec(20, segytest::SampleEncoding::IeeeFloat);
        ieee.ieeeMarker = true;
        ieee.formatCode = 1;
        Write(QStringLiteral("ieee.sgy"), NumberedFile(ieee, 3));
        segytest::FileSpec zero = Spec(0, segytest::SampleEncoding::IbmFloat);
        zero.sampleIntervalUs = 0;
        Write(QStringLiteral("zero.sgy"), segytest::SegyWriter(zero));
        QFile foreign(Path(QStringLiteral("foreign.sgy")));
        QVERIFY(foreign.open(QIODevice::WriteOnly));
        foreign.write(QByteArray(5000, 'x'));
        foreign.close();
        Write(QStringLiteral(".hidden.sgy"),
              NumberedFile(Spec(8, segytest::SampleEncoding::IbmFloat), 1));
        Write(QStringLiteral("README"),
              NumberedFile(Spec(8, segytest::SampleEncoding::IbmFloat), 1));
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("folder.sgy")));
    }

    void init() {
        ui_ = RecordingUserInterface();
        w_ = std::make_unique<TVantrel>(QStringList{kProgram, QString(), kCode}, ui_);
    }
    void cleanup() { w_.reset(); }

    void openingARecognisedFileFillsTheWindow() {
        Browse(QStringLiteral("good.sgy"));
        QCOMPARE(ui_.openRequests.size(), 1);
        QCOMPARE(ui_.openRequests[0].title, QStringLiteral("Select Segy File"));
        // Every .sgy entry, hidden files and folders included, by name.
        const QStringList listed = {QStringLiteral(".hidden.sgy"), QStringLiteral("folder.sgy"),
                                    QStringLiteral("foreign.sgy"), QStringLiteral("good.sgy"),
                                    QStringLiteral("ieee.sgy"),    QStringLiteral("little.sgy"),
                                    QStringLiteral("zero.sgy")};
        QStringList items;
        for (int i = 0; i < w_->SegyFileLB->count(); ++i)
            items << w_->SegyFileLB->item(i)->text();
        QCOMPARE(items, listed);
        QCOMPARE(w_->SegyFileLB->currentItem()->text(), QStringLiteral("good.sgy"));
        QCOMPARE(w_->SegyPathED->text(), dir_.path() + QLatin1Char('/'));

        QCOMPARE(w_->PageControl1->currentIndex(), kHeaderPage);
        QVERIFY(w_->PageControl1->isTabVisible(kHeaderPage));
        QVERIFY(w_->PageControl1->isTabVisible(kDataPage));
        QVERIFY(!w_->MessageLbl->isVisibleTo(w_.get()));
        QCOMPARE(w_->FormatED->text(), QStringLiteral("1"));
        QCOMPARE(w_->TracesED->text(), QStringLiteral("10"));
        QCOMPARE(w_->SamplesED->text(), QStringLiteral("50"));
        QCOMPARE(w_->SampRateED->text(), QStringLiteral("4"));
        QCOMPARE(w_->DataTypeCB->currentText(), QStringLiteral("IBM Floating Point"));
        QCOMPARE(w_->DataBytesCB->currentText(), QStringLiteral("4 Bytes"));
        QCOMPARE(w_->ByteOrderCB->currentText(), QStringLiteral("Big Endian"));
        QVERIFY(w_->Memo1->toPlainText().startsWith(QStringLiteral("C 1 OPEN FLOW TEST")));
        QCOMPARE(w_->Memo1->document()->blockCount(), 40);
        QVERIFY(w_->ScanHdrsBtn->isEnabled());
        QCOMPARE(w_->State.FileLoaded, 1);
        QCOMPARE(w_->State.FileOpen, 1);
        QCOMPARE(w_->State.CurrentFile, Path(QStringLiteral("good.sgy")).toStdString());
        // 10 traces fit one window: the bar has nowhere to go.
        QCOMPARE(w_->HScrollBar->maximum(), 0);
        QCOMPARE(w_->HScrollBar->pageStep(), 80); // the large change
        QCOMPARE(w_->VScrollBar->maximum(), 200);
        QCOMPARE(w_->SelTrcUD->maximum(), 10);
        // The open scans the selected trace, the first.
        QCOMPARE(w_->StrGrid->RowCount(), 61);
        QCOMPARE(Grid(0, 0), QStringLiteral("Bytes"));
        QCOMPARE(Grid(0, 1), QStringLiteral("1-4"));
        QCOMPARE(Grid(1, 1), QStringLiteral("1"));
        QCOMPARE(Grid(2, 6), QStringLiteral("100"));
        QCOMPARE(Grid(0, 60), QStringLiteral("237-240"));
        QVERIFY(ui_.messages.isEmpty());
    }

    void littleEndianAndIeeeFilesAreCustom() {
        Browse(QStringLiteral("little.sgy"));
        QVERIFY(w_->MessageLbl->isVisibleTo(w_.get()));
        QCOMPARE(w_->MessageLbl->text(), QStringLiteral("Custom SEGY format"));
        QCOMPARE(w_->ByteOrderCB->currentText(), QStringLiteral("Little Endian"));
        QCOMPARE(w_->DataTypeCB->currentText(), QStringLiteral("Fixed Point"));
        QCOMPARE(w_->DataBytesCB->currentText(), QStringLiteral("2 Bytes"));
        QCOMPARE(Grid(1, 1), QStringLiteral("1"));

        Click(QStringLiteral("ieee.sgy"));
        QCOMPARE(w_->MessageLbl->text(), QStringLiteral("Custom SEGY format"));
        QCOMPARE(w_->FormatED->text(), QStringLiteral("1"));
        QCOMPARE(w_->DataTypeCB->currentText(), QStringLiteral("IEEE Floating Point"));
        QCOMPARE(w_->State.BytesPerSample, 4);

        Click(QStringLiteral("good.sgy"));
        QVERIFY(!w_->MessageLbl->isVisibleTo(w_.get()));
    }

    void anUnrecognisedFileKeepsWhatThePreviousFileLeft() {
        Browse(QStringLiteral("good.sgy"));
        const QString memo = w_->Memo1->toPlainText();
        Click(QStringLiteral("foreign.sgy"));
        QVERIFY(w_->MessageLbl->isVisibleTo(w_.get()));
        QCOMPARE(w_->MessageLbl->text(), QStringLiteral("Not Recognized SEGY format"));
        QCOMPARE(w_->State.FileLoaded, 1);
        QCOMPARE(w_->State.CurrentFile, Path(QStringLiteral("good.sgy")).toStdString());
        QCOMPARE(w_->State.NumSamples, 0);
        QCOMPARE(w_->State.NumTraces, 0);
        QCOMPARE(w_->State.SampleInterval, 0.0);
        QCOMPARE(w_->Memo1->toPlainText(), memo);
        QCOMPARE(w_->TracesED->text(), QStringLiteral("10"));
        // The grid's values were cleared and not refilled.
        QCOMPARE(Grid(1, 1), QString());
        QVERIFY(ui_.messages.isEmpty());

        // A folder cannot be opened: the reader says so first.
        Click(QStringLiteral("folder.sgy"));
        QCOMPARE(ui_.messages,
                 QStringList{QStringLiteral("Cannot open input file <ReadSegyFileHeader>!!")});
        QCOMPARE(w_->MessageLbl->text(), QStringLiteral("Not Recognized SEGY format"));
    }

    void aZeroLayoutBeepsAndShowsFiveHundredSamplesOfTwoMilliseconds() {
        Browse(QStringLiteral("zero.sgy"));
        QCOMPARE(ui_.beeps, 1);
        QCOMPARE(ui_.messages, QStringList{QStringLiteral("Invalid File Format!")});
        QCOMPARE(w_->SamplesED->text(), QStringLiteral("500"));
        QCOMPARE(w_->SampRateED->text(), QStringLiteral("2"));
        QCOMPARE(w_->TracesED->text(), QStringLiteral("0"));
        QCOMPARE(w_->VScrollBar->maximum(), 1000);
        QCOMPARE(w_->HScrollBar->maximum(), 0);
        QCOMPARE(w_->State.FileOpen, 1);
    }

    void theFolderFillMatchesNamesExactly() {
        Browse(QStringLiteral("README"));
        // No extension: every entry of the folder.
        QCOMPARE(w_->SegyFileLB->count(), 8);
        QCOMPARE(w_->SegyFileLB->currentItem()->text(), QStringLiteral("README"));

        w_ = std::make_unique<TVantrel>(QStringList{kProgram, QString(), kCode}, ui_);
        w_->State.LittleEndian = 1;
        w_->SelTrcED->setText(QStringLiteral("4"));
        Browse(QStringLiteral("GOOD.sgy"));
        QCOMPARE(w_->SegyFileLB->count(), 7);
        QVERIFY(w_->SegyFileLB->selectedItems().isEmpty());
        QCOMPARE(w_->State.LittleEndian, 0);
        QCOMPARE(w_->SelTrcED->text(), QStringLiteral("1"));
        QCOMPARE(w_->State.FileLoaded, 0);
        QCOMPARE(w_->PageControl1->currentIndex(), kHelpPage);

        // A cancelled dialog changes nothing.
        ui_.openAnswer.clear();
        w_->SegyBrowseBtnClick();
        QCOMPARE(w_->SegyFileLB->count(), 7);
    }

    void theFormatControls() {
        Browse(QStringLiteral("good.sgy"));
        w_->SampRateED->setText(QStringLiteral("abc"));
        w_->SampRateEDExit();
        QCOMPARE(ui_.messages.last(), QStringLiteral("'abc' is not a valid floating point value"));
        QCOMPARE(w_->State.SampleInterval, 4.0);
        QCOMPARE(w_->SampRateED->text(), QStringLiteral("abc"));
        w_->SampRateED->setText(QStringLiteral("0"));
        w_->SampRateEDExit();
        QCOMPARE(ui_.messages.last(), QStringLiteral("The sample rate must be greater than 0."));
        QCOMPARE(w_->State.SampleInterval, 4.0);
        w_->SampRateED->setText(QStringLiteral("2.5"));
        w_->SampRateEDExit();
        QCOMPARE(w_->State.SampleInterval, 2.5);
        QCOMPARE(w_->VScrollBar->maximum(), 200); // the ranges stay

        w_->LabelIncED->setText(QStringLiteral("abc"));
        w_->LabelIncEDExit();
        QCOMPARE(w_->State.LabelIncrement, 20);
        QCOMPARE(w_->LabelIncED->text(), QStringLiteral("abc"));
        w_->LabelIncED->setText(QStringLiteral("5"));
        w_->LabelIncEDExit();
        QCOMPARE(w_->State.LabelIncrement, 5);

        w_->GainED->setText(QStringLiteral("loud"));
        w_->GainEDExit();
        QCOMPARE(ui_.messages.last(), QStringLiteral("'loud' is not a valid floating point value"));
        // The edit reports exactly the texts the plot cannot use as a gain.
        const int reported = ui_.messages.size();
        for (const char* text : {" 3.5 ", "+.5", "-1e-1"}) {
            w_->GainED->setText(QString::fromLatin1(text));
            w_->GainEDExit();
        }
        QCOMPARE(ui_.messages.size(), reported);
        for (const char* text : {"+-2", "2,5", "inf"}) {
            w_->GainED->setText(QString::fromLatin1(text));
            w_->GainEDExit();
            QCOMPARE(ui_.messages.last(),
                     QStringLiteral("'%1' is not a valid floating point value").arg(text));
        }

        w_->DataTypeCB->setCurrentIndex(2);
        w_->DataTypeCBChange();
        QCOMPARE(w_->State.DataType, 3);

        // One byte per sample: 50 + 240 = 290-byte traces in a file of
        // 3600 + 10 x 440 bytes make 15 traces; the bar's range follows.
        w_->DataBytesCB->setCurrentIndex(0);
        w_->DataBytesCBChange();
        QCOMPARE(w_->State.BytesPerSample, 1);
        QCOMPARE(w_->TracesED->text(), QStringLiteral("15"));
        QCOMPARE(w_->HScrollBar->maximum(), 0);

        w_->ByteOrderCB->setCurrentIndex(1);
        w_->ByteOrderCBChange();
        QCOMPARE(w_->State.LittleEndian, 1);
        w_->ByteOrderCB->setCurrentIndex(0);
        w_->ByteOrderCBChange();
        QCOMPARE(w_->State.LittleEndian, 0);
        w_->ByteOrderCB->setEditText(QStringLiteral("Middle Endian"));
        w_->ByteOrderCBChange();
        QVERIFY(w_->State.LittleEndian != 0);
    }

    void theDataBytesBoxWithoutAFileStoresTheWidthOnly() {
        w_->DataBytesCB->setCurrentIndex(1);
        w_->DataBytesCBChange();
        QCOMPARE(w_->State.BytesPerSample, 2);
        QVERIFY(ui_.messages.isEmpty());
        QVERIFY(w_->TracesED->text().isEmpty());
    }

    void theGridInBothWidthsAndTheScanControls() {
        Browse(QStringLiteral("good.sgy"));
        w_->ByteSelectRB->setItemIndex(1);
        w_->ByteSelectRBClick();
        QCOMPARE(w_->State.FourByteMode, 0);
        QCOMPARE(w_->StrGrid->RowCount(), 121);
        QCOMPARE(Grid(1, 0), QStringLiteral("2 Byte min"));
        QCOMPARE(Grid(0, 120), QStringLiteral("239-240"));
        QCOMPARE(Grid(1, 2), QStringLiteral("1"));
        QCOMPARE(Grid(1, 58), QStringLiteral("50"));
        w_->ByteSelectRB->setItemIndex(0);
        w_->ByteSelectRBClick();
        QCOMPARE(w_->StrGrid->RowCount(), 61);

        // Selected trace 3, then letters (the first trace).
        w_->SelTrcED->setText(QStringLiteral("3"));
        QCOMPARE(Grid(1, 1), QStringLiteral("3"));
        w_->SelTrcED->setText(QStringLiteral("x"));
        QCOMPARE(Grid(1, 1), QStringLiteral("1"));
        w_->SelTrcED->setText(QStringLiteral("0"));
        QCOMPARE(Grid(1, 1), QStringLiteral("2147483647"));

        // Auto Scan hides the selection and scans every trace.
        w_->AutoScanChk->setChecked(true);
        w_->AutoScanChkClick();
        QVERIFY(!w_->SelTrcED->isVisibleTo(w_.get()));
        QVERIFY(!w_->Label18->isVisibleTo(w_.get()));
        QCOMPARE(Grid(1, 1), QStringLiteral("1"));
        QCOMPARE(Grid(2, 1), QStringLiteral("10"));
        w_->AutoScanChk->setChecked(false);
        w_->AutoScanChkClick();
        QVERIFY(w_->SelTrcED->isVisibleTo(w_.get()));
        QCOMPARE(w_->SelTrcED->text(), QStringLiteral("1"));
        QCOMPARE(Grid(2, 1), QStringLiteral("1"));

        // The button scans every trace whatever the box says.
        w_->ScanHdrsBtnClick();
        QCOMPARE(Grid(2, 1), QStringLiteral("10"));
        QCOMPARE(Grid(1, 6), QStringLiteral("100"));
        QCOMPARE(Grid(2, 6), QStringLiteral("109"));

        // The hidden scan-mode list: the last trace.
        w_->AutoScanCB->setCurrentIndex(3);
        w_->AutoScanCBChange();
        QCOMPARE(Grid(1, 1), QStringLiteral("10"));
        QVERIFY(!w_->SelTrcED->isVisibleTo(w_.get()));
    }

    void labelChoices() {
        Browse(QStringLiteral("good.sgy"));
        auto choose = [this](int row, bool upper) {
            w_->StrGrid->setCurrentCell(row - 1, 0);
            upper ? w_->UpperLocation1Click() : w_->LowerLabelLocation1Click();
        };
        choose(5, true);
        choose(9, true);
        QCOMPARE(Grid(3, 5), QString());
        QCOMPARE(Grid(3, 9), QStringLiteral("Up Label"));
        QCOMPARE(w_->State.UpperLabelRow, 9);

        choose(5, true);
        choose(5, false);
        QCOMPARE(Grid(3, 5), QStringLiteral("Low Label"));
        QCOMPARE(w_->State.Hdr4Mark[4], 80);
        QCOMPARE(w_->State.UpperLabelRow, 5);
        QCOMPARE(w_->State.LowerLabelRow, 5);
        choose(7, false);
        QCOMPARE(Grid(3, 5), QString());
        QCOMPARE(w_->State.UpperLabelRow, 5);
        QCOMPARE(w_->State.LowerLabelRow, 7);

        // The marks stay through a switch of width, a rescan and another file.
        w_->ByteSelectRB->setItemIndex(1);
        w_->ByteSelectRBClick();
        QCOMPARE(Grid(3, 7), QStringLiteral("Low Label"));
        choose(100, true);
        QCOMPARE(w_->State.Hdr2Mark[99], 70);
        QCOMPARE(w_->State.UpperLabelRow, 100);
        w_->ByteSelectRB->setItemIndex(0);
        w_->ByteSelectRBClick();
        w_->ScanHdrsBtnClick();
        Click(QStringLiteral("little.sgy"));
        w_->ByteSelectRB->setItemIndex(1);
        w_->ByteSelectRBClick();
        QCOMPARE(Grid(3, 100), QStringLiteral("Up Label"));
        QCOMPARE(Grid(3, 7), QStringLiteral("Low Label"));
        QCOMPARE(Grid(3, 0), QStringLiteral("Select"));
    }

    void scansLetTheWindowWorkAndNestSafely() {
        // A file large enough for the scan to let events run many times.
        Write(QStringLiteral("big.sgy"),
              NumberedFile(Spec(10, segytest::SampleEncoding::IbmFloat), 200000));
        TIDD_PROGRESS progress;
        IDD_PROGRESS = &progress;
        w_->show();
        Browse(QStringLiteral("big.sgy"));

        // During the scan: the grid switches width at once, a second open
        // of another file runs inside it, and the scan stops for it.
        bool switched = false;
        QTimer::singleShot(1, w_.get(), [&] {
            QVERIFY(w_->Scanning());
            QVERIFY(progress.isVisible());
            QVERIFY(progress.Prog->text().startsWith(QStringLiteral("Scan Headers of 200000")));
            w_->ByteSelectRB->setItemIndex(1);
            w_->ByteSelectRBClick();
            switched = w_->StrGrid->RowCount() == 121;
            Click(QStringLiteral("good.sgy"));
        });
        w_->ScanHdrsBtnClick();
        QVERIFY(switched);
        QVERIFY(!progress.isVisible());
        QCOMPARE(w_->State.CurrentFile, Path(QStringLiteral("good.sgy")).toStdString());
        QCOMPARE(w_->TracesED->text(), QStringLiteral("10"));

        // Closing the window during a scan waits for the scan to stop.
        Click(QStringLiteral("big.sgy"));
        QTimer::singleShot(1, w_.get(), [&] { w_->close(); });
        w_->ScanHdrsBtnClick();
        QTRY_VERIFY(!w_->isVisible());
        IDD_PROGRESS = nullptr;
    }

    void theWindowAgreesWithTheCommandLineOnTheCorpus() {
        const QDir corpus(QStringLiteral(VANTREL_CORPUS_DIR));
        if (!corpus.exists())
            QSKIP("The shared SEG-Y corpus (../shared/segy-corpus) is not here; skipping.");
        for (const QString& name : corpus.entryList({QStringLiteral("*.sgy")}, QDir::Files)) {
            const QString path = corpus.filePath(name);
            w_ = std::make_unique<TVantrel>(QStringList{kProgram, QString(), kCode}, ui_);
            ui_.openAnswer = path;
            w_->SegyBrowseBtnClick();
            const QJsonObject info =
                QJsonDocument::fromJson(
                    CliOutput({QStringLiteral("info"), path, QStringLiteral("--json")}).toUtf8())
                    .object();
            if (!info.value(QStringLiteral("Recognized")).toBool()) {
                QCOMPARE(w_->MessageLbl->text(), QStringLiteral("Not Recognized SEGY format"));
                continue;
            }
            QCOMPARE(w_->SamplesED->text(),
                     QString::number(info.value(QStringLiteral("NumSamples")).toInt()));
            QCOMPARE(w_->TracesED->text(),
                     QString::number(info.value(QStringLiteral("NumTraces")).toInt()));
            QCOMPARE(w_->FormatED->text(),
                     QString::number(info.value(QStringLiteral("FormatCode")).toInt()));
            QCOMPARE(w_->State.SampleInterval,
                     info.value(QStringLiteral("SampleInterval")).toDouble());
            QCOMPARE(w_->State.DataType, info.value(QStringLiteral("DataType")).toInt());
            QCOMPARE(w_->State.BytesPerSample,
                     info.value(QStringLiteral("BytesPerSample")).toInt());
            QCOMPARE(w_->State.LittleEndian, info.value(QStringLiteral("LittleEndian")).toInt());
            QCOMPARE(w_->VScrollBar->maximum(), info.value(QStringLiteral("VScrollMax")).toInt());
            QStringList memo = w_->Memo1->toPlainText().split(QLatin1Char('\n'));
            QCOMPARE(QJsonArray::fromStringList(memo),
                     info.value(QStringLiteral("TextHeader")).toArray());
            // The open scans the first trace; the grid is the CLI's.
            const QStringList grid = CliOutput({QStringLiteral("scan"), path,
                                                QStringLiteral("--mode"), QStringLiteral("first")})
                                         .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            QCOMPARE(grid.size(), 61);
            for (int row = 1; row < 61; ++row)
                QCOMPARE(
                    QStringList({Grid(0, row), Grid(1, row), Grid(2, row)}).join(QLatin1Char('\t')),
                    grid[row]);
        }
    }
};

QTEST_MAIN(OpenFlowTest)
#include "tst_open_flow.moc"
