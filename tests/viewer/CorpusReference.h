// Reading the shared corpus's reference.json in the window-side tests.
#pragma once

#include <QJsonObject>
#include <QString>

// True when the reference's file holds trace `trace` (0-based): the trace
// count the window shows is above it. A listing of any other trace is empty.
inline bool HoldsTrace(const QJsonObject& entry, const QString& trace) {
    const int traces =
        entry.value(QStringLiteral("window")).toObject().value(QStringLiteral("NumTraces")).toInt();
    return trace.toInt() < traces;
}
