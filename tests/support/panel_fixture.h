#pragma once

#include "app_fixture.h"
#include "simulated_panel.h"

#include <QTemporaryDir>

#include <memory>

// The main window with a simulated panel on a pseudo-terminal, registered
// as the virtual port ORL-SIM1 in a private ports folder and chosen on the
// port settings panel.
struct PanelFixture : WindowParts {
    QTemporaryDir portsDir;
    SimulatedPanel panel;
    std::unique_ptr<AppFixture> app;

    PanelFixture();
    ~PanelFixture();

    // The request frames the panel received, as hex strings "01 46 ...".
    QStringList requestsHex() const;
    // The kinds of requests received, by the function/sub-command byte:
    // "ident", "poll", "version", "read N", "write N", "apply".
    QStringList requestKinds() const;
    // Checks the pauses the tool kept: before request i, at least
    // minimumMs[i] since the panel's previous answer (0: no check). Empty
    // when every pause was long enough, else what fell short.
    QString pauseShortfall(const QList<int>& minimumMs) const;
    // The texts of the boxes with one OK button shown so far.
    QStringList messageTexts() const;
};
