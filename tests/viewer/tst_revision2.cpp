// Files of SEG-Y rev 2 in the window and the command-line tool: the grown
// format boxes, the listing of 8-byte samples from their stored value, and
// what vantrel-cli info reports of the revision fields.
#include "segy/ByteOrder.h"
#include "tests/support/SegyWriter.h"
#include "tests/viewer/CliRunner.h"
#include "tests/viewer/RecordingUserInterface.h"
#include "viewer/TVantrel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdint>
#include <memory>

using segytest::SampleEncoding;

namespace {

// One trace of three samples stored as the given bit patterns, after four
// extended textual headers, with one additional trace header (rev 2.1).
segytest::SegyWriter RevisionTwoFile(SampleEncoding encoding, std::vector<uint64_t> samples) {
    segytest::FileSpec spec;
    spec.textLines = {"C 1 MAIN HEADER"};
    spec.numSamples = 3;
    spec.encoding = encoding;
    spec.revisionMajor = 2;
    spec.revisionMinor = 1;
    spec.traceExtensions = 1;
    segytest::SegyWriter writer(spec);
    writer.SetBinary16(segy::kBinExtendedTextCountOffset, 4);
    writer.SetBinary16(segy::kBinTraceExtensionsOffset, 1);
    for (int i = 1; i <= 4; ++i)
        writer.AddExtendedText({"C 1 STANZA " + std::to_string(i), "C 2 MORE"});
    segytest::TraceSpec trace;
    trace.words4 = {{1, 1}};
    trace.integerSamples = std::move(samples);
    writer.AddTrace(trace);
    return writer;
}

QStringList Listing(const QStringList& arguments) {
    const CliRun run = RunCli(QStringList{QStringLiteral("list")} + arguments);
    if (run.exitCode != 0)
        return {QStringLiteral("exit %1: %2").arg(run.exitCode).arg(QString::fromUtf8(run.err))};
    return QString::fromLatin1(run.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class Revision2Test : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString Path(const QString& name) const { return dir_.filePath(name); }
    void Write(const QString& name, const segytest::SegyWriter& writer) {
        QVERIFY(writer.WriteTo(Path(name).toStdString()));
    }

    // u64.sgy with the header's own count of traces set to `traces`.
    void WriteWithTraceCount(const QString& name, int32_t traces) {
        segytest::SegyWriter writer = RevisionTwoFile(SampleEncoding::UInt64, {1, 2, 3});
        writer.SetBinary32(segy::kBinTracesInFileOffset + 4, traces);
        Write(name, writer);
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        Write(QStringLiteral("u64.sgy"),
              RevisionTwoFile(SampleEncoding::UInt64, {~uint64_t{0}, uint64_t{1} << 53, 0}));
        Write(QStringLiteral("i64.sgy"),
              RevisionTwoFile(SampleEncoding::Int64, {uint64_t{INT64_MAX}, ~uint64_t{0}, 5}));
        Write(QStringLiteral("f64.sgy"),
              RevisionTwoFile(SampleEncoding::IeeeDouble,
                              {segy::DoubleToBits(0.1), segy::DoubleToBits(-1e20),
                               segy::DoubleToBits(123456789.123456789)}));
        // A rev 0 file of 3-byte integers, which only the boxes can read.
        segytest::FileSpec plain;
        plain.numSamples = 2;
        plain.encoding = SampleEncoding::Int24;
        plain.formatCode = 2;
        segytest::SegyWriter writer(plain);
        segytest::TraceSpec trace;
        trace.integerSamples = {0xFFFFFF, 0x800000};
        writer.AddTrace(trace);
        writer.AddTrace(trace);
        Write(QStringLiteral("plain24.sgy"), writer);
    }

    void infoReportsTheRevisionFields() {
        const CliRun run =
            RunCli({QStringLiteral("info"), QStringLiteral("--json"), Path("u64.sgy")});
        QCOMPARE(run.exitCode, 0);
        const QJsonObject info = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(info.value("Revision").toString(), QStringLiteral("2.1"));
        QCOMPARE(info.value("ExtendedTextHeaders").toInt(), 4);
        QCOMPARE(info.value("TraceHeaderExtensions").toInt(), 1);
        QCOMPARE(info.value("NumTraces").toInt(), 1);
        QCOMPARE(info.value("DataType").toInt(), 4);
        QCOMPARE(info.value("BytesPerSample").toInt(), 8);
        QCOMPARE(info.value("TextHeader").toArray().at(0).toString().trimmed(),
                 QStringLiteral("C 1 MAIN HEADER"));
        const QJsonArray stanzas = info.value("ExtendedText").toArray();
        QCOMPARE(stanzas.size(), 4);
        QCOMPARE(stanzas.at(3).toArray().size(), 40);
        QCOMPARE(stanzas.at(3).toArray().at(0).toString().trimmed(),
                 QStringLiteral("C 1 STANZA 4"));
        const CliRun text = RunCli({QStringLiteral("info"), Path("u64.sgy")});
        QVERIFY(text.out.contains("C 1 STANZA 4"));
        QCOMPARE(info.value("TracesInHeader").toInt(), 0);
        QVERIFY(!text.out.contains("The binary header gives"));

        // The header's own count beside the count from the size; one line
        // when they differ.
        WriteWithTraceCount(QStringLiteral("counted.sgy"), 1);
        WriteWithTraceCount(QStringLiteral("miscounted.sgy"), 9);
        const CliRun counted = RunCli({QStringLiteral("info"), Path("counted.sgy")});
        QVERIFY(!counted.out.contains("The binary header gives"));
        const CliRun miscounted = RunCli({QStringLiteral("info"), Path("miscounted.sgy")});
        QVERIFY2(miscounted.out.contains("The binary header gives 9 traces; the file's size "
                                         "holds 1.\n"),
                 miscounted.out);
        const CliRun json =
            RunCli({QStringLiteral("info"), QStringLiteral("--json"), Path("miscounted.sgy")});
        QCOMPARE(QJsonDocument::fromJson(json.out).object().value("TracesInHeader").toInt(), 9);
    }

    void eightByteSamplesListFromTheirStoredValue() {
        QCOMPARE(Listing({Path("u64.sgy")}),
                 QStringList({"0 : 18446744073709551615.00000000", "1 : 9007199254740992.00000000",
                              "2 : 0.00000000"}));
        QCOMPARE(Listing({Path("i64.sgy")}), QStringList({"0 : 9223372036854775807.00000000",
                                                          "1 : -1.00000000", "2 : 5.00000000"}));
        QCOMPARE(Listing({Path("f64.sgy")}),
                 QStringList({"0 : 0.10000000", "1 : -100000000000000000000.00000000",
                              "2 : 123456789.12345679"}));
    }

    void theOptionsTakeTheNewTypeAndWidths() {
        QCOMPARE(Listing({"--data-type", "unsigned", "--data-bytes", "3", Path("plain24.sgy")}),
                 QStringList({"0 : 16777215.00000000", "1 : 8388608.00000000"}));
        QCOMPARE(Listing({"--data-bytes", "3", Path("plain24.sgy")}),
                 QStringList({"0 : -1.00000000", "1 : -8388608.00000000"}));
        QCOMPARE(RunCli({"list", "--data-bytes", "5", Path("plain24.sgy")}).exitCode, 2);
    }

    void theFormatBoxesGrowKeepingTheirItems() {
        RecordingUserInterface ui;
        TVantrel w(QStringList{QStringLiteral("vantrel"), Path("u64.sgy"),
                               QString::fromLatin1(kLaunchCode)},
                   ui);
        QCOMPARE(w.DataTypeCB->count(), 4);
        QCOMPARE(w.DataTypeCB->itemText(2), QStringLiteral("IEEE Floating Point"));
        QCOMPARE(w.DataTypeCB->currentText(), QStringLiteral("Unsigned Fixed Point"));
        QCOMPARE(w.DataBytesCB->count(), 5);
        QCOMPARE(w.DataBytesCB->itemText(2), QStringLiteral("4 Bytes"));
        QCOMPARE(w.DataBytesCB->currentText(), QStringLiteral("8 Bytes"));
        QCOMPARE(w.State.NumTraces, 1);
        // 3 bytes per sample: 240 + 240 + 9 bytes a trace after 16400 bytes.
        w.DataBytesCB->setCurrentIndex(3);
        w.DataBytesCBChange();
        QCOMPARE(w.State.BytesPerSample, 3);
        QCOMPARE(w.State.NumTraces, 1);
        QCOMPARE(w.TracesED->text(), QStringLiteral("1"));
        // The memo shows the main header's 40 lines, then, after an empty
        // line, each extended stanza's 40.
        const QStringList memo = w.Memo1->toPlainText().split(QLatin1Char('\n'));
        QVERIFY(memo[0].startsWith(QStringLiteral("C 1 MAIN HEADER")));
        QCOMPARE(memo.size() % 41, 40);
        QCOMPARE(memo[40], QString());
        QVERIFY(memo[41].contains(QStringLiteral("STANZA")));
    }
};

QTEST_MAIN(Revision2Test)
#include "tst_revision2.moc"
