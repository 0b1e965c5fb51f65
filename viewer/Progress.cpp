#include "viewer/Progress.h"

#include "viewer/Fonts.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>

TIDD_PROGRESS* IDD_PROGRESS = nullptr;

namespace {
// A read of an address that waits longer than this shows the dialog.
constexpr double kSecondsBeforeWaitShows = 1.0;
} // namespace

namespace {

constexpr int kProgressFontPixels = 11;
constexpr int kProgressLeft = 343;
constexpr int kProgressTop = 146;
constexpr int kBarMinimum = 0;
constexpr int kBarMaximum = 100;
// A scan reports every few headers; repainting and pumping events more often
// than this when the bar has not moved changes nothing anyone can see.
constexpr qint64 kQuietIntervalMs = 5;

} // namespace

TIDD_PROGRESS::TIDD_PROGRESS(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                         Qt::WindowStaysOnTopHint) {
    setupUi(this);
    setObjectName(QStringLiteral("IDD_PROGRESS"));
    setModal(false);
    setFont(SansFont(kProgressFontPixels));
    setFixedSize(size());
    move(kProgressLeft, kProgressTop);
    connect(Cancel, &QPushButton::clicked, this, &TIDD_PROGRESS::CancelClick);
}

void TIDD_PROGRESS::SetProgress(int32_t percent) {
    const int position = std::clamp<int32_t>(percent, kBarMinimum, kBarMaximum);
    const bool moved = position != PBar2->value();
    PBar2->setValue(position);
    Label1->setText(QString::number(PBar2->value()) + QLatin1Char('%'));
    if (!moved && sinceEvents_.isValid() && sinceEvents_.elapsed() < kQuietIntervalMs)
        return;
    repaint();
    ProcessPendingEvents();
}

void TIDD_PROGRESS::SetProgressText(const std::string& text) {
    Prog->setText(QString::fromStdString(text));
    repaint();
}

void TIDD_PROGRESS::ProcessPendingEvents() {
    QCoreApplication::processEvents();
    sinceEvents_.start();
}

void TIDD_PROGRESS::FormShow() {
    ResetParts();
}

void TIDD_PROGRESS::FormHide() {
    ResetParts();
}

void TIDD_PROGRESS::ResetParts() {
    Prog->clear();
    for (QWidget* part : {static_cast<QWidget*>(PBar2), static_cast<QWidget*>(Label1),
                          static_cast<QWidget*>(Cancel)})
        part->setVisible(true);
    repaint();
}

// A scan cannot be cancelled; the button is there for the look of it. A
// read of an address waiting on the network can: see WaitOnNetwork.
void TIDD_PROGRESS::CancelClick() {
    cancelRequested_ = true;
}

bool TIDD_PROGRESS::WaitOnNetwork(const std::string& location, double waited) {
    // Only the window's own thread runs its events.
    if (QThread::currentThread() != thread())
        return true;
    if (waited < 0) {
        if (showingWait_) {
            showingWait_ = false;
            hide();
            setWindowModality(Qt::NonModal);
        }
        return true;
    }
    if (waited < kSecondsBeforeWaitShows)
        return true;
    if (!showingWait_ && !isVisible()) {
        showingWait_ = true;
        cancelRequested_ = false;
        // Only Cancel takes input while the window waits.
        setWindowModality(Qt::ApplicationModal);
        show();
        SetProgressText("Reading " + location);
    }
    QCoreApplication::processEvents();
    const bool goOn = !cancelRequested_;
    cancelRequested_ = false;
    return goOn;
}

void TIDD_PROGRESS::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TIDD_PROGRESS::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    FormHide();
}
