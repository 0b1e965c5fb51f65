// vantrel-cli scan: the trace header scan and the header grid.
#include "app/cli/CliSupport.h"

#include "segy/TraceHeaderFields.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <memory>

namespace {

QJsonArray ToJson(const int32_t* values, int count) {
    QJsonArray array;
    for (int i = 0; i < count; ++i)
        array.append(values[i]);
    return array;
}

bool ModeFromName(const QString& name, int32_t& mode) {
    static const char* const kNames[] = {"all", "first", "second", "last", "selected"};
    for (int32_t m = segy::kScanAll; m <= segy::kScanSelected; ++m)
        if (name == QLatin1String(kNames[m])) {
            mode = m;
            return true;
        }
    return false;
}

// One field's extremes from the tables of the word it is: 4-byte fields
// lie on 4-byte words, 2-byte ones on 2-byte words.
struct FieldExtremes {
    int32_t min, max;
    int64_t minTrace, maxTrace;
};
FieldExtremes ExtremesOf(const segy::HeaderScanTables& tables,
                         const segy::TraceHeaderField& field) {
    if (field.type == segy::FieldType::Int32) {
        const int i = (field.firstByte - 1) / 4;
        return {tables.Hdr4Min[i], tables.Hdr4Max[i], tables.Hdr4MinTrace[i],
                tables.Hdr4MaxTrace[i]};
    }
    const int i = (field.firstByte - 1) / 2;
    return {tables.Hdr2Min[i], tables.Hdr2Max[i], tables.Hdr2MinTrace[i], tables.Hdr2MaxTrace[i]};
}

// Every standard field with its name, bytes, extremes and the traces that
// first hold them (0-based); scaled extremes where the field's scalar is
// the same in every header scanned.
QJsonObject CharacterJson(const segy::HeaderInspection& inspection, int word) {
    const segy::WordCharacter& c = inspection.Character(word);
    QJsonObject object;
    object[QStringLiteral("Kind")] = QString::fromLatin1(segy::CharacterKindName(c.kind));
    object[QStringLiteral("Text")] = QString::fromStdString(
        segy::DescribeCharacter(c, inspection.Min(word), inspection.Max(word)));
    object[QStringLiteral("Distinct")] = static_cast<qint64>(c.distinct);
    if (c.kind == segy::CharacterKind::Increasing || c.kind == segy::CharacterKind::Decreasing)
        object[QStringLiteral("Strict")] = c.strict;
    if (c.step)
        object[QStringLiteral("Step")] = static_cast<qint64>(c.step);
    if (c.every)
        object[QStringLiteral("Every")] = static_cast<qint64>(c.every);
    if (c.kind == segy::CharacterKind::Cycle) {
        object[QStringLiteral("Period")] = static_cast<qint64>(c.period);
        object[QStringLiteral("Restarts")] = static_cast<qint64>(c.restarts);
    }
    if (c.scaled)
        object[QStringLiteral("ScalarChanges")] = c.scalarChanges;
    return object;
}

QJsonObject AxisJson(const segy::KeyAxis& axis) {
    QJsonObject object;
    object[QStringLiteral("FirstByte")] = axis.firstByte;
    object[QStringLiteral("First")] = axis.first;
    object[QStringLiteral("Last")] = axis.last;
    object[QStringLiteral("Step")] = static_cast<qint64>(axis.step);
    object[QStringLiteral("Count")] = static_cast<qint64>(axis.count);
    return object;
}

QJsonObject GeometryJson(const segy::SurveyGeometry& g) {
    QJsonObject object;
    object[QStringLiteral("Kind")] = QString::fromStdString(g.kind);
    object[QStringLiteral("Why")] = QString::fromStdString(g.why);
    if (g.kind == "3D") {
        object[QStringLiteral("Inline")] = AxisJson(g.inlineKey);
        object[QStringLiteral("Crossline")] = AxisJson(g.crosslineKey);
        object[QStringLiteral("GridTraces")] = static_cast<qint64>(g.gridTraces);
        object[QStringLiteral("MissingTraces")] = static_cast<qint64>(g.missingTraces);
        if (g.hasCorners) {
            QJsonArray corners;
            for (const auto& corner : g.corners)
                corners.append(QJsonArray{corner[0], corner[1]});
            object[QStringLiteral("Corners")] = corners;
            object[QStringLiteral("CornersIn")] = QString::fromLatin1(
                segy::CoordinatePairName(static_cast<segy::CoordinatePair>(g.cornerPair)));
        }
    } else if (g.kind == "2D") {
        object[QStringLiteral("Line")] = AxisJson(g.lineKey);
    } else if (g.kind == "prestack") {
        object[QStringLiteral("Gather")] = AxisJson(g.lineKey);
    }
    QJsonObject extents;
    for (int p = 0; p < segy::kCoordinatePairs; ++p) {
        const segy::AreaExtent& e = g.extents[p];
        if (!e.known)
            continue;
        extents[QString::fromLatin1(
            segy::CoordinatePairName(static_cast<segy::CoordinatePair>(p)))] =
            QJsonObject{{QStringLiteral("MinX"), e.minX},
                        {QStringLiteral("MaxX"), e.maxX},
                        {QStringLiteral("MinY"), e.minY},
                        {QStringLiteral("MaxY"), e.maxY},
                        {QStringLiteral("ScalarChanges"), e.scalarChanges}};
    }
    object[QStringLiteral("Extents")] = extents;
    return object;
}

QJsonArray FieldsJson(const segy::HeaderScanTables& tables,
                      const segy::HeaderInspection& inspection) {
    QJsonArray fields;
    for (const segy::TraceHeaderField& field : segy::StandardTraceHeaderFields()) {
        const FieldExtremes extremes = ExtremesOf(tables, field);
        QJsonObject object;
        object[QStringLiteral("Name")] = QString::fromLatin1(field.name);
        QJsonArray aliases;
        if (!field.aliases.empty())
            aliases.append(QString::fromLatin1(field.aliases));
        object[QStringLiteral("Aliases")] = aliases;
        object[QStringLiteral("FirstByte")] = field.firstByte;
        object[QStringLiteral("LastByte")] = field.LastByte();
        object[QStringLiteral("Type")] = field.type == segy::FieldType::Int32
                                             ? QStringLiteral("int32")
                                             : QStringLiteral("int16");
        object[QStringLiteral("Min")] = extremes.min;
        object[QStringLiteral("Max")] = extremes.max;
        object[QStringLiteral("MinTrace")] = static_cast<qint64>(extremes.minTrace);
        object[QStringLiteral("MaxTrace")] = static_cast<qint64>(extremes.maxTrace);
        const int word = segy::InspectedWordIndex(field.firstByte, field.type);
        if (inspection.Finished() && word >= 0 && inspection.Character(word).scaled) {
            // Each trace's value with that trace's scalar.
            object[QStringLiteral("ScaledMin")] = inspection.Character(word).scaledMin;
            object[QStringLiteral("ScaledMax")] = inspection.Character(word).scaledMax;
        } else if (const segy::TraceHeaderField* scalar =
                       segy::FieldStartingAt(segy::ScalarFieldByte(field.scalar))) {
            const FieldExtremes factor = ExtremesOf(tables, *scalar);
            if (factor.min == factor.max && extremes.minTrace >= 0) {
                const double a = segy::ApplyScalar(extremes.min, factor.min);
                const double b = segy::ApplyScalar(extremes.max, factor.min);
                object[QStringLiteral("ScaledMin")] = std::min(a, b);
                object[QStringLiteral("ScaledMax")] = std::max(a, b);
            }
        }
        if (inspection.Finished() && word >= 0)
            object[QStringLiteral("Character")] = CharacterJson(inspection, word);
        fields.append(object);
    }
    return fields;
}

} // namespace

