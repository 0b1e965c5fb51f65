// vantrel-cli on files the tests write: exit codes, messages, the invalid
// layout substitution and the format overrides.
#include "app/cli/CommandLine.h"
#include "app/cli/Json.h"
#include "tests/support/SegyWriter.h"
#include "tests/viewer/CliRunner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

class Cli : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;

    QString Write(const QString& name, const segytest::SegyWriter& writer) {
        const QString path = dir.filePath(name);
        if (!writer.WriteTo(path.toStdString()))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void headersWritesTheChosenFieldsOfEveryTrace() {
        // A little-endian file: inline 10 + t at 189, crossline at 193, a
        // source X at 73 with its scalar at 71.
        segytest::FileSpec spec;
        spec.numSamples = 4;
        spec.littleEndian = true;
        segytest::SegyWriter writer(spec);
        for (int t = 0; t < 5; ++t) {
            segytest::TraceSpec trace;
            trace.words4 = {{189, 10 + t}, {193, 100 - t}, {73, -70000 * t}};
            trace.words2 = {{71, -100}};
            writer.AddTrace(trace);
        }
        const QString path = Write(QStringLiteral("geometry.sgy"), writer);
        const CliRun csv = RunCli({QStringLiteral("headers"), path, QStringLiteral("--fields"),
                                   QStringLiteral("iline,XLINE,73,scalco"),
                                   QStringLiteral("--traces"), QStringLiteral("3:")});
        QCOMPARE(csv.exitCode, 0);
        QCOMPARE(csv.out, QByteArray("Trace,INLINE_3D,CROSSLINE_3D,SourceX,SourceGroupScalar\n"
                                     "3,13,97,-210000,-100\n4,14,96,-280000,-100\n"));
        const CliRun json = RunCli({QStringLiteral("headers"), path, QStringLiteral("--fields"),
                                    QStringLiteral("cdp"), QStringLiteral("--traces"),
                                    QStringLiteral(":1"), QStringLiteral("--json")});
        QCOMPARE(QJsonDocument::fromJson(json.out).toJson(QJsonDocument::Compact),
                 QByteArray(R"({"Fields":["CDP"],"Traces":[[0,0],[1,0]]})"));
        // The full scan names every field with its extremes, the traces
        // that first hold them, and scaled values under a constant scalar.
        const CliRun scan = RunCli({QStringLiteral("scan"), path, QStringLiteral("--json")});
        QJsonObject sourceX, iline;
        for (const QJsonValue field :
             QJsonDocument::fromJson(scan.out).object().value("Fields").toArray()) {
            if (field[QStringLiteral("FirstByte")].toInt() == 73)
                sourceX = field.toObject();
            if (field[QStringLiteral("FirstByte")].toInt() == 189)
                iline = field.toObject();
        }
        QCOMPARE(iline.value("Name").toString(), QStringLiteral("INLINE_3D"));
        QCOMPARE(iline.value("MaxTrace").toInt(), 4);
        QCOMPARE(sourceX.value("MinTrace").toInt(), 4);
        QCOMPARE(sourceX.value("ScaledMin").toDouble(), -2800.0);
        QCOMPARE(sourceX.value("ScaledMax").toDouble(), 0.0);
        // Each field's character, and the geometry: inline and crossline
        // both move on every trace and nothing numbers a line, so nothing
        // fits.
        const QJsonObject character = iline.value("Character").toObject();
        QCOMPARE(character.value("Kind").toString(), QStringLiteral("increasing"));
        QCOMPARE(character.value("Text").toString(),
                 QStringLiteral("increases by 1 each trace, 5 values"));
        QCOMPARE(character.value("Strict").toBool(), true);
        const QJsonObject geometry =
            QJsonDocument::fromJson(scan.out).object().value("Geometry").toObject();
        QCOMPARE(geometry.value("Kind").toString(), QStringLiteral("unstructured"));
        QCOMPARE(geometry.value("Extents")["Source"]["MinX"].toDouble(), -2800.0);
        // A name that is no field, a range back to front, no fields at all,
        // a list of none: each says what is wrong.
        for (const QStringList& wrong :
             {QStringList{QStringLiteral("--fields"), QStringLiteral("ilin")},
              QStringList{QStringLiteral("--fields"), QStringLiteral("9"),
                          QStringLiteral("--traces"), QStringLiteral("4:2")},
              QStringList{}, QStringList{QStringLiteral("--fields"), QStringLiteral(",")}}) {
            const CliRun run = RunCli(QStringList{QStringLiteral("headers"), path} + wrong);
            QCOMPARE(run.exitCode, 2);
            QVERIFY2(run.err.startsWith("vantrel-cli headers: "), run.err.constData());
        }
        // Traces past the file's last are refused, not answered with no rows.
        const CliRun past =
            RunCli({QStringLiteral("headers"), path, QStringLiteral("--fields"),
                    QStringLiteral("cdp"), QStringLiteral("--traces"), QStringLiteral("5:9")});
        QCOMPARE(past.exitCode, 1);
        QVERIFY2(past.err.endsWith("holds no trace 5 (it has 5)\n"), past.err.constData());
    }

    void jsonIsWrittenAsQtWritesIt() {
        // Doubles in the shortest form that reads back, whole ones below
        // 2^53 as integers; every Latin-1 character; empty and nested
        // containers, indented and compact.
        const double values[] = {0.0,
                                 -0.0,
                                 1e-4,
                                 1.5e-5,
                                 0.00012,
                                 1e6,
                                 1e16,
                                 1e17,
                                 1.5e22,
                                 0.1,
                                 2.5,
                                 -4.0,
                                 6.5e6,
                                 620197.2300793511,
                                 9007199254740994.0,
                                 123456789012345680.0,
                                 5e-324,
                                 1.7976931348623157e308};
        QJsonArray qtNumbers;
        Json numbers = Json::Array();
        for (const double v : values) {
            qtNumbers.append(v);
            numbers.Append(v);
        }
        std::string bytes;
        for (int c = 1; c < 256; ++c)
            bytes += static_cast<char>(c);
        QJsonObject qt{
            {"n", qtNumbers},
            {"s", QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()))},
            {"e", QJsonArray()},
            {"o", QJsonObject{{"b", true}, {"a", qint64(-9007199254740993LL)}}}};
        Json ours = Json::Object();
        ours["n"] = numbers;
        ours["s"] = Latin1ToUtf8(bytes);
        ours["e"] = Json::Array();
        Json inner = Json::Object();
        inner["b"] = true;
        inner["a"] = int64_t{-9007199254740993LL};
        ours["o"] = inner;
        QCOMPARE(QByteArray::fromStdString(ours.Indented()), QJsonDocument(qt).toJson());
        QCOMPARE(QByteArray::fromStdString(ours.Compact()),
                 QJsonDocument(qt).toJson(QJsonDocument::Compact));
    }

    void optionsParseAsBefore() {
        CommandLine parser("list", "");
        parser.AddOption({"trace", "", "N", "0"});
        parser.AddOption({"json", "", "", ""});
        QVERIFY(parser.Parse({"-", "--trace=-1", "--", "--json"}));
        QCOMPARE(parser.Value("trace"), std::string("-1"));
        QVERIFY(!parser.IsSet("json"));
        QCOMPARE(parser.Positionals(), (std::vector<std::string>{"-", "--json"}));
        CommandLine unknown("list", "");
        QVERIFY(!unknown.Parse({"-xy", "--nope=1"}));
        QCOMPARE(unknown.ErrorText(), std::string("Unknown options: x, y, nope."));
        CommandLine missing("list", "");
        missing.AddOption({"trace", "", "N", "0"});
        QVERIFY(!missing.Parse({"f.sgy", "--trace"}));
        QCOMPARE(missing.ErrorText(), std::string("Missing value after '--trace'."));
    }

    void usageErrorsExitWithTwo() {
        QCOMPARE(RunCli({}).exitCode, 2);
        QCOMPARE(RunCli({QStringLiteral("frobnicate"), QStringLiteral("x")}).exitCode, 2);
        QCOMPARE(RunCli({QStringLiteral("info")}).exitCode, 2);
        QCOMPARE(
            RunCli({QStringLiteral("info"), QStringLiteral("a"), QStringLiteral("b")}).exitCode, 2);
        QCOMPARE(RunCli({QStringLiteral("info"), QStringLiteral("--bogus"), QStringLiteral("a")})
                     .exitCode,
                 2);
        QCOMPARE(RunCli({QStringLiteral("scan"), QStringLiteral("a"), QStringLiteral("--mode"),
                         QStringLiteral("sideways")})
                     .exitCode,
                 2);
        const CliRun help = RunCli({QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.contains("info"));
        for (const char* command : {"info", "list", "scan", "export", "render"}) {
            const CliRun commandHelp = RunCli({QString::fromLatin1(command), QStringLiteral("-h")});
            QCOMPARE(commandHelp.exitCode, 0);
            QVERIFY2(commandHelp.out.startsWith("Usage: vantrel-cli " + QByteArray(command) +
                                                " [options] FILE\n"),
                     commandHelp.out.constData());
        }
        const CliRun version = RunCli({QStringLiteral("--version")});
        QCOMPARE(version.exitCode, 0);
        QVERIFY(version.out.startsWith("vantrel-cli 1."));
    }

    void missingAndForeignFilesExitWithOne() {
        const CliRun missing =
            RunCli({QStringLiteral("info"), dir.filePath(QStringLiteral("no.sgy"))});
        QCOMPARE(missing.exitCode, 1);
        QVERIFY(missing.err.contains("Cannot open input file <ReadSegyFileHeader>!!"));
        QVERIFY(missing.err.contains("Not Recognized SEGY format"));

        QFile text(dir.filePath(QStringLiteral("notes.txt")));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write(QByteArray(5000, 'x'));
        text.close();
        const CliRun foreign = RunCli({QStringLiteral("list"), text.fileName()});
        QCOMPARE(foreign.exitCode, 1);
        QVERIFY(foreign.err.contains("Not Recognized SEGY format"));
        QVERIFY(foreign.out.isEmpty());
    }

    void aZeroLayoutIsShownAsFiveHundredSamplesOfTwoMilliseconds() {
        segytest::FileSpec spec;
        spec.numSamples = 0;
        spec.sampleIntervalUs = 0;
        const QString path = Write(QStringLiteral("zero.sgy"), segytest::SegyWriter(spec));
        const CliRun run = RunCli({QStringLiteral("info"), path, QStringLiteral("--json")});
        QCOMPARE(run.exitCode, 0);
        const QJsonObject info = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(info.value(QStringLiteral("NumSamples")).toInt(), 500);
        QCOMPARE(info.value(QStringLiteral("SampleInterval")).toDouble(), 2.0);
        QCOMPARE(info.value(QStringLiteral("VScrollMax")).toInt(), 1000);
        QCOMPARE(info.value(QStringLiteral("Message")).toString(),
                 QStringLiteral("Invalid File Format!"));
        QVERIFY(run.err.contains("Invalid File Format!"));

        const CliRun plain = RunCli({QStringLiteral("info"), path});
        QVERIFY(plain.out.contains("Samples: 500\nSample Rate: 2\nTraces: 0\n"));
    }

    void plainInfoShowsTheWindowsFields() {
        segytest::FileSpec spec;
        spec.textLines = {"C 1 LINE ONE"};
        spec.numSamples = 3;
        spec.sampleIntervalUs = 250;
        spec.encoding = segytest::SampleEncoding::Int16;
        spec.littleEndian = true;
        segytest::SegyWriter writer(spec);
        writer.AddNumberedTrace(0);
        const CliRun run =
            RunCli({QStringLiteral("info"), Write(QStringLiteral("le.sgy"), writer)});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.startsWith("C 1 LINE ONE"));
        QVERIFY(run.out.contains("Samples: 3\nSample Rate: 0.25\nTraces: 1\nFormat Code: 3\n"
                                 "Data Type: Fixed Point\nData Bytes: 2 Bytes\n"
                                 "Byte Order: Little Endian\nMessage: Custom SEGY format\n"));
    }

    void listTakesTheWindowsOverrides() {
        segytest::FileSpec spec;
        spec.numSamples = 2;
        spec.encoding = segytest::SampleEncoding::Int16;
        segytest::SegyWriter writer(spec);
        segytest::TraceSpec trace;
        trace.samples = {-2, 1};
        writer.AddTrace(trace);
        writer.AddTrace(trace);
        const QString path = Write(QStringLiteral("i2.sgy"), writer);
        QCOMPARE(RunCli({QStringLiteral("list"), path}).out,
                 QByteArray("0 : -2.00000000\n1 : 1.00000000\n"));
        QCOMPARE(RunCli({QStringLiteral("list"), path, QStringLiteral("--byte-order"),
                         QStringLiteral("little")})
                     .out,
                 QByteArray("0 : -257.00000000\n1 : 256.00000000\n"));
        // One byte per sample: FF FE 00 01 read as four 1-byte samples...
        // of which the listing shows the two the header announces.
        QCOMPARE(RunCli({QStringLiteral("list"), path, QStringLiteral("--data-bytes"),
                         QStringLiteral("1")})
                     .out,
                 QByteArray("0 : -1.00000000\n1 : -2.00000000\n"));
        // A trace past the end lists nothing and fails; a negative one is a
        // usage error.
        const CliRun past =
            RunCli({QStringLiteral("list"), path, QStringLiteral("--trace"), QStringLiteral("5")});
        QCOMPARE(past.out, QByteArray());
        QCOMPARE(past.exitCode, 1);
        QCOMPARE(
            RunCli({QStringLiteral("list"), path, QStringLiteral("--trace"), QStringLiteral("-1")})
                .exitCode,
            2);
        QCOMPARE(RunCli({QStringLiteral("list"), path, QStringLiteral("--data-type"),
                         QStringLiteral("decimal")})
                     .exitCode,
                 2);
    }
};

QTEST_GUILESS_MAIN(Cli)
#include "tst_cli.moc"
