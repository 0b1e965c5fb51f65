// vantrel-cli scan: the trace header scan and the header grid.
#include "app/cli/CliSupport.h"

#include "segy/ByteSource.h"
#include "segy/TraceHeaderFields.h"

#include "app/cli/Json.h"
#include "remote/RemoteFile.h"

#include <cstdio>
#include <memory>

namespace {

Json ToJson(const int32_t* values, int count) {
    Json array = Json::Array();
    for (int i = 0; i < count; ++i)
        array.Append(values[i]);
    return array;
}

bool ModeFromName(const std::string& name, int32_t& mode) {
    static const char* const kNames[] = {"all", "first", "second", "last", "selected"};
    for (int32_t m = segy::kScanAll; m <= segy::kScanSelected; ++m)
        if (name == kNames[m]) {
            mode = m;
            return true;
        }
    return false;
}

// Every standard field with its name, bytes, extremes and the traces that
// first hold them (0-based); scaled extremes where the field's scalar is
// the same in every header scanned.
Json CharacterJson(const segy::HeaderInspection& inspection, int word) {
    const segy::WordCharacter& c = inspection.Character(word);
    Json object = Json::Object();
    object["Kind"] = std::string(segy::CharacterKindName(c.kind));
    object["Text"] = (segy::DescribeCharacter(c, inspection.Min(word), inspection.Max(word)));
    object["Distinct"] = static_cast<int64_t>(c.distinct);
    if (c.kind == segy::CharacterKind::Increasing || c.kind == segy::CharacterKind::Decreasing)
        object["Strict"] = c.strict;
    if (c.step)
        object["Step"] = static_cast<int64_t>(c.step);
    if (c.every)
        object["Every"] = static_cast<int64_t>(c.every);
    if (c.kind == segy::CharacterKind::Cycle) {
        object["Period"] = static_cast<int64_t>(c.period);
        object["Restarts"] = static_cast<int64_t>(c.restarts);
    }
    if (c.scaled)
        object["ScalarChanges"] = c.scalarChanges;
    return object;
}

Json AxisJson(const segy::KeyAxis& axis) {
    Json object = Json::Object();
    object["FirstByte"] = axis.firstByte;
    object["First"] = axis.first;
    object["Last"] = axis.last;
    object["Step"] = static_cast<int64_t>(axis.step);
    object["Count"] = static_cast<int64_t>(axis.count);
    return object;
}

Json GeometryJson(const segy::SurveyGeometry& g) {
    Json object = Json::Object();
    object["Kind"] = (g.kind);
    object["Why"] = (g.why);
    if (g.kind == "3D") {
        object["Inline"] = AxisJson(g.inlineKey);
        object["Crossline"] = AxisJson(g.crosslineKey);
        object["GridTraces"] = static_cast<int64_t>(g.gridTraces);
        object["MissingTraces"] = static_cast<int64_t>(g.missingTraces);
        if (g.hasCorners) {
            Json corners = Json::Array();
            for (const auto& corner : g.corners) {
                Json point = Json::Array();
                point.Append(corner[0]);
                point.Append(corner[1]);
                corners.Append(point);
            }
            object["Corners"] = corners;
            object["CornersIn"] = std::string(
                segy::CoordinatePairName(static_cast<segy::CoordinatePair>(g.cornerPair)));
        }
    } else if (g.kind == "2D") {
        object["Line"] = AxisJson(g.lineKey);
    } else if (g.kind == "prestack") {
        object["Gather"] = AxisJson(g.lineKey);
    }
    Json extents = Json::Object();
    for (int p = 0; p < segy::kCoordinatePairs; ++p) {
        const segy::AreaExtent& e = g.extents[p];
        if (!e.known)
            continue;
        Json extent = Json::Object();
        extent["MinX"] = e.minX;
        extent["MaxX"] = e.maxX;
        extent["MinY"] = e.minY;
        extent["MaxY"] = e.maxY;
        extent["ScalarChanges"] = e.scalarChanges;
        extents[segy::CoordinatePairName(static_cast<segy::CoordinatePair>(p))] = extent;
    }
    object["Extents"] = extents;
    return object;
}

Json FieldsJson(const segy::HeaderScanTables& tables, const segy::HeaderInspection& inspection) {
    Json fields = Json::Array();
    for (const segy::TraceHeaderField& field : segy::StandardTraceHeaderFields()) {
        const segy::TableExtremes extremes = segy::ExtremesAt(tables, field.firstByte, field.type);
        Json object = Json::Object();
        object["Name"] = std::string(field.name);
        Json aliases = Json::Array();
        if (!field.aliases.empty())
            aliases.Append(std::string(field.aliases));
        object["Aliases"] = aliases;
        object["FirstByte"] = field.firstByte;
        object["LastByte"] = field.LastByte();
        object["Type"] = field.type == segy::FieldType::Int32 ? "int32" : "int16";
        object["Min"] = extremes.min;
        object["Max"] = extremes.max;
        object["MinTrace"] = static_cast<int64_t>(extremes.minTrace);
        object["MaxTrace"] = static_cast<int64_t>(extremes.maxTrace);
        const int word = segy::InspectedWordIndex(field.firstByte, field.type);
        if (inspection.Finished() && word >= 0 && inspection.Character(word).scaled) {
            // Each trace's value with that trace's scalar.
            object["ScaledMin"] = inspection.Character(word).scaledMin;
            object["ScaledMax"] = inspection.Character(word).scaledMax;
        } else if (const segy::TraceHeaderField* scalar =
                       segy::FieldStartingAt(segy::ScalarFieldByte(field.scalar))) {
            const segy::TableExtremes factor =
                segy::ExtremesAt(tables, scalar->firstByte, scalar->type);
            if (factor.min == factor.max && extremes.minTrace >= 0) {
                const double a = segy::ApplyScalar(extremes.min, factor.min);
                const double b = segy::ApplyScalar(extremes.max, factor.min);
                object["ScaledMin"] = std::min(a, b);
                object["ScaledMax"] = std::max(a, b);
            }
        }
        if (inspection.Finished() && word >= 0)
            object["Character"] = CharacterJson(inspection, word);
        fields.Append(object);
    }
    return fields;
}

} // namespace

