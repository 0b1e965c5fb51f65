#include "viewer/TVantrel.h"

#include "remote/RemoteFile.h"
#include "segy/ByteSource.h"
#include "viewer/InspectPage.h"

#include "logic/FolderFiles.h"
#include "logic/Links.h"
#include "logic/OpenFlow.h"
#include "viewer/Fonts.h"
#include "viewer/Pictures.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>

namespace {

constexpr int kFormFontPixels = 11;
constexpr int kAboutFontPixels = 16;
constexpr int kAboutTitlePixels = 24;
constexpr int kAboutNoticePixels = 12;
constexpr int kAboutVersionPixels = 13;
constexpr int kStartGridRows = 60;
constexpr int kGridRowHeight = 16;
const QList<int> kGridColumnWidths = {48, 63, 61, 56};
// The widest text each grid column can hold (a range, the extreme 32-bit
// values, the longer label mark) and the titles the scan gives them.
const QStringList kGridWidestTexts = {QStringLiteral("237-240"), QStringLiteral("-2147483648"),
                                      QStringLiteral("-2147483648"), QStringLiteral("Low Label")};
const QStringList kGridTitles = {QStringLiteral("Bytes"), QStringLiteral("4 Byte min"),
                                 QStringLiteral("4 Byte max"), QStringLiteral("Select")};
constexpr int kSelectedTraceMinimum = 1;

// Places were laid out for these parent sizes; anchored controls keep their
// distances to the edges of parents of any other size.
constexpr QSize kClientDesignSize(811, 653);
constexpr QSize kPageDesignSize(594, 577);
constexpr int kScanPanelWidth = 269;
constexpr QSize kTextPanelDesignSize(kPageDesignSize.width() - kScanPanelWidth,
                                     kPageDesignSize.height());
constexpr QSize kScanPanelDesignSize(kScanPanelWidth, kPageDesignSize.height());
constexpr QSize kHeaderGroupDesignSize(261, 499);

// The grey of read-only edits and the text memo.
const QColor kLightGrey(0xe3, 0xe3, 0xe3);
const QColor kMessageYellow(Qt::yellow);

QString FromPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}
std::string ToPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString WithSeparator(const QString& folder) {
    return folder.endsWith(QLatin1Char(kPathSeparator)) ? folder
                                                        : folder + QLatin1Char(kPathSeparator);
}

// Colours go through the palette, not style sheets, so that every control
// keeps the form's font.
void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

} // namespace

QString ResolveStartFile(const QString& argument, const QString& startFolder,
                         const QString& programFolder) {
    if (argument.isEmpty())
        return {};
    // An http(s):// or s3:// address is opened as it is given.
    if (segy::IsLocation(argument.toStdString()))
        return argument;
    QStringList candidates;
    if (QFileInfo(argument).isAbsolute())
        candidates << argument;
    else
        candidates << QDir(startFolder).filePath(argument)
                   << QDir(programFolder).filePath(argument);
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isFile())
            return QDir::cleanPath(QFileInfo(candidate).absoluteFilePath());
    }
    return {};
}

TVantrel::TVantrel(const QStringList& arguments, UserInterface& userInterface, QWidget* owner)
    : QMainWindow(owner), userInterface_(userInterface), anchors_(this) {
    setupUi(this);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    SetUpControls();
    AnchorControls();
    BindHandlers();
    State.DataFolder.clear();
    State.CurrentFile.clear();

    const QString startFolder = QDir::currentPath();
    const QString programFolder = WithSeparator(QCoreApplication::applicationDirPath());
    QDir::setCurrent(programFolder);
    OpenDialog1.initialFolder = programFolder;

    if (arguments.value(2) != QLatin1String(kLaunchCode))
        userInterface_.ShowWelcome(this);

    SetStartValues();
    ShowStartPages();
    State.FolderFiles.clear();
    OpenStartFile(arguments.value(1), startFolder);
    SegyFileLB->setFocus();
}

TVantrel::~TVantrel() {
    FormDestroy();
}

void TVantrel::ShowMessage(const std::string& text) {
    userInterface_.ShowMessage(FromPath(text));
}

void TVantrel::Beep() {
    userInterface_.Beep();
}

void TVantrel::ActivatePage(int index) {
    const QSignalBlocker quiet(PageControl1);
    PageControl1->setCurrentIndex(index);
}

void TVantrel::SelectFileItem(int index) {
    const QSignalBlocker quiet(SegyFileLB);
    SegyFileLB->setCurrentRow(index);
    if (index < 0)
        SegyFileLB->clearSelection();
}

