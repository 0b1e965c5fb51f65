#include "viewer/InspectPage.h"

#include "logic/InspectPlots.h"
#include "viewer/QtCanvas.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int kPlotMinimumHeight = 160;

} // namespace

void InspectPlotView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!draw)
        return;
    QtCanvas canvas(painter, width(), height());
    draw(canvas);
}

void InspectPlotView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit clickedAt(event->position().toPoint().x(), event->position().toPoint().y());
}

InspectPage::InspectPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("InspectPage"));
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("InspectSummary"));
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    scanButton_ = new QPushButton(QStringLiteral("Scan All Headers"), this);
    scanButton_->setObjectName(QStringLiteral("InspectScanBtn"));

    table_ = new QTableWidget(0, kInspectColumns, this);
    table_->setObjectName(QStringLiteral("InspectFieldTable"));
    QStringList titles;
    for (const char* title : kInspectColumnTitles)
        titles << QString::fromLatin1(title);
    table_->setHorizontalHeaderLabels(titles);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
    table_->horizontalHeader()->setStretchLastSection(true);

    pairBox_ = new QComboBox(this);
    pairBox_->setObjectName(QStringLiteral("InspectPairCB"));
    for (int p = 0; p < segy::kCoordinatePairs; ++p)
        pairBox_->addItem(
            QString::fromLatin1(segy::CoordinatePairName(static_cast<segy::CoordinatePair>(p))) +
            QStringLiteral(" X/Y"));

    plot_ = new InspectPlotView(this);
    plot_->setObjectName(QStringLiteral("InspectFieldPlot"));
    plot_->setMinimumHeight(kPlotMinimumHeight);
    plot_->setToolTip(QStringLiteral("Click to see that trace on the Data page"));
    plot_->draw = [this](Canvas& canvas) {
        if (inspection_)
            DrawFieldEnvelope(canvas, *inspection_, chosenWord_);
    };
    map_ = new InspectPlotView(this);
    map_->setObjectName(QStringLiteral("InspectMap"));
    map_->setMinimumHeight(kPlotMinimumHeight);
    map_->draw = [this](Canvas& canvas) {
        if (inspection_)
            DrawCoordinateMap(canvas, *inspection_,
                              static_cast<segy::CoordinatePair>(pairBox_->currentIndex()));
    };

    // The summary and the offer of a scan above; the table, then the plot
    // and the map side by side, in a splitter the user can move.
    auto* top = new QHBoxLayout;
    top->addWidget(summary_, 1);
    top->addWidget(scanButton_, 0, Qt::AlignTop);
    auto* mapSide = new QWidget(this);
    auto* mapLayout = new QVBoxLayout(mapSide);
    mapLayout->setContentsMargins(0, 0, 0, 0);
    mapLayout->addWidget(pairBox_);
    mapLayout->addWidget(map_, 1);
    auto* plots = new QSplitter(Qt::Horizontal, this);
    plots->addWidget(plot_);
    plots->addWidget(mapSide);
    plots->setStretchFactor(0, 3);
    plots->setStretchFactor(1, 2);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(table_);
    split->addWidget(plots);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(top);
    layout->addWidget(split, 1);

    connect(scanButton_, &QPushButton::clicked, this, &InspectPage::scanRequested);
    connect(table_, &QTableWidget::cellDoubleClicked, this, &InspectPage::TableCellDoubleClicked);
    connect(table_, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (row >= 0 && row < table_->rowCount())
            ChooseWord(table_->item(row, 0)->data(Qt::UserRole).toInt());
    });
    connect(plot_, &InspectPlotView::clickedAt, this, [this](int x, int) { PlotClicked(x); });
    connect(pairBox_, &QComboBox::currentIndexChanged, map_, qOverload<>(&QWidget::update));
    SetInspection(nullptr);
}

void InspectPage::SetInspection(std::shared_ptr<const segy::HeaderInspection> inspection) {
    inspection_ = std::move(inspection);
    const bool filled = inspection_ && inspection_->Finished();
    QString summary;
    if (filled)
        for (const std::string& line : GeometrySummary(*inspection_))
            summary += (summary.isEmpty() ? QString() : QStringLiteral("\n")) +
                       QString::fromStdString(line);
    else
        summary = QString::fromLatin1(kNoInspectionText);
    summary_->setText(summary);
    if (filled) {
        const segy::SurveyGeometry& g = inspection_->Geometry();
        if (g.kind == "3D" && g.hasCorners)
            pairBox_->setCurrentIndex(g.cornerPair);
    }
    FillTable();
    plot_->update();
    map_->update();
}

void InspectPage::ChooseWord(int word) {
    chosenWord_ = word;
    plot_->update();
}

void InspectPage::FillTable() {
    const segy::HeaderInspection empty;
    const std::vector<InspectFieldRow> rows = InspectFieldRows(inspection_ ? *inspection_ : empty);
    table_->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
        for (int c = 0; c < kInspectColumns; ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(rows[r].cells[c]));
            if (c == 0) {
                item->setData(Qt::UserRole, rows[r].word);
                item->setToolTip(QString::fromStdString(
                    segy::DescribeFields(segy::InspectedWords()[rows[r].word].firstByte,
                                         segy::InspectedWords()[rows[r].word].firstByte)));
            }
            if (c == kMinTraceColumn || c == kMaxTraceColumn) {
                item->setData(Qt::UserRole,
                              static_cast<qint64>(c == kMinTraceColumn ? rows[r].minTrace
                                                                       : rows[r].maxTrace));
                item->setToolTip(QStringLiteral("Double-click to see this trace on the Data page"));
            }
            table_->setItem(r, c, item);
        }
    table_->resizeColumnsToContents();
}

void InspectPage::TableCellDoubleClicked(int row, int column) {
    if (column != kMinTraceColumn && column != kMaxTraceColumn)
        return;
    const QTableWidgetItem* item = table_->item(row, column);
    if (!item)
        return;
    const qint64 trace = item->data(Qt::UserRole).toLongLong();
    if (trace >= 0)
        emit traceChosen(trace);
}

void InspectPage::PlotClicked(int x) {
    if (!inspection_)
        return;
    const int64_t trace = EnvelopeTraceAt(plot_->width(), *inspection_, x);
    if (trace >= 0)
        emit traceChosen(trace);
}
