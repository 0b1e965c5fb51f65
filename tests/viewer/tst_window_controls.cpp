// What a user meets in the window's controls: entries that are no files,
// the file list's one selection, whole header values, the byte order box,
// the welcome screen's first seconds, captions and filters, the label row
// and the integer edits.
#include "tests/support/SegyWriter.h"
#include "tests/support/TestFiles.h"
#include "tests/viewer/CliRunner.h"
#include "tests/viewer/RecordingUserInterface.h"
#include "tests/viewer/TestWindow.h"
#include "viewer/DebugExport.h"
#include "viewer/Splash.h"
#include "viewer/TVantrel.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QtTest>

#include <memory>
#include <sys/stat.h>

namespace {

// Three traces numbered 1 to 3 in bytes 1-4, with the extreme 32-bit values
// in bytes 181-184 and 185-188.
std::vector<unsigned char> NumberedSection(bool littleEndian = false) {
    segytest::FileSpec spec;
    spec.numSamples = 10;
    spec.littleEndian = littleEndian;
    segytest::SegyWriter writer(spec);
    for (int t = 1; t <= 3; ++t) {
        segytest::TraceSpec trace;
        trace.words4 = {{1, t}, {181, INT32_MIN + t - 1}, {185, INT32_MAX - t + 1}};
        writer.AddTrace(trace);
    }
    return writer.Bytes();
}

// Clicks row `row` of a list or table view; Qt's own event path.
void ClickRow(QAbstractItemView* view, const QModelIndex& index, Qt::MouseButton button,
              Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(view->viewport(), button, modifiers, view->visualRect(index).center());
}

} // namespace

class WindowControlsTest : public QObject {
    Q_OBJECT

private:
    segytest::ScratchDir dir_;
    RecordingUserInterface ui_;
    std::unique_ptr<TVantrel> w_;

    void Browse(const std::string& path) { BrowseTo(*w_, ui_, path); }

private slots:
    void init() {
        ui_ = RecordingUserInterface();
        w_ = StartTestWindow(ui_);
    }
    void cleanup() { w_.reset(); }

    void aNamedPipeIsRefusedAtOnceEverywhere() {
        QVERIFY(segytest::WriteBytes(dir_.File("a_good.sgy"), NumberedSection()));
        const std::string pipe = dir_.File("b_pipe.sgy");
        QCOMPARE(::mkfifo(pipe.c_str(), 0600), 0);

        // Opening a pipe for reading would wait for a writer for good.
        Browse(pipe);
        QCOMPARE(w_->SegyFileLB->count(), 2);
        QCOMPARE(ui_.messages.value(0),
                 QStringLiteral("Cannot open input file <ReadSegyFileHeader>!!"));
        QCOMPARE(w_->MessageLbl->text(), QStringLiteral("Not Recognized SEGY format"));

        const ExportResult exported = ExportDebugFile(pipe, dir_.File("out.sgy"));
        QVERIFY(!exported.ok);
        QVERIFY2(exported.message.ends_with("It is not a regular file."), exported.message.c_str());

        for (const char* command : {"info", "list", "scan", "render"}) {
            QStringList arguments{QString::fromLatin1(command), QString::fromStdString(pipe)};
            if (QByteArray(command) == "render")
                arguments << QStringLiteral("--output")
                          << QString::fromStdString(dir_.File("out.png"));
            QCOMPARE(RunCli(arguments).exitCode, 1);
        }
    }

    void theFileListKeepsItsOneSelection() {
        QVERIFY(segytest::WriteBytes(dir_.File("little.sgy"), NumberedSection(true)));
        QVERIFY(segytest::WriteBytes(dir_.File("other.sgy"), NumberedSection()));
        Browse(dir_.File("little.sgy"));
        QCOMPARE(w_->State.LittleEndian, 1);

        QListWidget* list = w_->SegyFileLB;
        const QModelIndex selected = list->currentIndex();
        ClickRow(list, selected, Qt::LeftButton, Qt::ControlModifier);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier);
        QCOMPARE(list->selectedItems().size(), 1);
        QCOMPARE(list->currentIndex(), selected);
        QCOMPARE(w_->State.LittleEndian, 1);
        QCOMPARE(w_->SelectedFilePath(), dir_.File("little.sgy"));

