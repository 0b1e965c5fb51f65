// The folder listing behind the file list: which entries a pattern selects
// and in which order they are listed.
#include "logic/FolderFiles.h"
#include "segy/ByteSource.h"
#include "tests/support/SegyWriter.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <string>
#include <vector>

using Names = std::vector<std::string>;

class FolderFilesTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    std::string Folder() const { return QDir(dir_.path()).absolutePath().toStdString() + "/"; }

    void WriteSegy(const std::string& name) {
        segytest::FileSpec spec;
        spec.numSamples = 8;
        segytest::SegyWriter writer(spec);
        writer.AddNumberedTrace(0);
        QVERIFY(writer.WriteTo(Folder() + name));
    }

    Names List(const std::string& pattern) {
        Names names;
        ListFolderFiles(Folder() + pattern, names);
        return names;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        for (const char* name : {"line1.sgy", "Line2.sgy", "line10.sgy", ".hidden.sgy", "b.sgy",
                                 "B.sgy", "gather.segy", "notes", "odd[1].sgy", "upper.SGY"})
            WriteSegy(name);
        QVERIFY(QDir(dir_.path()).mkdir(QStringLiteral("folder.sgy")));
    }

    void extensionPatternListsHiddenEntriesAndFoldersSortedByName() {
        // Letter case is ignored for the order; names equal but for case
        // keep byte order (capitals first).
        const Names expected = {".hidden.sgy", "B.sgy",      "b.sgy",     "folder.sgy",
                                "line1.sgy",   "line10.sgy", "Line2.sgy", "odd[1].sgy"};
        QCOMPARE(List("*.sgy"), expected);
    }

    void patternWithoutExtensionListsEveryEntryButDotAndDotDot() {
        const Names names = List("*");
        QCOMPARE(names.size(), size_t(11));
        QCOMPARE(names.front(), std::string(".hidden.sgy"));
        QCOMPARE(names.back(), std::string("upper.SGY"));
        QCOMPARE(FindExactName(names, "notes"), 8);
        QCOMPARE(FindExactName(names, "."), -1);
        QCOMPARE(FindExactName(names, ".."), -1);
    }

    void extensionsAndNamesAreComparedWithCase() {
        QCOMPARE(List("*.SGY"), Names{"upper.SGY"});
        QCOMPARE(List("*.segy"), Names{"gather.segy"});
        const Names listed = List("*.sgy");
        QCOMPARE(FindExactName(listed, "line2.sgy"), -1);
        QCOMPARE(FindExactName(listed, "Line2.sgy"), 6);
    }

    void onlyStarAndQuestionMarkAreWildcards() {
        QCOMPARE(List("?ine?.sgy"), (Names{"line1.sgy", "Line2.sgy"}));
        QCOMPARE(List("line?.sgy"), Names{"line1.sgy"});
        QCOMPARE(List("odd[1].sgy"), Names{"odd[1].sgy"});
        QCOMPARE(List("odd1.sgy"), Names{});
    }

    void listIsAppendedToAndMissingFolderAddsNothing() {
        Names names = {"kept"};
        ListFolderFiles(Folder() + "*.segy", names);
        QCOMPARE(names, (Names{"kept", "gather.segy"}));
        ListFolderFiles(Folder() + "no-such-folder/*.sgy", names);
        QCOMPARE(names.size(), size_t(2));
    }

    void chosenFileGivesFolderNameAndPattern() {
        QCOMPARE(FolderPart("/data/seis/line1.sgy"), std::string("/data/seis/"));
        QCOMPARE(FileNamePart("/data/seis/line1.sgy"), std::string("line1.sgy"));
        QCOMPARE(FolderPattern("/data/seis/line1.sgy"), std::string("/data/seis/*.sgy"));
        QCOMPARE(FolderPattern("/data/seis/line1"), std::string("/data/seis/*"));
        QCOMPARE(FolderPattern("/data/v1.2/line1"), std::string("/data/v1.2/*"));
        QCOMPARE(FolderPattern("/data/line.1.segy"), std::string("/data/*.segy"));
        QCOMPARE(FolderPart("line1.sgy"), std::string());
    }

    void anAddressIsSplitBeforeItsQueryAndShownWithoutCredentials() {
        // A presigned address: its query holds separators and credentials.
        const std::string presigned =
            "https://store.example/b/line1.sgy?X-Amz-Algorithm=AWS4-HMAC-SHA256"
            "&X-Amz-Credential=AKIDEXAMPLE/20261209/us-east-1/s3/aws4_request"
            "&X-Amz-Security-Token=tok/en&X-Amz-Signature=feed&versionId=7";
        QCOMPARE(FolderPart(presigned), std::string("https://store.example/b/"));
        QCOMPARE(ListedName(FileNamePart(presigned)), std::string("line1.sgy"));
        QCOMPARE(FolderPart(presigned) + FileNamePart(presigned), presigned);
        QCOMPARE(segy::LocationWithoutCredentials(presigned),
                 std::string("https://store.example/b/line1.sgy?X-Amz-Algorithm=AWS4-HMAC-SHA256"
                             "&X-Amz-Credential=***&X-Amz-Security-Token=***"
                             "&X-Amz-Signature=***&versionId=7"));
        QCOMPARE(segy::LocationWithoutCredentials(
                     "http://me:pw@host/a.sgy?Signature=s&AWSAccessKeyId=k&Expires=9#top"),
                 std::string("http://host/a.sgy?Signature=***&AWSAccessKeyId=***&Expires=9#top"));
        // An '@' in a query is no user name; a local name may hold '?'.
        QCOMPARE(segy::LocationWithoutCredentials("http://host?sig=a@b"),
                 std::string("http://host?sig=***"));
        QCOMPARE(FileNamePart("/data/what?.sgy"), std::string("what?.sgy"));
        QCOMPARE(segy::LocationWithoutCredentials("/data/a?token=x"),
                 std::string("/data/a?token=x"));
    }
};

QTEST_GUILESS_MAIN(FolderFilesTest)
#include "tst_folder_files.moc"
