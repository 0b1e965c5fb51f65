// The main window as the user first sees it: start state, launch code, the
// file named on the command line, places of controls and their anchoring.
#include "tests/support/SegyWriter.h"
#include "tests/viewer/RecordingUserInterface.h"
#include "viewer/TVantrel.h"

#include <QCoreApplication>
#include <QDir>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kProgram = QStringLiteral("vantrel");
const QString kCode = QString::fromLatin1(kLaunchCode);

const QStringList kHelpLines = {
    "Vantrel is a trace and trace header SEGY file viewer from Orbenza Inc.",
    "",
    "To Start, Browse to the folder containing the SEGY files and select a file to open.  All",
    "files with the same extension will be shown in the Segy Files listbox.  Select file from",
    "listbox, note that samples, sample rate, and data format are shown below while number of "
    "traces,",
    "and format code are shown on the status bar.  The EBCDIC header is shown on the left side",
    "of the tabbed sheet.",
    "",
    "To see the trace header values, click on Scan Headers to read all trace headers and show",
    "the min and max value for each 2 byte and 4 byte header location.",
    "",
    "To view the traces select the Data tab.  The traces are shown in variable area mode and",
    "left to right.  They are labeled by default as sequential trace numbers, alternate labeling",
    "can be done by selecting a header word to display as a label.  To select a header word",
    "click in the select column of the desired row and from the popup menu select \"Label\".  "
    "Select the",
    "Data tab to view the changes.  The Zoom Out button allows a less detailed view of the "
    "traces.",
    "",
    "To override the default data format select the required Data Type and Data Word length",
    "for the data samples from the drop down combo boxes.",
};

void WriteSegy(const QString& path) {
    segytest::FileSpec spec;
    spec.numSamples = 8;
    segytest::SegyWriter writer(spec);
    writer.AddNumberedTrace(0);
    QVERIFY(writer.WriteTo(path.toStdString()));
}

QStringList ListItems(const TVantrel& window) {
    QStringList items;
    for (int i = 0; i < window.SegyFileLB->count(); ++i)
        items << window.SegyFileLB->item(i)->text();
    return items;
}

} // namespace

class WindowStartupTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString startFolder_;

    QString Data(const QString& name) const {
        return dir_.filePath(QStringLiteral("data/") + name);
    }

