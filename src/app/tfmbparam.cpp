#include "app/tfmbparam.h"

#include "app/tfmain.h"
#include "app/ui_texts.h"
#include "link/modbus.h"
#include "link/port_registry.h"
#include "model/command_error.h"
#include "model/mbus_settings.h"
#include "widgets/accessible_factory.h"
#include "widgets/control_factory.h"
#include "widgets/rounded_group_box.h"

#include <QAccessibleWidget>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>

namespace {
// Screen readers see the panel as the dialog it is.
QAccessibleInterface* PanelAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("TFMBParam") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Dialog);
    return nullptr;
}
}  // namespace

TFMBParam::TFMBParam(TFMain& main, PortRegistry& registry)
    : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint),
      m_main(main),
      m_registry(registry),
      m_link(main.Channel(), [&main](const QString& text) { main.ShowLinkStatus(text); })
{
    setObjectName(QStringLiteral("FMBParam"));
    InstallAccessibleFactoryOnce(PanelAccessible);
    setAccessibleName(UiText::ConnectionSettings);
    setFont(UiText::FormFont());
    setFixedSize(PanelWidth, PanelHeight);
    setWindowOpacity(240.0 / 255.0);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Bevel1->setLineWidth(2);
    Bevel1->setGeometry(0, 0, PanelWidth, PanelHeight);

    Label1 = MakeLabel(this, "Label1", QStringLiteral("COM-порт"), 10, 10);
    CBCOMPort = new QComboBox(this);
    CBCOMPort->setObjectName(QStringLiteral("CBCOMPort"));
    CBCOMPort->setGeometry(10, 26, 155, 22);
    LabelControl(Label1, CBCOMPort);

    Label2 = MakeLabel(this, "Label2", QStringLiteral("Скорость"), 10, 54);
    BuildLineControls(this, Label2,
                      LineControlsLayout{{10, 70, 155, 22},
                                         QStringLiteral(" Стоп-биты"),
                                         {8, 98, 159, 46},
                                         {12, 20},
                                         {84, 20},
                                         {8, 148, 159, 70},
                                         {12, 18},
                                         {12, 34},
                                         {12, 50}});

    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
    FormCreate();
}

void TFMBParam::FillPortList(QComboBox* box, const PortRegistry& registry)
{
    box->clear();
    box->addItems(registry.PortNames());
}

void TFMBParam::FormCreate()
{
    FillPortList(CBCOMPort, m_registry);
    CBCOMPort->setCurrentIndex(0);
}

void TFMBParam::RefreshPortList()
{
    const QString chosen = CBCOMPort->currentText();
    FillPortList(CBCOMPort, m_registry);
    const int index = CBCOMPort->findText(chosen);
    CBCOMPort->setCurrentIndex(index >= 0 ? index : 0);
}

void TFMBParam::ShowUnder(QWidget* button)
{
    // The panel overlaps the button's bottom pixel row.
    move(button->mapToGlobal(QPoint(0, button->height() - 1)));
    m_returnFocus.Remember(&m_main);
    show();
}

void TFMBParam::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    FormShow();
}

void TFMBParam::FormShow()
{
    // USB adapters come and go while the tool runs: list them anew.
    RefreshPortList();
    m_main.ShowPortPanelOpen(true);
    CBCOMPort->setFocus();
}

void TFMBParam::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    FormClose();
}

void TFMBParam::FormClose()
{
    m_main.ShowPortPanelOpen(false);
    QCoreApplication::processEvents();
    m_returnFocus.GiveBack();
}

void TFMBParam::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Escape) {
        hide();  // the choices stay as they are
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TFMBParam::eventFilter(QObject* watched, QEvent* event)
{
    // The panel sees key presses before its controls: Enter and Esc close it.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            hide();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool TFMBParam::event(QEvent* event)
{
    // A click anywhere else takes the focus away and closes the panel.
    if (event->type() == QEvent::WindowDeactivate && isVisible())
        hide();
    return QWidget::event(event);
}

LinkSettings TFMBParam::Settings() const
{
    LinkSettings s;
    s.PortName = CBCOMPort->currentText();
    s.DevicePath = m_registry.DevicePath(s.PortName);
    s.Line = LineSettings();
    s.AddressText = m_main.DeviceAddressText();
    return s;
}

void TFMBParam::ShowLine(const SerialSettings& line)
{
    ShowLineSettings(line);
}

int TFMBParam::Connect(bool checkVersion)
{
    m_connected = Settings();
    try {
        return m_link.Connect(m_connected, checkVersion);
    } catch (const CommandError& e) {
        // A virtual port the unsafe ports' folder hides: say why it is missing.
        const QString problem = m_registry.FolderProblem();
        if (problem.isEmpty() || e.Message() != PanelText::OpenError(m_connected.PortName))
            throw;
        throw CommandError(e.Message(), e.Detail() + QStringLiteral("\n\n") + problem);
    }
}

bool TFMBParam::Disconnect()
{
    m_link.Disconnect();
    return true;
}
