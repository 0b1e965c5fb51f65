// The main window: every control of the form (as members named like the
// controls, through the generated form class), the viewer state, and the
// handlers bound to the controls' events.
#pragma once

#include "logic/SectionPainter.h"
#include "logic/ViewerState.h"
#include "segy/UserMessages.h"
#include "ui_TVantrel.h"
#include "viewer/EdgeAnchors.h"
#include "viewer/UiSeams.h"

#include <QMainWindow>
#include <QStringList>

#include <string>

#include <QAction>
#include <QMenu>
class QCloseEvent;
class QPainter;

// Given as the second command-line argument, it skips the welcome screen.
inline const char* const kLaunchCode = "Kvoln-730418";

// Passed to the scroll handlers when the thumb is let go, or the bar's
// context menu has set its position; no slider action has this value.
inline constexpr int kThumbReleased = -1;

inline constexpr int kHeaderPage = 0;
inline constexpr int kDataPage = 1;
inline constexpr int kHelpPage = 2;
inline constexpr int kAboutPage = 3;
inline constexpr int kBatchPage = 4;
inline constexpr int kTracePage = 5;
// Pages beyond the original six come after them.
inline constexpr int kInspectPage = 6;

// The file a start-up argument names: an absolute path as it is, a relative
// one looked up below `startFolder` (where the program was started from),
// then below `programFolder`. Empty unless it is an existing regular file.
QString ResolveStartFile(const QString& argument, const QString& startFolder,
                         const QString& programFolder);

class TVantrel : public QMainWindow, public Ui::TVantrel, public segy::UserMessages {
    Q_OBJECT
public:
    // `arguments` as the command line gives them: the program, then the
    // file to open and the launch code, both optional.
    TVantrel(const QStringList& arguments, UserInterface& userInterface, QWidget* owner = nullptr);
    ~TVantrel() override;

    // The core's messages reach the user through the window's seam.
    void ShowMessage(const std::string& text) override;
    void Beep() override;

    UserInterface& UserSeam() const { return userInterface_; }

    // Changing the page or the file selection in code must not run the
    // handlers the user's changes run; these do it quietly.
    void ActivatePage(int index);
    void SelectFileItem(int index);

    // Lists the folder of `chosenFile` with the same extension into
    // FolderFiles and SegyFileLB and selects the file when it is listed.
    void FillFolderList(const QString& chosenFile);
    // SegyPathED's folder joined with the selected item; empty without one.
    std::string SelectedFilePath() const;

    // The header scan of `path` into the viewer state's tables; the full
    // scan (mode 0) shows IDD_PROGRESS. 1 when the file was opened.
    int32_t ScanTraceHeaders(int32_t mode, const std::string& path);
    // Writes the table FourByteMode selects into StrGrid; column 3 (the
    // label marks) is left as it is.
    void FillHeaderGrid();
    // True while a header scan runs (it lets events run meanwhile).
    bool Scanning() const { return scansRunning_ > 0; }

    ViewerState State;
    // The Inspect page, the seventh tab.
    class InspectPage* InspectTab = nullptr;
    FileDialogRequest OpenDialog1;
    FileDialogRequest SD1;
    QMenu* PopupMenu1;
    QAction* UpperLocation1;
    QAction* LowerLabelLocation1;
    QAction* BrowseKelvane;
    QAction* VantrelURL;
    // The plot's menu and the readout box over its lower left corner.
    QMenu* PlotMenu = nullptr;
    QLabel* ReadoutLbl = nullptr;

public slots:
    void SegyBrowseBtnClick();
    void SegyFileLBChange();
    void SampRateEDExit();
    void DataTypeCBChange();
    void DataBytesCBChange();
    void GainEDExit();
    void LabelIncEDExit();
    void ByteOrderCBChange();
    void PageControl1Change();
    void FormDestroy();
    void ScanHdrsBtnClick();
    void ByteSelectRBClick();
    void AutoScanChkClick();
    void SelTrcEDChange();
    void AutoScanCBChange();
    void UpperLocation1Click();
    void LowerLabelLocation1Click();
    // A double click on a grid cell; row counts from 0 below the titles.
    void StrGridDblClick(int row, int column);
    void PB1Paint(QPainter& painter);
    // `action` is the bar's QAbstractSlider::SliderAction, or kThumbReleased
    // when the user lets go of the thumb.
    void HScrollBarScroll(int action);
    void VScrollBarScroll(int action);
    void VScrollBarChange();
    void ZoomBtnClick();
    // Shows what the last paints had to say, after their painters ended.
    void ReportPaintMessages();
    void TrcSelEDChange();
    void ExportDebugFileBtnClick();
    // Shows the Data page starting at `trace` (0-based).
    void ShowTraceOnDataPage(qint64 trace);
    // The readout of the point under the mouse on the plot.
    void PB1MouseMove(int x, int y);
    void PB1MouseLeave();
    // The plot's menu of display modes, colours, clips and normalisation.
    void PB1Menu(const QPoint& at);

protected:
    // A close asked for during a header scan waits until the scan has
    // stopped, so nothing the scan uses goes away under it.
    void closeEvent(QCloseEvent* event) override;

private:
    friend class WindowScanProgress;

    void SetUpControls();
    void SetUpPlotMenu();
    // Checks the plot menu's items that State.Display chose.
    void CheckPlotMenu();
    // The Inspect page shows State.Inspection anew.
    void InspectionChanged();
    // The Inspect tab shows and hides with the Header and Data tabs.
    void SetFileTabsVisible(bool visible);
    void AnchorControls();
    void BindHandlers();
    void SetStartValues();
    void ShowStartPages();
    void OpenStartFile(const QString& argument, const QString& startFolder);

    void RepaintPlot();
    void SetTraceScrollRange();
    // Applies one scroll event to `bar` through `decide`.
    template <typename Decide> void ScrollBarEvent(QScrollBar* bar, int action, Decide decide);
    // The scan mode the Header page's choices ask for: all traces when Auto
    // Scan is checked, else the selected trace.
    int32_t CheckedScanMode() const;
    void SetSelectedTraceVisible(bool visible);
    void ChooseLabel(int32_t mark, const QString& text, int32_t& labelRow);
    // Reports a number the user typed that is not one; true when it is.
    bool ParseFloatEdit(const QLineEdit* edit, double& value);

    UserInterface& userInterface_;
    EdgeAnchors anchors_;
    DeferredMessages paintMessages_;
    bool paintReportQueued_ = false;
    bool reportingPaint_ = false;
    int scansRunning_ = 0;
    int scanGeneration_ = 0;
    bool closeRequested_ = false;
};
