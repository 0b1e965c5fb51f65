// The Data page, the Trace page and the debug export as the user drives
// them in the real window: the plot drawn, scrolled and zoomed, the listing
// of the chosen trace, and the export button with its save dialog.
#include "logic/SectionPainter.h"
#include "logic/SectionScrolling.h"
#include "logic/TraceListing.h"
#include "tests/support/SegyWriter.h"
#include "tests/viewer/CorpusReference.h"
#include "tests/viewer/RecordingUserInterface.h"
#include "viewer/TVantrel.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const QString kProgram = QStringLiteral("vantrel");
const QString kCode = QString::fromLatin1(kLaunchCode);

// `traces` traces of `samples` samples whose values swing by +-100.
segytest::SegyWriter Section(int traces, int16_t samples, uint16_t intervalUs = 2000) {
    segytest::FileSpec spec;
    spec.numSamples = samples;
    spec.sampleIntervalUs = static_cast<int16_t>(intervalUs);
    segytest::SegyWriter writer(spec);
    for (int t = 0; t < traces; ++t) {
        segytest::TraceSpec trace;
        trace.words4 = {{1, t + 1}, {21, 5000 + t}};
        for (int i = 0; i < samples; ++i)
            trace.samples.push_back(100.0 * std::sin((i + 3 * t) * 0.2));
        writer.AddTrace(trace);
    }
    return writer;
}

// Counts the paints a widget receives.
class PaintCounter final : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == QEvent::Paint;
        return false;
    }
};

void WheelNotches(QScrollBar* bar, int notches) {
    const QPointF at(bar->width() / 2, bar->height() / 2);
    QWheelEvent wheel(at, bar->mapToGlobal(at), QPoint(), QPoint(0, -120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(bar, &wheel);
}

// Chooses "Scroll here", the first entry of the bar's context menu, at `at`.
void ScrollHere(QScrollBar* bar, QPoint at) {
    QTimer::singleShot(0, [] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            menu->setActiveAction(menu->actions().first());
            QTest::keyClick(menu, Qt::Key_Return);
        }
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, bar->mapToGlobal(at));
    QApplication::sendEvent(bar, &event);
}

int DarkPixels(const QImage& image, const QRect& area) {
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 64)
                ++dark;
    return dark;
}

} // namespace

class WindowPagesTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    RecordingUserInterface ui_;
    std::unique_ptr<TVantrel> w_;

    QString Path(const QString& name) const { return dir_.filePath(name); }

    void Open(const QString& path) {
        ui_.openAnswer = path;
        w_->SegyBrowseBtnClick();
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY(Section(30, 500).WriteTo(Path(QStringLiteral("short.sgy")).toStdString()));
        QVERIFY(Section(1000, 1500).WriteTo(Path(QStringLiteral("long.sgy")).toStdString()));
    }

    void init() {
        ui_ = RecordingUserInterface();
        w_ = std::make_unique<TVantrel>(QStringList{kProgram, QString(), kCode}, ui_);
        w_->show();
    }
    void cleanup() { w_.reset(); }

    void theDataPageDrawsTheTraces() {
        Open(Path(QStringLiteral("short.sgy")));
        w_->ActivatePage(kDataPage);
        const QImage plot = w_->PB1->grab().toImage();
        // The size the renderer draws at by default is the window's own.
        QCOMPARE(w_->PB1->size(), QSize(kStartPlotWidth, kStartPlotHeight));
        // Filled lobes inside the plot, trace-number labels above it.
        QVERIFY(DarkPixels(plot, QRect(20, 40, 300, 400)) > 2000);
        QVERIFY(DarkPixels(plot, QRect(0, 10, plot.width(), 17)) > 20);
        QCOMPARE(w_->State.Painting, 0);
        QCOMPARE(w_->State.PlotGain, 2.5);
    }

    void scrollingRepaintsOnlyWhenAsked() {
        Open(Path(QStringLiteral("long.sgy")));
        w_->ActivatePage(kDataPage);
        w_->PB1->grab();
        QCOMPARE(w_->State.RepaintOnChange, 0);

        // A line click moves one trace and asks for the repaint.
        w_->HScrollBar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(w_->HScrollBar->value(), 1);
        QCOMPARE(w_->State.RepaintOnChange, 1);
        w_->PB1->grab();
        QCOMPARE(w_->State.RepaintOnChange, 0);

        // Page clicks move by the large change and stop at the last window.
        w_->VScrollBar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(w_->VScrollBar->value(), 800);
        w_->VScrollBar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(w_->VScrollBar->value(), 1600);
        w_->VScrollBar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(w_->VScrollBar->value(), 2000); // 3000 ms record - 1000 ms window
        w_->HScrollBar->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(w_->HScrollBar->value(), 900);

        // Dragging the thumb repaints nothing; letting go does.
        w_->PB1->grab();
        w_->HScrollBar->setSliderDown(true);
        w_->HScrollBar->setSliderPosition(990);
        QCOMPARE(w_->State.RepaintOnChange, 0);
        w_->HScrollBar->setSliderDown(false);
        QCOMPARE(w_->HScrollBar->value(), 900);
    }

    void everyScrollGestureEndsWithinTheLimitAndRepaintsOnce() {
        Open(Path(QStringLiteral("long.sgy"))); // 1000 traces, 3000 ms
        w_->PageControl1->setCurrentIndex(kDataPage);
        QVERIFY(QTest::qWaitForWindowExposed(w_.get()));
        QScrollBar* h = w_->HScrollBar;
        QScrollBar* v = w_->VScrollBar;
        PaintCounter paints(w_->PB1);
        const auto paintsOf = [&](const std::function<void()>& gesture) {
            QCoreApplication::processEvents();
            paints.count = 0;
            gesture();
            QCoreApplication::processEvents();
            return paints.count;
        };

        // Two wheel notches of three traces each; the listing follows.
        QCOMPARE(paintsOf([&] { WheelNotches(h, 2); }), 1);
        QCOMPARE(h->value(), 6);
        w_->TrcSelED->setText(QStringLiteral("1"));
        QCOMPARE(w_->TrcValLB->ItemText(9).toStdString(), ListTraceSamples(w_->State, 7, *w_)[9]);
        QCOMPARE(paintsOf([&] { QTest::keyClick(h, Qt::Key_End); }), 1);
        QCOMPARE(h->value(), 900);
        paintsOf([&] { WheelNotches(h, 1); });
        QCOMPARE(h->value(), 900);
        QCOMPARE(paintsOf([&] { QTest::keyClick(h, Qt::Key_Home); }), 1);
        QCOMPARE(h->value(), 0);
        // "Scroll here" near the end asks for more than the last window.
        QCOMPARE(paintsOf([&] { ScrollHere(h, {h->width() - 20, 8}); }), 1);
        QCOMPARE(h->value(), 900);

        for (int k = 0; k < 3; ++k)
            QCOMPARE(paintsOf([&] { QTest::keyClick(v, Qt::Key_PageDown); }), 1);
        QCOMPARE(v->value(), 2000);
        QCOMPARE(paintsOf([&] { WheelNotches(v, -1); }), 1); // up 300 ms
        QCOMPARE(v->value(), 1700);
        QCOMPARE(paintsOf([&] { ScrollHere(v, {8, v->height() - 20}); }), 1);
        QCOMPARE(v->value(), 2000);

        // A dragged thumb repaints only once let go, within the limit.
        QCOMPARE(paintsOf([&] {
                     h->setSliderDown(true);
                     h->setSliderPosition(980);
                 }),
                 0);
        QCOMPARE(paintsOf([&] { h->setSliderDown(false); }), 1);
        QCOMPARE(h->value(), 900);
    }

    void zoomDoublesBothWindows() {
        Open(Path(QStringLiteral("long.sgy")));
        w_->ZoomBtn->click();
        QVERIFY(w_->ZoomBtn->isChecked());
        QCOMPARE(w_->State.TracesPerScreen, 200);
        QCOMPARE(w_->State.MsPerScreen, 2000);
        QCOMPARE(w_->HScrollBar->pageStep(), 180);
        QCOMPARE(w_->VScrollBar->pageStep(), 1800);
        w_->ZoomBtn->click();
        QCOMPARE(w_->State.TracesPerScreen, 100);
        QCOMPARE(w_->State.MsPerScreen, 1000);
        QCOMPARE(w_->HScrollBar->pageStep(), 80);
        QCOMPARE(w_->VScrollBar->pageStep(), 800);
    }

    void theTracePageListsTheChosenTrace() {
        Open(Path(QStringLiteral("short.sgy")));
        w_->TrcSelED->setText(QStringLiteral("3"));
        QCOMPARE(w_->TrcValLB->count(), 500);
        const auto expected = ListTraceSamples(w_->State, 3, *w_);
        QCOMPARE(w_->TrcValLB->ItemText(0).toStdString(), expected[0]);
        QCOMPARE(w_->TrcValLB->ItemText(499).toStdString(), expected[499]);

        // The number counts from the plot's first trace.
        Open(Path(QStringLiteral("long.sgy")));
        w_->HScrollBar->setValue(5);
        w_->TrcSelED->setText(QStringLiteral("2"));
        QCOMPARE(w_->TrcValLB->ItemText(7).toStdString(), ListTraceSamples(w_->State, 7, *w_)[7]);
        w_->UpDown1->Step(1);
        QCOMPARE(w_->TrcSelED->text(), QStringLiteral("3"));

        // Below trace 0: nothing listed, a beep.
        w_->HScrollBar->setValue(0);
        w_->TrcSelED->setText(QStringLiteral("-4"));
        QCOMPARE(w_->TrcValLB->count(), 0);
        QCOMPARE(ui_.beeps, 1);
    }

    void theWindowsListingAgreesWithTheReference() {
        const QDir corpus(QStringLiteral(VANTREL_CORPUS_DIR));
        QFile file(corpus.filePath(QStringLiteral("reference.json")));
        if (!file.open(QIODevice::ReadOnly))
            QSKIP("The shared SEG-Y corpus (../shared/segy-corpus) is not here; skipping.");
        const QJsonObject reference = QJsonDocument::fromJson(file.readAll()).object();
        for (const QString& name : reference.keys()) {
            const QJsonObject listings =
                reference.value(name).toObject().value(QStringLiteral("listing")).toObject();
            if (listings.isEmpty())
                continue;
            Open(corpus.filePath(name));
            for (const QString& trace : listings.keys()) {
                // The listing follows changes of the text only.
                w_->TrcSelED->setText(QStringLiteral("x"));
                w_->TrcSelED->setText(trace);
                QStringList shown;
                for (int i = 0; i < w_->TrcValLB->count(); ++i)
                    shown << w_->TrcValLB->ItemText(i);
                // Nothing is listed for a trace the file does not hold.
                QCOMPARE(QJsonArray::fromStringList(shown),
                         HoldsTrace(reference.value(name).toObject(), trace)
                             ? listings.value(trace).toArray()
                             : QJsonArray());
            }
        }
    }

    void theExportButtonSavesTheExcerpt() {
        Open(Path(QStringLiteral("short.sgy")));
        const QString destination = Path(QStringLiteral("debug.sgy"));
        ui_.saveAnswer = destination;
        w_->ExportDebugFileBtnClick();
        QCOMPARE(ui_.saveRequests.size(), 1);
        QCOMPARE(ui_.saveRequests[0].title, QStringLiteral("Save Segy Debug File"));
        QCOMPARE(ui_.saveRequests[0].defaultSuffix, QStringLiteral("sgy"));
        QCOMPARE(ui_.messages, QStringList{QStringLiteral("Debug file complete")});
        QCOMPARE(ui_.beeps, 1);
        QFile source(Path(QStringLiteral("short.sgy")));
        QVERIFY(source.open(QIODevice::ReadOnly));
        const QByteArray all = source.readAll();
        QFile debug(destination);
        QVERIFY(debug.open(QIODevice::ReadOnly));
        QCOMPARE(debug.readAll(), all + all.mid(all.size() / 2));

        // The selected file itself is never a destination.
        ui_.saveAnswer = Path(QStringLiteral("short.sgy"));
        w_->ExportDebugFileBtnClick();
        QVERIFY(ui_.messages.last().startsWith(QStringLiteral("Cannot create file \"")));
        QVERIFY(source.seek(0));
        QCOMPARE(source.readAll(), all);

        // Cancelled, or nothing selected: nothing is written.
        ui_.saveAnswer.clear();
        w_->ExportDebugFileBtnClick();
        QCOMPARE(ui_.messages.size(), 2);
        w_->SelectFileItem(-1);
        ui_.saveAnswer = Path(QStringLiteral("none.sgy"));
        w_->ExportDebugFileBtnClick();
        QVERIFY(!QFile::exists(ui_.saveAnswer));
        QCOMPARE(ui_.messages.size(), 2);
    }
};

QTEST_MAIN(WindowPagesTest)
#include "tst_window_pages.moc"
