// The Trace page's listing and the debug export.
#include "viewer/TVantrel.h"

#include "segy/ByteSource.h"

#include "logic/TraceListing.h"
#include "viewer/DebugExport.h"
#include "viewer/TraceListingSource.h"

void TVantrel::TrcSelEDChange() {
    TrcValLB->SetLines(std::make_unique<TraceListingSource>(
        TraceListingLines(State, TrcSelED->text().toStdString(), HScrollBar->value(), *this)));
}

void TVantrel::ExportDebugFileBtnClick() {
    const std::string source = SelectedFilePath();
    // The dialog starts beside the file being exported: the folder the
    // selected file's path is built from; for a file read from an address,
    // where the dialog was last.
    if (!source.empty() && !segy::IsLocation(source))
        SD1.initialFolder = SegyPathED->text();
    const QString destination = userInterface_.ChooseSaveFile(this, SD1);
    if (destination.isEmpty() || source.empty())
        return;
    ReportDebugExport(ExportDebugFile(source, QFile::encodeName(destination).toStdString()), *this);
}