        // Moving the choice still opens the other file.
        ClickRow(list, list->model()->index(selected.row() + 1, 0), Qt::LeftButton,
                 Qt::ControlModifier);
        QCOMPARE(w_->SelectedFilePath(), dir_.File("other.sgy"));
        QCOMPARE(w_->State.LittleEndian, 0);
    }

    void headerValuesReadWholeAtTheLayoutsWidths() {
        QVERIFY(segytest::WriteBytes(dir_.File("extremes.sgy"), NumberedSection()));
        Browse(dir_.File("extremes.sgy"));
        w_->ScanHdrsBtnClick();
        StringGrid* grid = w_->StrGrid;
        QCOMPARE(grid->Cell(1, 46), QStringLiteral("-2147483648"));
        QCOMPARE(grid->Cell(2, 47), QStringLiteral("2147483647"));
        grid->SetCell(3, 2, QStringLiteral("Low Label"));
        QCOMPARE(grid->textElideMode(), Qt::ElideNone);
        const QFontMetrics metrics(grid->font());
        for (int row = 1; row < grid->RowCount(); ++row)
            for (int column = 0; column < grid->ColCount(); ++column) {
                const QString text = grid->Cell(column, row);
                QVERIFY2(metrics.horizontalAdvance(text) + 2 * StringGrid::kCellTextMargin <=
                             grid->columnWidth(column),
                         qPrintable(text));
            }
        // Widened only as far as the widest value needs.
        QCOMPARE(grid->columnWidth(0), 48);
        QCOMPARE(grid->columnWidth(3), 56);
        QCOMPARE(grid->columnWidth(1),
                 std::max(63, metrics.horizontalAdvance(QStringLiteral("-2147483648")) +
                                  2 * StringGrid::kCellTextMargin));
    }

    void typedByteOrderTextNeverBecomesAnItem() {
        QVERIFY(segytest::WriteBytes(dir_.File("big.sgy"), NumberedSection()));
        Browse(dir_.File("big.sgy"));
        QComboBox* box = w_->ByteOrderCB;
        box->lineEdit()->selectAll();
        QTest::keyClicks(box->lineEdit(), QStringLiteral("Middle"));
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
        QCOMPARE(box->count(), 2);
        QCOMPARE(w_->State.LittleEndian, -1);
        box->setCurrentIndex(1);
        emit box->activated(1);
        QCOMPARE(w_->State.LittleEndian, 1);
    }

    void theWelcomeScreenCannotBeLeftBeforeContinueShows() {
        TSplashFrm splash(nullptr, ui_);
        splash.show();
        QTest::keyClick(&splash, Qt::Key_Escape);
        QTest::keyClick(&splash, Qt::Key_Return);
        splash.close();
        QVERIFY(splash.isVisible());
        splash.Timer1Timer();
        QTest::mouseClick(splash.ContinueBtn, Qt::LeftButton);
        QVERIFY(!splash.isVisible());
        QCOMPARE(splash.result(), int(QDialog::Accepted));
    }

    void captionsFontsAndFiltersAsLaidOut() {
        ConfigureApplication();
        // Qt appends a set display name to every caption.
        QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
        QString boxTitle;
        QTimer::singleShot(0, [&boxTitle] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                boxTitle = box->windowTitle();
                box->close();
            }
        });
        ShowMessageBox(QStringLiteral("Invalid File Format!"));
        QCOMPARE(boxTitle, QString::fromLatin1(kApplicationTitle));

        for (QWidget* control :
             {static_cast<QWidget*>(w_->Memo1), static_cast<QWidget*>(w_->MessageLbl)}) {
            QVERIFY(control->styleSheet().isEmpty());
            QCOMPARE(control->font(), w_->font());
        }

        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        PrepareFileDialog(dialog, w_->SD1);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Save Segy Debug File"));
        const auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        QVERIFY(types);
        QCOMPARE(types->itemText(0), QStringLiteral("Segy Files (*.sgy)"));
        QCOMPARE(types->itemText(1), QStringLiteral("All Files (*.*)"));
        dialog.selectNameFilter(w_->SD1.filters[1]);
        const auto* files = dialog.findChild<QFileSystemModel*>();
        QVERIFY(files);
        QCOMPARE(files->nameFilters(), QStringList{QStringLiteral("*")});
    }

    void eachGridRowNamesTheFieldsInItsBytes() {
        QVERIFY(segytest::WriteBytes(dir_.File("fields.sgy"), NumberedSection()));
        Browse(dir_.File("fields.sgy"));
        // 4-byte row 18 holds bytes 69-72: both scalars.
        const QString scalars = w_->StrGrid->RowToolTip(18);
        QVERIFY2(scalars.startsWith(QStringLiteral("ElevationScalar (scalel), bytes 69-70")),
                 qPrintable(scalars));
        QVERIFY(scalars.contains(QStringLiteral("\nSourceGroupScalar (scalco), bytes 71-72")));
        QVERIFY(w_->StrGrid->RowToolTip(48).startsWith(QStringLiteral("INLINE_3D (iline)")));
        // The 2-byte view: row 37 is bytes 73-74, the first half of SourceX.
        w_->ByteSelectRB->setItemIndex(1);
        w_->ByteSelectRBClick();
        QVERIFY(
            w_->StrGrid->RowToolTip(37).startsWith(QStringLiteral("SourceX (sx), bytes 73-76")));
        QCOMPARE(w_->StrGrid->RowToolTip(121), QString());

        // After a full scan each row says where its extremes first are, and
        // a double click on one shows the Data page from that trace.
        w_->ByteSelectRB->setItemIndex(0);
        w_->ByteSelectRBClick();
        w_->ScanHdrsBtnClick();
        QVERIFY(
            w_->StrGrid->RowToolTip(46).endsWith(QStringLiteral("min at trace 1, max at trace 3")));
        w_->StrGridDblClick(46 - 1, 2);
        QCOMPARE(w_->PageControl1->currentIndex(), int(kDataPage));
        QCOMPARE(w_->HScrollBar->value(), 0); // three traces fit one window
    }

    void theLabelChoiceActsOnTheLeftClickedRow() {
        QVERIFY(segytest::WriteBytes(dir_.File("labels.sgy"), NumberedSection()));
        Browse(dir_.File("labels.sgy"));
        w_->ActivatePage(kHeaderPage);
        StringGrid* grid = w_->StrGrid;
        ClickRow(grid, grid->model()->index(1, 0), Qt::LeftButton); // row 5-8
        grid->scrollTo(grid->model()->index(5, 0));
        ClickRow(grid, grid->model()->index(5, 0), Qt::RightButton); // row 21-24
        QCOMPARE(grid->currentRow(), 1);
        w_->UpperLocation1Click();
        QCOMPARE(w_->State.UpperLabelRow, 2);
        QCOMPARE(grid->Cell(3, 2), QStringLiteral("Up Label"));
    }

    void everyIntegerEditReadsByOneRule() {
        QVERIFY(segytest::WriteBytes(dir_.File("numbers.sgy"), NumberedSection()));
        Browse(dir_.File("numbers.sgy"));
        w_->SelTrcED->setText(QStringLiteral(" 3"));
        QCOMPARE(w_->StrGrid->Cell(1, 1), QStringLiteral("3"));
        w_->SelTrcED->setText(QStringLiteral("+-2"));
        QCOMPARE(w_->StrGrid->Cell(1, 1), QStringLiteral("1")); // no number: trace 1
        w_->LabelIncED->setText(QStringLiteral(" 7 "));
        w_->LabelIncEDExit();
        QCOMPARE(w_->State.LabelIncrement, 7);
        w_->LabelIncED->setText(QStringLiteral("+-7"));
        w_->LabelIncEDExit();
        QCOMPARE(w_->State.LabelIncrement, 20);
        w_->SelTrcED->setText(QStringLiteral(" 2 "));
        w_->SelTrcUD->Step(1);
        QCOMPARE(w_->SelTrcED->text(), QStringLiteral("3"));
    }
};

QTEST_MAIN(WindowControlsTest)
#include "tst_window_controls.moc"
