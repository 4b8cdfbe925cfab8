// The page operations of the main window, by name. Pages that are not built
// yet keep empty operations so the orders of New, refresh and collection
// stay in one place.
#include "app/tfmain.h"
#include "pages/dev_config_page.h"
#include "pages/external_net_page.h"
#include "pages/inputs_page.h"
#include "pages/mbus_settings_page.h"
#include "pages/outputs_page.h"
#include "pages/signalling_page.h"
#include "pages/structure_page.h"

void TFMain::DefaultDevConfig()
{
    AdvOfficePage2->DefaultDevConfig();
}
void TFMain::GetDevConfig()
{
    AdvOfficePage2->GetDevConfig();
}
void TFMain::SetDevConfig()
{
    AdvOfficePage2->SetDevConfig();
}

void TFMain::DefaultMBSettings()
{
    AdvOfficePage3->DefaultMBSettings();
}
void TFMain::GetMBusSettings()
{
    AdvOfficePage3->GetMBusSettings();
}
void TFMain::SetMBusSettings()
{
    AdvOfficePage3->SetMBusSettings();
}

void TFMain::DefaultInputType()
{
    AdvOfficePage5->DefaultInputType();
}
void TFMain::GetInputType()
{
    AdvOfficePage5->GetInputType();
}

void TFMain::DefaultCrossBar()
{
    AdvOfficePage7->DefaultCrossBar();
}
void TFMain::GetCrossBar()
{
    AdvOfficePage7->GetCrossBar();
}
void TFMain::SetupCrossBar()
{
    AdvOfficePage7->SetupCrossBar();
}
void TFMain::DefaultOutDataBase()
{
    AdvOfficePage4->DefaultOutDataBase();
}
void TFMain::GetOutDataBase()
{
    AdvOfficePage4->GetOutDataBase();
}
void TFMain::InitOutDataBaseGrid()
{
    AdvOfficePage4->InitOutDataBaseGrid();
}
void TFMain::ShowCrossBarExtInputs()
{
    AdvOfficePage4->ShowCrossBarExtInputs();
}

void TFMain::DefaultDispSettings()
{
    AdvOfficePage6->DefaultDispSettings();
}
void TFMain::GetDispSettings()
{
    AdvOfficePage6->GetDispSettings();
}
void TFMain::DefaultExternalNet()
{
    AdvOfficePage8->DefaultExternalNet();
}
void TFMain::GetExternalNet()
{
    AdvOfficePage8->GetExternalNet();
}
void TFMain::SetupExternalNet()
{
    AdvOfficePage8->SetupExternalNet();
}
