// The debug export: which bytes the debug file holds, how failures are
// reported, and that an export never damages the source or an existing
// destination. Also the command-line tool's export command.
#include "segy/FileHeader.h"
#include "segy/UserMessages.h"
#include "tests/viewer/CliRunner.h"
#include "viewer/DebugExport.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr qint64 kGiB = qint64(1) << 30;

// Bytes that differ from offset to offset, so a block taken from the wrong
// place cannot pass for the right one.
QByteArray PatternBytes(qint64 size) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(static_cast<quint32>(size) + 7);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(generator.bounded(256));
    return bytes;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString SystemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString Message(const char* format, const QString& path, const QString& reason) {
    return QString::fromLatin1(format).arg(QFileInfo(path).absoluteFilePath(), reason);
}

QStringList FolderEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

class RecordedMessages final : public segy::UserMessages {
public:
    void ShowMessage(const std::string& text) override { calls.push_back("show:" + text); }
    void Beep() override { calls.push_back("beep"); }
    std::vector<std::string> calls;
};

// The export run in a child process whose files may not grow past `limit`
// bytes; a write beyond it fails with EFBIG instead of killing the child.
ExportResult ExportWithFileSizeLimit(const QString& source, const QString& destination,
                                     rlim_t limit) {
    int channel[2];
    if (::pipe(channel) != 0)
        return {false, "pipe failed"};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        const rlimit sizeLimit{limit, limit};
        ::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &sizeLimit);
        const ExportResult result = ExportDebugFile(source, destination);
        const QByteArray report =
            (result.ok ? "1" : "0") + QByteArray::fromStdString(result.message);
        [[maybe_unused]] const ssize_t written = ::write(channel[1], report.data(), report.size());
        ::_exit(0);
    }
    ::close(channel[1]);
    QByteArray report;
    char chunk[4096];
    ssize_t got;
    while ((got = ::read(channel[0], chunk, sizeof chunk)) > 0)
        report.append(chunk, got);
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (report.isEmpty())
        return {false, "the child reported nothing"};
    return {report.at(0) == '1', report.mid(1).toStdString()};
}

} // namespace

class DebugExportTest : public QObject {
    Q_OBJECT

private slots:
    void planTakesStartAndMiddle_data();
    void planTakesStartAndMiddle();
    void debugFileHoldsBothBlocks_data();
    void debugFileHoldsBothBlocks();
    void middleOfSparseSourceOverFourGiB();
    void existingDestinationIsReplaced();
    void unrecognisedFileExports();
    void destinationThatIsTheSourceIsRefused_data();
    void destinationThatIsTheSourceIsRefused();
    void failedWriteIsReportedAndLeavesDestination();
    void missingSourceIsReported();
    void destinationInMissingFolderIsReported();
    void reportBeepsOnlyOnSuccess();
    void cliExportsAndReports();
    void cliReportsFailedWrite();

private:
    QTemporaryDir folder_;
    QString Path(const QString& name) const { return folder_.filePath(name); }
};

void DebugExportTest::planTakesStartAndMiddle_data() {
    QTest::addColumn<qint64>("size");
    QTest::addColumn<qint64>("firstLength");
    QTest::addColumn<qint64>("middleOffset");
    QTest::addColumn<qint64>("middleLength");
    QTest::newRow("empty") << qint64(0) << qint64(0) << qint64(0) << qint64(0);
    QTest::newRow("one byte") << qint64(1) << qint64(1) << qint64(0) << qint64(1);
    QTest::newRow("odd size") << qint64(1001) << qint64(1001) << qint64(500) << qint64(501);
    QTest::newRow("just under two blocks")
        << qint64(399999) << qint64(200000) << qint64(199999) << qint64(200000);
    QTest::newRow("two blocks") << qint64(400000) << qint64(200000) << qint64(200000)
                                << qint64(200000);
    QTest::newRow("6 GiB") << 6 * kGiB << qint64(200000) << 3 * kGiB << qint64(200000);
}

