// Keeps controls at their distances to chosen edges of their parent when the
// parent is resized, as forms laid out with absolute places expect.
#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <vector>

class EdgeAnchors : public QObject {
public:
    explicit EdgeAnchors(QObject* parent = nullptr) : QObject(parent) {}

    // From now on `widget` keeps, on every resize of its parent, the
    // distances to the `edges` of the parent that it had in a parent of
    // `designParentSize`; edges not named keep its size. Without a left or
    // right edge it keeps its left distance, likewise for the top.
    void Anchor(QWidget* widget, Qt::Edges edges, QSize designParentSize);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        QPointer<QWidget> widget;
        Qt::Edges edges;
        QRect design;
        QSize designParent;
    };
    void Place(const Entry& entry, QSize parentSize) const;

    std::vector<Entry> entries_;
};
