// Choosing and opening a file, the format controls and the Header page.
#include "viewer/TVantrel.h"

#include "segy/PosixFile.h"

#include "logic/OpenFlow.h"
#include "segy/DecimalText.h"
#include "segy/FileHeader.h"
#include "segy/TraceHeaderFields.h"
#include "viewer/InspectPage.h"
#include "viewer/Progress.h"

#include <QCloseEvent>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <iterator>

namespace {

const char* const kUpperLabelText = "Up Label";
const char* const kLowerLabelText = "Low Label";
const char* const kNotAFloatMessage = "'%1' is not a valid floating point value";
const char* const kNotPositiveRateMessage = "The sample rate must be greater than 0.";
constexpr int kSelectColumn = 3;
// The widths of the data bytes box's items, in item order; the widths of
// SEG-Y rev 2 come after the original three.
constexpr int32_t kBytesPerSampleChoices[] = {1, 2, 4, 3, 8};
constexpr int kBytesPerSampleChoiceCount = static_cast<int>(std::size(kBytesPerSampleChoices));

QString FromLatin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The item of the data bytes box that shows a sample width.
int DataBytesIndex(int32_t bytesPerSample) {
    for (int i = 0; i < kBytesPerSampleChoiceCount; ++i)
        if (kBytesPerSampleChoices[i] == bytesPerSample)
            return i;
    return -1;
}

} // namespace

// The progress the window's scans report through: the progress dialog when
// the program has one, and a stop as soon as a newer scan has started or the
// window is to close.
class WindowScanProgress final : public segy::ScanProgress {
public:
    explicit WindowScanProgress(TVantrel& window)
        : window_(window), generation_(++window.scanGeneration_),
          dialog_(IDD_PROGRESS ? static_cast<segy::ScanProgress&>(*IDD_PROGRESS) : none_) {}

    void ShowProgress() override { dialog_.ShowProgress(); }
    void HideProgress() override { dialog_.HideProgress(); }
    void SetProgress(int32_t percent) override { dialog_.SetProgress(percent); }
    void SetProgressText(const std::string& text) override { dialog_.SetProgressText(text); }
    void ProcessPendingEvents() override { dialog_.ProcessPendingEvents(); }
    bool StopRequested() override {
        return window_.closeRequested_ || window_.scanGeneration_ != generation_;
    }

private:
    TVantrel& window_;
    int generation_;
    segy::NoScanProgress none_;
    segy::ScanProgress& dialog_;
};

int32_t TVantrel::ScanTraceHeaders(int32_t mode, const std::string& path) {
    WindowScanProgress progress(*this);
    const segy::ScanContext context{*this, progress,
                                    [this] { return SelTrcED->text().toStdString(); }};
    ++scansRunning_;
    segy::ClearLocationReadFailure();
    // A full scan also fills the Inspect page. It learns into an object of
    // its own, which replaces the page's only when the scan ran to its end.
    // Any other scan of another file, or one that could not open it, leaves
    // the page nothing of the file it showed. A scan that a newer one
    // stopped changes nothing: the newer one decides.
    const bool full = mode == segy::kScanAll;
    auto inspection = full ? std::make_shared<segy::HeaderInspection>() : nullptr;
    const int32_t result = segy::ScanTraceHeaders(mode, path, State.ScanLayoutNow(), State, context,
                                                  nullptr, inspection.get());
    // A read of an address that failed part way ended the scan as the end
    // of the file would: the user hears why, and the Inspect page does not
    // take what the scan saw for the whole file.
    const std::string failure = segy::LocationReadFailure();
    segy::ClearLocationReadFailure();
    if (!failure.empty()) {
        inspection.reset();
        QTimer::singleShot(0, this, [this, failure] { ShowMessage(failure); });
    }
    if (!progress.StopRequested()) {
        if (inspection && result) {
            State.Inspection = std::move(inspection);
            State.InspectedFile = path;
            InspectionChanged();
        } else if (path != State.InspectedFile) {
            State.Inspection.reset();
            State.InspectedFile.clear();
            InspectionChanged();
        }
    }
    --scansRunning_;
    if (scansRunning_ == 0 && closeRequested_)
        QTimer::singleShot(0, this, &QWidget::close);
    return result;
}

