// vantrel-cli render as a user runs it: the picture it writes shows filled
// lobes, trace labels above the plot and timing labels beside it.
#include "logic/SectionPainter.h"
#include "tests/support/SegyWriter.h"
#include "viewer/TVantrel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace segytest;

namespace {

struct Run {
    int exitCode = -1;
    QByteArray errors;
};

Run RunCli(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(VANTREL_CLI_PATH), arguments);
    Run run;
    if (!process.waitForFinished(60000))
        return run;
    run.exitCode = process.exitCode();
    run.errors = process.readAllStandardError();
    return run;
}

// 40 traces of a 25 Hz wave with amplitudes in the hundreds, 2 ms, IBM.
std::string WriteWaves(const QTemporaryDir& dir) {
    FileSpec spec;
    spec.numSamples = 500;
    spec.sampleIntervalUs = 2000;
    SegyWriter writer(spec);
    for (int t = 0; t < 40; ++t) {
        TraceSpec trace;
        trace.words4 = {{1, t + 1}};
        for (int i = 0; i < spec.numSamples; ++i)
            trace.samples.push_back(300.0 * std::sin(i * 0.314 + t * 0.1));
        writer.AddTrace(trace);
    }
    const std::string path = dir.filePath(QStringLiteral("waves.sgy")).toStdString();
    writer.WriteTo(path);
    return path;
}

int DarkPixels(const QImage& image, const QRect& area) {
    int dark = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (qGray(image.pixel(x, y)) < 64)
                ++dark;
    return dark;
}

void CheckPicture(const QString& png, int traces) {
    QImage image(png);
    QVERIFY2(!image.isNull(), "no image written");
    // The window's own paint box at its start size.
    const QSize size(kStartPlotWidth, kStartPlotHeight);
    QCOMPARE(image.size(), size);
    const int plotRight = 20 + static_cast<int>(traces * ((size.width() - 20) / 100.0));
    // Lobes: a good part of the plot under the traces is black.
    const QRect plot(20, 31, plotRight - 20, 100);
    QVERIFY2(DarkPixels(image, plot) > plot.width() * plot.height() / 5, "no filled lobes");
    // Trace number "1" above the first tick, nothing dark far right of the
    // last trace above the plot.
    QVERIFY2(DarkPixels(image, QRect(14, 12, 12, 15)) > 3, "no trace label");
    QCOMPARE(DarkPixels(image, QRect(plotRight + 40, 0, 100, 27)), 0);
    // Timing label "0.0" left of the plot, centred on the first line.
    QVERIFY2(DarkPixels(image, QRect(0, 24, 15, 13)) > 3, "no timing label");
    // The background of the page shows where nothing is drawn.
    QVERIFY(qGray(image.pixel(size.width() - 5, 45)) > 160);
}

} // namespace

