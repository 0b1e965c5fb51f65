// The Trace page's listing and the debug export.
#include "viewer/TVantrel.h"

#include "viewer/DebugExport.h"
#include "viewer/TraceListing.h"

void TVantrel::TrcSelEDChange() {
    const QStringList lines =
        TraceListingLines(State, TrcSelED->text(), HScrollBar->value(), *this);
    TrcValLB->clear();
    TrcValLB->addItems(lines);
}

void TVantrel::ExportDebugFileBtnClick() {
    const QString destination = userInterface_.ChooseSaveFile(this, SD1);
    if (destination.isEmpty())
        return;
    const std::string source = SelectedFilePath();
    if (source.empty())
        return;
    ReportDebugExport(ExportDebugFile(source, destination), *this);
}