void TVantrel::FillFolderList(const QString& chosenFile) {
    const std::string file = ToPath(chosenFile);
    State.DataFolder = FolderPart(file);
    // An address is shown without the user name and password it may hold.
    SegyPathED->setText(FromPath(segy::LocationWithoutCredentials(State.DataFolder)));
    State.FolderFiles.clear();
    SegyFileLB->clear();
    // An S3 address lists the objects of its extension beside it; an http
    // address, or a store that refuses to list, the one file it names.
    std::string reason;
    SegyFileLB->setToolTip(QString());
    if (segy::IsLocation(file)) {
        if (!remote::ListBesideLocation(file, State.FolderFiles, reason) ||
            FindExactName(State.FolderFiles, FileNamePart(file)) < 0)
            State.FolderFiles = {FileNamePart(file)};
        // Why the objects beside it are not listed, for whoever wonders.
        if (!reason.empty())
            SegyFileLB->setToolTip(
                QStringLiteral("The files beside this one could not be listed. ") +
                FromPath(reason));
    } else
        ListFolderFiles(FolderPattern(file), State.FolderFiles);
    // An address's name is listed without its query.
    for (const std::string& entry : State.FolderFiles)
        SegyFileLB->addItem(FromPath(segy::IsLocation(file) ? FileNamePart(ListedName(entry))
                                                            : FileNamePart(entry)));
    int chosen = FindExactName(State.FolderFiles, FileNamePart(file));
    // A name with bytes that are no text reaches us from the file dialog
    // only as text: then the listed name that reads the same, letter case
    // included, is the chosen one.
    if (chosen < 0 && chosenFile.contains(QChar::ReplacementCharacter)) {
        const QList<QListWidgetItem*> same = SegyFileLB->findItems(
            QFileInfo(chosenFile).fileName(), Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (!same.isEmpty())
            chosen = SegyFileLB->row(same.first());
    }
    SelectFileItem(chosen);
}

std::string TVantrel::SelectedFilePath() const {
    const QListWidgetItem* item = SegyFileLB->currentItem();
    if (!item || !item->isSelected())
        return {};
    // The listed name's own bytes, so that names the locale cannot spell
    // still open; the path edit shows DataFolder.
    const int row = SegyFileLB->row(item);
    if (row >= 0 && row < static_cast<int>(State.FolderFiles.size()) &&
        FromPath(segy::LocationWithoutCredentials(State.DataFolder)) == SegyPathED->text())
        return State.DataFolder + State.FolderFiles[static_cast<size_t>(row)];
    return ToPath(WithSeparator(SegyPathED->text()) + item->text());
}

void TVantrel::SetUpControls() {
    setFont(SansFont(kFormFontPixels));
    CloseBtn->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    for (QWidget* edit : {static_cast<QWidget*>(SegyPathED), static_cast<QWidget*>(SamplesED),
                          static_cast<QWidget*>(TracesED), static_cast<QWidget*>(FormatED)})
        SetColour(edit, QPalette::Base, kLightGrey);
    SetColour(Memo1, QPalette::Base, kLightGrey);
    SetColour(MessageLbl, QPalette::Window, kMessageYellow);
    for (QComboBox* box : {DataTypeCB, DataBytesCB, AutoScanCB})
        box->setEditable(false);
    DataTypeCB->setCurrentIndex(-1);
    DataBytesCB->setCurrentIndex(-1);
    ByteOrderCB->setCurrentIndex(-1);
    ByteOrderCB->setEditText(QString());
    // Typed text is read by the handler, never kept as a third item.
    ByteOrderCB->setInsertPolicy(QComboBox::NoInsert);

    SelTrcUD->SetAssociate(SelTrcED);
    SelTrcUD->setMinimum(kSelectedTraceMinimum);
    SelTrcUD->setPosition(kSelectedTraceMinimum);
    UpDown1->SetAssociate(TrcSelED);

    StrGrid->SetColCount(kGridColumnWidths.size());
    StrGrid->SetColWidthsFitting(kGridColumnWidths, kGridWidestTexts, kGridTitles);
    StrGrid->SetRowHeight(kGridRowHeight);
    StrGrid->SetRowCount(kStartGridRows);
    PopupMenu1 = new QMenu(StrGrid);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    UpperLocation1 = PopupMenu1->addAction(QStringLiteral("Upper Label Location"));
    UpperLocation1->setObjectName(QStringLiteral("UpperLocation1"));
    LowerLabelLocation1 = PopupMenu1->addAction(QStringLiteral("Lower Label Location"));
    LowerLabelLocation1->setObjectName(QStringLiteral("LowerLabelLocation1"));

    HScrollBar->setMinimum(0);
    VScrollBar->setMinimum(0);

    SetUpPlotMenu();
    InspectTab = new InspectPage(PageControl1);
    PageControl1->insertTab(kInspectPage, InspectTab, QStringLiteral("Inspect"));

    TabSheet4->setFont(SansFont(kAboutFontPixels, true));
    QPalette white = Panel3->palette();
    white.setColor(QPalette::Window, Qt::white);
    Panel3->setPalette(white);
    for (QPushButton* link : {SpeedButton2, SpeedButton3}) {
        QPalette red = link->palette();
        red.setColor(QPalette::ButtonText, Qt::red);
        link->setPalette(red);
    }
    Label6->setFont(SansFont(kAboutTitlePixels, true));
    Label10->setFont(SansFont(kAboutNoticePixels, true));
    Label7->setFont(SansFont(kAboutVersionPixels, true));
    for (QLabel* label : {Label9, Label8, Label10, Label7})
        label->adjustSize();
    Image1->setPixmap(MakerLogo());

    BrowseKelvane = new QAction(QStringLiteral("BrowseKelvane"), this);
    BrowseKelvane->setObjectName(QStringLiteral("BrowseKelvane"));
    VantrelURL = new QAction(QStringLiteral("VantrelURL"), this);
    VantrelURL->setObjectName(QStringLiteral("VantrelURL"));

    OpenDialog1.title = QStringLiteral("Select Segy File");
    OpenDialog1.filters = {
        FileFilter(QStringLiteral("Segy Files "), QStringLiteral("*.sgy *.segy")),
        FileFilter(QStringLiteral("All Files"), QStringLiteral("*"))};
    SD1.title = QStringLiteral("Save Segy Debug File");
    SD1.defaultSuffix = QStringLiteral("sgy");
    SD1.filters = {FileFilter(QStringLiteral("Segy Files (*.sgy)"), QStringLiteral("*.sgy")),
                   FileFilter(QStringLiteral("All Files (*.*)"), QStringLiteral("*"))};
}

void TVantrel::AnchorControls() {
    constexpr Qt::Edges topRight = Qt::TopEdge | Qt::RightEdge;
    constexpr Qt::Edges allSides = Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge | Qt::LeftEdge;
    anchors_.Anchor(ZoomBtn, topRight, kClientDesignSize);
    anchors_.Anchor(CloseBtn, topRight, kClientDesignSize);
    anchors_.Anchor(PageControl1, allSides, kClientDesignSize);
    anchors_.Anchor(Memo1, allSides, kTextPanelDesignSize);
    anchors_.Anchor(ScanHdrsBtn, topRight, kScanPanelDesignSize);
    anchors_.Anchor(GroupBox2, allSides, kScanPanelDesignSize);
    anchors_.Anchor(StrGrid, allSides, kHeaderGroupDesignSize);
    anchors_.Anchor(TrcValLB, Qt::LeftEdge | Qt::TopEdge | Qt::BottomEdge, kPageDesignSize);
}

void TVantrel::BindHandlers() {
    connect(SegyBrowseBtn, &QPushButton::clicked, this, &TVantrel::SegyBrowseBtnClick);
    connect(CloseBtn, &QPushButton::clicked, this, &TVantrel::close);
    connect(InspectTab, &InspectPage::scanRequested, this, &TVantrel::ScanHdrsBtnClick);
    connect(InspectTab, &InspectPage::traceChosen, this, &TVantrel::ShowTraceOnDataPage);
    connect(ZoomBtn, &QToolButton::clicked, this, &TVantrel::ZoomBtnClick);
    connect(SegyFileLB, &QListWidget::itemSelectionChanged, this, &TVantrel::SegyFileLBChange);
    connect(SampRateED, &ExitLineEdit::Exit, this, &TVantrel::SampRateEDExit);
    connect(GainED, &ExitLineEdit::Exit, this, &TVantrel::GainEDExit);
    connect(LabelIncED, &ExitLineEdit::Exit, this, &TVantrel::LabelIncEDExit);
    connect(DataTypeCB, &QComboBox::activated, this, &TVantrel::DataTypeCBChange);
    connect(DataBytesCB, &QComboBox::activated, this, &TVantrel::DataBytesCBChange);
    connect(ByteOrderCB, &QComboBox::activated, this, &TVantrel::ByteOrderCBChange);
    connect(ByteOrderCB->lineEdit(), &QLineEdit::textEdited, this, &TVantrel::ByteOrderCBChange);
    connect(ExportDebugFileBtn, &QPushButton::clicked, this, &TVantrel::ExportDebugFileBtnClick);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TVantrel::PageControl1Change);
    connect(AutoScanChk, &QCheckBox::clicked, this, &TVantrel::AutoScanChkClick);
    connect(ScanHdrsBtn, &QPushButton::clicked, this, &TVantrel::ScanHdrsBtnClick);
    connect(SelTrcED, &QLineEdit::textChanged, this, &TVantrel::SelTrcEDChange);
    connect(AutoScanCB, &QComboBox::activated, this, &TVantrel::AutoScanCBChange);
    connect(ByteSelectRB, &RadioGroup::Click, this, &TVantrel::ByteSelectRBClick);
    connect(StrGrid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(StrGrid->viewport()->mapToGlobal(at)); });
    connect(StrGrid, &QTableWidget::cellDoubleClicked, this, &TVantrel::StrGridDblClick);
    connect(UpperLocation1, &QAction::triggered, this, &TVantrel::UpperLocation1Click);
    connect(LowerLabelLocation1, &QAction::triggered, this, &TVantrel::LowerLabelLocation1Click);
    connect(PB1, &PaintBox::Paint, this, &TVantrel::PB1Paint);
    connect(PB1, &PaintBox::MouseMoved, this, &TVantrel::PB1MouseMove);
    connect(PB1, &PaintBox::MouseLeft, this, &TVantrel::PB1MouseLeave);
    connect(PB1, &PaintBox::MenuRequested, this, &TVantrel::PB1Menu);
    connect(HScrollBar, &QScrollBar::actionTriggered, this, &TVantrel::HScrollBarScroll);
    connect(VScrollBar, &QScrollBar::actionTriggered, this, &TVantrel::VScrollBarScroll);
    connect(HScrollBar, &QScrollBar::sliderReleased, this,
            [this] { HScrollBarScroll(kThumbReleased); });
    connect(VScrollBar, &QScrollBar::sliderReleased, this,
            [this] { VScrollBarScroll(kThumbReleased); });
    connect(HScrollBar, &ScrollBar::PositionedFromMenu, this,
            [this] { HScrollBarScroll(kThumbReleased); });
    connect(VScrollBar, &ScrollBar::PositionedFromMenu, this,
            [this] { VScrollBarScroll(kThumbReleased); });
    connect(HScrollBar, &QScrollBar::valueChanged, this, &TVantrel::VScrollBarChange);
    connect(VScrollBar, &QScrollBar::valueChanged, this, &TVantrel::VScrollBarChange);
    connect(TrcSelED, &QLineEdit::textChanged, this, &TVantrel::TrcSelEDChange);
    connect(BrowseKelvane, &QAction::triggered, this,
            [this] { userInterface_.OpenUrl(QUrl(QString::fromLatin1(kMakerHomeUrl))); });
    connect(VantrelURL, &QAction::triggered, this,
            [this] { userInterface_.OpenUrl(QUrl(QString::fromLatin1(kVantrelHomeUrl))); });
    connect(SpeedButton2, &QPushButton::clicked, BrowseKelvane, &QAction::trigger);
    connect(SpeedButton3, &QPushButton::clicked, VantrelURL, &QAction::trigger);
}

