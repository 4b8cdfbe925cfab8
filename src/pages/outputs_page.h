#pragma once

#include "pages/editor_page.h"
#include "widgets/string_grid.h"

class PictureButton;
class QAction;
class QMenu;

// The page "Выходы": type, acknowledgement and reset sources of the eight
// relay outputs (block 5), one grid row per output. Every edit writes into
// the image at once.
class TOutputsPage : public EditorPage {
    Q_OBJECT
public:
    // Rows 0..1 and column 0 are fixed; row r shows output r - 1.
    static constexpr int FirstOutputRow = 2;
    static constexpr int TypeColumn = 1;
    static constexpr int AckInputColumn = 4;
    static constexpr int ResetInputColumn = 7;

    explicit TOutputsPage(PageHost& host, QWidget* parent = nullptr);

    void Setup() override { InitOutDataBaseGrid(); }
    void Default() override { DefaultOutDataBase(); }
    void Get() override { GetOutDataBase(); }
    // An output's type or source: its cell in the output's row.
    bool FocusField(const FieldRow& row) override;

    void InitOutDataBaseGrid();
    void DefaultOutDataBase();
    void GetOutDataBase();
    StringGrid::EditorKind ASGOutBaseGetEditorType(int col, int row) const;
    bool ASGOutBaseCanEditCell(int row, int col) const;
    void ASGOutBaseComboChange(int col, int row, int position, const QString& text);
    void ASGOutBaseCheckBoxClick(int col, int row, bool state);
    void ASGOutBaseCellValidate(int col, int row, const QString& text);
    void N18Click(QAction* item);
    // Shows in columns 4 and 7 the inputs that the crossbar assigns to the
    // acknowledgement and reset of the relays; the image is not changed.
    void ShowCrossBarExtInputs();

    StringGrid* ASGOutBase;
    PictureButton* SBFillOutDataBase;
    QMenu* PMFillOutDataBase;
    QAction* N18;
    QAction* N22;
    QAction* N31;
    QAction* N41;

private:
    void ShowNumberColours(int row);
};
