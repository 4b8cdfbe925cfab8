#pragma once

#include "link/panel_programming.h"
#include "site/site_file.h"
#include "text/panel_check.h"

#include <functional>

enum class SiteCommand { Write, Verify, Read, Scan };

// The result of one panel of a site.
struct SitePanelResult {
    int Line = 0;  // from 1
    QString Port;
    QString Name;
    uint8_t Address = 0;
    PanelOutcome Outcome = PanelOutcome::Done;
    QString Message;
    // A verify, or a write read back: whether the panel was compared with
    // its file, and the fields that differ.
    bool Compared = false;
    ReadBackReport ReadBack;
};

// What a line worker reports as it goes: its line (from 1) and a text.
// Called from the workers' threads, one call at a time.
using SiteProgress = std::function<void(int line, const QString& text)>;

// Runs `command` for every panel of the site with the rules of the batch
// commands: each panel keeps the address the site gives it, the model is
// checked, a write with `apply` is applied and read back. Each line runs
// on its own thread with its own channel, its panels one after another; a
// failing panel does not stop its line. A read saves a panel's
// configuration (blocks 7 to 9 from its file where that can be read) under
// the panel's file name only when the whole read succeeded. The results in
// site order.
QList<SitePanelResult> RunSite(const Site& site, SiteCommand command, bool apply,
                               const SiteProgress& progress);