int RunScan(const Arguments& arguments) {
    CommandLine parser("scan",
                       "Scans the trace headers of FILE and prints the minimum and maximum of "
                       "every header location as the Header page's grid shows them.");
    parser.AddPositional("FILE", "A SEG-Y file.");
    parser.AddOption({"mode", "Traces to scan: all, first, second, last or selected (default all).",
                      "mode", "all"});
    parser.AddOption(
        {"trace", "The selected trace, 1-based, for --mode selected (default 1).", "N", "1"});
    parser.AddOption({"two-byte", "Show the 2-byte table.", "", ""});
    parser.AddOption({"json",
                      "Print one JSON object: the tables, and Fields, every standard field named "
                      "with its extremes and the traces that hold them; a scan of all traces adds "
                      "each field's Character and the survey's Geometry.",
                      "", ""});
    int exitCode = kExitOk;
    if (!ParseCommand(parser, arguments, "scan", exitCode))
        return exitCode;
    int32_t mode = segy::kScanAll;
    if (!ModeFromName(parser.Value("mode"), mode)) {
        std::fprintf(stderr, "vantrel-cli scan: unknown --mode; use all, first, second, last "
                             "or selected\n");
        return kExitUsage;
    }

    auto state = std::make_unique<ViewerState>();
    StderrMessages messages;
    OpenResult result;
    const std::string path = FileArgument(parser);
    if (mode == segy::kScanAll)
        remote::ExpectReadThrough(path);
    if (!OpenLikeWindow(*state, path, result, messages))
        return kExitFileProblem;

    TerminalScanProgress progress;
    const std::string selected = parser.Value("trace");
    const segy::ScanContext context{messages, progress, [&] { return selected; }};
    int64_t headersRead = 0;
    // Only the JSON reports what the inspection learns; the grid is the
    // tables alone, which the scan fills without it.
    segy::HeaderInspection inspection;
    const bool json = parser.IsSet("json");
    if (!segy::ScanTraceHeaders(mode, path, state->ScanLayoutNow(), *state, context, &headersRead,
                                json ? &inspection : nullptr))
        return kExitFileProblem;
    // A location whose read failed during the scan has no tables to show:
    // only the reason is printed (by the caller).
    if (!segy::LocationReadFailure().empty())
        return kExitFileProblem;

    if (json) {
        Json scan = Json::Object();
        scan["HeadersRead"] = static_cast<int64_t>(headersRead);
        scan["Hdr4Min"] = ToJson(state->Hdr4Min, segy::kHeaderWords4);
        scan["Hdr4Max"] = ToJson(state->Hdr4Max, segy::kHeaderWords4);
        scan["Hdr2Min"] = ToJson(state->Hdr2Min, segy::kHeaderWords2);
        scan["Hdr2Max"] = ToJson(state->Hdr2Max, segy::kHeaderWords2);
        scan["Fields"] = FieldsJson(*state, inspection);
        if (inspection.Finished())
            scan["Geometry"] = GeometryJson(inspection.Geometry());
        std::printf("%s", scan.Compact().c_str());
        std::printf("\n");
        return kExitOk;
    }
    const bool fourByte = !parser.IsSet("two-byte");
    for (const auto& row : segy::HeaderGridText(*state, fourByte)) {
        for (size_t c = 0; c < row.size(); ++c)
            std::printf("%s%s", c ? "\t" : "", row[c].c_str());
        std::printf("\n");
    }
    return kExitOk;
}