class RenderCliTest : public QObject {
    Q_OBJECT

private slots:
    void writtenFile() {
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("waves.png"));
        // As under cron or ssh: no session, and nothing on standard error.
        qunsetenv("XDG_RUNTIME_DIR");
        const Run run = RunCli({QStringLiteral("render"), QString::fromStdString(WriteWaves(dir)),
                                QStringLiteral("--output"), png});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.errors, QByteArray());
        CheckPicture(png, 40);
    }

    void corpusFile() {
        const QString small = QStringLiteral(VANTREL_CORPUS_DIR "/small.sgy");
        if (!QFileInfo::exists(small))
            QSKIP("the SEG-Y corpus is not available (" VANTREL_CORPUS_DIR ")");
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("small.png"));
        const Run run = RunCli({QStringLiteral("render"), small, QStringLiteral("--output"), png});
        QCOMPARE(run.exitCode, 0);
        CheckPicture(png, 25);
    }

    void sizeAndScrollOptions() {
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("part.png"));
        const Run run = RunCli({QStringLiteral("render"), QString::fromStdString(WriteWaves(dir)),
                                QStringLiteral("--output"), png, QStringLiteral("--size"),
                                QStringLiteral("300x200"), QStringLiteral("--start-ms"),
                                QStringLiteral("450"), QStringLiteral("--zoom-out")});
        QCOMPARE(run.exitCode, 0);
        const QImage image(png);
        QCOMPARE(image.size(), QSize(300, 200));
        QVERIFY(DarkPixels(image, QRect(20, 31, 40, 100)) > 0);
    }

    void displayOptions() {
        // Density in viridis: the colour bar's top is the map's bright end;
        // a display that is no choice is a usage error.
        QTemporaryDir dir;
        const QString file = QString::fromStdString(WriteWaves(dir));
        const QString png = dir.filePath(QStringLiteral("density.png"));
        const Run run = RunCli({QStringLiteral("render"), file, QStringLiteral("--output"), png,
                                QStringLiteral("--display"), QStringLiteral("density"),
                                QStringLiteral("--colormap"), QStringLiteral("viridis"),
                                QStringLiteral("--clip"), QStringLiteral("98"),
                                QStringLiteral("--normalise"), QStringLiteral("trace")});
        QCOMPARE(run.exitCode, 0);
        const QImage image(png);
        QCOMPARE(image.pixel(image.width() - 8, 31), qRgb(253, 231, 37));
        for (const char* wrong :
             {"--display=area2", "--colormap=jet", "--clip=0", "--clip=x", "--normalise=none"})
            QCOMPARE(RunCli({QStringLiteral("render"), file, QStringLiteral("--output"), png,
                             QString::fromLatin1(wrong)})
                         .exitCode,
                     2);
    }

    void negativeStartIsTheTop() {
        // The line of sample 0 is labelled 0.0 as at --start-ms 0.
        QTemporaryDir dir;
        const QString file = QString::fromStdString(WriteWaves(dir));
        QImage images[2];
        for (const int k : {0, 1}) {
            const QString png = dir.filePath(QStringLiteral("start%1.png").arg(k));
            QCOMPARE(RunCli({QStringLiteral("render"), file, QStringLiteral("--output"), png,
                             QStringLiteral("--start-ms"), k ? QStringLiteral("-200") : "0"})
                         .exitCode,
                     0);
            images[k] = QImage(png);
        }
        QVERIFY(!images[0].isNull());
        QCOMPARE(images[1], images[0]);
    }

    void usageErrors() {
        QTemporaryDir dir;
        const QString file = QString::fromStdString(WriteWaves(dir));
        QCOMPARE(RunCli({QStringLiteral("render"), file}).exitCode, 2);
        QCOMPARE(RunCli({QStringLiteral("render"), file, QStringLiteral("--output"),
                         dir.filePath(QStringLiteral("x.png")), QStringLiteral("--size"),
                         QStringLiteral("wide")})
                     .exitCode,
                 2);
        // A gain that is no number is refused: there is no last gain to keep.
        const Run gain = RunCli({QStringLiteral("render"), file, QStringLiteral("--output"),
                                 dir.filePath(QStringLiteral("g.png")), QStringLiteral("--gain"),
                                 QStringLiteral("2,5")});
        QCOMPARE(gain.exitCode, 2);
        QVERIFY2(gain.errors.contains("--gain takes a number"), gain.errors);
        // An image too big to allocate says so.
        const Run huge = RunCli({QStringLiteral("render"), file, QStringLiteral("--output"),
                                 dir.filePath(QStringLiteral("z.png")), QStringLiteral("--size"),
                                 QStringLiteral("99999x99999")});
        QCOMPARE(huge.exitCode, 1);
        QVERIFY2(huge.errors.contains("cannot allocate a 99999x99999 image"), huge.errors);
        // Wider than 46340 pixels, the timing lines' arithmetic passes 32
        // bits (the sanitizer run catches any overflow).
        const Run wide = RunCli({QStringLiteral("render"), file, QStringLiteral("--output"),
                                 dir.filePath(QStringLiteral("w.png")), QStringLiteral("--size"),
                                 QStringLiteral("46362x40")});
        QCOMPARE(wide.exitCode, 0);
        QCOMPARE(QImage(dir.filePath(QStringLiteral("w.png"))).width(), 46362);
        QCOMPARE(RunCli({QStringLiteral("render"), dir.filePath(QStringLiteral("none.sgy")),
                         QStringLiteral("--output"), dir.filePath(QStringLiteral("y.png"))})
                     .exitCode,
                 1);
        // The picture never takes the place of the data, under any name.
        QFile original(file);
        QVERIFY(original.open(QIODevice::ReadOnly));
        const QByteArray data = original.readAll();
        original.close();
        QVERIFY(QFile::link(file, dir.filePath(QStringLiteral("link.sgy"))));
        for (const QString& same : {file, dir.filePath(QStringLiteral("link.sgy"))}) {
            const Run over =
                RunCli({QStringLiteral("render"), file, QStringLiteral("--output"), same});
            QCOMPARE(over.exitCode, 1);
            QVERIFY2(over.errors.contains("it is the SEG-Y file shown"), over.errors);
        }
        QVERIFY(original.open(QIODevice::ReadOnly));
        QCOMPARE(original.readAll(), data);
    }
};

QTEST_MAIN(RenderCliTest)
#include "tst_render_cli.moc"
