#pragma once

#include "app/tfmain.h"
#include "pages/dev_config_page.h"
#include "pages/external_net_page.h"
#include "pages/inputs_page.h"
#include "pages/mbus_settings_page.h"
#include "pages/outputs_page.h"
#include "pages/signalling_page.h"
#include "pages/structure_page.h"
#include "widgets/vertical_pager.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

// The parts of the main window, reached as tools outside the window reach
// them: by their object names. A name that is missing, or that more than
// one part of the asked kind carries, ends the test run.
struct WindowParts {
    TFMain* main = nullptr;

    template <typename T>
    T* find(const char* name) const
    {
        const QList<T*> found = main->findChildren<T*>(QLatin1String(name));
        if (found.isEmpty())
            qFatal("no control named %s", name);
        if (found.size() > 1)
            qFatal("%d controls named %s", int(found.size()), name);
        return found.first();
    }

    QToolButton* Tool(const char* name) const { return find<QToolButton>(name); }
    QAction* Action(const char* name) const { return find<QAction>(name); }
    QLineEdit* EDeviceAddr() const { return find<QLineEdit>("EDeviceAddr"); }
    // The status texts of the channel, on the hidden tests page.
    QLabel* L4() const { return find<QLabel>("L4"); }

    VerticalPager* Pager() const { return find<VerticalPager>("AdvOfficePager"); }
    TDevConfigPage* Page2() const { return find<TDevConfigPage>("AdvOfficePage2"); }
    TMBusSettingsPage* Page3() const { return find<TMBusSettingsPage>("AdvOfficePage3"); }
    TOutputsPage* Page4() const { return find<TOutputsPage>("AdvOfficePage4"); }
    TInputsPage* Page5() const { return find<TInputsPage>("AdvOfficePage5"); }
    TSignallingPage* Page6() const { return find<TSignallingPage>("AdvOfficePage6"); }
    TStructurePage* Page7() const { return find<TStructurePage>("AdvOfficePage7"); }
    TExternalNetPage* Page8() const { return find<TExternalNetPage>("AdvOfficePage8"); }
};
