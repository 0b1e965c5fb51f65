// The Trace page's listing: which trace the edit and the scroll bar choose,
// the text of every line for each sample encoding and byte order, and the
// command-line tool's listing against the corpus reference.
#include "logic/OpenFlow.h"
#include "logic/TraceListing.h"
#include "logic/ViewerState.h"
#include "segy/SegyFormat.h"
#include "segy/UserMessages.h"
#include "tests/support/SegyWriter.h"
#include "tests/support/TestFiles.h"
#include "tests/viewer/CorpusReference.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

using segytest::SampleEncoding;

namespace {

// Traces of the selection file: sample 0 of trace t holds t, so the first
// line names the trace that was listed.
constexpr int kSelectionTraces = 110;
constexpr int kSelectionSamples = 3;

std::unique_ptr<ViewerState> OpenState(const std::string& path) {
    auto state = std::make_unique<ViewerState>();
    segy::SilentMessages silent;
    if (ReadHeaderIntoState(*state, path, silent).recognized)
        state->CurrentFile = path;
    return state;
}

// Every line the Trace page's list would show for the edit's text.
QStringList Listing(const ViewerState& state, const QString& text, int scrollPosition,
                    segy::UserMessages& messages) {
    const TraceSampleLines listing =
        TraceListingLines(state, text.toStdString(), scrollPosition, messages);
    QStringList lines;
    for (int64_t i = 0; i < listing.Count(); ++i)
        lines << QString::fromStdString(listing.Line(i));
    return lines;
}

QStringList Lines(std::initializer_list<const char*> lines) {
    QStringList list;
    for (const char* line : lines)
        list.append(QString::fromLatin1(line));
    return list;
}

} // namespace

class ListingTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void selectionTextReadsAsDecimalInteger_data();
    void selectionTextReadsAsDecimalInteger();
    void listsTraceCountedFromScrollPosition_data();
    void listsTraceCountedFromScrollPosition();
    void negativeTraceListsNothingAndBeeps_data();
    void negativeTraceListsNothingAndBeeps();
    void traceBeyondTheFileListsNothing();
    void samplesDecodeByteExact_data();
    void samplesDecodeByteExact();
    void nonFiniteSamplesPrintAsTheCLibrary();
    void noSamplesListsNothing();
    void linesMatchPrintfForEveryKindOfFloat();
    void cliListingMatchesCorpusReference();

private:
    std::string WriteSampleFile(const QString& name, SampleEncoding encoding, bool littleEndian,
                                int numSamples, int sample, const QByteArray& bytes);

    QTemporaryDir folder_;
    std::string selectionFile_;
};

void ListingTest::initTestCase() {
    QVERIFY(folder_.isValid());
    segytest::FileSpec spec;
    spec.numSamples = kSelectionSamples;
    spec.encoding = SampleEncoding::Int32;
    segytest::SegyWriter writer(spec);
    for (int trace = 0; trace < kSelectionTraces; ++trace) {
        segytest::TraceSpec traceSpec;
        traceSpec.samples = {static_cast<double>(trace), 7.0, -1.0};
        writer.AddTrace(traceSpec);
    }
    selectionFile_ = folder_.filePath(QStringLiteral("selection.sgy")).toStdString();
    QVERIFY(writer.WriteTo(selectionFile_));
}

// One trace whose sample `sample` holds `bytes` exactly as stored.
std::string ListingTest::WriteSampleFile(const QString& name, SampleEncoding encoding,
                                         bool littleEndian, int numSamples, int sample,
                                         const QByteArray& bytes) {
    segytest::FileSpec spec;
    spec.numSamples = static_cast<int16_t>(numSamples);
    spec.encoding = encoding;
    spec.littleEndian = littleEndian;
    segytest::SegyWriter writer(spec);
    writer.AddTrace({});
    std::vector<unsigned char> file = writer.Bytes();
    const size_t position = segy::kFileHeaderSize + segy::kTraceHeaderSize +
                            static_cast<size_t>(sample * segytest::BytesFor(encoding));
    for (qsizetype i = 0; i < bytes.size(); ++i)
        file[position + static_cast<size_t>(i)] = static_cast<unsigned char>(bytes[i]);
    const std::string path = folder_.filePath(name).toStdString();
    return segytest::WriteBytes(path, file) ? path : std::string();
}

