// The debug file: a raw excerpt of a file, from its start and from its
// middle, that a user can send to support. The copy interprets nothing, so
// it works for files the header reader does not recognise as well.
#pragma once

#include "segy/UserMessages.h"

#include <cstdint>
#include <string>

// Bytes taken from the start and from the middle of the source.
constexpr int64_t kDebugBlockSize = 200000;

inline const char* const kDebugFileCompleteMessage = "Debug file complete";

struct DebugBlock {
    int64_t offset = 0;
    int64_t length = 0;
};

// Where the two blocks come from in a source of `sourceSize` bytes: the
// first from offset 0, the middle one from half the size rounded down. For
// sources under 400000 bytes the two overlap in the source.
struct DebugExportPlan {
    DebugBlock first;
    DebugBlock middle;

    int64_t DebugFileSize() const { return first.length + middle.length; }
};

DebugExportPlan PlanDebugExport(int64_t sourceSize);

struct ExportResult {
    bool ok = false;
    // The error text for the user; empty on success.
    std::string message;
};

// Copies the two blocks of `sourcePath`, byte for byte, into
// `destinationPath`, replacing it. Both are the bytes of the files' names.
// The destination is written atomically: a failed export leaves an existing
// destination as it was and no partial file behind. A destination that is
// the source itself, under whatever name, is refused, so an export never
// destroys the file it excerpts. Messages name the files by absolute path.
ExportResult ExportDebugFile(const std::string& sourcePath, const std::string& destinationPath);

// What the user sees after an export: the beep and "Debug file complete", or
// the error text alone.
void ReportDebugExport(const ExportResult& result, segy::UserMessages& messages);
