#pragma once

#include "pages/editor_page.h"

#include <QPointer>

#include <array>

class BevelPanel;
class PictureButton;
class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QStackedWidget;
class RoundedGroupBox;

// The page "Сигнализация": the display type of each signalling window
// (block 4), shown as the panel's field of windows in its colours. A left
// click steps a window's type, a right click offers every type, the fill
// menu sets all 32 at once; every change is written into the image at once.
class TSignallingPage : public EditorPage {
    Q_OBJECT
public:
    static constexpr int NotebookHeight = 160;
    static constexpr int NotebookHeight12 = 129;  // the 12 windows of an ОРЛ-09

    explicit TSignallingPage(PageHost& host, QWidget* parent = nullptr);

    void Default() override { DefaultDispSettings(); }
    void Get() override { GetDispSettings(); }
    // A window's type: the window in the layout shown.
    bool FocusField(const FieldRow& row) override;

    void GetDispSettings();
    void DefaultDispSettings();
    void PDisplayMouseDown(BevelPanel* window, Qt::MouseButton button);
    void PDisplayMouseUp(BevelPanel* window, Qt::MouseButton button);
    void PMSetDispSettingsClick(QAction* item);
    void PMFillDispSettingsClick(QAction* item);
    void Button18Click();
    void Button26Click();

    QStackedWidget* DISPNBook;
    QWidget* DefaultLayout;  // the notebook page "Default": 32 narrow windows
    QWidget* WideLayout;     // the notebook page "Wide": 16 wide windows
    // PDisplay1 ... PDisplay32 and PWDisplay1 ... PWDisplay16; window w is
    // element w - 1 and carries the tag w - 1.
    std::array<BevelPanel*, 32> PDisplay{};
    std::array<BevelPanel*, 16> PWDisplay{};
    QWidget* Panel1;
    RoundedGroupBox* AdvGroupBox1;
    std::array<QLabel*, 4> LegendSwatch{};  // StaticText5 ... StaticText8
    std::array<QLabel*, 4> LegendLabel{};   // Label5 ... Label8
    PictureButton* SBFillDispSettings;
    QMenu* PMSetDispSettings;
    QMenu* PMFillDispSettings;
    // The four buttons that are never shown: "Get", "Default", "Normal", "Wide".
    QPushButton* ButtonGetDispSettings;
    QPushButton* ButtonDefaultDispSettings;
    QPushButton* Button18;  // "Normal", never shown
    QPushButton* Button26;  // "Wide", never shown

private:
    BevelPanel* MakeWindow(QWidget* notebookPage, int window, int perRow, int width);
    QMenu* MakeTypeMenu(const char* name, const std::array<const char*, 6>& itemNames,
                        bool fillTexts);
    void BuildLegend();
    void ShowWindow(BevelPanel* window);

    // The window whose menu was opened last.
    QPointer<BevelPanel> m_menuWindow;
};
