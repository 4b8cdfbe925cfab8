#pragma once

#include <QList>
#include <QString>

// One step of a field's path: "inputs[12]" is the key "inputs" at index 12.
struct PathStep {
    QString Key;
    int Index;  // from 1; 0: a plain key
};

// The steps of a path such as "outputs[3].ack_input".
QList<PathStep> PathSteps(const QString& path);
