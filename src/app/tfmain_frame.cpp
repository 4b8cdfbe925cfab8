// The frame of the main window: tool bar, menu, pages and status bar.
#include "app/application.h"
#include "app/tfmain.h"
#include "app/ui_texts.h"
#include "pages/dev_config_page.h"
#include "pages/editor_page.h"
#include "pages/external_net_page.h"
#include "pages/inputs_page.h"
#include "pages/mbus_settings_page.h"
#include "pages/outputs_page.h"
#include "pages/signalling_page.h"
#include "pages/structure_page.h"
#include "widgets/control_factory.h"
#include "widgets/icons.h"
#include "widgets/menu_keys.h"
#include "widgets/picture_button.h"
#include "widgets/vertical_pager.h"

#include <QAction>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int ToolBarHeight = 33;

QToolButton* MakeToolButton(QWidget* parent, const char* name, const QString& hint,
                            const QIcon& icon, int width = 24)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(hint);
    b->setAccessibleName(hint);
    b->setIcon(icon);
    b->setIconSize(QSize(16, 16));
    b->setAutoRaise(true);
    b->setFixedSize(width, 24);
    ClickOnEnter(b);
    return b;
}

QFrame* MakeLine(QWidget* parent, QFrame::Shape shape)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(shape);
    line->setFrameShadow(QFrame::Sunken);
    line->setAccessibleName(QStringLiteral("Разделитель"));
    return line;
}
}  // namespace

void TFMain::BuildToolBar(QWidget* central)
{
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* strip = new QWidget(central);
    strip->setObjectName(QStringLiteral("ToolBar"));
    strip->setFixedHeight(ToolBarHeight);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(4, 2, 8, 2);
    row->setSpacing(2);

    SBNewConfig = MakeToolButton(strip, "SBNewConfig", QStringLiteral("Новая конфигурация"),
                                 Icons::NewConfig());
    SBLoadFile = MakeToolButton(strip, "SBLoadFile", UiText::Open, Icons::OpenFile());
    SBSaveFile =
        MakeToolButton(strip, "SBSaveFile", QStringLiteral("Сохранить"), Icons::SaveFile());
    SBMBusParameters = MakeToolButton(strip, "SBMBusParameters", UiText::ConnectionSettings,
                                      Icons::Connection(), 38);
    SBReadConfig = MakeToolButton(strip, "SBReadConfig", QStringLiteral("Считать конфигурацию"),
                                  Icons::ReadConfig());
    SBWriteConfig = MakeToolButton(strip, "SBWriteConfig", QStringLiteral("Записать конфигурацию"),
                                   Icons::WriteConfig());
    SBApplyConfig = MakeToolButton(strip, "SBApplyConfig", QStringLiteral("Применить изменения"),
                                   Icons::ApplyConfig());

    row->addWidget(SBNewConfig);
    row->addWidget(SBLoadFile);
    row->addWidget(SBSaveFile);
    row->addWidget(MakeLine(strip, QFrame::VLine));
    row->addWidget(SBMBusParameters);
    row->addWidget(SBReadConfig);
    row->addWidget(SBWriteConfig);
    row->addWidget(MakeLine(strip, QFrame::VLine));
    row->addWidget(SBApplyConfig);
    row->addStretch(1);

    LDeviceAddr = new QLabel(QStringLiteral("Адрес устройства"), strip);
    LDeviceAddr->setObjectName(QStringLiteral("LDeviceAddr"));
    QFont bold = LDeviceAddr->font();
    bold.setBold(true);
    LDeviceAddr->setFont(bold);
    EDeviceAddr = new QLineEdit(QStringLiteral("1"), strip);
    EDeviceAddr->setObjectName(QStringLiteral("EDeviceAddr"));
    EDeviceAddr->setToolTip(QStringLiteral("Адрес устройства в сети"));
    EDeviceAddr->setFixedWidth(40);
    InstallAddressHandlers(EDeviceAddr);
    LabelControl(LDeviceAddr, EDeviceAddr);
    row->addWidget(LDeviceAddr);
    row->addSpacing(6);
    row->addWidget(EDeviceAddr);

    column->addWidget(MakeLine(central, QFrame::HLine));
    column->addWidget(strip);
    column->addWidget(MakeLine(central, QFrame::HLine));
}

void TFMain::BuildPages()
{
    AdvOfficePager = new VerticalPager(centralWidget());
    AdvOfficePager->setObjectName(QStringLiteral("AdvOfficePager"));
    centralWidget()->layout()->addWidget(AdvOfficePager);

    AdvOfficePage1 = new QWidget;
    AdvOfficePage1->setObjectName(QStringLiteral("AdvOfficePage1"));
    L4 = new QLabel(QStringLiteral("<Статус>"), AdvOfficePage1);
    L4->setObjectName(QStringLiteral("L4"));
    L4->move(20, 20);

    AdvOfficePage2 = new TDevConfigPage(*this);
    AdvOfficePage3 = new TMBusSettingsPage(*this);
    AdvOfficePage5 = new TInputsPage(*this);
    AdvOfficePage4 = new TOutputsPage(*this);
    AdvOfficePage7 = new TStructurePage(*this);
    AdvOfficePage6 = new TSignallingPage(*this);
    AdvOfficePage8 = new TExternalNetPage(*this);

    const int tests =
        AdvOfficePager->addPage(AdvOfficePage1, QStringLiteral("ТЕСТЫ"), Icons::PageTests());
    AdvOfficePager->addPage(AdvOfficePage2, UiText::Configuration, Icons::PageConfig());
    AdvOfficePager->addPage(AdvOfficePage3, QStringLiteral("ModBus"), Icons::PageModbus());
    AdvOfficePager->addPage(AdvOfficePage5, QStringLiteral("Входы"), Icons::PageInputs());
    AdvOfficePager->addPage(AdvOfficePage4, QStringLiteral("Выходы"), Icons::PageOutputs());
    AdvOfficePager->addPage(AdvOfficePage7, QStringLiteral("Структура"), Icons::PageStructure());
    AdvOfficePager->addPage(AdvOfficePage6, QStringLiteral("Сигнализация"),
                            Icons::PageSignalling());
    const int external = AdvOfficePager->addPage(AdvOfficePage8, QStringLiteral("Внешняя сеть"),
                                                 Icons::PageExternalNet());
    AdvOfficePager->setTabVisible(tests, false);
    AdvOfficePager->setTabVisible(external, false);
}

