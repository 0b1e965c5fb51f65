// vantrel-cli against the shared corpus of SEG-Y files written by other
// software: what it shows after opening each file, the listings of its first
// and last trace and the header scans must equal the reference values.
#include "tests/viewer/CliRunner.h"
#include "tests/viewer/CorpusReference.h"
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

QJsonObject RunJson(const QStringList& arguments) {
    return QJsonDocument::fromJson(RunCli(arguments).out).object();
}

QJsonArray Lines(const QByteArray& text) {
    QJsonArray lines;
    for (const QByteArray& line : text.split('\n'))
        if (!line.isEmpty())
            lines.append(QString::fromUtf8(line));
    return lines;
}

} // namespace

class CorpusCli : public QObject {
    Q_OBJECT

private:
    QDir corpus{QStringLiteral(VANTREL_CORPUS_DIR)};
    QJsonObject reference;

    QString PathOf(const QString& name) const { return corpus.filePath(name); }

    void AddFileRows() {
        QTest::addColumn<QString>("name");
        for (const QString& name : reference.keys())
            QTest::newRow(qPrintable(name)) << name;
    }

private slots:
    void initTestCase() {
        QFile file(corpus.filePath(QStringLiteral("reference.json")));
        if (!file.open(QIODevice::ReadOnly))
            QSKIP("The shared SEG-Y corpus (../shared/segy-corpus) is not here; skipping.");
        reference = QJsonDocument::fromJson(file.readAll()).object();
        QVERIFY(!reference.isEmpty());
    }

    void info_data() { AddFileRows(); }
    void info() {
        QFETCH(QString, name);
        const QJsonObject expected = reference.value(name).toObject();
        const CliRun run = RunCli({QStringLiteral("info"), PathOf(name), QStringLiteral("--json")});
        const QJsonObject got = QJsonDocument::fromJson(run.out).object();
        const bool recognized = expected.value(QStringLiteral("recognized")).toBool();
        QCOMPARE(got.value(QStringLiteral("Recognized")).toBool(), recognized);
        QCOMPARE(run.exitCode, recognized ? 0 : 1);

        const QJsonObject summary = expected.value(QStringLiteral("summary")).toObject();
        if (!recognized) {
            for (const QString& key : summary.keys())
                QCOMPARE(got.value(key).toDouble(), summary.value(key).toDouble());
            QVERIFY(run.err.contains("Not Recognized SEGY format"));
            return;
        }
        // After the open flow: the summary with the invalid-format
        // substitution applied, and the derived decoding.
        const QJsonObject window = expected.value(QStringLiteral("window")).toObject();
        for (const QString& key : window.keys())
            QCOMPARE(got.value(key).toDouble(), window.value(key).toDouble());
        for (const QString& key : {QStringLiteral("FormatCode"), QStringLiteral("IeeeFormat")})
            QCOMPARE(got.value(key).toInt(), summary.value(key).toInt());
        QCOMPARE(got.value(QStringLiteral("TextHeader")).toArray(),
                 expected.value(QStringLiteral("text_lines")).toArray());
        QCOMPARE(got.value(QStringLiteral("CustomFormat")).toBool(),
                 expected.value(QStringLiteral("custom_format_message")).toBool());
        QCOMPARE(got.value(QStringLiteral("InvalidFormat")).toBool(),
                 expected.value(QStringLiteral("invalid_format_message")).toBool());
        const bool custom = expected.value(QStringLiteral("custom_format_message")).toBool();
        QCOMPARE(got.value(QStringLiteral("Message")).toString(),
                 custom ? QStringLiteral("Custom SEGY format") : QString());
    }

    void listing_data() { AddFileRows(); }
    void listing() {
        QFETCH(QString, name);
        const QJsonObject listings =
            reference.value(name).toObject().value(QStringLiteral("listing")).toObject();
        if (listings.isEmpty())
            QSKIP("No listing for an unrecognised file.");
        for (const QString& trace : listings.keys()) {
            const CliRun run =
                RunCli({QStringLiteral("list"), PathOf(name), QStringLiteral("--trace"), trace});
            // The reference lists zeros for a trace of a file without
            // traces; the listing now shows nothing for data that is not there.
            if (!HoldsTrace(reference.value(name).toObject(), trace)) {
                QCOMPARE(run.exitCode, 1);
                QCOMPARE(run.out, QByteArray());
                continue;
            }
            QCOMPARE(run.exitCode, 0);
            QCOMPARE(Lines(run.out), listings.value(trace).toArray());
        }
    }

    void scan_data() { AddFileRows(); }
    void scan() {
        QFETCH(QString, name);
        const QJsonObject expected = reference.value(name).toObject();
        if (!expected.value(QStringLiteral("recognized")).toBool()) {
            const CliRun run = RunCli({QStringLiteral("scan"), PathOf(name)});
            QCOMPARE(run.exitCode, 1);
            return;
        }
        const char* const modes[][2] = {
            {"all", "scan_all"}, {"first", "scan_first"}, {"last", "scan_last"}};
        for (const auto& [mode, key] : modes) {
            const QJsonObject want = expected.value(QLatin1String(key)).toObject();
            const QJsonObject got =
                RunJson({QStringLiteral("scan"), PathOf(name), QStringLiteral("--json"),
                         QStringLiteral("--mode"), QLatin1String(mode)});
            QCOMPARE(got.value(QStringLiteral("HeadersRead")).toInt(),
                     want.value(QStringLiteral("headers_read")).toInt());
            QCOMPARE(got.value(QStringLiteral("Hdr4Min")), want.value(QStringLiteral("min4")));
            QCOMPARE(got.value(QStringLiteral("Hdr4Max")), want.value(QStringLiteral("max4")));
            QCOMPARE(got.value(QStringLiteral("Hdr2Min")), want.value(QStringLiteral("min2")));
            QCOMPARE(got.value(QStringLiteral("Hdr2Max")), want.value(QStringLiteral("max2")));
        }
    }

    // The plain grid is the window's: title row and one tab-separated row per word.
    void scanGridText() {
        const QString small = PathOf(QStringLiteral("small.sgy"));
        if (!QFile::exists(small))
            QSKIP("small.sgy is not in the corpus.");
        const QByteArray four = RunCli({QStringLiteral("scan"), small}).out;
        const QList<QByteArray> rows = four.trimmed().split('\n');
        QCOMPARE(rows.size(), 61);
        QCOMPARE(rows[0], QByteArray("Bytes\t4 Byte min\t4 Byte max\tSelect"));
        QVERIFY(rows[60].startsWith("237-240\t"));
        const QByteArray two =
            RunCli({QStringLiteral("scan"), small, QStringLiteral("--two-byte")}).out;
        QCOMPARE(two.trimmed().split('\n').size(), 121);
    }
};

QTEST_GUILESS_MAIN(CorpusCli)
#include "tst_corpus_cli.moc"