void DebugExportTest::planTakesStartAndMiddle() {
    QFETCH(qint64, size);
    QFETCH(qint64, firstLength);
    QFETCH(qint64, middleOffset);
    QFETCH(qint64, middleLength);
    const DebugExportPlan plan = PlanDebugExport(size);
    QCOMPARE(plan.first.offset, qint64(0));
    QCOMPARE(plan.first.length, firstLength);
    QCOMPARE(plan.middle.offset, middleOffset);
    QCOMPARE(plan.middle.length, middleLength);
    QCOMPARE(plan.DebugFileSize(), firstLength + middleLength);
}

void DebugExportTest::debugFileHoldsBothBlocks_data() {
    QTest::addColumn<qint64>("size");
    QTest::addColumn<qint64>("firstEnd"); // one past the last byte of the first block
    QTest::addColumn<qint64>("middleStart");
    QTest::addColumn<qint64>("middleEnd");
    QTest::newRow("1000000 bytes")
        << qint64(1000000) << qint64(200000) << qint64(500000) << qint64(700000);
    QTest::newRow("300000 bytes") << qint64(300000) << qint64(200000) << qint64(150000)
                                  << qint64(300000);
    QTest::newRow("1000 bytes") << qint64(1000) << qint64(1000) << qint64(500) << qint64(1000);
    QTest::newRow("empty") << qint64(0) << qint64(0) << qint64(0) << qint64(0);
}

void DebugExportTest::debugFileHoldsBothBlocks() {
    QFETCH(qint64, size);
    QFETCH(qint64, firstEnd);
    QFETCH(qint64, middleStart);
    QFETCH(qint64, middleEnd);
    const QByteArray source = PatternBytes(size);
    QVERIFY(WriteFile(Path(QStringLiteral("blocks.sgy")), source));

    const ExportResult result =
        ExportDebugFile(Path(QStringLiteral("blocks.sgy")), Path(QStringLiteral("blocks.dbg")));
    QVERIFY2(result.ok, result.message.c_str());
    QVERIFY(result.message.empty());
    QVERIFY(QFile::exists(Path(QStringLiteral("blocks.dbg"))));
    const QByteArray expected =
        source.mid(0, firstEnd) + source.mid(middleStart, middleEnd - middleStart);
    QCOMPARE(ReadFile(Path(QStringLiteral("blocks.dbg"))), expected);
}

void DebugExportTest::middleOfSparseSourceOverFourGiB() {
    const QString sourcePath = Path(QStringLiteral("sparse.sgy"));
    const QByteArray startMarker("START OF THE SOURCE");
    const QByteArray middleMarker("EXACTLY AT HALF THE SIZE");
    {
        QFile file(sourcePath);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        if (!file.resize(6 * kGiB))
            QSKIP("this file system cannot hold a sparse 6 GiB file");
        QVERIFY(file.write(startMarker) == startMarker.size());
        // A byte just before the half must not be part of the middle block.
        QVERIFY(file.seek(3 * kGiB - 1));
        QVERIFY(file.write("!") == 1);
        QVERIFY(file.write(middleMarker) == middleMarker.size());
    }
    const ExportResult result = ExportDebugFile(sourcePath, Path(QStringLiteral("sparse.dbg")));
    QFile::remove(sourcePath);
    QVERIFY2(result.ok, result.message.c_str());

    const QByteArray debug = ReadFile(Path(QStringLiteral("sparse.dbg")));
    QCOMPARE(debug.size(), qsizetype(2 * kDebugBlockSize));
    QVERIFY(debug.startsWith(startMarker));
    QCOMPARE(debug.mid(kDebugBlockSize, middleMarker.size()), middleMarker);
    QCOMPARE(debug.count('!'), qsizetype(0));
}

void DebugExportTest::existingDestinationIsReplaced() {
    const QByteArray source = PatternBytes(1000);
    QVERIFY(WriteFile(Path(QStringLiteral("small.sgy")), source));
    QVERIFY(WriteFile(Path(QStringLiteral("existing.dbg")), QByteArray(500000, 'x')));

    const ExportResult result =
        ExportDebugFile(Path(QStringLiteral("small.sgy")), Path(QStringLiteral("existing.dbg")));
    QVERIFY2(result.ok, result.message.c_str());
    QCOMPARE(ReadFile(Path(QStringLiteral("existing.dbg"))), source + source.mid(500));
}

