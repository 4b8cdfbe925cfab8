#pragma once

#include "pages/editor_page.h"

#include <array>

class PictureButton;
class QAction;
class QMenu;
class RoundedGroupBox;

// The page "Входы": the contact type of each of the 64 inputs (block 2).
// Every click writes into the image at once.
class TInputsPage : public EditorPage {
    Q_OBJECT
public:
    static constexpr int FillButtonX = 225;
    static constexpr int FillButtonXWithModbus = 435;

    explicit TInputsPage(PageHost& host, QWidget* parent = nullptr);

    void Default() override { DefaultInputType(); }
    void Get() override { GetInputType(); }
    // An input's contact type: its button (the Modbus inputs' only while
    // their group is shown).
    bool FocusField(const FieldRow& row) override;

    void DefaultInputType();
    void GetInputType();
    void SBTypeContactClick(PictureButton* button);
    void N13Click(QAction* item);

    RoundedGroupBox* AGBoxBVH;
    RoundedGroupBox* AGBoxMODBUS;
    PictureButton* SBFillInputType;
    QMenu* PMFillInputType;
    QAction* N13;
    QAction* N21;
    // SBTypeContact1 ... SBTypeContact64; button k carries bit index k - 1.
    std::array<PictureButton*, 64> SBTypeContact{};

private:
    void BuildGroup(RoundedGroupBox* box, int firstInput);
    void ShowContact(PictureButton* button);
};
