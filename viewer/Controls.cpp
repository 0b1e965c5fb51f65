#include "viewer/Controls.h"

#include "segy/DecimalText.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QToolButton>

#include <algorithm>

PaintBox::PaintBox(QWidget* parent) : QWidget(parent) {}

void PaintBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    emit Paint(painter);
}

void ExitLineEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // Only focus moving on to another control counts, not the window losing
    // activation or a menu popping up.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        emit Exit();
}

SingleChoiceListBox::SingleChoiceListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
}

QItemSelectionModel::SelectionFlags
SingleChoiceListBox::selectionCommand(const QModelIndex& index, const QEvent* event) const {
    const QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
    // Qt lets Ctrl deselect the one selected item; here the choice can only
    // move to another item.
    if (command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
        return QItemSelectionModel::NoUpdate;
    return command;
}

UpDown::UpDown(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
    for (QToolButton* button : {up_, down_}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
    }
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    connect(up_, &QToolButton::clicked, this, [this] { Step(1); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void UpDown::setMinimum(int value) {
    minimum_ = value;
    position_ = std::max(position_, minimum_);
}

void UpDown::setMaximum(int value) {
    maximum_ = value;
    position_ = std::min(position_, std::max(maximum_, minimum_));
}

void UpDown::setPosition(int value) {
    position_ = std::clamp(value, minimum_, std::max(maximum_, minimum_));
}

void UpDown::Step(int delta) {
    if (associate_) {
        int32_t typed = 0;
        if (segy::ParseDecimalInteger(associate_->text().toStdString(), typed))
            setPosition(typed);
    }
    setPosition(position_ + delta);
    if (associate_)
        associate_->setText(QString::number(position_));
}

void UpDown::resizeEvent(QResizeEvent*) {
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

namespace {

// Draws a cell's text a fixed margin in from its left edge and clips it at
// the right edge instead of eliding it, so that a number is never shown as
// a shorter one followed by an ellipsis.
class GridCellDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        const QString text = cell.text;
        cell.text.clear();
        const QStyle* style = cell.widget ? cell.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);
        const bool selected = cell.state & QStyle::State_Selected;
        painter->save();
        painter->setFont(cell.font);
        painter->setPen(cell.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(cell.rect.adjusted(StringGrid::kCellTextMargin, 0, 0, 0),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
        painter->restore();
    }
};

} // namespace

StringGrid::StringGrid(QWidget* parent) : QTableWidget(parent) {
    setItemDelegate(new GridCellDelegate(this));
    setTextElideMode(Qt::ElideNone);
    horizontalHeader()->setTextElideMode(Qt::ElideNone);
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
}

void StringGrid::SetColCount(int columns) {
    setColumnCount(columns);
    for (int c = 0; c < columns; ++c) {
        if (!horizontalHeaderItem(c))
            setHorizontalHeaderItem(c, new QTableWidgetItem(QString()));
    }
}

void StringGrid::SetRowCount(int rows) {
    const int wanted = std::max(rows, 1);
    const int current = RowCount();
    for (int row = wanted; row < current; ++row)
        for (int column = 0; column < columnCount(); ++column)
            if (const QTableWidgetItem* cell = item(row - 1, column);
                cell && !cell->text().isEmpty())
                hidden_.insert({column, row}, cell->text());
    setRowCount(wanted - 1);
    for (int row = current; row < wanted; ++row)
        for (int column = 0; column < columnCount(); ++column)
            if (const QString text = hidden_.take({column, row}); !text.isEmpty())
                setItem(row - 1, column, new QTableWidgetItem(text));
}

void StringGrid::SetColWidthsFitting(const QList<int>& widths, const QStringList& widestCells,
                                     const QStringList& titles) {
    const QFontMetrics cellFont(font());
    const QFontMetrics titleFont(horizontalHeader()->font());
    const int titleMargin = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    for (int c = 0; c < widths.size() && c < columnCount(); ++c) {
        int width = widths[c];
        if (c < widestCells.size())
            width =
                std::max(width, cellFont.horizontalAdvance(widestCells[c]) + 2 * kCellTextMargin);
        if (c < titles.size())
            width = std::max(width, titleFont.horizontalAdvance(titles[c]) + titleMargin);
        setColumnWidth(c, width);
    }
}

void StringGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton)
        return event->ignore();
    QTableWidget::mousePressEvent(event);
}

void StringGrid::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() == Qt::RightButton)
        return event->ignore();
    QTableWidget::mouseMoveEvent(event);
}

void StringGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton)
        return event->ignore();
    QTableWidget::mouseReleaseEvent(event);
}

void StringGrid::SetRowHeight(int pixels) {
    verticalHeader()->setMinimumSectionSize(pixels);
    verticalHeader()->setDefaultSectionSize(pixels);
    horizontalHeader()->setFixedHeight(pixels + 1);
}

QString StringGrid::Cell(int column, int row) const {
    if (row >= RowCount())
        return hidden_.value({column, row});
    const QTableWidgetItem* cell = row == 0 ? horizontalHeaderItem(column) : item(row - 1, column);
    return cell ? cell->text() : QString();
}

void StringGrid::SetCell(int column, int row, const QString& text) {
    if (column < 0 || column >= columnCount() || row < 0)
        return;
    if (row >= RowCount()) {
        if (text.isEmpty())
            hidden_.remove({column, row});
        else
            hidden_.insert({column, row}, text);
        return;
    }
    QTableWidgetItem* cell = row == 0 ? horizontalHeaderItem(column) : item(row - 1, column);
    if (cell) {
        cell->setText(text);
        return;
    }
    if (row == 0)
        setHorizontalHeaderItem(column, new QTableWidgetItem(text));
    else
        setItem(row - 1, column, new QTableWidgetItem(text));
}

RadioGroup::RadioGroup(QWidget* parent) : QGroupBox(parent), buttons_(new QButtonGroup(this)) {
    new QGridLayout(this);
    connect(buttons_, &QButtonGroup::idClicked, this, [this] { emit Click(); });
}

void RadioGroup::setItems(const QStringList& items) {
    items_ = items;
    Rebuild();
}

void RadioGroup::setColumns(int columns) {
    columns_ = std::max(columns, 1);
    Rebuild();
}

int RadioGroup::itemIndex() const {
    return buttons_->buttons().isEmpty() ? chosen_ : buttons_->checkedId();
}

void RadioGroup::setItemIndex(int index) {
    chosen_ = index;
    if (QAbstractButton* button = buttons_->button(index)) {
        button->setChecked(true);
        return;
    }
    if (QAbstractButton* checked = buttons_->checkedButton()) {
        buttons_->setExclusive(false);
        checked->setChecked(false);
        buttons_->setExclusive(true);
    }
}

void RadioGroup::Rebuild() {
    chosen_ = itemIndex();
    for (QAbstractButton* button : buttons_->buttons()) {
        buttons_->removeButton(button);
        delete button;
    }
    auto* grid = static_cast<QGridLayout*>(layout());
    grid->setContentsMargins(8, 2, 8, 2);
    for (int i = 0; i < items_.size(); ++i) {
        auto* button = new QRadioButton(items_[i], this);
        buttons_->addButton(button, i);
        grid->addWidget(button, i / columns_, i % columns_);
    }
    setItemIndex(chosen_);
}