void TFMain::BuildMenu()
{
    QMenuBar* bar = menuBar();
    auto item = [](QMenu* menu, const char* name, const QString& text) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    // Each text with its Alt letter marked; no letter repeats in a menu.
    QMenu* file = bar->addMenu(QStringLiteral("&Файл"));
    file->setObjectName(QStringLiteral("MFile"));
    MIOpen = item(file, "MIOpen", QStringLiteral("&Открыть"));
    MISave = item(file, "MISave", QStringLiteral("&Сохранить"));
    MISaveAs = item(file, "MISaveAs", QStringLiteral("Сохранить &как..."));
    AddReportItems(file);
    file->addSeparator();
    N7 = item(file, "N7", QStringLiteral("&Выход"));

    QMenu* config = bar->addMenu(QStringLiteral("&Конфигурация"));
    config->setObjectName(QStringLiteral("MConfig"));
    MIRead = item(config, "MIRead", QStringLiteral("&Считать"));
    MIWrite = item(config, "MIWrite", QStringLiteral("&Записать"));
    MIApply = item(config, "MIApply", QStringLiteral("&Применить"));
    MIVerify = item(config, "MIVerify", QStringLiteral("С&верить с панелью"));
    config->addSeparator();
    MINew = item(config, "MINew", QStringLiteral("&Новая"));

    MIConnection = bar->addAction(QStringLiteral("&Связь"));
    MIConnection->setObjectName(QStringLiteral("MIConnection"));
    N20 = bar->addAction(QStringLiteral("&Инфо"));
    N20->setObjectName(QStringLiteral("N20"));

    QMenu* diagnostics = bar->addMenu(QStringLiteral("&Диагностика"));
    diagnostics->setObjectName(QStringLiteral("MDiagnostics"));
    MIScan = item(diagnostics, "MIScan", QStringLiteral("&Поиск панелей..."));
    MIJournal = item(diagnostics, "MIJournal", QStringLiteral("&Журнал обмена"));
}

void TFMain::BuildStatusBar()
{
    statusBar()->setObjectName(QStringLiteral("StatusBarFrame"));
    statusBar()->setSizeGripEnabled(false);
    StatusBar = new QLabel(statusBar());
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->addWidget(StatusBar, 1);

    // Fixed client area of 692 x 482 below the menu, centred on the desktop.
    const QSize size(ClientWidth, ClientHeight + menuBar()->sizeHint().height());
    setFixedSize(size);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), size);
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TFMain::Bind(QAction* action, void (TFMain::*handler)())
{
    connect(action, &QAction::triggered, this,
            [this, handler] { RunCommand([this, handler] { (this->*handler)(); }); });
}

void TFMain::Bind(QToolButton* button, void (TFMain::*handler)())
{
    connect(button, &QToolButton::clicked, this,
            [this, handler] { RunCommand([this, handler] { (this->*handler)(); }); });
}

void TFMain::WireCommands()
{
    Bind(SBNewConfig, &TFMain::SBNewConfigClick);
    Bind(SBLoadFile, &TFMain::SBLoadFileClick);
    Bind(SBSaveFile, &TFMain::SBSaveFileClick);
    Bind(SBMBusParameters, &TFMain::SBMBusParametersClick);
    Bind(SBReadConfig, &TFMain::ReadDataFromDevice);
    Bind(SBWriteConfig, &TFMain::WriteDataToDevice);
    Bind(SBApplyConfig, &TFMain::SBApplyConfigClick);
    Bind(MIOpen, &TFMain::SBLoadFileClick);
    Bind(MISave, &TFMain::SBSaveFileClick);
    connect(MISaveAs, &QAction::triggered, this,
            [this] { RunCommand([this] { SBSaveAsFileClick(true); }); });
    Bind(N7, &TFMain::N7Click);
    Bind(MIRead, &TFMain::ReadDataFromDevice);
    Bind(MIWrite, &TFMain::WriteDataToDevice);
    Bind(MIApply, &TFMain::SBApplyConfigClick);
    Bind(MIVerify, &TFMain::VerifyWithPanel);
    Bind(MINew, &TFMain::SBNewConfigClick);
    Bind(MIConnection, &TFMain::SBMBusParametersClick);
    Bind(N20, &TFMain::N20Click);
    Bind(MIScan, &TFMain::ShowScan);
    Bind(MIJournal, &TFMain::ShowJournal);
    // A fill menu replaces a whole block, however it is opened (a click on
    // its button or a right click): an edit in progress ends first.
    for (const PictureButton* button : findChildren<PictureButton*>())
        if (QMenu* menu = button->popupMenu())
            connect(menu, &QMenu::aboutToShow, this, &TFMain::EndCellEdits);
}
