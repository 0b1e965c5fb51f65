// Small controls the forms need and Qt has no exact match for: a paint box
// that hands its painter to a handler, an up-down pair of arrows attached to
// an edit, a string grid addressed by column and row with a fixed title row,
// a radio group with an item index, and an edit that reports losing focus.
#pragma once

#include <QAbstractScrollArea>
#include <QGroupBox>
#include <QHash>
#include <QLineEdit>
#include <QListWidget>
#include <QPair>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStringList>
#include <QTableWidget>
#include <QWidget>

#include <cstdint>
#include <memory>

class QButtonGroup;
class QPainter;
class QToolButton;

class PaintBox : public QWidget {
    Q_OBJECT
public:
    explicit PaintBox(QWidget* parent = nullptr);
signals:
    void Paint(QPainter& painter);
    // The mouse over the box, with no button needed; and its leaving.
    void MouseMoved(int x, int y);
    void MouseLeft();
    // A right click (or the menu key) at `at`, in the box's coordinates.
    void MenuRequested(const QPoint& at);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
};

// A scroll bar that also reports the position its context menu's "Scroll
// here" sets: Qt sets it without any slider action, so nothing else says
// that the user moved the bar.
class ScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit ScrollBar(QWidget* parent = nullptr);
signals:
    void PositionedFromMenu();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    bool actionSeen_ = false;
};

// An edit whose Exit signal fires when it loses the input focus.
class ExitLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit ExitLineEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}
signals:
    void Exit();

protected:
    void focusOutEvent(QFocusEvent* event) override;
};

// A list box with one selected item that the user can move but never
// remove: Ctrl+click or Ctrl+Space on the selected item, or a click below
// the last item, leaves it selected. Code may still clear the selection.
class SingleChoiceListBox : public QListWidget {
    Q_OBJECT
public:
    explicit SingleChoiceListBox(QWidget* parent = nullptr);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
};

// A plain text memo that survives every paste and drop. Qt 6.4's own insert
// crashes on the X selection when nothing is selected (a middle click, the
// habit of every Linux user) and on an empty clipboard; here only plain
// text is ever inserted, read from a source that holds some.
class PasteSafeTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit PasteSafeTextEdit(QWidget* parent = nullptr) : QPlainTextEdit(parent) {}

    // The most one paste or drop inserts; the rest is left out.
    static constexpr qsizetype kMaxPastedCharacters = 65536;

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};

// The lines of a list that makes each line when it is shown: a list of
// millions of lines costs only the lines on screen.
class LineSource {
public:
    virtual ~LineSource() = default;
    virtual int64_t LineCount() const = 0;
    virtual QString Line(int64_t index) const = 0;
};

// A read-only list box over a LineSource that paints the lines in view and
// nothing else, so its memory does not grow with the number of lines (a
// Qt item view keeps a position per row). A click or the keys choose the
// current line; the vertical bar counts lines, up to INT_MAX of them.
class LazyListBox : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit LazyListBox(QWidget* parent = nullptr);

    // Shows `source`'s lines (none for null), in place of the ones shown,
    // from the top.
    void SetLines(std::unique_ptr<LineSource> source);
    int count() const;
    QString ItemText(int row) const;
    // The chosen line, -1 for none.
    int CurrentRow() const { return current_; }
    void SetCurrentRow(int row);
    void scrollToBottom();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int LineHeight() const;
    int VisibleLines() const;
    void UpdateScrollBars();

    std::unique_ptr<LineSource> source_;
    int current_ = -1;
    int widest_ = 0; // the widest line painted so far, for the sideways bar
};

// Two arrows that step a position between limits and write it into the
// attached edit as a plain decimal number. A step starts from the number the
// edit holds, so typing and stepping agree.
class UpDown : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(int position READ position WRITE setPosition)
public:
    explicit UpDown(QWidget* parent = nullptr);

    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    int position() const { return position_; }
    void setMinimum(int value);
    void setMaximum(int value);
    // Sets the position (clamped to the limits) without touching the edit.
    void setPosition(int value);
    void SetAssociate(QLineEdit* edit) { associate_ = edit; }
    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

    // One arrow click: +1 or -1.
    void Step(int delta);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    int minimum_ = 0;
    int maximum_ = 100;
    int position_ = 0;
    QLineEdit* associate_ = nullptr;
    QToolButton* up_;
    QToolButton* down_;
};

// A table of text cells addressed as (column, row) where row 0 is the fixed
// title row (shown as the header, so it stays in view) and RowCount counts it.
class StringGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit StringGrid(QWidget* parent = nullptr);

    int ColCount() const { return columnCount(); }
    void SetColCount(int columns);
    int RowCount() const { return rowCount() + 1; }
    // `rows` includes the title row; at least the title row stays.
    void SetRowCount(int rows);
    void SetRowHeight(int pixels);

    // Cells of rows beyond the row count keep their text, as in a sparse
    // grid: dropping rows and adding them again brings the texts back.
    QString Cell(int column, int row) const;
    void SetCell(int column, int row, const QString& text);

    // Pixels between a cell's left edge and its text, as in a grid that
    // draws each text two pixels in; texts are never elided.
    static constexpr int kCellTextMargin = 2;
    // The tooltip of each row below the title row, row 1 first; a row
    // without one shows none.
    void SetRowToolTips(const QStringList& tips) { rowToolTips_ = tips; }
    QString RowToolTip(int row) const { return rowToolTips_.value(row - 1); }

    // Widens each column just enough that its widest cell text and its
    // title read whole in the grid's fonts, never narrowing below `widths`.
    void SetColWidthsFitting(const QList<int>& widths, const QStringList& widestCells,
                             const QStringList& titles);

protected:
    // A right click opens the popup menu and leaves the current cell and
    // the selection where the left clicks and keys put them.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    QHash<QPair<int, int>, QString> hidden_; // (column, row) beyond the count
    QStringList rowToolTips_;
};

// A framed group of radio buttons in columns with one chosen item.
class RadioGroup : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(QStringList items READ items WRITE setItems)
    Q_PROPERTY(int columns READ columns WRITE setColumns)
    Q_PROPERTY(int itemIndex READ itemIndex WRITE setItemIndex)
public:
    explicit RadioGroup(QWidget* parent = nullptr);

    QStringList items() const { return items_; }
    void setItems(const QStringList& items);
    int columns() const { return columns_; }
    void setColumns(int columns);
    // The chosen item, -1 for none.
    int itemIndex() const;
    void setItemIndex(int index);
signals:
    // The user clicked an item.
    void Click();

private:
    void Rebuild();

    QStringList items_;
    int columns_ = 1;
    // The chosen item while there are no buttons yet to hold it.
    int chosen_ = -1;
    QButtonGroup* buttons_;
};