private slots:
    void initTestCase() {
        startFolder_ = QDir::currentPath();
        QVERIFY(dir_.isValid());
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("data/sub.sgy")));
        for (const char* name : {"line1.sgy", "Line0.sgy", ".hidden.sgy", "gather.segy", "notes"})
            WriteSegy(Data(QString::fromLatin1(name)));
    }

    void init() { QDir::setCurrent(startFolder_); }

    void startStateWithoutFile() {
        RecordingUserInterface ui;
        TVantrel w({kProgram, QString(), kCode}, ui);
        QCOMPARE(w.windowTitle(), QStringLiteral("Vantrel by Orbenza Inc."));
        QCOMPARE(w.PageControl1->currentIndex(), kHelpPage);
        // The six pages, then the Inspect page, which shows with a file.
        QCOMPARE(w.PageControl1->count(), 7);
        const bool shown[] = {false, false, true, true, false, true, false};
        const char* titles[] = {"Header", "Data", "Help", "About", "Batch", "Trace", "Inspect"};
        for (int page = 0; page < 7; ++page) {
            QCOMPARE(w.PageControl1->isTabVisible(page), shown[page]);
            QCOMPARE(w.PageControl1->tabText(page), QString::fromLatin1(titles[page]));
        }
        QVERIFY(w.ZoomBtn->isVisibleTo(&w));
        QVERIFY(!w.ScanHdrsBtn->isEnabled());
        QVERIFY(!w.MessageLbl->isVisibleTo(w.GroupBox1));
        QCOMPARE(w.MessageLbl->text(), QStringLiteral("MessageLbl"));
        QCOMPARE(w.SegyFileLB->count(), 0);
        QVERIFY(w.State.FolderFiles.empty());
        QVERIFY(w.State.DataFolder.empty());
        QVERIFY(w.SegyPathED->text().isEmpty());

        QCOMPARE(w.State.FileLoaded, 0);
        QCOMPARE(w.State.FileOpen, 0);
        QCOMPARE(w.State.TracesPerScreen, 100);
        QCOMPARE(w.State.MsPerScreen, 1000);
        QCOMPARE(w.State.LabelIncrement, 20);
        QCOMPARE(w.State.PlotGain, 2.5);
        QCOMPARE(w.State.FourByteMode, 1);
        QCOMPARE(w.State.DataType, 0);
        QCOMPARE(w.State.BytesPerSample, 0);
        QCOMPARE(w.State.LittleEndian, 0);
        QCOMPARE(w.GainED->text(), QStringLiteral("2.5"));
        QCOMPARE(w.LabelIncED->text(), QStringLiteral("20"));
        QCOMPARE(w.SelTrcED->text(), QStringLiteral("1"));
        QCOMPARE(w.SelTrcUD->position(), 1);
        QCOMPARE(w.SelTrcUD->minimum(), 1);
        QCOMPARE(w.TrcSelED->text(), QStringLiteral("0"));
        QCOMPARE(w.UpDown1->minimum(), 0);
        QCOMPARE(w.UpDown1->maximum(), 100);

        QCOMPARE(w.DataTypeCB->currentIndex(), -1);
        QCOMPARE(w.DataBytesCB->currentIndex(), -1);
        QCOMPARE(w.ByteOrderCB->currentIndex(), -1);
        QVERIFY(w.ByteOrderCB->currentText().isEmpty());
        QVERIFY(w.ByteOrderCB->isEditable());
        QVERIFY(!w.DataTypeCB->isEditable());
        QCOMPARE(w.DataTypeCB->itemText(2), QStringLiteral("IEEE Floating Point"));
        QCOMPARE(w.DataBytesCB->itemText(0), QStringLiteral("1 Byte"));
        QCOMPARE(w.AutoScanCB->currentIndex(), 1);
        QVERIFY(!w.AutoScanCB->isVisibleTo(w.Panel1));
        QVERIFY(!w.AutoScanChk->isChecked());
        QCOMPARE(w.ByteSelectRB->itemIndex(), 0);

        QCOMPARE(w.HScrollBar->maximum(), 100);
        QCOMPARE(w.HScrollBar->pageStep(), 80);
        QCOMPARE(w.VScrollBar->singleStep(), 100);
        QCOMPARE(w.VScrollBar->pageStep(), 800);
        QCOMPARE(w.HScrollBar->value(), 0);

        QCOMPARE(w.StrGrid->ColCount(), 4);
        QCOMPARE(w.StrGrid->RowCount(), 60);
        QCOMPARE(w.StrGrid->columnWidth(0), 48);
        QVERIFY(w.StrGrid->columnWidth(1) >= 63);
        QCOMPARE(w.PopupMenu1->actions().size(), 2);
        QCOMPARE(w.UpperLocation1->text(), QStringLiteral("Upper Label Location"));
        QCOMPARE(w.LowerLabelLocation1->text(), QStringLiteral("Lower Label Location"));

        QCOMPARE(w.Memo2->toPlainText().split(QLatin1Char('\n')), kHelpLines);
        QVERIFY(!w.Memo2->isReadOnly());
        QVERIFY(w.Memo1->isReadOnly());
        QCOMPARE(w.Memo1->lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(w.Label7->text(), QStringLiteral("Version 1.0.3.2"));
        QCOMPARE(w.OpenDialog1.title, QStringLiteral("Select Segy File"));
        QCOMPARE(w.SD1.title, QStringLiteral("Save Segy Debug File"));

        QCOMPARE(ui.welcomes, 0);
        QVERIFY(ui.messages.isEmpty());
    }

    void programFolderBecomesCurrentDirectory() {
        RecordingUserInterface ui;
        TVantrel w({kProgram, QString(), kCode}, ui);
        QCOMPARE(QDir::current().canonicalPath(),
                 QDir(QCoreApplication::applicationDirPath()).canonicalPath());
        QVERIFY(w.OpenDialog1.initialFolder.endsWith(QLatin1Char('/')));
    }

    void launchCode_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("welcomes");
        QTest::newRow("code") << QStringList{kProgram, QString(), kCode} << 0;
        QTest::newRow("code after a missing file")
            << QStringList{kProgram, QStringLiteral("no-such.sgy"), kCode} << 0;
        QTest::newRow("other letter case")
            << QStringList{kProgram, QString(), QStringLiteral("kvoln-730418")} << 1;
        QTest::newRow("trailing blank") << QStringList{kProgram, QString(), kCode + " "} << 1;
        QTest::newRow("empty") << QStringList{kProgram, QString(), QString()} << 1;
        QTest::newRow("missing") << QStringList{kProgram} << 1;
    }

    void launchCode() {
        QFETCH(QStringList, arguments);
        QFETCH(int, welcomes);
        RecordingUserInterface ui;
        TVantrel w(arguments, ui);
        QCOMPARE(ui.welcomes, welcomes);
        QCOMPARE(w.PageControl1->currentIndex(), kHelpPage);
    }

    void fileArgumentListsItsFolderAndSelectsIt() {
        RecordingUserInterface ui;
        TVantrel w({kProgram, Data(QStringLiteral("line1.sgy")), kCode}, ui);
        const QString folder = QDir(dir_.path()).absoluteFilePath(QStringLiteral("data")) + "/";
        QCOMPARE(w.SegyPathED->text(), folder);
        QCOMPARE(QString::fromStdString(w.State.DataFolder), folder);
        const QStringList expected = {".hidden.sgy", "Line0.sgy", "line1.sgy", "sub.sgy"};
        QCOMPARE(ListItems(w), expected);
        QCOMPARE(w.State.FolderFiles.size(), size_t(4));
        QCOMPARE(w.SegyFileLB->currentRow(), 2);
        QVERIFY(w.SegyFileLB->currentItem()->isSelected());
        QCOMPARE(QString::fromStdString(w.SelectedFilePath()), folder + "line1.sgy");
        QCOMPARE(w.OpenDialog1.fileName, folder + "line1.sgy");
        QCOMPARE(w.OpenDialog1.initialFolder + "/", folder);
    }

    void desktopLaunchOpensAbsolutePathAfterWelcome() {
        // A file manager starts `vantrel /absolute/path` from a folder of its own.
        QDir::setCurrent(QDir::rootPath());
        RecordingUserInterface ui;
        TVantrel w({kProgram, Data(QStringLiteral("gather.segy"))}, ui);
        QCOMPARE(ui.welcomes, 1);
        QCOMPARE(w.SegyFileLB->currentItem()->text(), QStringLiteral("gather.segy"));
        QCOMPARE(QString::fromStdString(w.State.CurrentFile),
                 QDir::cleanPath(Data(QStringLiteral("gather.segy"))));
    }

    void fileWithoutExtensionListsWholeFolder() {
        RecordingUserInterface ui;
        TVantrel w({kProgram, Data(QStringLiteral("notes")), kCode}, ui);
        QCOMPARE(w.SegyFileLB->count(), 6);
        QCOMPARE(w.SegyFileLB->currentItem()->text(), QStringLiteral("notes"));
    }

    void relativeAndBareNamesResolveAgainstStartFolder() {
        QDir::setCurrent(dir_.path());
        RecordingUserInterface ui;
        TVantrel relative({kProgram, QStringLiteral("data/gather.segy"), kCode}, ui);
        QCOMPARE(ListItems(relative), QStringList{"gather.segy"});
        QVERIFY(!relative.SegyPathED->text().isEmpty());

        QDir::setCurrent(dir_.filePath(QStringLiteral("data")));
        TVantrel bare({kProgram, QStringLiteral("gather.segy"), kCode}, ui);
        QCOMPARE(QString::fromStdString(bare.State.DataFolder),
                 QDir(dir_.path()).absoluteFilePath(QStringLiteral("data")) + "/");
        QCOMPARE(bare.SegyFileLB->currentRow(), 0);
    }

    void folderOrMissingFileLeavesStartState_data() {
        QTest::addColumn<QString>("argument");
        QTest::newRow("folder") << Data(QStringLiteral("sub.sgy"));
        QTest::newRow("missing") << Data(QStringLiteral("none.sgy"));
        QTest::newRow("case differs") << Data(QStringLiteral("LINE1.sgy"));
    }

    void folderOrMissingFileLeavesStartState() {
        QFETCH(QString, argument);
        RecordingUserInterface ui;
        TVantrel w({kProgram, argument, kCode}, ui);
        QCOMPARE(w.SegyFileLB->count(), 0);
        QVERIFY(w.SegyPathED->text().isEmpty());
    }

    void chosenNameDifferingInCaseSelectsNothing() {
        RecordingUserInterface ui;
        TVantrel w({kProgram, QString(), kCode}, ui);
        w.FillFolderList(Data(QStringLiteral("line0.sgy")));
        QCOMPARE(w.SegyFileLB->count(), 4);
        QVERIFY(w.SegyFileLB->selectedItems().isEmpty());
        QVERIFY(w.SelectedFilePath().empty());
    }

    void controlsSitAtTheirPlaces() {
        RecordingUserInterface ui;
        TVantrel w({kProgram, QString(), kCode}, ui);
        QCOMPARE(w.size(), QSize(811, 653));
        QCOMPARE(w.SegyPathED->geometry(), QRect(12, 20, 469, 21));
        QCOMPARE(w.SegyFileLB->geometry(), QRect(7, 64, 193, 237));
        QCOMPARE(w.ZoomBtn->geometry(), QRect(635, 8, 73, 29));
        QCOMPARE(w.CloseBtn->geometry(), QRect(724, 8, 77, 29));
        QCOMPARE(w.LabelIncED->geometry(), QRect(115, 396, 62, 21));
        QCOMPARE(w.GroupBox1->geometry(), QRect(12, 420, 189, 187));
        QCOMPARE(w.ByteOrderCB->geometry(), QRect(14, 111, 145, 21));
        QCOMPARE(w.MessageLbl->geometry(), QRect(7, 138, 171, 39));
        QCOMPARE(w.ExportDebugFileBtn->geometry(), QRect(19, 623, 161, 22));
        QCOMPARE(w.PageControl1->geometry(), QRect(208, 48, 602, 605));
        QCOMPARE(w.TrcSelED->geometry(), QRect(312, 36, 57, 21));
        QCOMPARE(w.SamplesLbl->text(), QStringLiteral("Samples"));
        QVERIFY(w.SamplesLbl->geometry().bottom() < w.SamplesED->geometry().top());
        QCOMPARE(w.font().pixelSize(), 11);
    }

    void anchoredControlsFollowTheEdges() {
        RecordingUserInterface ui;
        TVantrel w({kProgram, QString(), kCode}, ui);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.resize(1011, 753);
        QTRY_COMPARE(w.centralWidget()->size(), QSize(1011, 753));
        QCOMPARE(w.ZoomBtn->geometry(), QRect(835, 8, 73, 29));
        QCOMPARE(w.CloseBtn->geometry(), QRect(924, 8, 77, 29));
        QCOMPARE(w.PageControl1->geometry(), QRect(208, 48, 802, 705));
        QCOMPARE(w.SegyFileLB->geometry(), QRect(7, 64, 193, 237));
        QCOMPARE(w.BitBtn1->geometry(), QRect(568, 8, 55, 29));
        // Inside the pages the anchored controls grow with the page.
        const int memoRightGap = w.Panel2->width() - w.Memo1->geometry().right();
        const int memoBottomGap = w.Panel2->height() - w.Memo1->geometry().bottom();
        w.resize(911, 853);
        QTRY_COMPARE(w.centralWidget()->size(), QSize(911, 853));
        QCOMPARE(w.Panel2->width() - w.Memo1->geometry().right(), memoRightGap);
        QCOMPARE(w.Panel2->height() - w.Memo1->geometry().bottom(), memoBottomGap);
        QCOMPARE(w.Memo1->geometry().topLeft(), QPoint(4, 32));
    }

    void userPageChangeShowsZoomButtonOnDataPageOnly() {
        RecordingUserInterface ui;
        TVantrel w({kProgram, QString(), kCode}, ui);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.PageControl1->setTabVisible(kDataPage, true);
        QTabBar* tabs = w.PageControl1->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(kAboutPage).center());
        QCOMPARE(w.PageControl1->currentIndex(), kAboutPage);
        QVERIFY(!w.ZoomBtn->isVisible());
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(kDataPage).center());
        QCOMPARE(w.PageControl1->currentIndex(), kDataPage);
        QVERIFY(w.ZoomBtn->isVisible());
        // Pages chosen by code leave the button as it is.
        w.ActivatePage(kTracePage);
        QCOMPARE(w.PageControl1->currentIndex(), kTracePage);
        QVERIFY(w.ZoomBtn->isVisible());
    }

    void linksAndMessagesGoThroughTheSeam() {
        RecordingUserInterface ui;
        TVantrel w({kProgram, QString(), kCode}, ui);
        w.SpeedButton2->click();
        w.SpeedButton3->click();
        QCOMPARE(ui.urls, (QList<QUrl>{QUrl(QStringLiteral("https://www.orbenza.example/")),
                                       QUrl(QStringLiteral("https://vantrel.orbenza.example/"))}));
        segy::UserMessages& messages = w;
        messages.Beep();
        messages.ShowMessage("Invalid File Format!");
        QCOMPARE(ui.beeps, 1);
        QCOMPARE(ui.messages, QStringList{"Invalid File Format!"});
    }

    void upDownWritesPlainDecimalsWithinItsLimits() {
        RecordingUserInterface ui;
        TVantrel w({kProgram, QString(), kCode}, ui);
        w.SelTrcUD->setMaximum(40000);
        w.SelTrcED->setText(QStringLiteral("32999"));
        w.SelTrcUD->UpButton()->click();
        QCOMPARE(w.SelTrcED->text(), QStringLiteral("33000"));
        w.SelTrcED->setText(QStringLiteral("1"));
        w.SelTrcUD->DownButton()->click();
        QCOMPARE(w.SelTrcED->text(), QStringLiteral("1"));
        w.UpDown1->UpButton()->click();
        QCOMPARE(w.TrcSelED->text(), QStringLiteral("1"));
    }

    void gridCellsAreAddressedByColumnAndRow() {
        RecordingUserInterface ui;
        TVantrel w({kProgram, QString(), kCode}, ui);
        w.StrGrid->SetRowCount(121);
        QCOMPARE(w.StrGrid->RowCount(), 121);
        w.StrGrid->SetCell(0, 0, QStringLiteral("Bytes"));
        w.StrGrid->SetCell(3, 120, QStringLiteral("Up Label"));
        QCOMPARE(w.StrGrid->Cell(0, 0), QStringLiteral("Bytes"));
        QCOMPARE(w.StrGrid->horizontalHeaderItem(0)->text(), QStringLiteral("Bytes"));
        QCOMPARE(w.StrGrid->Cell(3, 120), QStringLiteral("Up Label"));
        QCOMPARE(w.StrGrid->Cell(1, 5), QString());
        w.StrGrid->SetRowCount(61);
        QCOMPARE(w.StrGrid->RowCount(), 61);
    }
};

QTEST_MAIN(WindowStartupTest)
#include "tst_window_startup.moc"
