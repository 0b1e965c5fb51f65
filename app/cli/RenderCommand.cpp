// vantrel-cli render: the Data page's picture of a file as a PNG image.
#include "app/cli/CliSupport.h"

#include "viewer/QtCanvas.h"
#include "logic/SectionPainter.h"
#include "logic/SectionScrolling.h"
#include "viewer/TVantrel.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

bool ParseSize(const QString& text, int& width, int& height) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    width = match.captured(1).toInt();
    height = match.captured(2).toInt();
    return width > 0 && height > 0;
}

// An integer option; false when it is set to something else.
bool IntOption(const QCommandLineParser& parser, const QString& name, int& value) {
    if (!parser.isSet(name))
        return true;
    bool numeric = false;
    value = parser.value(name).toInt(&numeric);
    return numeric;
}

// The index of `value` among `names` (count of them); -1 when it is none.
int NameIndex(const QString& value, const char* const* names, int count) {
    for (int i = 0; i < count; ++i)
        if (value == QLatin1String(names[i]))
            return i;
    return -1;
}

// The display options into `display`; false (after a message) for a value
// that is no choice.
bool DisplayOptions(const QCommandLineParser& parser, DisplaySettings& display) {
    const int mode = NameIndex(parser.value(QStringLiteral("display")), kDisplayModeNames, 4);
    const int map = NameIndex(parser.value(QStringLiteral("colormap")), kColourMapNames, 4);
    const int scale = NameIndex(parser.value(QStringLiteral("normalise")), kNormalisationNames, 2);
    bool numeric = false;
    const double clip = parser.value(QStringLiteral("clip")).toDouble(&numeric);
    if (mode < 0 || map < 0 || scale < 0 || !numeric || !(clip > 0 && clip <= 100)) {
        std::fprintf(stderr,
                     "vantrel-cli render: --display takes area, wiggle, density or "
                     "density-wiggle; --colormap grey, seismic, red-white-black or viridis; "
                     "--normalise global or trace; --clip a percentage above 0, up to 100\n");
        return false;
    }
    display.mode = static_cast<DisplayMode>(mode);
    display.colours = static_cast<ColourMap>(map);
    display.normalisation = static_cast<Normalisation>(scale);
    display.clipPercent = clip;
    return true;
}

} // namespace

