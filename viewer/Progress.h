// The progress dialog of the all-traces header scan: a caption line, a bar
// and a percentage. It does not block the main window, and setting the
// percentage lets pending events run.
#pragma once

#include "segy/HeaderScan.h"
#include "ui_Progress.h"

#include <QDialog>
#include <QElapsedTimer>

#include <cstdint>

class TIDD_PROGRESS : public QDialog, public Ui::TIDD_PROGRESS, public segy::ScanProgress {
    Q_OBJECT
public:
    explicit TIDD_PROGRESS(QWidget* owner = nullptr);

    // Bar position (clamped to 0..100; 0 resets), "N%" from the bar, then a
    // repaint and the pending events.
    void SetProgress(int32_t percent) override;
    void SetProgressText(const std::string& text) override;

    void ShowProgress() override { show(); }
    void HideProgress() override { hide(); }
    void ProcessPendingEvents() override;

    // The wait hook for reads of addresses (segy::SetLocationWaitHook): after
    // a second of waiting the dialog shows which address is being read and
    // keeps the window's events running; Cancel gives the read up.
    bool WaitOnNetwork(const std::string& location, double waited);

public slots:
    void FormShow();
    void FormHide();
    void CancelClick();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Both showing and hiding start the dialog afresh: no caption, every
    // part visible.
    void ResetParts();

    QElapsedTimer sinceEvents_;
    bool cancelRequested_ = false;
    bool showingWait_ = false;
};

// The one progress dialog, created by the program's entry after the main
// window; nullptr where no dialog exists (tests, before start-up ends).
extern TIDD_PROGRESS* IDD_PROGRESS;
