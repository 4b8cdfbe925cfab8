// The pages as the main window runs them: the orders of New, refresh and
// collection, and the refreshes one page asks of another.
#include "app/tfmain.h"
#include "pages/dev_config_page.h"
#include "pages/external_net_page.h"
#include "pages/inputs_page.h"
#include "pages/mbus_settings_page.h"
#include "pages/outputs_page.h"
#include "pages/signalling_page.h"
#include "pages/structure_page.h"

// A new configuration fills the inputs before the structure; an image is
// shown on the structure before the inputs.
QList<EditorPage*> TFMain::NewOrder() const
{
    return {AdvOfficePage2, AdvOfficePage3, AdvOfficePage5, AdvOfficePage7,
            AdvOfficePage4, AdvOfficePage6, AdvOfficePage8};
}

QList<EditorPage*> TFMain::RefreshOrder() const
{
    return {AdvOfficePage2, AdvOfficePage3, AdvOfficePage7, AdvOfficePage5,
            AdvOfficePage4, AdvOfficePage6, AdvOfficePage8};
}

QList<EditorPage*> TFMain::Pages() const
{
    return {AdvOfficePage2, AdvOfficePage3, AdvOfficePage4, AdvOfficePage5,
            AdvOfficePage6, AdvOfficePage7, AdvOfficePage8};
}

void TFMain::GetInputType()
{
    AdvOfficePage5->GetInputType();
}

void TFMain::ShowCrossBarExtInputs()
{
    AdvOfficePage4->ShowCrossBarExtInputs();
}

void TFMain::GetDispSettings()
{
    AdvOfficePage6->GetDispSettings();
}
