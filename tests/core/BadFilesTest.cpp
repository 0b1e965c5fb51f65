// Whatever a user points the tools at ends in the right message or a sound
// result: missing, empty, truncated, foreign, extreme and huge files, odd
// names, and files that change under the viewer's feet.
#include "segy/FileHeader.h"
#include "segy/HeaderScan.h"
#include "segy/Trace.h"
#include "tests/support/SegyWriter.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace segy;
using namespace segytest;

namespace {

ProgramRun Cli(std::vector<std::string> arguments) {
    return RunProgram(VANTREL_CLI_PATH, arguments);
}

size_t LineCount(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

class BadFiles : public ::testing::Test {
protected:
    std::vector<unsigned char> SmallFile(int16_t samples = 10, int traces = 3) {
        FileSpec spec;
        spec.numSamples = samples;
        SegyWriter writer(spec);
        for (int t = 0; t < traces; ++t)
            writer.AddNumberedTrace(t);
        return writer.Bytes();
    }

    std::string Write(const std::string& name, std::vector<unsigned char> bytes) {
        const std::string path = dir.File(name);
        EXPECT_TRUE(WriteBytes(path, bytes));
        return path;
    }

    ScratchDir dir;
};

} // namespace

TEST_F(BadFiles, MissingFilesAndFoldersCannotBeOpened) {
    for (const std::string& path : {dir.File("missing.sgy"), dir.Path().string()}) {
        for (const char* command : {"info", "list", "scan"}) {
            const ProgramRun run = Cli({command, path});
            EXPECT_EQ(run.exitCode, 1) << command << " " << path;
            EXPECT_NE(run.err.find("Cannot open input file <ReadSegyFileHeader>!!"),
                      std::string::npos);
            EXPECT_TRUE(run.out.empty());
        }
    }
}

TEST_F(BadFiles, FilesShorterThanTheFileHeaderAreNotRecognised) {
    const auto full = SmallFile();
    for (size_t size : {size_t{0}, size_t{100}, size_t{3599}}) {
        const std::string path =
            Write("short.sgy", std::vector<unsigned char>(full.begin(), full.begin() + long(size)));
        const ProgramRun run = Cli({"info", path, "--json"});
        EXPECT_EQ(run.exitCode, 1) << size;
        EXPECT_NE(run.err.find("Not Recognized SEGY format"), std::string::npos);
        EXPECT_NE(run.out.find("\"Recognized\": false"), std::string::npos);
    }
}

TEST_F(BadFiles, HeadersWithoutTracesOpenWithNoTraces) {
    const auto full = SmallFile(10, 1);
    for (size_t size : {size_t{3600}, size_t{3601}, size_t{3700}}) {
        const std::string path =
            Write("head.sgy", std::vector<unsigned char>(full.begin(), full.begin() + long(size)));
        const ProgramRun info = Cli({"info", path});
        EXPECT_EQ(info.exitCode, 0) << size;
        EXPECT_NE(info.out.find("Traces: 0\n"), std::string::npos) << size;
        // A trace the file holds none of lists nothing; one it holds the
        // first bytes of lists zeros for what is missing.
        const ProgramRun list = Cli({"list", path});
        if (size == 3600) {
            EXPECT_EQ(list.exitCode, 1);
            EXPECT_EQ(list.out, "");
            EXPECT_NE(list.err.find("holds no trace 0 (it has 0)"), std::string::npos);
        } else {
            EXPECT_EQ(list.exitCode, 0);
            EXPECT_EQ(LineCount(list.out), 10u);
            EXPECT_NE(list.out.find("9 : 0.00000000\n"), std::string::npos);
        }
        // The scan reads no header that is not whole.
        const ProgramRun scan = Cli({"scan", path, "--json"});
        EXPECT_EQ(scan.exitCode, 0);
        EXPECT_NE(scan.out.find("\"HeadersRead\":0"), std::string::npos) << scan.out;
    }
}

TEST_F(BadFiles, AFileCutInsideItsSamplesListsZerosForWhatIsMissing) {
    auto bytes = SmallFile(10, 2);
    bytes.resize(3600 + 280 + 240 + 8); // the second trace keeps 2 samples
    const std::string path = Write("cut.sgy", bytes);
    const ProgramRun info = Cli({"info", path});
    EXPECT_NE(info.out.find("Traces: 1\n"), std::string::npos);
    const ProgramRun list = Cli({"list", path, "--trace", "1"});
    EXPECT_EQ(list.exitCode, 0);
    // Samples follow ((i + 1) % 7) - 3 for the second trace.
    EXPECT_EQ(list.out.substr(0, 32), "0 : -2.00000000\n1 : -1.00000000\n");
    EXPECT_NE(list.out.find("2 : 0.00000000\n"), std::string::npos);
    const ProgramRun scan = Cli({"scan", path, "--json"});
    EXPECT_NE(scan.out.find("\"HeadersRead\":2"), std::string::npos) << scan.out;
}

TEST_F(BadFiles, AHeaderOfAllOnesIsNotRecognised) {
    std::vector<unsigned char> bytes(5000, 0xFF);
    const ProgramRun run = Cli({"info", Write("ones.sgy", bytes)});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Not Recognized SEGY format"), std::string::npos);
}

TEST_F(BadFiles, TheLargestSampleCountIsListedAndScanned) {
    FileSpec spec;
    spec.numSamples = 32767;
    spec.encoding = SampleEncoding::IeeeFloat;
    SegyWriter writer(spec);
    for (int t = 0; t < 3; ++t)
        writer.AddNumberedTrace(t);
    const std::string path = dir.File("long.sgy");
    ASSERT_TRUE(writer.WriteTo(path));
    const ProgramRun list = Cli({"list", path, "--trace", "2"});
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_EQ(LineCount(list.out), 32767u);
    EXPECT_NE(list.out.find("32766 : "), std::string::npos);
    const ProgramRun scan = Cli({"scan", path, "--json"});
    EXPECT_NE(scan.out.find("\"HeadersRead\":3"), std::string::npos);
}

TEST_F(BadFiles, OddFileNamesOpen) {
    const auto bytes = SmallFile();
    const std::vector<std::string> names = {"with spaces.sgy", "ünïcödé – line 7.sgy",
                                            "bad\xff\xfe name.sgy", "-starts-with-dash.sgy"};
    for (const std::string& name : names) {
        const std::string path = Write(name, bytes);
        const ProgramRun run = Cli({"info", path});
        EXPECT_EQ(run.exitCode, 0) << name << ": " << run.err;
        EXPECT_NE(run.out.find("Traces: 3\n"), std::string::npos) << name;
        const ProgramRun list = Cli({"list", path, "--trace", "1"});
        EXPECT_EQ(list.exitCode, 0) << name;
        const std::string debug = dir.File("debug.out");
        const ProgramRun exported = Cli({"export", path, "--output", debug});
        EXPECT_EQ(exported.exitCode, 0) << name << ": " << exported.err;
        EXPECT_EQ(std::filesystem::file_size(debug),
                  bytes.size() + bytes.size() - bytes.size() / 2);
    }
}

TEST_F(BadFiles, AnExportNameThatIsNoTextIsWrittenAsGiven) {
    const std::vector<unsigned char> bytes = SmallFile();
    const std::string path = Write("a.sgy", bytes);
    const std::string debug = dir.File("debug\xff.out");
    const ProgramRun run = Cli({"export", path, "--output", debug});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(std::filesystem::file_size(debug), bytes.size() + bytes.size() - bytes.size() / 2);
}

TEST_F(BadFiles, AHundredGigabyteSparseFileOpensAtOnce) {
    const std::string path = dir.File("huge.sgy");
    ASSERT_TRUE(WriteBytes(path, SmallFile(1000, 1)));
    const int64_t size = int64_t{100} << 30;
    ASSERT_TRUE(Resize(path, size));
    const ProgramRun info = Cli({"info", path});
    EXPECT_EQ(info.exitCode, 0);
    const int64_t traces = (size - 3600) / 4240;
    EXPECT_NE(info.out.find("Traces: " + std::to_string(traces) + "\n"), std::string::npos)
        << info.out;
    const ProgramRun last = Cli({"list", path, "--trace", std::to_string(traces - 1)});
    EXPECT_EQ(last.exitCode, 0);
    EXPECT_EQ(LineCount(last.out), 1000u);
    const ProgramRun scan = Cli({"scan", path, "--mode", "last", "--json"});
    EXPECT_NE(scan.out.find("\"HeadersRead\":1"), std::string::npos);
}

TEST_F(BadFiles, AFileThatShrinksOrGoesAfterOpeningIsHandled) {
    const std::string path = Write("going.sgy", SmallFile(10, 3));
    SegyFileSummary summary;
    RecordingMessages messages;
    ASSERT_EQ(ReadSegyFileHeader(path, summary, messages), 1);
    ASSERT_EQ(summary.NumTraces, 3);

    // Shrunk to its file header: reads come back empty, never stale.
    ASSERT_TRUE(Resize(path, 3600));
    std::vector<unsigned char> buffer(280, 0xEE);
    const TraceSource source{path, 10, 4, {}};
    EXPECT_EQ(ReadTrace(source, 2, 280, buffer.data(), messages), 0);
    EXPECT_EQ(buffer, std::vector<unsigned char>(280, 0));
    HeaderScanTables tables;
    RecordingProgress progress;
    const ScanContext context{messages, progress, [] { return std::string("1"); }};
    int64_t headers = -1;
    EXPECT_EQ(ScanTraceHeaders(kScanAll, path, {10, 4, 3, 0, {}}, tables, context, &headers), 1);
    EXPECT_EQ(headers, 0);
    EXPECT_TRUE(messages.messages.empty());

    // Deleted: each reader says so once and leaves the defaults.
    std::filesystem::remove(path);
    EXPECT_EQ(ReadTrace(source, 0, 280, buffer.data(), messages), 0);
    EXPECT_EQ(ScanTraceHeaders(kScanFirst, path, {10, 4, 3, 0, {}}, tables, context, &headers), 0);
    EXPECT_EQ(CountSegyTraces(path, 10, 4, messages), 0);
    const std::vector<std::string> expected = {"Cannot open input segy file!!",
                                               "Cannot open input SEGY file!!",
                                               "Cannot open input file <ReadSegyFileHeader>!!"};
    EXPECT_EQ(messages.messages, expected);
    EXPECT_EQ(tables.Hdr4Min[0], 2147483647);
}
