// The Data page: the plot's paint, its scroll bars and the zoom button.
#include "viewer/TVantrel.h"

#include "segy/ByteSource.h"

#include "logic/OpenFlow.h"
#include "logic/SectionPainter.h"
#include "logic/SectionScrolling.h"
#include "viewer/QtCanvas.h"

#include <QAbstractSlider>
#include <QActionGroup>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QPainter>

namespace {

// The logic numbers the scroll bars' actions as the toolkit does.
constexpr bool SameAction(SliderAction ours, QAbstractSlider::SliderAction theirs) {
    return static_cast<int>(ours) == static_cast<int>(theirs);
}
static_assert(SameAction(kSliderSingleStepAdd, QAbstractSlider::SliderSingleStepAdd) &&
              SameAction(kSliderSingleStepSub, QAbstractSlider::SliderSingleStepSub) &&
              SameAction(kSliderPageStepAdd, QAbstractSlider::SliderPageStepAdd) &&
              SameAction(kSliderPageStepSub, QAbstractSlider::SliderPageStepSub) &&
              SameAction(kSliderToMinimum, QAbstractSlider::SliderToMinimum) &&
              SameAction(kSliderToMaximum, QAbstractSlider::SliderToMaximum) &&
              SameAction(kSliderMove, QAbstractSlider::SliderMove));

// The readout box's gap from the plot's lower left corner, pixels.
constexpr int kReadoutMargin = 4;

} // namespace

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
    // While the user reads what an earlier paint said, the paints that its
    // message box lets run say nothing more.
    segy::SilentMessages quiet;
    segy::ClearLocationReadFailure();
    PaintSection(State, canvas, in,
                 reportingPaint_ ? static_cast<segy::UserMessages&>(quiet) : paintMessages_);
    // A read of an address that failed drew zeros where its traces are.
    if (!segy::LocationReadFailure().empty() && !reportingPaint_)
        paintMessages_.ShowMessage(segy::LocationReadFailure());
    segy::ClearLocationReadFailure();
    // The messages are shown once the paint event is over and its painter
    // has ended, never inside it.
    if (!paintMessages_.Empty() && !paintReportQueued_) {
        paintReportQueued_ = true;
        QMetaObject::invokeMethod(this, &TVantrel::ReportPaintMessages, Qt::QueuedConnection);
    }
}

void TVantrel::ReportPaintMessages() {
    paintReportQueued_ = false;
    reportingPaint_ = true;
    paintMessages_.DeliverTo(*this);
    reportingPaint_ = false;
}