void TVantrel::closeEvent(QCloseEvent* event) {
    if (Scanning()) {
        closeRequested_ = true;
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void TVantrel::FillHeaderGrid() {
    const bool fourByte = State.FourByteMode != 0;
    const auto rows = segy::HeaderGridText(State, fourByte);
    StrGrid->SetRowCount(static_cast<int>(rows.size()));
    // Each row's tooltip names the standard's fields in its bytes.
    const int width = fourByte ? 4 : 2;
    const int64_t* minTraces = fourByte ? State.Hdr4MinTrace : State.Hdr2MinTrace;
    const int64_t* maxTraces = fourByte ? State.Hdr4MaxTrace : State.Hdr2MaxTrace;
    QStringList tips;
    for (int r = 1; r < static_cast<int>(rows.size()); ++r) {
        QString tip = QString::fromStdString(segy::DescribeFields(width * (r - 1) + 1, width * r));
        // Where the extremes are, counted from 1 as Selected Trace counts.
        const int64_t minTrace = minTraces[r - 1];
        const int64_t maxTrace = maxTraces[r - 1];
        if (minTrace >= 0 && maxTrace >= 0)
            tip += QStringLiteral("\nmin at trace %1, max at trace %2")
                       .arg(minTrace + 1)
                       .arg(maxTrace + 1);
        tips << tip;
    }
    StrGrid->SetRowToolTips(tips);
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const auto& cells = rows[static_cast<size_t>(r)];
        for (int c = 0; c < static_cast<int>(cells.size()); ++c)
            StrGrid->SetCell(c, r, QString::fromStdString(cells[static_cast<size_t>(c)]));
    }
}

void TVantrel::StrGridDblClick(int row, int column) {
    // Grid row `row` + 1: a double click on its min or max shows the Data
    // page from the first trace that holds that value.
    const bool fourByte = State.FourByteMode != 0;
    const int words = fourByte ? segy::kHeaderWords4 : segy::kHeaderWords2;
    if (!State.FileLoaded || row < 0 || row >= words || (column != 1 && column != 2))
        return;
    const int64_t* traces = column == 1 ? (fourByte ? State.Hdr4MinTrace : State.Hdr2MinTrace)
                                        : (fourByte ? State.Hdr4MaxTrace : State.Hdr2MaxTrace);
    if (traces[row] < 0)
        return;
    ShowTraceOnDataPage(traces[row]);
}

void TVantrel::ShowTraceOnDataPage(qint64 trace) {
    if (!State.FileLoaded || trace < 0)
        return;
    HScrollBar->setValue(BarPositionForTrace(trace, State.NumTraces, State.TracesPerScreen));
    PageControl1->setTabVisible(kDataPage, true);
    PageControl1->setCurrentIndex(kDataPage);
    RepaintPlot();
}

void TVantrel::SetFileTabsVisible(bool visible) {
    PageControl1->setTabVisible(kHeaderPage, visible);
    PageControl1->setTabVisible(kDataPage, visible);
    PageControl1->setTabVisible(kInspectPage, visible);
}

void TVantrel::InspectionChanged() {
    if (InspectTab)
        InspectTab->SetInspection(State.Inspection);
}

void TVantrel::RepaintPlot() {
    // The readout told of the picture being replaced; the next move of the
    // mouse tells of the new one.
    if (ReadoutLbl)
        ReadoutLbl->hide();
    PB1->update();
}

int32_t TVantrel::CheckedScanMode() const {
    return AutoScanChk->isChecked() ? segy::kScanAll : segy::kScanSelected;
}

void TVantrel::SetSelectedTraceVisible(bool visible) {
    Label18->setVisible(visible);
    SelTrcED->setVisible(visible);
    SelTrcUD->setVisible(visible);
}

bool TVantrel::ParseFloatEdit(const QLineEdit* edit, double& value) {
    if (ParseDecimalNumber(edit->text().toStdString(), value))
        return true;
    userInterface_.ShowMessage(QString::fromLatin1(kNotAFloatMessage).arg(edit->text()));
    return false;
}

void TVantrel::SegyBrowseBtnClick() {
    const QString chosen = userInterface_.ChooseOpenFile(this, OpenDialog1);
    if (chosen.isEmpty())
        return;
    OpenDialog1.fileName = chosen;
    SelectFileItem(-1);
    PageControl1->setVisible(true);
    ActivatePage(kHelpPage);
    SetFileTabsVisible(false);
    FillFolderList(chosen);
    SegyFileLBChange();
}

void TVantrel::SegyFileLBChange() {
    State.LittleEndian = 0;
    // What the last paint kept belongs to the file it drew.
    State.Painted.valid = false;
    SelTrcED->setText(QStringLiteral("1"));
    SelTrcUD->setPosition(1);
    const std::string path = SelectedFilePath();
    if (path.empty())
        return;

    PageControl1->setVisible(true);
    for (int row = 0; row < StrGrid->RowCount(); ++row)
        for (int column = 0; column < kSelectColumn; ++column)
            StrGrid->SetCell(column, row, QString());
    if (PageControl1->currentIndex() > kDataPage && PageControl1->currentIndex() != kInspectPage)
        ActivatePage(kHeaderPage);
    SetFileTabsVisible(true);
    MessageLbl->hide();

    // An address that cannot be read says why, in one message.
    if (segy::IsLocation(path)) {
        segy::ReadOnlyFile probe;
        if (!probe.Open(path)) {
            ShowMessage(segy::LastLocationError());
            MessageLbl->setText(QString::fromLatin1(kNotRecognizedMessage));
            MessageLbl->show();
            return;
        }
    }
    OpenResult result = ReadHeaderSummary(State, path, *this);
    if (!result.recognized) {
        MessageLbl->setText(QString::fromLatin1(kNotRecognizedMessage));
        MessageLbl->show();
        return;
    }
    if (result.customFormat) {
        MessageLbl->setText(QString::fromLatin1(kCustomFormatMessage));
        MessageLbl->show();
    }
    ByteOrderCB->setCurrentIndex(State.LittleEndian ? 1 : 0);
    SettleLayoutAndDecoding(State, result, *this);

    FormatED->setText(QString::number(State.FormatCode));
    TracesED->setText(QString::number(State.NumTraces));
    SamplesED->setText(QString::number(State.NumSamples));
    SampRateED->setText(QString::fromStdString(FormatGeneralFloat(State.SampleInterval)));
    DataTypeCB->setCurrentIndex(State.DataType - 1);
    DataBytesCB->setCurrentIndex(DataBytesIndex(State.BytesPerSample));
    State.CurrentFile = path;

    QStringList lines;
    for (const std::string& line : TextHeaderLines(State))
        lines << FromLatin1(line);
    // The extended textual headers are text the user needs to read too:
    // each stanza's 40 lines, after an empty line.
    for (const std::string& stanza : segy::ReadExtendedTextHeaders(path, State)) {
        lines << QString();
        for (const std::string& line : TextStanzaLines(stanza.data()))
            lines << FromLatin1(line);
    }
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setPlainText(lines.join(QLatin1Char('\n')));
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    ScanHdrsBtn->setEnabled(true);
    State.FileLoaded = 1;
    SetTraceScrollRange();
    VScrollBar->setMaximum(RecordLengthMs(State.NumSamples, State.SampleInterval));
    RepaintPlot();

    ScanTraceHeaders(CheckedScanMode(), path);
    FillHeaderGrid();
    SelTrcUD->setMaximum(static_cast<int>(std::min<int64_t>(State.NumTraces, INT_MAX)));
    State.FileOpen = 1;
}

void TVantrel::SampRateEDExit() {
    double interval = 0.0;
    if (!ParseFloatEdit(SampRateED, interval))
        return;
    // An interval of zero or less gives the plot no time axis at all.
    if (interval <= 0.0) {
        userInterface_.ShowMessage(QString::fromLatin1(kNotPositiveRateMessage));
        return;
    }
    State.SampleInterval = interval;
}

void TVantrel::DataTypeCBChange() {
    State.DataType = DataTypeCB->currentIndex() + 1;
    RepaintPlot();
}

void TVantrel::DataBytesCBChange() {
    const int index = DataBytesCB->currentIndex();
    if (index >= 0 && index < kBytesPerSampleChoiceCount)
        State.BytesPerSample = kBytesPerSampleChoices[index];
    // Without a selected file there is nothing to recount.
    const std::string path = SelectedFilePath();
    if (path.empty())
        return;
    State.NumTraces =
        segy::CountSegyTraces(path, State.NumSamples, State.BytesPerSample, *this, State.Framing());
    TracesED->setText(QString::number(State.NumTraces));
    // Every recounted trace stays within the bar's reach.
    SetTraceScrollRange();
    RepaintPlot();
}

void TVantrel::GainEDExit() {
    double gain = 0.0;
    ParseFloatEdit(GainED, gain);
    RepaintPlot();
}

void TVantrel::LabelIncEDExit() {
    int32_t increment = kDefaultLabelIncrement;
    segy::ParseDecimalInteger(LabelIncED->text().toStdString(), increment);
    State.LabelIncrement = increment;
    RepaintPlot();
}

void TVantrel::ByteOrderCBChange() {
    // Typed text that is no item counts as index -1, which is little endian.
    const int index = ByteOrderCB->currentIndex();
    const bool chosen = index >= 0 && ByteOrderCB->currentText() == ByteOrderCB->itemText(index);
    State.LittleEndian = chosen ? index : -1;
    RepaintPlot();
}

void TVantrel::ScanHdrsBtnClick() {
    const std::string path = SelectedFilePath();
    if (path.empty())
        return;
    ScanTraceHeaders(segy::kScanAll, path);
    FillHeaderGrid();
}

void TVantrel::ByteSelectRBClick() {
    State.FourByteMode = ByteSelectRB->itemIndex() == 0 ? 1 : 0;
    FillHeaderGrid();
}

void TVantrel::AutoScanChkClick() {
    const bool all = AutoScanChk->isChecked();
    SetSelectedTraceVisible(!all);
    if (!all) {
        SelTrcED->setText(QStringLiteral("1"));
        SelTrcUD->setPosition(1);
    }
    if (!State.FileOpen)
        return;
    ScanTraceHeaders(CheckedScanMode(), SelectedFilePath());
    FillHeaderGrid();
}

void TVantrel::SelTrcEDChange() {
    SetSelectedTraceVisible(!AutoScanChk->isChecked());
    if (!State.FileOpen)
        return;
    ScanTraceHeaders(CheckedScanMode(), SelectedFilePath());
    FillHeaderGrid();
}

void TVantrel::AutoScanCBChange() {
    if (!State.FileOpen)
        return;
    const int mode = AutoScanCB->currentIndex();
    ScanTraceHeaders(mode, SelectedFilePath());
    SetSelectedTraceVisible(mode == segy::kScanSelected);
    FillHeaderGrid();
}

void TVantrel::ChooseLabel(int32_t mark, const QString& text, int32_t& labelRow) {
    // The grid's current row; the title row is never current.
    const int row = std::max(1, StrGrid->currentRow() + 1);
    for (int i = 0; i < segy::kHeaderWords4; ++i)
        if (State.Hdr4Mark[i] == mark) {
            State.Hdr4Mark[i] = 0;
            StrGrid->SetCell(kSelectColumn, i + 1, QString());
        }
    for (int i = 0; i < segy::kHeaderWords2; ++i)
        if (State.Hdr2Mark[i] == mark) {
            State.Hdr2Mark[i] = 0;
            StrGrid->SetCell(kSelectColumn, i + 1, QString());
        }
    StrGrid->SetCell(kSelectColumn, row, text);
    if (State.FourByteMode && row <= segy::kHeaderWords4)
        State.Hdr4Mark[row - 1] = mark;
    else if (!State.FourByteMode && row <= segy::kHeaderWords2)
        State.Hdr2Mark[row - 1] = mark;
    labelRow = row;
}

void TVantrel::UpperLocation1Click() {
    ChooseLabel(kUpperLabelMark, QString::fromLatin1(kUpperLabelText), State.UpperLabelRow);
}

void TVantrel::LowerLabelLocation1Click() {
    ChooseLabel(kLowerLabelMark, QString::fromLatin1(kLowerLabelText), State.LowerLabelRow);
}
