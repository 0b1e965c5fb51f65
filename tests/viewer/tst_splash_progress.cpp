// The welcome screen's rotation and Continue button, driven tick by tick,
// and the progress dialog's bar and texts.
#include "tests/viewer/RecordingUserInterface.h"
#include "viewer/Progress.h"
#include "viewer/Splash.h"

#include <QTest>
#include <QTimer>

namespace {

// Number of the one picture showing, 0 when none or several show.
int ShowingImage(const TSplashFrm& splash) {
    int showing = 0;
    for (int number = 1; number <= kSplashImageCount; ++number) {
        if (splash.Image(number)->isVisibleTo(&splash)) {
            if (showing != 0)
                return 0;
            showing = number;
        }
    }
    return showing;
}

} // namespace

class SplashProgressTest : public QObject {
    Q_OBJECT

private slots:
    void welcomeScreenStartsWithTheLogo() {
        RecordingUserInterface ui;
        TSplashFrm splash(nullptr, ui);
        QCOMPARE(splash.size(), QSize(691, 485));
        QVERIFY(splash.windowTitle().isEmpty());
        QVERIFY(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(splash.CurrentImage, 0);
        QCOMPARE(splash.LastImage, 9);
        QCOMPARE(ShowingImage(splash), 1);
        QCOMPARE(splash.Image(1)->pixmap().size(), QSize(250, 238));
        QCOMPARE(splash.Image(2)->pixmap().size(), QSize(340, 350));
        QCOMPARE(splash.Image(10)->geometry(), QRect(304, 68, 373, 357));
        QVERIFY(!splash.ContinueBtn->isVisibleTo(&splash));
        QVERIFY(!splash.Label5->isVisibleTo(&splash));
        QVERIFY(splash.Label3->text().endsWith(QStringLiteral("click here.")));
        QVERIFY(splash.Label4->text().endsWith(QStringLiteral("click here.")));
        QCOMPARE(splash.Timer1->interval(), 5000);
        QCOMPARE(splash.Timer2->interval(), 1500);
        QVERIFY(splash.Timer1->isActive());
        QVERIFY(splash.Timer2->isActive());
        QCOMPARE(splash.font().pixelSize(), 13);
        QVERIFY(splash.font().bold());
    }

    void picturesRotateLogoFirstThenTwoToTen() {
        RecordingUserInterface ui;
        TSplashFrm splash(nullptr, ui);
        // The first tick shows the logo again, so it stays for two ticks.
        const int expected[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 1};
        int tick = 0;
        for (const int number : expected) {
            splash.Timer2Timer();
            ++tick;
            QVERIFY2(ShowingImage(splash) == number, qPrintable(QString::number(tick)));
            QCOMPARE(splash.CurrentImage, tick % 10);
        }
    }

    void continueAppearsAtTheFirstContinueTickAndStays() {
        RecordingUserInterface ui;
        TSplashFrm splash(nullptr, ui);
        for (int i = 0; i < 3; ++i)
            splash.Timer2Timer();
        QVERIFY(!splash.ContinueBtn->isVisibleTo(&splash));
        splash.Timer1Timer();
        QVERIFY(splash.ContinueBtn->isVisibleTo(&splash));
        splash.Timer1Timer();
        QVERIFY(splash.ContinueBtn->isVisibleTo(&splash));
        QVERIFY(splash.Timer1->isActive());
        splash.ContinueBtn->click();
        QCOMPARE(splash.result(), int(QDialog::Accepted));
    }

    void linkButtonsOpenTheMakersPages() {
        RecordingUserInterface ui;
        TSplashFrm splash(nullptr, ui);
        splash.SpeedButton1->click();
        splash.SpeedButton2->click();
        splash.SpeedButton3->click();
        QCOMPARE(ui.urls.size(), 3);
        QCOMPARE(ui.urls[0], QUrl(QStringLiteral("https://www.orbenza.example/")));
        for (const QUrl& url : ui.urls)
            QVERIFY(url.host().endsWith(QStringLiteral(".example")));
        QCOMPARE(splash.SpeedButton1->cursor().shape(), Qt::PointingHandCursor);
    }

    void progressDialogLayout() {
        TIDD_PROGRESS progress;
        QCOMPARE(progress.windowTitle(), QStringLiteral("Halvorn Progress"));
        QCOMPARE(progress.size(), QSize(288, 117));
        QVERIFY(!progress.isModal());
        QVERIFY(progress.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!progress.isVisible());
        QVERIFY(progress.Prog->text().isEmpty());
        QVERIFY(progress.Label1->text().isEmpty());
        QCOMPARE(progress.PBar2->minimum(), 0);
        QCOMPARE(progress.PBar2->maximum(), 100);
        QCOMPARE(progress.Cancel->text(), QStringLiteral("Cancel"));
    }

    void setProgress_data() {
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("bar");
        QTest::addColumn<QString>("text");
        QTest::newRow("reset") << 0 << 0 << "0%";
        QTest::newRow("one") << 1 << 1 << "1%";
        QTest::newRow("part") << 37 << 37 << "37%";
        QTest::newRow("full") << 100 << 100 << "100%";
        QTest::newRow("past the end") << 150 << 100 << "100%";
        QTest::newRow("below zero") << -5 << 0 << "0%";
    }

    void setProgress() {
        QFETCH(int, percent);
        QFETCH(int, bar);
        QFETCH(QString, text);
        TIDD_PROGRESS progress;
        progress.SetProgress(50);
        progress.SetProgress(percent);
        QCOMPARE(progress.PBar2->value(), bar);
        QCOMPARE(progress.Label1->text(), text);
        // A repeated value right away still shows the same.
        progress.SetProgress(percent);
        QCOMPARE(progress.Label1->text(), text);
    }

    void scanUseShowsCaptionAndHidesAtTheEnd() {
        TIDD_PROGRESS progress;
        segy::ScanProgress& scan = progress;
        scan.ShowProgress();
        QVERIFY(progress.isVisible());
        scan.SetProgress(0);
        scan.SetProgressText("Scan Headers of 2000 Traces");
        QCOMPARE(progress.Prog->text(), QStringLiteral("Scan Headers of 2000 Traces"));
        scan.SetProgress(40);
        progress.Cancel->click();
        QCOMPARE(progress.PBar2->value(), 40);
        QVERIFY(progress.isVisible());
        scan.HideProgress();
        QVERIFY(!progress.isVisible());
        QVERIFY(progress.Prog->text().isEmpty());
        scan.SetProgressText("");
        scan.SetProgress(0);
        QCOMPARE(progress.Label1->text(), QStringLiteral("0%"));
        scan.ShowProgress();
        QVERIFY(progress.Prog->text().isEmpty());
        QVERIFY(progress.PBar2->isVisible() && progress.Label1->isVisible());
        QVERIFY(progress.Cancel->isVisible());
    }
};

QTEST_MAIN(SplashProgressTest)
#include "tst_splash_progress.moc"