template <typename Decide>
void TVantrel::ScrollBarEvent(QScrollBar* bar, int action, Decide decide) {
    const std::optional<ScrollCode> code =
        action == kThumbReleased ? std::optional(ScrollCode::SB_THUMBPOSITION)
                                 : ScrollCodeForSliderAction(action, bar->isSliderDown(),
                                                             bar->sliderPosition() - bar->value());
    if (!code)
        return;
    const ScrollDecision decision = decide(State, *code, bar->sliderPosition());
    // Inside a slider action the bar then takes this value as the action's
    // end; outside one (a released thumb, the menu) it is the end itself.
    if (decision.position != bar->sliderPosition())
        bar->setValue(decision.position);
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

void TVantrel::SetTraceScrollRange() {
    // The bar reaches exactly the first traces the plot can show, up to the
    // last whole window, so its thumb's track spans them all. A Qt bar's
    // page step is its large change, not the window.
    HScrollBar->setMaximum(TraceScrollMaximum(State.NumTraces, State.TracesPerScreen));
}

void TVantrel::ZoomBtnClick() {
    const ZoomSettings zoom = ::ZoomBtnClick(State, ZoomBtn->isChecked());
    SetTraceScrollRange();
    HScrollBar->setPageStep(zoom.hLargeChange);
    VScrollBar->setPageStep(zoom.vLargeChange);
    RepaintPlot();
}

void TVantrel::SetUpPlotMenu() {
    PlotMenu = new QMenu(PB1);
    PlotMenu->setObjectName(QStringLiteral("PlotMenu"));
    const auto group = [this](const QString& title) {
        PlotMenu->addSection(title);
        auto* actions = new QActionGroup(PlotMenu);
        actions->setExclusive(true);
        return actions;
    };
    // Each item sets one choice and repaints; the items carry their index.
    const auto add = [this](QActionGroup* actions, const char* text, auto choose) {
        QAction* action = PlotMenu->addAction(QString::fromLatin1(text));
        action->setCheckable(true);
        actions->addAction(action);
        connect(action, &QAction::triggered, this, [this, choose] {
            choose(State.Display);
            RepaintPlot();
        });
        return action;
    };
    QActionGroup* modes = group(QStringLiteral("Display"));
    for (int i = 0; i < 4; ++i)
        add(modes, kDisplayModeTexts[i],
            [i](DisplaySettings& d) { d.mode = static_cast<DisplayMode>(i); });
    QActionGroup* maps = group(QStringLiteral("Colours"));
    for (int i = 0; i < 4; ++i)
        add(maps, kColourMapTexts[i],
            [i](DisplaySettings& d) { d.colours = static_cast<ColourMap>(i); });
    QActionGroup* clips = group(QStringLiteral("Clip"));
    for (const double clip : kClipChoices) {
        const std::string text = "Clip at " + FormatGeneralFloat(clip) + "%";
        add(clips, text.c_str(), [clip](DisplaySettings& d) { d.clipPercent = clip; });
    }
    QActionGroup* scales = group(QStringLiteral("Normalise"));
    for (int i = 0; i < 2; ++i)
        add(scales, kNormalisationTexts[i],
            [i](DisplaySettings& d) { d.normalisation = static_cast<Normalisation>(i); });
    CheckPlotMenu();

    ReadoutLbl = new QLabel(PB1);
    ReadoutLbl->setObjectName(QStringLiteral("ReadoutLbl"));
    ReadoutLbl->setStyleSheet(
        QStringLiteral("QLabel { background: white; color: black; border: 1px solid black; "
                       "padding: 2px; }"));
    ReadoutLbl->setAttribute(Qt::WA_TransparentForMouseEvents);
    ReadoutLbl->hide();
}

void TVantrel::CheckPlotMenu() {
    const DisplaySettings& d = State.Display;
    for (QAction* action : PlotMenu->actions()) {
        const QString text = action->text();
        if (!action->isCheckable())
            continue;
        bool on = false;
        for (int i = 0; i < 4; ++i) {
            on = on || (text == QLatin1String(kDisplayModeTexts[i]) &&
                        d.mode == static_cast<DisplayMode>(i));
            on = on || (text == QLatin1String(kColourMapTexts[i]) &&
                        d.colours == static_cast<ColourMap>(i));
        }
        for (int i = 0; i < 2; ++i)
            on = on || (text == QLatin1String(kNormalisationTexts[i]) &&
                        d.normalisation == static_cast<Normalisation>(i));
        on = on ||
             text == QString::fromStdString("Clip at " + FormatGeneralFloat(d.clipPercent) + "%");
        action->setChecked(on);
    }
}

void TVantrel::PB1Menu(const QPoint& at) {
    CheckPlotMenu();
    PlotMenu->popup(PB1->mapToGlobal(at));
}

void TVantrel::PB1MouseMove(int x, int y) {
    const std::vector<std::string> lines = ReadoutLines(State, x, y);
    if (lines.empty()) {
        ReadoutLbl->hide();
        return;
    }
    QString text;
    for (const std::string& line : lines)
        text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + QString::fromStdString(line);
    ReadoutLbl->setText(text);
    ReadoutLbl->adjustSize();
    ReadoutLbl->move(kReadoutMargin, PB1->height() - ReadoutLbl->height() - kReadoutMargin);
    ReadoutLbl->show();
}

void TVantrel::PB1MouseLeave() {
    ReadoutLbl->hide();
}