void TVantrel::SetStartValues() {
    State.LittleEndian = 0;
    State.IeeeFormat = 0;
    State.FileOpen = 0;
    State.MsPerScreen = kDefaultMsPerScreen;
    State.TracesPerScreen = kDefaultTracesPerScreen;
    State.FourByteMode = 1;
    State.FileLoaded = 0;
    State.UpperLabelRow = 0;
    State.LowerLabelRow = 0;
    State.LabelIncrement = kDefaultLabelIncrement;
    LabelIncED->setText(QString::number(State.LabelIncrement));
    State.PlotGain = kDefaultPlotGain;
    State.Painting = 0;
    GainED->setText(QString::fromStdString(FormatGeneralFloat(State.PlotGain)));
}

void TVantrel::ShowStartPages() {
    const QSignalBlocker quiet(PageControl1);
    PageControl1->setCurrentIndex(kHelpPage);
    for (const int page : {kHeaderPage, kDataPage, kBatchPage, kInspectPage})
        PageControl1->setTabVisible(page, false);
    ZoomBtn->setVisible(true);
}

void TVantrel::OpenStartFile(const QString& argument, const QString& startFolder) {
    const QString file = ResolveStartFile(argument, startFolder, QDir::currentPath());
    if (file.isEmpty())
        return;
    OpenDialog1.fileName = file;
    OpenDialog1.initialFolder = QFileInfo(file).path();
    // An address is opened once the window shows, so that a slow or silent
    // server holds up neither the window nor its progress dialog's Cancel.
    if (segy::IsLocation(ToPath(file))) {
        QTimer::singleShot(0, this, [this, file] {
            FillFolderList(file);
            SegyFileLBChange();
        });
        return;
    }
    FillFolderList(file);
    SegyFileLBChange();
}

void TVantrel::PageControl1Change() {
    ZoomBtn->setVisible(PageControl1->currentIndex() == kDataPage);
}

void TVantrel::FormDestroy() {
    State.FolderFiles.clear();
}
