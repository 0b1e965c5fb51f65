// The welcome screen: the maker's logo and nine section pictures in
// rotation, links to the maker's pages, and a Continue button that appears
// after five seconds.
#pragma once

#include "ui_Splash.h"

#include <QDialog>

#include <cstdint>

class QCloseEvent;
class QLabel;
class QTimer;
class UserInterface;

constexpr int kContinueDelayMs = 5000;
constexpr int kRotationIntervalMs = 1500;
constexpr int kSplashImageCount = 10;

class TSplashFrm : public QDialog, public Ui::TSplashFrm {
    Q_OBJECT
public:
    // Links open through `userInterface`, which must outlive the dialog.
    TSplashFrm(QWidget* owner, UserInterface& userInterface);

    // Picture `number`, 1 to 10 (Image1 to Image10); nullptr outside.
    QLabel* Image(int number) const;

    int32_t CurrentImage = 0;
    int32_t LastImage = kSplashImageCount - 1;
    QTimer* Timer1;
    QTimer* Timer2;

public slots:
    void Timer1Timer();
    void Timer2Timer();
    void ContinueBtnClick();
    // Escape leaves the screen only once Continue is offered.
    void reject() override;

protected:
    // Until Continue is offered the screen cannot be closed either.
    void closeEvent(QCloseEvent* event) override;

private:
    bool MayLeave() const { return !ContinueBtn->isHidden(); }

    UserInterface& userInterface_;
};
