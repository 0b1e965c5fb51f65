// The Trace page's list box showing a trace listing: each line is made when
// the list paints it.
#pragma once

#include "viewer/Controls.h"
#include "logic/TraceListing.h"

#include <QString>

#include <utility>

class TraceListingSource final : public LineSource {
public:
    explicit TraceListingSource(TraceSampleLines lines) : lines_(std::move(lines)) {}
    int64_t LineCount() const override { return lines_.Count(); }
    QString Line(int64_t index) const override {
        return QString::fromStdString(lines_.Line(index));
    }

private:
    TraceSampleLines lines_;
};