void ListingTest::selectionTextReadsAsDecimalInteger_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("number") << "37" << 37;
    QTest::newRow("negative") << "-4" << -4;
    QTest::newRow("plus sign") << "+5" << 5;
    QTest::newRow("leading blanks") << "  12" << 12;
    QTest::newRow("leading zeros") << "007" << 7;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("letters") << "abc" << 0;
    QTest::newRow("trailing letters") << "12a" << 0;
    QTest::newRow("trailing blank") << "12 " << 12;
    QTest::newRow("fraction") << "1.5" << 0;
    QTest::newRow("hexadecimal") << "0x10" << 0;
    QTest::newRow("sign alone") << "-" << 0;
    QTest::newRow("two signs") << "+-3" << 0;
    QTest::newRow("largest") << "2147483647" << std::numeric_limits<int>::max();
    QTest::newRow("beyond 32 bits") << "2147483648" << 0;
}

void ListingTest::selectionTextReadsAsDecimalInteger() {
    QFETCH(QString, text);
    QFETCH(int, number);
    QCOMPARE(TraceSelectionNumber(text.toStdString()), number);
}

void ListingTest::listsTraceCountedFromScrollPosition_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("scrollPosition");
    QTest::addColumn<QString>("firstLine");
    QTest::newRow("first trace") << "0" << 0 << "0 : 0.00000000";
    QTest::newRow("scrolled to 100") << "0" << 100 << "0 : 100.00000000";
    QTest::newRow("n + h") << "5" << 100 << "0 : 105.00000000";
    QTest::newRow("letters list trace h") << "abc" << 100 << "0 : 100.00000000";
    QTest::newRow("empty lists trace h") << "" << 3 << "0 : 3.00000000";
    QTest::newRow("back from h") << "-100" << 100 << "0 : 0.00000000";
}

void ListingTest::listsTraceCountedFromScrollPosition() {
    QFETCH(QString, text);
    QFETCH(int, scrollPosition);
    QFETCH(QString, firstLine);
    const auto state = OpenState(selectionFile_);
    segytest::RecordingMessages messages;
    const QStringList lines = Listing(*state, text, scrollPosition, messages);
    QCOMPARE(lines, QStringList({firstLine, QStringLiteral("1 : 7.00000000"),
                                 QStringLiteral("2 : -1.00000000")}));
    QCOMPARE(messages.beeps, 0);
    QVERIFY(messages.messages.empty());
}

void ListingTest::negativeTraceListsNothingAndBeeps_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("scrollPosition");
    QTest::newRow("-1") << "-1" << 0;
    QTest::newRow("below h") << "-101" << 100;
    QTest::newRow("most negative") << "-2147483648" << 0;
}

void ListingTest::negativeTraceListsNothingAndBeeps() {
    QFETCH(QString, text);
    QFETCH(int, scrollPosition);
    const auto state = OpenState(selectionFile_);
    segytest::RecordingMessages messages;
    QVERIFY(Listing(*state, text, scrollPosition, messages).isEmpty());
    QCOMPARE(messages.beeps, 1);
    QVERIFY(messages.messages.empty());
}

void ListingTest::traceBeyondTheFileListsNothing() {
    // Past the last trace there is no data: nothing is listed, as before
    // the first, rather than zeros for samples that are not there.
    const auto state = OpenState(selectionFile_);
    segytest::RecordingMessages messages;
    QCOMPARE(Listing(*state, QStringLiteral("2147483647"), 100, messages), QStringList());
    QCOMPARE(Listing(*state, QString::number(kSelectionTraces), 0, messages), QStringList());
    QCOMPARE(Listing(*state, QString::number(kSelectionTraces - 1), 0, messages).size(), 3);
    QCOMPARE(messages.beeps, 2);
}

void ListingTest::samplesDecodeByteExact_data() {
    QTest::addColumn<SampleEncoding>("encoding");
    QTest::addColumn<bool>("littleEndian");
    QTest::addColumn<int>("sample");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("line");
    QTest::newRow("IEEE big endian") << SampleEncoding::IeeeFloat << false << 0
                                     << QByteArray::fromHex("3F800000") << "0 : 1.00000000";
    QTest::newRow("IEEE little endian") << SampleEncoding::IeeeFloat << true << 0
                                        << QByteArray::fromHex("0000803F") << "0 : 1.00000000";
    QTest::newRow("4-byte fixed point") << SampleEncoding::Int32 << false << 0
                                        << QByteArray::fromHex("000003E8") << "0 : 1000.00000000";
    QTest::newRow("2-byte fixed point")
        << SampleEncoding::Int16 << false << 0 << QByteArray::fromHex("FFFE") << "0 : -2.00000000";
    QTest::newRow("IBM big endian") << SampleEncoding::IbmFloat << false << 12
                                    << QByteArray::fromHex("C276A000") << "12 : -118.62500000";
    QTest::newRow("IBM little endian") << SampleEncoding::IbmFloat << true << 12
                                       << QByteArray::fromHex("00A076C2") << "12 : -118.62500000";
}

