#pragma once

#include "pages/editor_page.h"

class QPushButton;
class QToolButton;
class RowSelectGrid;
class TFMBMaster;

// The page "Внешняя сеть" of the panel's Modbus master mode, whose tab is
// never shown: the poll requests (block 7) with the acknowledge and reset
// writes of their devices (blocks 8 and 9). The grid shows its headers and
// empty request rows; the rows in use can be selected, and a double click
// on one shows its details. Its commands do nothing yet. It shows no field
// of the image, so it focuses none (FocusField stays false).
class TExternalNetPage : public EditorPage {
    Q_OBJECT
public:
    // Rows 0..1 are the headers; row r stands for request r - 2.
    static constexpr int FirstRequestRow = 2;
    static constexpr int InputColumn = 4;  // "№ Входа", on its own colour

    explicit TExternalNetPage(PageHost& host, QWidget* parent = nullptr);

    void Setup() override { SetupExternalNet(); }
    void Default() override { DefaultExternalNet(); }
    void Get() override { GetExternalNet(); }

    void SetupExternalNet();
    // The grid is not filled from the image and New leaves the tables as
    // they are: both do nothing.
    void GetExternalNet() {}
    void DefaultExternalNet() {}
    // The request commands "+", "-", "Up", "Down" and "TEST" do nothing yet.
    void SBAddRequestClick() {}
    void SBDelRequestClick() {}
    void SBUpRequestRowClick() {}
    void SBDownRequestRowClick() {}
    void Button28Click() {}

    // Whether a row may be selected: only the rows of requests in use.
    bool ASGExternalNetSelectCell(int row) const;
    void ASGExternalNetDblClickCell(int row);
    // Shows the details of request `request` (0..15) in the modal dialog.
    void OpenRequestDetails(int request);

    RowSelectGrid* ASGExternalNet;
    QToolButton* SBAddRequest;
    QToolButton* SBDelRequest;
    QToolButton* SBUpRequestRow;
    QToolButton* SBDownRequestRow;
    QPushButton* Button28;  // "TEST"
    QPushButton* Button17;  // "Get"
    QPushButton* Button27;  // "Default", never shown
    TFMBMaster* FMBMaster;
};
