#include "logic/SectionScrolling.h"

#include "logic/OpenFlow.h"

namespace {

ScrollDecision Scroll(ViewerState& state, ScrollCode code, int32_t position, int64_t limit) {
    ScrollDecision decision{position, false};
    if (code == ScrollCode::SB_THUMBTRACK || code == ScrollCode::SB_ENDSCROLL)
        return decision;
    if (decision.position > limit)
        decision.position = static_cast<int32_t>(limit);
    if (code == ScrollCode::SB_THUMBPOSITION)
        decision.repaintNow = true;
    else
        state.RepaintOnChange = 1;
    return decision;
}

} // namespace

ScrollDecision HScrollBarScroll(ViewerState& state, ScrollCode code, int32_t position) {
    return Scroll(state, code, position,
                  static_cast<int64_t>(state.NumTraces) - state.TracesPerScreen);
}

ScrollDecision VScrollBarScroll(ViewerState& state, ScrollCode code, int32_t position) {
    return Scroll(state, code, position,
                  static_cast<int64_t>(RecordLengthMs(state.NumSamples, state.SampleInterval)) -
                      state.MsPerScreen);
}

bool VScrollBarChange(const ViewerState& state) {
    return state.RepaintOnChange != 0;
}

ZoomSettings ZoomBtnClick(ViewerState& state, bool zoomBtnDown) {
    const ZoomSettings zoom = zoomBtnDown ? kZoomOut : kZoomIn;
    state.TracesPerScreen = zoom.tracesPerScreen;
    state.MsPerScreen = zoom.msPerScreen;
    return zoom;
}

std::optional<ScrollCode> ScrollCodeForSliderAction(int action, bool thumbDown, int32_t step) {
    switch (action) {
    case kSliderSingleStepAdd:
        return ScrollCode::SB_LINEDOWN;
    case kSliderSingleStepSub:
        return ScrollCode::SB_LINEUP;
    case kSliderPageStepAdd:
        return ScrollCode::SB_PAGEDOWN;
    case kSliderPageStepSub:
        return ScrollCode::SB_PAGEUP;
    case kSliderToMinimum:
        return ScrollCode::SB_TOP;
    case kSliderToMaximum:
        return ScrollCode::SB_BOTTOM;
    case kSliderMove:
        if (thumbDown)
            return ScrollCode::SB_THUMBTRACK;
        return step < 0 ? ScrollCode::SB_LINEUP : ScrollCode::SB_LINEDOWN;
    default:
        return std::nullopt;
    }
}