int RunRender(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Draws the Data page's plot of FILE, as the window shows it, into a PNG "
                       "image."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A SEG-Y file."));
    const QSize startSize = StartPlotSize();
    parser.addOptions({
        {QStringLiteral("output"), QStringLiteral("The PNG file to write."), QStringLiteral("OUT")},
        {QStringLiteral("size"),
         QStringLiteral("Plot size in pixels (default: the window's start size, %1x%2).")
             .arg(startSize.width())
             .arg(startSize.height()),
         QStringLiteral("WxH")},
        {QStringLiteral("first-trace"),
         QStringLiteral("Horizontal scroll position: the first trace, 0-based."),
         QStringLiteral("N"), QStringLiteral("0")},
        {QStringLiteral("start-ms"),
         QStringLiteral("Vertical scroll position in milliseconds, 0 or more."),
         QStringLiteral("T"), QStringLiteral("0")},
        {QStringLiteral("zoom-out"), QStringLiteral("Twice the traces and twice the time.")},
        {QStringLiteral("gain"), QStringLiteral("Plot gain, as typed in the gain box."),
         QStringLiteral("G"), QStringLiteral("2.5")},
        {QStringLiteral("label-inc"), QStringLiteral("Trace label increment (default 20)."),
         QStringLiteral("N")},
        {QStringLiteral("upper-row"), QStringLiteral("Header grid row of the upper labels."),
         QStringLiteral("R")},
        {QStringLiteral("lower-row"), QStringLiteral("Header grid row of the lower labels."),
         QStringLiteral("R")},
        {QStringLiteral("two-byte"), QStringLiteral("Label rows count 2-byte header words.")},
        {QStringLiteral("display"),
         QStringLiteral("area (variable area, the default), wiggle, density or density-wiggle."),
         QStringLiteral("MODE"), QStringLiteral("area")},
        {QStringLiteral("colormap"),
         QStringLiteral("Density colours: grey (default), seismic, red-white-black or viridis."),
         QStringLiteral("MAP"), QStringLiteral("grey")},
        {QStringLiteral("clip"),
         QStringLiteral("Density and wiggle amplitudes are clipped at this percentile of the "
                        "magnitudes on screen (default 99)."),
         QStringLiteral("PERCENT"), QStringLiteral("99")},
        {QStringLiteral("normalise"),
         QStringLiteral("global (one clip for the screen, the default) or trace (each trace "
                        "its own)."),
         QStringLiteral("HOW"), QStringLiteral("global")},
    });
    AddFormatOptions(parser);
    int exitCode = kExitOk;
    if (!ParseCommand(parser, arguments, QStringLiteral("render"), exitCode))
        return exitCode;
    const QString output = parser.value(QStringLiteral("output"));
    if (output.isEmpty()) {
        std::fprintf(stderr, "vantrel-cli render: --output OUT.png is required\n");
        return kExitUsage;
    }

    auto state = std::make_unique<ViewerState>();
    SectionInputs in;
    in.width = startSize.width();
    in.height = startSize.height();
    if (parser.isSet(QStringLiteral("size")) &&
        !ParseSize(parser.value(QStringLiteral("size")), in.width, in.height)) {
        std::fprintf(stderr, "vantrel-cli render: --size takes WIDTHxHEIGHT, such as %dx%d\n",
                     startSize.width(), startSize.height());
        return kExitUsage;
    }
    if (!IntOption(parser, QStringLiteral("first-trace"), in.hPosition) ||
        !IntOption(parser, QStringLiteral("start-ms"), in.vPosition) ||
        !IntOption(parser, QStringLiteral("label-inc"), state->LabelIncrement) ||
        !IntOption(parser, QStringLiteral("upper-row"), state->UpperLabelRow) ||
        !IntOption(parser, QStringLiteral("lower-row"), state->LowerLabelRow)) {
        std::fprintf(stderr, "vantrel-cli render: --first-trace, --start-ms, --label-inc, "
                             "--upper-row and --lower-row take whole numbers\n");
        return kExitUsage;
    }
    // The bars start at 0 and go no lower.
    in.hPosition = std::max(in.hPosition, 0);
    in.vPosition = std::max(in.vPosition, 0);
    in.gainText = parser.value(QStringLiteral("gain")).toStdString();
    if (parser.isSet(QStringLiteral("two-byte")))
        state->FourByteMode = 0;
    if (!DisplayOptions(parser, state->Display))
        return kExitUsage;
    ZoomBtnClick(*state, parser.isSet(QStringLiteral("zoom-out")));

    StderrMessages messages;
    exitCode = OpenWithFormatOptions(parser, QStringLiteral("render"), *state, messages);
    if (exitCode != kExitOk)
        return exitCode;
    state->FileLoaded = 1;
    // The bars' ranges as opening the file sets them.
    in.hMaximum = TraceScrollMaximum(state->NumTraces, state->TracesPerScreen);
    in.vMaximum = RecordLengthMs(state->NumSamples, state->SampleInterval);

    QImage image(in.width, in.height, QImage::Format_RGB32);
    if (image.isNull()) {
        std::fprintf(stderr, "vantrel-cli render: cannot allocate a %dx%d image\n", in.width,
                     in.height);
        return kExitFileProblem;
    }
    image.fill(QApplication::palette().color(QPalette::Window));
    {
        QPainter painter(&image);
        QtCanvas canvas(painter, in.width, in.height);
        PaintSection(*state, canvas, in, messages);
    }
    if (!image.save(output, "PNG")) {
        std::fprintf(stderr, "vantrel-cli render: cannot write %s\n", qPrintable(output));
        return kExitFileProblem;
    }
    return kExitOk;
}
