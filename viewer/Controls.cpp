#include "viewer/Controls.h"

#include "segy/DecimalText.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QToolTip>

#include <algorithm>
#include <climits>

PaintBox::PaintBox(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
}

void PaintBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    emit Paint(painter);
}

void PaintBox::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit MouseMoved(at.x(), at.y());
}

void PaintBox::leaveEvent(QEvent*) {
    emit MouseLeft();
}

void PaintBox::contextMenuEvent(QContextMenuEvent* event) {
    emit MenuRequested(event->pos());
}

ScrollBar::ScrollBar(QWidget* parent) : QScrollBar(parent) {
    connect(this, &QAbstractSlider::actionTriggered, this, [this] { actionSeen_ = true; });
}

// The menu's edge, page and step entries raise slider actions of their own.
void ScrollBar::contextMenuEvent(QContextMenuEvent* event) {
    actionSeen_ = false;
    const int before = value();
    QScrollBar::contextMenuEvent(event);
    if (!actionSeen_ && value() != before)
        emit PositionedFromMenu();
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
    // Qt lets Ctrl deselect the one selected item, and a click on no item
    // clear the selection; here the choice can only move to another item.
    if (!index.isValid() ||
        (command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle)))
        return QItemSelectionModel::NoUpdate;
    return command;
}

bool PasteSafeTextEdit::canInsertFromMimeData(const QMimeData* source) const {
    return source && source->hasText();
}

void PasteSafeTextEdit::insertFromMimeData(const QMimeData* source) {
    if (isReadOnly() || !canInsertFromMimeData(source))
        return;
    // Laying out a long line costs Qt time that grows with its square (a
    // megabyte on one line takes half a minute): a paste is cut at a size
    // that lays out at once, and the cut is heard.
    QString text = source->text();
    if (text.size() > kMaxPastedCharacters) {
        text.truncate(kMaxPastedCharacters);
        QApplication::beep();
    }
    insertPlainText(text);
}

LazyListBox::LazyListBox(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
}

void LazyListBox::SetLines(std::unique_ptr<LineSource> source) {
    source_ = std::move(source);
    current_ = -1;
    widest_ = 0;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    UpdateScrollBars();
    viewport()->update();
}

int LazyListBox::count() const {
    return source_ ? static_cast<int>(std::min<int64_t>(source_->LineCount(), INT_MAX)) : 0;
}

QString LazyListBox::ItemText(int row) const {
    return source_ && row >= 0 && row < count() ? source_->Line(row) : QString();
}

void LazyListBox::SetCurrentRow(int row) {
    if (count() == 0)
        return;
    current_ = std::clamp(row, 0, count() - 1);
    // Keep the chosen line in view.
    QScrollBar* bar = verticalScrollBar();
    if (current_ < bar->value())
        bar->setValue(current_);
    else if (current_ >= bar->value() + VisibleLines())
        bar->setValue(current_ - VisibleLines() + 1);
    viewport()->update();
}

void LazyListBox::scrollToBottom() {
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

int LazyListBox::LineHeight() const {
    return std::max(fontMetrics().height(), 1);
}

int LazyListBox::VisibleLines() const {
    return std::max(viewport()->height() / LineHeight(), 1);
}

void LazyListBox::UpdateScrollBars() {
    QScrollBar* vertical = verticalScrollBar();
    vertical->setPageStep(VisibleLines());
    vertical->setSingleStep(1);
    vertical->setRange(0, std::max(count() - VisibleLines(), 0));
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setPageStep(viewport()->width());
    horizontal->setSingleStep(fontMetrics().averageCharWidth());
    horizontal->setRange(0, std::max(widest_ - viewport()->width(), 0));
}

void LazyListBox::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const int height = LineHeight();
    const int first = verticalScrollBar()->value();
    const int last = std::min(count(), first + VisibleLines() + 1);
    const int left = StringGrid::kCellTextMargin - horizontalScrollBar()->value();
    int widest = widest_;
    for (int row = first; row < last; ++row) {
        const QRect line(0, (row - first) * height, viewport()->width(), height);
        const bool chosen = row == current_;
        if (chosen)
            painter.fillRect(line, palette().brush(QPalette::Highlight));
        painter.setPen(palette().color(chosen ? QPalette::HighlightedText : QPalette::Text));
        const QString text = source_->Line(row);
        painter.drawText(line.adjusted(left, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
        widest = std::max(widest,
                          fontMetrics().horizontalAdvance(text) + 2 * StringGrid::kCellTextMargin);
    }
    if (widest != widest_) {
        widest_ = widest;
        QMetaObject::invokeMethod(this, &LazyListBox::UpdateScrollBars, Qt::QueuedConnection);
    }
}

void LazyListBox::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void LazyListBox::mousePressEvent(QMouseEvent* event) {
    const int row = verticalScrollBar()->value() + event->position().toPoint().y() / LineHeight();
    if (row < count())
        SetCurrentRow(row);
}

void LazyListBox::keyPressEvent(QKeyEvent* event) {
    const int page = VisibleLines();
    switch (event->key()) {
    case Qt::Key_Up:
        return SetCurrentRow(current_ - 1);
    case Qt::Key_Down:
        return SetCurrentRow(current_ + 1);
    case Qt::Key_PageUp:
        return SetCurrentRow(current_ - page);
    case Qt::Key_PageDown:
        return SetCurrentRow(current_ + page);
    case Qt::Key_Home:
        return SetCurrentRow(0);
    case Qt::Key_End:
        return SetCurrentRow(count() - 1);
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void LazyListBox::scrollContentsBy(int, int) {
    viewport()->update();
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

bool StringGrid::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QTableWidget::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const int row = rowAt(help->pos().y()) + 1;
    const QString tip = row > 0 ? RowToolTip(row) : QString();
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), tip, viewport());
    return true;
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