void ListingTest::samplesDecodeByteExact() {
    QFETCH(SampleEncoding, encoding);
    QFETCH(bool, littleEndian);
    QFETCH(int, sample);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, line);
    const int numSamples = sample + 1;
    const std::string path = WriteSampleFile(QStringLiteral("%1.sgy").arg(QTest::currentDataTag()),
                                             encoding, littleEndian, numSamples, sample, bytes);
    const auto state = OpenState(path);
    QCOMPARE(state->CurrentFile, path);
    QCOMPARE(state->LittleEndian, littleEndian ? 1 : 0);
    segytest::RecordingMessages messages;
    const QStringList lines = Listing(*state, QStringLiteral("0"), 0, messages);
    QCOMPARE(lines.size(), numSamples);
    QCOMPARE(lines.last(), line);
    for (int i = 0; i < sample; ++i)
        QCOMPARE(lines[i], QStringLiteral("%1 : 0.00000000").arg(i));
}

void ListingTest::nonFiniteSamplesPrintAsTheCLibrary() {
    const std::string path =
        WriteSampleFile(QStringLiteral("non-finite.sgy"), SampleEncoding::IeeeFloat, false, 4, 0,
                        QByteArray::fromHex("7F800000FF8000007FC00000FFC00000"));
    const auto state = OpenState(path);
    segytest::RecordingMessages messages;
    QCOMPARE(Listing(*state, QStringLiteral("0"), 0, messages),
             Lines({"0 : inf", "1 : -inf", "2 : nan", "3 : -nan"}));
    QCOMPARE(FormatSampleLine(7, -0.0f), std::string("7 : -0.00000000"));
}

void ListingTest::noSamplesListsNothing() {
    // Before any file is opened NumSamples is 0.
    ViewerState state;
    segytest::RecordingMessages messages;
    QVERIFY(Listing(state, QStringLiteral("0"), 0, messages).isEmpty());
    QCOMPARE(messages.beeps, 0);
}

void ListingTest::linesMatchPrintfForEveryKindOfFloat() {
    // Random bit patterns reach every exponent: subnormals, values that
    // round at the eighth decimal, the largest floats, infinities and NaNs.
    QRandomGenerator generator(2024);
    const std::vector<int32_t> sampleNumbers = {0, 9, 32766, std::numeric_limits<int32_t>::min(),
                                                std::numeric_limits<int32_t>::max()};
    for (int i = 0; i < 300000; ++i) {
        const quint32 bits = generator.generate();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        const int32_t sampleNumber = sampleNumbers[static_cast<size_t>(i) % sampleNumbers.size()];
        char expected[512];
        std::snprintf(expected, sizeof expected, "%d : %0.8f", sampleNumber,
                      static_cast<double>(value));
        const std::string line = FormatSampleLine(sampleNumber, value);
        QVERIFY2(line == expected, expected);
    }
}

void ListingTest::cliListingMatchesCorpusReference() {
    const QDir corpus(QStringLiteral(VANTREL_CORPUS_DIR));
    QFile referenceFile(corpus.filePath(QStringLiteral("reference.json")));
    if (!referenceFile.open(QIODevice::ReadOnly))
        QSKIP("the SEG-Y corpus is absent (" VANTREL_CORPUS_DIR ")");
    const QJsonObject reference = QJsonDocument::fromJson(referenceFile.readAll()).object();
    QVERIFY(!reference.isEmpty());

    int compared = 0;
    for (auto file = reference.begin(); file != reference.end(); ++file) {
        const QJsonObject listings =
            file.value().toObject().value(QStringLiteral("listing")).toObject();
        for (auto listing = listings.begin(); listing != listings.end(); ++listing) {
            QProcess cli;
            cli.start(QStringLiteral(VANTREL_CLI_PATH),
                      {QStringLiteral("list"), corpus.filePath(file.key()),
                       QStringLiteral("--trace"), listing.key()});
            QVERIFY(cli.waitForFinished(60000));
            const QString context = file.key() + QStringLiteral(" trace ") + listing.key();
            // Nothing is listed for a trace the file does not hold.
            const bool holds = HoldsTrace(file.value().toObject(), listing.key());
            QVERIFY2(cli.exitCode() == (holds ? 0 : 1), qPrintable(context));
            QStringList expected;
            for (const QJsonValue& line : listing.value().toArray())
                if (holds)
                    expected.append(line.toString());
            const QStringList actual = QString::fromLatin1(cli.readAllStandardOutput())
                                           .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            QVERIFY2(actual == expected, qPrintable(context));
            ++compared;
        }
    }
    QVERIFY(compared > 0);
}

QTEST_GUILESS_MAIN(ListingTest)
#include "tst_listing.moc"
