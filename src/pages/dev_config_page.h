#pragma once

#include "pages/editor_page.h"

class QCheckBox;
class QComboBox;
class QLabel;

// The page "Конфигурация": the panel model and the general options (block 0
// and the family code beside the image).
class TDevConfigPage : public EditorPage {
    Q_OBJECT
public:
    explicit TDevConfigPage(PageHost& host, QWidget* parent = nullptr);

    void Default() override { DefaultDevConfig(); }
    void Get() override { GetDevConfig(); }
    void Set() override { SetDevConfig(); }
    bool FocusField(const FieldRow& row) override;

    void DefaultDevConfig();
    void GetDevConfig();
    void SetDevConfig();
    // Fills the time-out list with its 60 items and selects the 5-second one.
    void FillTimeoutList();

    void CBConfigChange();
    void CBFixConfigClick();
    void CBMBusMasterClick();
    void CBLineControlClick();

    QComboBox* CBConfig;
    QLabel* STConfig;
    QLabel* STWindow;
    QCheckBox* CBFixConfig;
    QCheckBox* CBLineControl;
    QLabel* Label11;
    QComboBox* CBMBusTimeout;
    QCheckBox* CBMBusMaster;

private:
    void ShowModelTexts(int row);
};
