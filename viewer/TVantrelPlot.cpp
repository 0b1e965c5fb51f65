// The Data page: the plot's paint, its scroll bars and the zoom button.
#include "viewer/TVantrel.h"

#include "viewer/QtCanvas.h"
#include "viewer/SectionPainter.h"
#include "viewer/SectionScrolling.h"

#include <QPainter>

void TVantrel::PB1Paint(QPainter& painter) {
    const SectionInputs in{PB1->width(),
                           PB1->height(),
                           HScrollBar->value(),
                           HScrollBar->maximum(),
                           VScrollBar->value(),
                           VScrollBar->maximum(),
                           GainED->text().toStdString()};
    QtCanvas canvas(painter, in.width, in.height);
    // The page sizes the paint sets only bound the thumbs' reach, which the
    // scroll handlers bound already; a Qt bar's page step is its large change.
    PaintSection(State, canvas, in, *this);
}

template <typename Decide>
void TVantrel::ScrollBarEvent(QScrollBar* bar, int action, Decide decide) {
    const std::optional<ScrollCode> code = action == kThumbReleased
                                               ? std::optional(ScrollCode::SB_THUMBPOSITION)
                                               : ScrollCodeForSliderAction(action);
    if (!code)
        return;
    const ScrollDecision decision = decide(State, *code, bar->sliderPosition());
    if (decision.position != bar->sliderPosition())
        bar->setSliderPosition(decision.position);
    if (decision.repaintNow)
        RepaintPlot();
}

void TVantrel::HScrollBarScroll(int action) {
    ScrollBarEvent(HScrollBar, action, ::HScrollBarScroll);
}

void TVantrel::VScrollBarScroll(int action) {
    ScrollBarEvent(VScrollBar, action, ::VScrollBarScroll);
}

void TVantrel::VScrollBarChange() {
    if (::VScrollBarChange(State))
        RepaintPlot();
}

void TVantrel::ZoomBtnClick() {
    const ZoomSettings zoom = ::ZoomBtnClick(State, ZoomBtn->isChecked());
    HScrollBar->setPageStep(zoom.hLargeChange);
    VScrollBar->setPageStep(zoom.vLargeChange);
    RepaintPlot();
}