void DebugExportTest::unrecognisedFileExports() {
    const QByteArray notSegy = QByteArray("plain text, not a seismic file\n").repeated(100);
    const QString sourcePath = Path(QStringLiteral("notes.txt"));
    QVERIFY(WriteFile(sourcePath, notSegy));
    segy::SegyFileSummary summary;
    segy::SilentMessages silent;
    QCOMPARE(segy::ReadSegyFileHeader(sourcePath.toStdString(), summary, silent), 0);

    const ExportResult result = ExportDebugFile(sourcePath, Path(QStringLiteral("notes.dbg")));
    QVERIFY2(result.ok, result.message.c_str());
    QCOMPARE(ReadFile(Path(QStringLiteral("notes.dbg"))),
             notSegy + notSegy.mid(notSegy.size() / 2));
}

void DebugExportTest::destinationThatIsTheSourceIsRefused_data() {
    QTest::addColumn<QString>("destination");
    QTest::newRow("same path") << Path(QStringLiteral("own.sgy"));
    QTest::newRow("relative") << QStringLiteral("own.sgy");
    QTest::newRow("dot slash") << QStringLiteral("./own.sgy");
    QTest::newRow("through the parent")
        << QStringLiteral("../%1/own.sgy").arg(QFileInfo(folder_.path()).fileName());
    QTest::newRow("symbolic link") << Path(QStringLiteral("own-link.sgy"));
    QTest::newRow("hard link") << Path(QStringLiteral("own-hard.sgy"));
}

void DebugExportTest::destinationThatIsTheSourceIsRefused() {
    QFETCH(QString, destination);
    const QString sourcePath = Path(QStringLiteral("own.sgy"));
    const QByteArray source = PatternBytes(600000);
    QVERIFY(WriteFile(sourcePath, source));
    QFile::remove(Path(QStringLiteral("own-link.sgy")));
    QFile::remove(Path(QStringLiteral("own-hard.sgy")));
    QVERIFY(QFile::link(sourcePath, Path(QStringLiteral("own-link.sgy"))));
    QCOMPARE(::link(QFile::encodeName(sourcePath).constData(),
                    QFile::encodeName(Path(QStringLiteral("own-hard.sgy"))).constData()),
             0);
    const QStringList before = FolderEntries(folder_.path());
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder_.path()));

    const ExportResult result = ExportDebugFile(sourcePath, destination);
    const QString expected = Message("Cannot create file \"%1\". %2", destination,
                                     QStringLiteral("It is the file being exported."));
    QDir::setCurrent(previous);

    QVERIFY(!result.ok);
    QCOMPARE(QString::fromStdString(result.message), expected);
    QCOMPARE(ReadFile(sourcePath), source);
    QCOMPARE(FolderEntries(folder_.path()), before);
}

void DebugExportTest::failedWriteIsReportedAndLeavesDestination() {
    const QString sourcePath = Path(QStringLiteral("large.sgy"));
    QVERIFY(WriteFile(sourcePath, PatternBytes(1000000)));
    const QString destination = Path(QStringLiteral("kept.dbg"));
    const QByteArray previous("the debug file of an earlier export");
    QVERIFY(WriteFile(destination, previous));
    const QStringList before = FolderEntries(folder_.path());

    const ExportResult result = ExportWithFileSizeLimit(sourcePath, destination, 100000);
    QVERIFY(!result.ok);
    QCOMPARE(QString::fromStdString(result.message),
             Message("Cannot write file \"%1\". %2", destination, SystemError(EFBIG)));
    QCOMPARE(ReadFile(destination), previous);
    QCOMPARE(FolderEntries(folder_.path()), before);

    // Without an earlier file, nothing at all is left behind.
    const QString fresh = Path(QStringLiteral("fresh.dbg"));
    QVERIFY(!ExportWithFileSizeLimit(sourcePath, fresh, 100000).ok);
    QVERIFY(!QFile::exists(fresh));
    QCOMPARE(FolderEntries(folder_.path()), before);
}

void DebugExportTest::missingSourceIsReported() {
    const QString sourcePath = Path(QStringLiteral("no-such-file.sgy"));
    const QString destination = Path(QStringLiteral("never.dbg"));
    const ExportResult result = ExportDebugFile(sourcePath, destination);
    QVERIFY(!result.ok);
    QCOMPARE(QString::fromStdString(result.message),
             Message("Cannot open file \"%1\". %2", sourcePath, SystemError(ENOENT)));
    QVERIFY(!QFile::exists(destination));
}

