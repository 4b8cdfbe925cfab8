#pragma once

#include "link/panel_link.h"

#include "widgets/focus_return.h"
#include "widgets/line_controls.h"

#include <QWidget>

#include <memory>

class QComboBox;
class QFrame;
class QLabel;
class QRadioButton;
class PortRegistry;
class RoundedGroupBox;
class TFMain;

// The port settings panel: a small borderless window that drops down under
// the connection button and holds the user's choice of port, baud rate,
// stop bits and parity for as long as the program runs. Every device
// command connects through it.
class TFMBParam : public QWidget, public LineControls {
    Q_OBJECT
public:
    static constexpr int PanelWidth = 175;
    static constexpr int PanelHeight = 226;

    TFMBParam(TFMain& main, PortRegistry& registry);

    // Fills `box` with the ports the registry knows (sorted); the caller
    // selects an entry.
    static void FillPortList(QComboBox* box, const PortRegistry& registry);

    // Places the panel under the main window's connection button and shows it.
    void ShowUnder(QWidget* button);

    // The settings the controls and the main window's address field stand for.
    LinkSettings Settings() const;
    // Shows `line` on the baud rate, stop bits and parity controls (a panel
    // a scan found); the port and the address stay as they are.
    void ShowLine(const SerialSettings& line);
    // Connects with the settings of the moment; the command keeps them
    // (ConnectedSettings) so the port is resolved once per command.
    int Connect(bool checkVersion);
    const LinkSettings& ConnectedSettings() const { return m_connected; }
    bool Disconnect();
    // The exchange steps over the main window's channel.
    PanelLink& Link() { return m_link; }

    void FormCreate();
    void FormShow();
    void FormClose();

    QFrame* Bevel1;
    QLabel* Label1;
    QComboBox* CBCOMPort;
    QLabel* Label2;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Fills the port list again, keeping the chosen port when it is still there.
    void RefreshPortList();

    TFMain& m_main;
    PortRegistry& m_registry;
    PanelLink m_link;
    LinkSettings m_connected;
    // The main window's focus, given back when the panel closes.
    FocusReturn m_returnFocus;
};
