// vantrel-cli headers: chosen trace-header fields of every trace, one row a
// trace, read the way the full header scan reads them.
#include "app/cli/CliSupport.h"

#include "segy/ByteSource.h"
#include "segy/TraceHeaderFields.h"
#include "segy/TraceHeaderReader.h"

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
bool ParseFields(const std::string& list, std::vector<const segy::TraceHeaderField*>& fields) {
    size_t from = 0;
    while (from <= list.size()) {
        const size_t comma = std::min(list.find(',', from), list.size());
        const std::string part = list.substr(from, comma - from);
        from = comma + 1;
        if (part.empty())
            continue;
        const std::string name = Trimmed(part);
        const segy::TraceHeaderField* field = segy::FindTraceHeaderField(name);
        if (!field) {
            std::fprintf(stderr,
                         "vantrel-cli headers: no trace-header field '%s' (give a name such as "
                         "iline or CDP_X, or a field's first byte such as 189)\n",
                         name.c_str());
            return false;
        }
        fields.push_back(field);
    }
    if (fields.empty())
        std::fprintf(stderr, "vantrel-cli headers: --fields names no field (give a list such as "
                             "iline,xline,181,185)\n");
    return !fields.empty();
}

// FIRST:LAST, 0-based and inclusive; either side may be left out.
bool ParseTraceRange(const std::string& text, int64_t& first, int64_t& last) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos)
        return false;
    const std::string from = text.substr(0, colon);
    const std::string to = text.substr(colon + 1);
    auto digitsOnly = [](const std::string& s) {
        return s.find_first_not_of("0123456789") == std::string::npos;
    };
    if (!digitsOnly(from) || !digitsOnly(to))
        return false;
    bool ok = true;
    if (!from.empty())
        ok = ParseWholeNumber(from, first);
    if (ok && !to.empty())
        ok = ParseWholeNumber(to, last);
    return ok && first <= last;
}

} // namespace

int RunHeaders(const Arguments& arguments) {
    CommandLine parser(
        "headers",
        "Writes the chosen trace-header fields of every trace of FILE, one row a trace with "
        "the 0-based trace index first, as comma-separated values (the default) or JSON. "
        "Fields are named as segyio or Seismic Unix name them (iline, CDP_X, offset...), in "
        "any letter case, or by their first byte. Values are as stored, without scalars.");
    parser.AddPositional("FILE", "A SEG-Y file.");
    parser.AddOption(
        {"fields", "Comma-separated fields, such as iline,xline,181,185.", "LIST", ""});
    parser.AddOption(
        {"traces", "Traces FIRST:LAST, 0-based and inclusive (default all).", "FIRST:LAST", ""});
    parser.AddOption({"csv", "Comma-separated values.", "", ""});
    parser.AddOption({"json", "One JSON object.", "", ""});
    int exitCode = kExitOk;
    if (!ParseCommand(parser, arguments, "headers", exitCode))
        return exitCode;
    std::vector<const segy::TraceHeaderField*> fields;
    if (!parser.IsSet("fields")) {
        std::fprintf(stderr, "vantrel-cli headers: --fields is required\n");
        return kExitUsage;
    }
    if (!ParseFields(parser.Value("fields"), fields))
        return kExitUsage;
    int64_t first = 0;
    int64_t last = INT64_MAX;
    if (parser.IsSet("traces") && !ParseTraceRange(parser.Value("traces"), first, last)) {
        std::fprintf(stderr, "vantrel-cli headers: --traces takes FIRST:LAST, such as 0:99\n");
        return kExitUsage;
    }
    const bool json = parser.IsSet("json");
    if (json && parser.IsSet("csv")) {
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
    // Traces asked for by number that the file does not hold are an error,
    // as `list` makes them; a file of no traces asked for all has no rows.
    if (parser.IsSet("traces") && first >= state->NumTraces)
        return NoSuchTrace("headers", *state, first);
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
    // Rows missing at the end are said, never left for a reader to miss: a
    // file cut while it was read (a failed remote read says its own reason).
    if (k <= last) {
        if (segy::LocationReadFailure().empty())
            std::fprintf(stderr,
                         "vantrel-cli headers: %s ended before trace %lld; it was cut while "
                         "being read\n",
                         segy::LocationWithoutCredentials(state->CurrentFile).c_str(),
                         static_cast<long long>(k));
        return kExitFileProblem;
    }
    return kExitOk;
}
