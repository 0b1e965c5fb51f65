#include "viewer/EdgeAnchors.h"

#include <QEvent>

#include <algorithm>

void EdgeAnchors::Anchor(QWidget* widget, Qt::Edges edges, QSize designParentSize) {
    QWidget* parent = widget->parentWidget();
    if (!parent)
        return;
    entries_.push_back({widget, edges, widget->geometry(), designParentSize});
    parent->installEventFilter(this);
    if (parent->testAttribute(Qt::WA_Resized))
        Place(entries_.back(), parent->size());
}

bool EdgeAnchors::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        const QSize size = static_cast<QWidget*>(watched)->size();
        for (const Entry& entry : entries_) {
            if (entry.widget && entry.widget->parentWidget() == watched)
                Place(entry, size);
        }
    }
    return QObject::eventFilter(watched, event);
}

void EdgeAnchors::Place(const Entry& entry, QSize parentSize) const {
    const int dw = parentSize.width() - entry.designParent.width();
    const int dh = parentSize.height() - entry.designParent.height();
    QRect r = entry.design;
    const bool left = entry.edges.testFlag(Qt::LeftEdge);
    const bool right = entry.edges.testFlag(Qt::RightEdge);
    const bool top = entry.edges.testFlag(Qt::TopEdge);
    const bool bottom = entry.edges.testFlag(Qt::BottomEdge);
    if (right && left)
        r.setWidth(entry.design.width() + dw);
    else if (right)
        r.moveLeft(entry.design.left() + dw);
    if (bottom && top)
        r.setHeight(entry.design.height() + dh);
    else if (bottom)
        r.moveTop(entry.design.top() + dh);
    entry.widget->setGeometry(r.x(), r.y(), std::max(r.width(), 0), std::max(r.height(), 0));
}
