// What the Data page's scroll bars and zoom button do to the viewer state,
// apart from the widgets: each function returns what the window must then
// do with its bars and its paint box.
#pragma once

#include "logic/ViewerState.h"

#include <cstdint>
#include <optional>

// Scroll codes, numbered as the platform's scroll messages number them.
enum class ScrollCode : int {
    SB_LINEUP = 0,
    SB_LINEDOWN = 1,
    SB_PAGEUP = 2,
    SB_PAGEDOWN = 3,
    SB_THUMBPOSITION = 4, // thumb released
    SB_THUMBTRACK = 5,    // thumb being dragged
    SB_TOP = 6,
    SB_BOTTOM = 7,
    SB_ENDSCROLL = 8,
};

struct ScrollDecision {
    // The bar's new position; the bar keeps it within its own range.
    int32_t position = 0;
    // Repaint the plot now (the thumb was released).
    bool repaintNow = false;
};

// A scroll event of HScrollBar: lowers the position to the last full
// window of traces; a released thumb repaints at once, a line, page, top or
// bottom scroll sets RepaintOnChange for the position change that follows.
// Dragging and the end of a scroll change nothing.
ScrollDecision HScrollBarScroll(ViewerState& state, ScrollCode code, int32_t position);
// The same for VScrollBar, limited to the record length minus one window.
ScrollDecision VScrollBarScroll(ViewerState& state, ScrollCode code, int32_t position);
// A position change of either bar: true when the plot must repaint.
bool VScrollBarChange(const ViewerState& state);

// Zoom table: traces and milliseconds per window and the bars' large changes.
struct ZoomSettings {
    int32_t tracesPerScreen = 0;
    int32_t msPerScreen = 0;
    int32_t hLargeChange = 0;
    int32_t vLargeChange = 0;
};
constexpr ZoomSettings kZoomIn{kDefaultTracesPerScreen, kDefaultMsPerScreen, 80, 800};
constexpr ZoomSettings kZoomOut{200, 2000, 180, 1800};
// Small changes of the bars (one trace, 100 ms).
constexpr int32_t kHSmallChange = 1;
constexpr int32_t kVSmallChange = 100;

// ZoomBtn clicked, now down (zoomed out) or up: sets TracesPerScreen and
// MsPerScreen and returns the settings whose large changes the bars take.
// The plot repaints afterwards; the page sizes follow at that paint.
ZoomSettings ZoomBtnClick(ViewerState& state, bool zoomBtnDown);

// The scroll code of a QAbstractSlider::SliderAction, for a slot on the
// bar's actionTriggered signal; nothing for SliderNoAction. SliderMove is a
// thumb drag (SB_THUMBTRACK) while the thumb is held down; otherwise it is a
// wheel step, a line scroll by the sign of `step` (the new position less
// the old). The bar's sliderReleased signal is SB_THUMBPOSITION.
// The actions a scroll bar reports, numbered as the toolkit's slider
// actions are (the window checks that they agree).
enum SliderAction : int {
    kSliderNoAction = 0,
    kSliderSingleStepAdd = 1,
    kSliderSingleStepSub = 2,
    kSliderPageStepAdd = 3,
    kSliderPageStepSub = 4,
    kSliderToMinimum = 5,
    kSliderToMaximum = 6,
    kSliderMove = 7,
};

std::optional<ScrollCode> ScrollCodeForSliderAction(int action, bool thumbDown, int32_t step);
