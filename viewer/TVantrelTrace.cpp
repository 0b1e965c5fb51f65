// The Trace page's listing and the debug export.
#include "viewer/TVantrel.h"

#include "viewer/DebugExport.h"
#include "viewer/TraceListing.h"

#include <QFile>
#include <QFileInfo>

namespace {

// The list box's lines, each made when the list shows it.
class TraceListingSource final : public LineSource {
public:
    explicit TraceListingSource(TraceSampleLines lines) : lines_(std::move(lines)) {}
    int64_t LineCount() const override { return lines_.Count(); }
    QString Line(int64_t index) const override {
        return QString::fromStdString(lines_.Line(index));
    }

private:
    TraceSampleLines lines_;
};

} // namespace

void TVantrel::TrcSelEDChange() {
    TrcValLB->SetLines(std::make_unique<TraceListingSource>(
        TraceListingLines(State, TrcSelED->text(), HScrollBar->value(), *this)));
}

void TVantrel::ExportDebugFileBtnClick() {
    const std::string source = SelectedFilePath();
    // The dialog starts beside the file being exported.
    if (!source.empty())
        SD1.initialFolder = QFileInfo(QFile::decodeName(QByteArray::fromStdString(source))).path();
    const QString destination = userInterface_.ChooseSaveFile(this, SD1);
    if (destination.isEmpty() || source.empty())
        return;
    ReportDebugExport(ExportDebugFile(source, destination), *this);
}