void DebugExportTest::destinationInMissingFolderIsReported() {
    QVERIFY(WriteFile(Path(QStringLiteral("present.sgy")), PatternBytes(5000)));
    const QString destination = Path(QStringLiteral("no-such-folder/out.dbg"));
    const ExportResult result = ExportDebugFile(Path(QStringLiteral("present.sgy")), destination);
    QVERIFY(!result.ok);
    QCOMPARE(QString::fromStdString(result.message),
             Message("Cannot create file \"%1\". %2", destination, SystemError(ENOENT)));
    QVERIFY(!QDir(Path(QStringLiteral("no-such-folder"))).exists());
}

void DebugExportTest::reportBeepsOnlyOnSuccess() {
    RecordedMessages done;
    ReportDebugExport({true, std::string()}, done);
    QCOMPARE(done.calls, (std::vector<std::string>{"beep", "show:Debug file complete"}));

    RecordedMessages failed;
    ReportDebugExport({false, "Cannot open file \"/x\". No such file or directory"}, failed);
    QCOMPARE(failed.calls,
             (std::vector<std::string>{"show:Cannot open file \"/x\". No such file or directory"}));
}

void DebugExportTest::cliExportsAndReports() {
    const QByteArray source = PatternBytes(300000);
    const QString sourcePath = Path(QStringLiteral("cli.sgy"));
    QVERIFY(WriteFile(sourcePath, source));
    const QString output = Path(QStringLiteral("cli.dbg"));

    const CliRun done =
        RunCli({QStringLiteral("export"), sourcePath, QStringLiteral("--output"), output});
    QCOMPARE(done.exitCode, 0);
    QCOMPARE(done.out, QByteArray("Debug file complete\n"));
    QCOMPARE(done.err, QByteArray());
    QCOMPARE(ReadFile(output), source.mid(0, 200000) + source.mid(150000));

    const CliRun noOutput = RunCli({QStringLiteral("export"), sourcePath});
    QCOMPARE(noOutput.exitCode, 2);
    QCOMPARE(noOutput.out, QByteArray());

    const CliRun noFile = RunCli({QStringLiteral("export"), QStringLiteral("--output"), output});
    QCOMPARE(noFile.exitCode, 2);

    const QString missing = Path(QStringLiteral("missing.sgy"));
    const CliRun failed = RunCli({QStringLiteral("export"), missing, QStringLiteral("--output"),
                                  Path(QStringLiteral("unwritten.dbg"))});
    QCOMPARE(failed.exitCode, 1);
    QCOMPARE(failed.out, QByteArray());
    QVERIFY2(failed.err.contains(
                 Message("Cannot open file \"%1\". %2", missing, SystemError(ENOENT)).toUtf8()),
             failed.err.constData());
    QVERIFY(!QFile::exists(Path(QStringLiteral("unwritten.dbg"))));
}

void DebugExportTest::cliReportsFailedWrite() {
    const QString sourcePath = Path(QStringLiteral("cli-large.sgy"));
    QVERIFY(WriteFile(sourcePath, PatternBytes(1000000)));
    const QString output = Path(QStringLiteral("cli-kept.dbg"));
    QVERIFY(WriteFile(output, QByteArray("earlier")));

    // The shell ignores the file-size signal, so the write fails instead.
    QProcess shell;
    shell.start(QStringLiteral("bash"),
                {QStringLiteral("-c"),
                 QStringLiteral("trap '' XFSZ; ulimit -f 100; exec \"$0\" export \"$1\" "
                                "--output \"$2\""),
                 QStringLiteral(VANTREL_CLI_PATH), sourcePath, output});
    QVERIFY(shell.waitForFinished(60000));
    QCOMPARE(shell.exitCode(), 1);
    QCOMPARE(shell.readAllStandardOutput(), QByteArray());
    const QByteArray err = shell.readAllStandardError();
    QVERIFY2(
        err.contains(Message("Cannot write file \"%1\". %2", output, SystemError(EFBIG)).toUtf8()),
        err.constData());
    QCOMPARE(ReadFile(output), QByteArray("earlier"));
}

QTEST_GUILESS_MAIN(DebugExportTest)
#include "tst_debug_export.moc"
