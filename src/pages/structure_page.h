#pragma once

#include "model/input_assignment.h"
#include "pages/editor_page.h"
#include "widgets/string_grid.h"

class ClickGrid;
class PictureButton;
class QAction;
class QMenu;
class QPushButton;

// The page "Структура": the crossbar from each of the 64 inputs to the
// relays it activates (block 6) and to what it is assigned to, a window or
// nothing (block 3). Every edit writes into the image at once; a number
// outside its kind's range is shown on yellow and not stored.
class TStructurePage : public EditorPage {
    Q_OBJECT
public:
    // Row 0 and columns 0..1 are fixed; row r shows input r (1..64).
    static constexpr int InputColumn = 1;
    static constexpr int FirstRelayColumn = 2;  // column k + 2 shows relay k + 1
    static constexpr int KindColumn = 10;
    static constexpr int NumberColumn = 11;

    explicit TStructurePage(PageHost& host, QWidget* parent = nullptr);

    void Setup() override { SetupCrossBar(); }
    void Default() override { DefaultCrossBar(); }
    void Get() override { GetCrossBar(); }
    // An input's assignment: its kind cell; a relay it activates: its cell.
    bool FocusField(const FieldRow& row) override;

    void SetupCrossBar();
    void DefaultCrossBar();
    void GetCrossBar();
    void ASGCrossBarClickCell(int row, int col);
    StringGrid::EditorKind ASGCrossBarGetEditorType(int col) const;
    bool ASGCrossBarCanEditCell(int row, int col) const;
    void ASGCrossBarComboChange(int row, const QString& text);
    void ASGCrossBarCellValidate(int row, int col);
    void N71Click();
    void ModBus2Click();
    void N19Click();

    // Input i (0..63), grid row i + 1.
    void ShowActivationRow(int i);
    void ShowAssignmentRow(int i);
    // Marks the number cell and sets the status line; true when the row's
    // number may be stored for the kind.
    bool CheckAssignmentNumber(int row, AssignmentKind kind);
    void StoreAssignment(int row, AssignmentKind kind);

    ClickGrid* ASGCrossBar;
    PictureButton* SBFillCrossBar;
    QMenu* PMFillCrossBar;
    QAction* N71;
    QAction* ModBus2;
    QAction* N19;
    // Never shown: their operations run from the commands.
    QPushButton* ButtonGetCrossBar;
    QPushButton* ButtonDefaultCrossBar;

private:
    void ShowRelayCell(int row, int relay);
    void FillCrossBar(CrossBarFill fill);
};
