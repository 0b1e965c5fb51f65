// vantrel-cli render: the Data page's picture of a file as a PNG image.
#include "app/cli/CliSupport.h"

#include "logic/SectionPainter.h"
#include "logic/SectionScrolling.h"
#include "segy/ByteSource.h"
#include "segy/DecimalText.h"
#include "segy/PosixFile.h"
#include "viewer/QtCanvas.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

// WIDTHxHEIGHT, each of 1 to 5 digits and above 0.
bool ParseSize(const std::string& text, int& width, int& height) {
    const size_t x = text.find('x');
    auto digits = [](const std::string& part) {
        return !part.empty() && part.size() <= 5 &&
               part.find_first_not_of("0123456789") == std::string::npos;
    };
    if (x == std::string::npos || !digits(text.substr(0, x)) || !digits(text.substr(x + 1)))
        return false;
    width = std::stoi(text.substr(0, x));
    height = std::stoi(text.substr(x + 1));
    return width > 0 && height > 0;
}

// An integer option; false when it is set to something else.
bool IntOption(const CommandLine& parser, const std::string& name, int& value) {
    return !parser.IsSet(name) || ParseWholeNumber(parser.Value(name), value);
}

// The index of `value` among `names` (count of them); -1 when it is none.
int NameIndex(const std::string& value, const char* const* names, int count) {
    for (int i = 0; i < count; ++i)
        if (value == names[i])
            return i;
    return -1;
}

// The display options into `display`; false (after a message) for a value
// that is no choice.
bool DisplayOptions(const CommandLine& parser, DisplaySettings& display) {
    const int mode = NameIndex(parser.Value("display"), kDisplayModeNames, 4);
    const int map = NameIndex(parser.Value("colormap"), kColourMapNames, 4);
    const int scale = NameIndex(parser.Value("normalise"), kNormalisationNames, 2);
    double clip = 0;
    const bool numeric = ParseDecimal(parser.Value("clip"), clip);
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

int RunRender(const Arguments& arguments) {
    CommandLine parser("render",
                       "Draws the Data page's plot of FILE, as the window shows it, into a PNG "
                       "image.");
    parser.AddPositional("FILE", "A SEG-Y file.");
    const std::string startSize =
        std::to_string(kStartPlotWidth) + "x" + std::to_string(kStartPlotHeight);
    const CommandLine::Option options[] = {
        {"output", "The PNG file to write.", "OUT", ""},
        {"size", "Plot size in pixels (default: the window's start size, " + startSize + ").",
         "WxH", ""},
        {"first-trace", "Horizontal scroll position: the first trace, 0-based.", "N", "0"},
        {"start-ms", "Vertical scroll position in milliseconds, 0 or more.", "T", "0"},
        {"zoom-out", "Twice the traces and twice the time.", "", ""},
        {"gain", "Plot gain, as typed in the gain box.", "G", "2.5"},
        {"label-inc", "Trace label increment (default 20).", "N", ""},
        {"upper-row", "Header grid row of the upper labels.", "R", ""},
        {"lower-row", "Header grid row of the lower labels.", "R", ""},
        {"two-byte", "Label rows count 2-byte header words.", "", ""},
        {"display", "area (variable area, the default), wiggle, density or density-wiggle.", "MODE",
         "area"},
        {"colormap", "Density colours: grey (default), seismic, red-white-black or viridis.", "MAP",
         "grey"},
        {"clip",
         "Density and wiggle amplitudes are clipped at this percentile of the magnitudes on "
         "screen (default 99).",
         "PERCENT", "99"},
        {"normalise",
         "global (one clip for the screen, the default) or trace (each trace its own).", "HOW",
         "global"},
    };
    for (const CommandLine::Option& option : options)
        parser.AddOption(option);
    AddFormatOptions(parser);
    int exitCode = kExitOk;
    if (!ParseCommand(parser, arguments, "render", exitCode))
        return exitCode;
    const std::string output = parser.Value("output");
    if (output.empty()) {
        std::fprintf(stderr, "vantrel-cli render: --output OUT.png is required\n");
        return kExitUsage;
    }

    auto state = std::make_unique<ViewerState>();
    SectionInputs in;
    in.width = kStartPlotWidth;
    in.height = kStartPlotHeight;
    if (parser.IsSet("size") && !ParseSize(parser.Value("size"), in.width, in.height)) {
        std::fprintf(stderr, "vantrel-cli render: --size takes WIDTHxHEIGHT, such as %dx%d\n",
                     kStartPlotWidth, kStartPlotHeight);
        return kExitUsage;
    }
    if (!IntOption(parser, "first-trace", in.hPosition) ||
        !IntOption(parser, "start-ms", in.vPosition) ||
        !IntOption(parser, "label-inc", state->LabelIncrement) ||
        !IntOption(parser, "upper-row", state->UpperLabelRow) ||
        !IntOption(parser, "lower-row", state->LowerLabelRow)) {
        std::fprintf(stderr, "vantrel-cli render: --first-trace, --start-ms, --label-inc, "
                             "--upper-row and --lower-row take whole numbers\n");
        return kExitUsage;
    }
    // The bars start at 0 and go no lower.
    in.hPosition = std::max(in.hPosition, 0);
    in.vPosition = std::max(in.vPosition, 0);
    in.gainText = parser.Value("gain");
    // The window keeps its last gain for a gain box that holds no number;
    // on the command line there is no last gain, so a wrong one is said.
    if (double gain = 0; parser.IsSet("gain") && !segy::ParseDecimalNumber(in.gainText, gain)) {
        std::fprintf(stderr, "vantrel-cli render: --gain takes a number, such as 2.5\n");
        return kExitUsage;
    }
    if (parser.IsSet("two-byte"))
        state->FourByteMode = 0;
    if (!DisplayOptions(parser, state->Display))
        return kExitUsage;
    ZoomBtnClick(*state, parser.IsSet("zoom-out"));

    StderrMessages messages;
    exitCode = OpenWithFormatOptions(parser, "render", *state, messages);
    if (exitCode != kExitOk)
        return exitCode;
    state->FileLoaded = 1;
    // The bars' ranges as opening the file sets them.
    in.hMaximum = TraceScrollMaximum(state->NumTraces, state->TracesPerScreen);
    in.vMaximum = RecordLengthMs(state->NumSamples, state->SampleInterval);

    // The picture never replaces the data it shows.
    if (!segy::IsLocation(state->CurrentFile) &&
        segy::IsSameLocalFile(state->CurrentFile, output)) {
        std::fprintf(stderr, "vantrel-cli render: cannot write %s: it is the SEG-Y file shown\n",
                     output.c_str());
        return kExitFileProblem;
    }
    QImage image(in.width, in.height, QImage::Format_RGB32);
    if (image.isNull()) {
        std::fprintf(stderr, "vantrel-cli render: cannot allocate a %dx%d image\n", in.width,
                     in.height);
        return kExitFileProblem;
    }
    image.fill(QGuiApplication::palette().color(QPalette::Window));
    {
        QPainter painter(&image);
        QtCanvas canvas(painter, in.width, in.height);
        PaintSection(*state, canvas, in, messages);
    }
    if (!image.save(QFile::decodeName(QByteArray::fromStdString(output)), "PNG")) {
        std::fprintf(stderr, "vantrel-cli render: cannot write %s\n", output.c_str());
        return kExitFileProblem;
    }
    return kExitOk;
}
