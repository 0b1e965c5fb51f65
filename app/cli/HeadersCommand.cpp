// vantrel-cli headers: chosen trace-header fields of every trace, one row a
// trace, read the way the full header scan reads them.
#include "app/cli/CliSupport.h"

#include "segy/TraceHeaderFields.h"
#include "segy/TraceHeaderReader.h"

#include <QRegularExpression>

#include <charconv>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

template <typename Integer> void AppendNumber(std::string& text, Integer value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    text.append(digits, end);
}

// The fields --fields names, in its order; false (after a message) for a
// name that is no field.
bool ParseFields(const QString& list, std::vector<const segy::TraceHeaderField*>& fields) {
    for (const QString& name : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const segy::TraceHeaderField* field =
            segy::FindTraceHeaderField(name.trimmed().toStdString());
        if (!field) {
            std::fprintf(stderr,
                         "vantrel-cli headers: no trace-header field '%s' (give a name such as "
                         "iline or CDP_X, or a field's first byte such as 189)\n",
                         qPrintable(name.trimmed()));
            return false;
        }
        fields.push_back(field);
    }
    return !fields.empty();
}

// FIRST:LAST, 0-based and inclusive; either side may be left out.
bool ParseTraceRange(const QString& text, int64_t& first, int64_t& last) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d*):(\\d*)$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    bool ok = true;
    if (!match.captured(1).isEmpty())
        first = match.captured(1).toLongLong(&ok);
    if (ok && !match.captured(2).isEmpty())
        last = match.captured(2).toLongLong(&ok);
    return ok && first <= last;
}

} // namespace

int RunHeaders(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes the chosen trace-header fields of every trace of FILE, one row a trace with "
        "the 0-based trace index first, as comma-separated values (the default) or JSON. "
        "Fields are named as segyio or Seismic Unix name them (iline, CDP_X, offset...), in "
        "any letter case, or by their first byte. Values are as stored, without scalars."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A SEG-Y file."));
    parser.addOption({QStringLiteral("fields"),
                      QStringLiteral("Comma-separated fields, such as iline,xline,181,185."),
                      QStringLiteral("LIST")});
    parser.addOption({QStringLiteral("traces"),
                      QStringLiteral("Traces FIRST:LAST, 0-based and inclusive (default all)."),
                      QStringLiteral("FIRST:LAST")});
    parser.addOption({QStringLiteral("csv"), QStringLiteral("Comma-separated values.")});
    parser.addOption({QStringLiteral("json"), QStringLiteral("One JSON object.")});
    int exitCode = kExitOk;
    if (!ParseCommand(parser, arguments, QStringLiteral("headers"), exitCode))
        return exitCode;
    std::vector<const segy::TraceHeaderField*> fields;
    if (!parser.isSet(QStringLiteral("fields"))) {
        std::fprintf(stderr, "vantrel-cli headers: --fields is required\n");
        return kExitUsage;
    }
    if (!ParseFields(parser.value(QStringLiteral("fields")), fields))
        return kExitUsage;
    int64_t first = 0;
    int64_t last = INT64_MAX;
    if (parser.isSet(QStringLiteral("traces")) &&
        !ParseTraceRange(parser.value(QStringLiteral("traces")), first, last)) {
        std::fprintf(stderr, "vantrel-cli headers: --traces takes FIRST:LAST, such as 0:99\n");
        return kExitUsage;
    }
    const bool json = parser.isSet(QStringLiteral("json"));
    if (json && parser.isSet(QStringLiteral("csv"))) {
        std::fprintf(stderr, "vantrel-cli headers: choose --csv or --json\n");
        return kExitUsage;
    }

    auto state = std::make_unique<ViewerState>();
    StderrMessages messages;
    OpenResult result;
    const std::string path = FileArgument(parser);
    if (!OpenLikeWindow(*state, path, result, messages))
        return kExitFileProblem;
    segy::ReadOnlyFile file;
    if (!file.Open(path)) {
        messages.ShowMessage(segy::kCannotOpenScanMessage);
        return kExitFileProblem;
    }
    last = std::min(last, state->NumTraces - 1);

    if (json) {
        std::printf("{\"Fields\":[");
        for (size_t f = 0; f < fields.size(); ++f)
            std::printf("%s\"%s\"", f ? "," : "", std::string(fields[f]->name).c_str());
        std::printf("],\"Traces\":[");
    } else {
        std::printf("Trace");
        for (const segy::TraceHeaderField* field : fields)
            std::printf(",%s", std::string(field->name).c_str());
        std::printf("\n");
    }
    const segy::TraceFraming framing = state->Framing();
    const int32_t traceLength = segy::StoredTraceLength(state->NumSamples, state->BytesPerSample,
                                                        framing.TraceHeaderExtensions);
    int64_t k = first;
    std::string rows;
    if (first <= last) {
        file.AdviseSequential();
        segy::TraceHeaderReader reader(
            file, traceLength, segy::TraceOffset(first, traceLength, framing.FirstTraceOffset),
            segy::ChooseHeaderReading(traceLength));
        while (k <= last) {
            const segy::HeaderRun run = reader.Next(std::min<int64_t>(last - k + 1, 4096));
            if (run.count == 0)
                break;
            // A run's rows are formatted into one buffer and written at
            // once: a formatted print per value would cost more than the
            // reading.
            rows.clear();
            for (int64_t i = 0; i < run.count; ++i, ++k) {
                const unsigned char* header = run.first + i * run.stride;
                if (json)
                    rows += k == first ? "[" : ",[";
                AppendNumber(rows, k);
                for (const segy::TraceHeaderField* field : fields) {
                    rows += ',';
                    AppendNumber(rows, segy::FieldValue(header, *field, state->LittleEndian));
                }
                rows += json ? ']' : '\n';
            }
            std::fwrite(rows.data(), 1, rows.size(), stdout);
        }
    }
    if (json)
        std::printf("]}\n");
    return kExitOk;
}
