// The Inspect page: the trace header fields of the last scan of every
// header, the survey's geometry, a field plotted against trace number and a
// map of a coordinate pair. It shows what a HeaderInspection learnt and
// asks the window for the rest (a scan, a trace on the Data page).
#pragma once

#include "segy/HeaderInspection.h"

#include "logic/Canvas.h"

#include <QWidget>

#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

// A widget that hands its painter to one drawing function.
class InspectPlotView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    // The drawing the view shows; it gets the view's size.
    std::function<void(Canvas&)> draw;

signals:
    void clickedAt(int x, int y);

protected:
    void paintEvent(class QPaintEvent* event) override;
    void mousePressEvent(class QMouseEvent* event) override;
};

class InspectPage : public QWidget {
    Q_OBJECT
public:
    explicit InspectPage(QWidget* parent = nullptr);

    // Shows `inspection`; null shows the page's offer of a scan.
    void SetInspection(std::shared_ptr<const segy::HeaderInspection> inspection);
    const segy::HeaderInspection* Inspection() const { return inspection_.get(); }

    // The field the plot shows (index into segy::InspectedWords()).
    int ChosenWord() const { return chosenWord_; }
    void ChooseWord(int word);

    QTableWidget* FieldTable() const { return table_; }
    QLabel* Summary() const { return summary_; }
    QPushButton* ScanButton() const { return scanButton_; }
    QComboBox* PairBox() const { return pairBox_; }
    InspectPlotView* Plot() const { return plot_; }
    InspectPlotView* Map() const { return map_; }

signals:
    // The user asks for the scan of every header.
    void scanRequested();
    // The user picked a trace (0-based) to see on the Data page.
    void traceChosen(qint64 trace);

private:
    void FillTable();
    void TableCellDoubleClicked(int row, int column);
    void PlotClicked(int x);

    std::shared_ptr<const segy::HeaderInspection> inspection_;
    int chosenWord_ = 0;
    QLabel* summary_;
    QPushButton* scanButton_;
    QTableWidget* table_;
    QComboBox* pairBox_;
    InspectPlotView* plot_;
    InspectPlotView* map_;
};