int RunScan(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Scans the trace headers of FILE and prints the minimum and maximum of every header "
        "location as the Header page's grid shows them."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A SEG-Y file."));
    parser.addOption({QStringLiteral("mode"),
                      QStringLiteral("Traces to scan: all, first, second, last or selected "
                                     "(default all)."),
                      QStringLiteral("mode"), QStringLiteral("all")});
    parser.addOption({QStringLiteral("trace"),
                      QStringLiteral("The selected trace, 1-based, for --mode selected "
                                     "(default 1)."),
                      QStringLiteral("N"), QStringLiteral("1")});
    parser.addOption({QStringLiteral("two-byte"), QStringLiteral("Show the 2-byte table.")});
    parser.addOption(
        {QStringLiteral("json"),
         QStringLiteral("Print one JSON object: the tables, and Fields, every standard field "
                        "named with its extremes and the traces that hold them; a scan of all "
                        "traces adds each field's Character and the survey's Geometry.")});
    int exitCode = kExitOk;
    if (!ParseCommand(parser, arguments, QStringLiteral("scan"), exitCode))
        return exitCode;
    int32_t mode = segy::kScanAll;
    if (!ModeFromName(parser.value(QStringLiteral("mode")), mode)) {
        std::fprintf(stderr, "vantrel-cli scan: unknown --mode; use all, first, second, last "
                             "or selected\n");
        return kExitUsage;
    }

    auto state = std::make_unique<ViewerState>();
    StderrMessages messages;
    OpenResult result;
    const std::string path = FileArgument(parser);
    if (!OpenLikeWindow(*state, path, result, messages))
        return kExitFileProblem;

    TerminalScanProgress progress;
    const std::string selected = parser.value(QStringLiteral("trace")).toStdString();
    const segy::ScanContext context{messages, progress, [&] { return selected; }};
    int64_t headersRead = 0;
    segy::HeaderInspection inspection;
    if (!segy::ScanTraceHeaders(mode, path, state->ScanLayoutNow(), *state, context, &headersRead,
                                &inspection))
        return kExitFileProblem;

    if (parser.isSet(QStringLiteral("json"))) {
        QJsonObject scan;
        scan[QStringLiteral("HeadersRead")] = static_cast<qint64>(headersRead);
        scan[QStringLiteral("Hdr4Min")] = ToJson(state->Hdr4Min, segy::kHeaderWords4);
        scan[QStringLiteral("Hdr4Max")] = ToJson(state->Hdr4Max, segy::kHeaderWords4);
        scan[QStringLiteral("Hdr2Min")] = ToJson(state->Hdr2Min, segy::kHeaderWords2);
        scan[QStringLiteral("Hdr2Max")] = ToJson(state->Hdr2Max, segy::kHeaderWords2);
        scan[QStringLiteral("Fields")] = FieldsJson(*state, inspection);
        if (inspection.Finished())
            scan[QStringLiteral("Geometry")] = GeometryJson(inspection.Geometry());
        std::printf("%s", QJsonDocument(scan).toJson(QJsonDocument::Compact).constData());
        std::printf("\n");
        return kExitOk;
    }
    const bool fourByte = !parser.isSet(QStringLiteral("two-byte"));
    for (const auto& row : segy::HeaderGridText(*state, fourByte)) {
        for (size_t c = 0; c < row.size(); ++c)
            std::printf("%s%s", c ? "\t" : "", row[c].c_str());
        std::printf("\n");
    }
    return kExitOk;
}
