#pragma once

#include "pages/editor_page.h"
#include "widgets/line_controls.h"

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class RoundedGroupBox;

// The page "ModBus": the panel's own Modbus slave port (block 1). Edits stay
// in the controls until SetMBusSettings collects them.
class TMBusSettingsPage : public EditorPage, public LineControls {
    Q_OBJECT
public:
    explicit TMBusSettingsPage(PageHost& host, QWidget* parent = nullptr);

    void Default() override { DefaultMBSettings(); }
    void Get() override { GetMBusSettings(); }
    void Set() override { SetMBusSettings(); }
    bool FocusField(const FieldRow& row) override;

    void DefaultMBSettings();
    void GetMBusSettings();
    // Fails with the conversion error when the address text is not a number.
    void SetMBusSettings();

    QLabel* Label2;
    QLineEdit* ENetAddress;
    QLabel* Label3;
};
