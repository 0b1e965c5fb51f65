// The debug export for file names the window holds as text.
#pragma once

#include "logic/DebugExport.h"

#include <QFile>
#include <QString>

inline ExportResult ExportDebugFile(const QString& sourcePath, const QString& destinationPath) {
    return ExportDebugFile(QFile::encodeName(sourcePath).toStdString(),
                           QFile::encodeName(destinationPath).toStdString());
}
