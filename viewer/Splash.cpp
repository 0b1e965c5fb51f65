#include "viewer/Splash.h"

#include "viewer/Fonts.h"
#include "logic/Links.h"
#include "viewer/Pictures.h"
#include "viewer/UiSeams.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace {

constexpr int kSplashFontPixels = 13;
constexpr int kSplashTitlePixels = 15;
const QColor kLinkTextColour(0, 0, 128);

} // namespace

TSplashFrm::TSplashFrm(QWidget* owner, UserInterface& userInterface)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), Timer1(new QTimer(this)),
      Timer2(new QTimer(this)), userInterface_(userInterface) {
    setupUi(this);
    setObjectName(QStringLiteral("SplashFrm"));
    setFixedSize(size());
    setFont(SansFont(kSplashFontPixels, true));
    Label1->setFont(SansFont(kSplashTitlePixels, true));
    for (QLabel* label : {Label2, Label3, Label4, Label5}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, kLinkTextColour);
        label->setPalette(palette);
    }
    Image1->setPixmap(MakerLogo());
    for (int number = 2; number <= kSplashImageCount; ++number)
        Image(number)->setPixmap(SectionPicture(number - 2));
    for (int number = 2; number <= kSplashImageCount; ++number)
        Image(number)->hide();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    const auto openLink = [this](const char* url) {
        return [this, url] { userInterface_.OpenUrl(QUrl(QString::fromLatin1(url))); };
    };
    connect(SpeedButton1, &QPushButton::clicked, this, openLink(kMakerHomeUrl));
    connect(SpeedButton2, &QPushButton::clicked, this, openLink(kMappingInfoUrl));
    connect(SpeedButton3, &QPushButton::clicked, this, openLink(kInterpretationInfoUrl));
    connect(SpeedButton4, &QPushButton::clicked, this, openLink(kVantrelHomeUrl));
    connect(ContinueBtn, &QPushButton::clicked, this, &TSplashFrm::ContinueBtnClick);

    Timer1->setInterval(kContinueDelayMs);
    Timer2->setInterval(kRotationIntervalMs);
    connect(Timer1, &QTimer::timeout, this, &TSplashFrm::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &TSplashFrm::Timer2Timer);
    Timer1->start();
    Timer2->start();
}

QLabel* TSplashFrm::Image(int number) const {
    QLabel* const images[kSplashImageCount] = {Image1, Image2, Image3, Image4, Image5,
                                               Image6, Image7, Image8, Image9, Image10};
    return number >= 1 && number <= kSplashImageCount ? images[number - 1] : nullptr;
}

void TSplashFrm::Timer1Timer() {
    ContinueBtn->setVisible(true);
}

void TSplashFrm::Timer2Timer() {
    const int32_t k = CurrentImage;
    // Tick 0 closes the cycle: the last picture gives way to the logo.
    QLabel* leaving = Image(k == 0 ? kSplashImageCount : k);
    QLabel* coming = Image(k == 0 ? 1 : k + 1);
    if (leaving)
        leaving->hide();
    if (coming)
        coming->show();
    CurrentImage = k + 1;
    if (CurrentImage > LastImage)
        CurrentImage = 0;
}

void TSplashFrm::ContinueBtnClick() {
    done(QDialog::Accepted);
}

void TSplashFrm::reject() {
    if (MayLeave())
        QDialog::reject();
}

void TSplashFrm::closeEvent(QCloseEvent* event) {
    if (!MayLeave())
        return event->ignore();
    QDialog::closeEvent(event);
}
