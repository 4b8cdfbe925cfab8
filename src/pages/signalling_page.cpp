#include "pages/signalling_page.h"

#include "model/dev_config.h"
#include "model/window_types.h"
#include "pages/page_host.h"
#include "text/config_fields.h"
#include "widgets/bevel_panel.h"
#include "widgets/button_fonts.h"
#include "widgets/control_factory.h"
#include "widgets/icons.h"
#include "widgets/picture_button.h"
#include "widgets/rounded_group_box.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>

namespace {
constexpr int WindowLeft = 29;
constexpr int WindowTop = 30;
constexpr int WindowHeight = 28;
constexpr int RowPitch = 30;
constexpr int NarrowWidth = 60;
constexpr int WideWidth = 120;
constexpr int BandHeight = 115;
const QColor PageColour(242, 242, 242);

// The legend rows from the top: the direct types and absence.
constexpr WindowType LegendTypes[] = {WindowType::Indication, WindowType::Warning,
                                      WindowType::Emergency, WindowType::Absent};
constexpr int LegendTops[] = {12, 32, 52, 72};

QColor ColourOf(uint8_t code)
{
    return QColor(QRgb(WindowTypeColour(code)));
}

void PaintBackground(QWidget* widget, const QColor& colour)
{
    widget->setAutoFillBackground(true);
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, colour);
    widget->setPalette(pal);
}
}  // namespace

TSignallingPage::TSignallingPage(PageHost& host, QWidget* parent)
    : EditorPage(host, QStringLiteral("AdvOfficePage6"), parent)
{
    PMSetDispSettings = MakeTypeMenu("PMSetDispSettings",
                                     {"N23", "N24", "N25", "N26", "INDPREV1", "INDEMM1"}, false);
    connect(PMSetDispSettings, &QMenu::triggered, this,
            [this](QAction* item) { PMSetDispSettingsClick(item); });
    PMFillDispSettings = MakeTypeMenu("PMFillDispSettings",
                                      {"N14", "N15", "N16", "N17", "INDPREV2", "INDEMM2"}, true);
    connect(PMFillDispSettings, &QMenu::triggered, this,
            [this](QAction* item) { PMFillDispSettingsClick(item); });

    DISPNBook = new QStackedWidget(this);
    DISPNBook->setObjectName(QStringLiteral("DISPNBook"));
    DISPNBook->setGeometry(0, 0, PageWidth, NotebookHeight);
    DefaultLayout = new QWidget(DISPNBook);
    DefaultLayout->setObjectName(QStringLiteral("Default"));
    WideLayout = new QWidget(DISPNBook);
    WideLayout->setObjectName(QStringLiteral("Wide"));
    DISPNBook->addWidget(DefaultLayout);
    DISPNBook->addWidget(WideLayout);
    for (int w = 1; w <= int(PDisplay.size()); ++w)
        PDisplay[w - 1] = MakeWindow(DefaultLayout, w, 8, NarrowWidth);
    for (int w = 1; w <= int(PWDisplay.size()); ++w)
        PWDisplay[w - 1] = MakeWindow(WideLayout, w, 4, WideWidth);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, NotebookHeight, PageWidth, BandHeight);
    PaintBackground(Panel1, PageColour);
    BuildLegend();

    SBFillDispSettings =
        MakeFillButton(Panel1, "SBFillDispSettings", 229, 10, PMFillDispSettings, true,
                       QStringLiteral("Заполнить: Индикация, Предупредит., Аварийная, Отсутствует, "
                                      "Обратная предупред., Обратная аварийная"));
    SetNavyBoldFont(SBFillDispSettings, 0);
    connect(SBFillDispSettings, &PictureButton::clicked, this,
            [this] { m_host.SBShowPopup(SBFillDispSettings); });

    ButtonGetDispSettings = MakeHiddenButton(this, "ButtonGetDispSettings", QStringLiteral("Get"));
    connect(ButtonGetDispSettings, &QPushButton::clicked, this, [this] { GetDispSettings(); });
    ButtonDefaultDispSettings =
        MakeHiddenButton(this, "ButtonDefaultDispSettings", QStringLiteral("Default"));
    connect(ButtonDefaultDispSettings, &QPushButton::clicked, this,
            [this] { DefaultDispSettings(); });
    Button18 = MakeHiddenButton(this, "Button18", QStringLiteral("Normal"));
    connect(Button18, &QPushButton::clicked, this, [this] { Button18Click(); });
    Button26 = MakeHiddenButton(this, "Button26", QStringLiteral("Wide"));
    connect(Button26, &QPushButton::clicked, this, [this] { Button26Click(); });
}

BevelPanel* TSignallingPage::MakeWindow(QWidget* notebookPage, int window, int perRow, int width)
{
    auto* panel = new BevelPanel(notebookPage);
    const bool wide = width == WideWidth;
    panel->setObjectName(QStringLiteral("%1%2").arg(wide ? "PWDisplay" : "PDisplay").arg(window));
    const int i = (window - 1) % perRow;
    const int j = (window - 1) / perRow;
    panel->setGeometry(WindowLeft + width * i, WindowTop + RowPitch * j, width, WindowHeight);
    panel->setCaption(QString::number(window));
    panel->setTag(window - 1);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    font.setBold(true);
    panel->setFont(font);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    panel->setPalette(pal);
    connect(panel, &BevelPanel::mouseDown, this,
            [this, panel](Qt::MouseButton button) { PDisplayMouseDown(panel, button); });
    connect(panel, &BevelPanel::mouseUp, this,
            [this, panel](Qt::MouseButton button) { PDisplayMouseUp(panel, button); });
    connect(panel, &BevelPanel::menuRequested, this, [this, panel](const QPoint& at) {
        m_menuWindow = panel;
        PMSetDispSettings->popup(at);
    });
    return panel;
}

QMenu* TSignallingPage::MakeTypeMenu(const char* name, const std::array<const char*, 6>& itemNames,
                                     bool fillTexts)
{
    auto* menu = new QMenu(this);
    menu->setObjectName(QLatin1String(name));
    for (int tag = 0; tag < WindowTypeCount; ++tag) {
        if (tag == int(WindowType::InverseWarning))
            menu->addSeparator();
        const WindowTypeItem& type = WindowTypeItems[tag];
        QAction* item = menu->addAction(
            Icons::Picture(tag), QString::fromUtf8(fillTexts ? type.FillText : type.SetText));
        item->setObjectName(QLatin1String(itemNames[tag]));
        item->setData(tag);
    }
    return menu;
}

void TSignallingPage::BuildLegend()
{
    AdvGroupBox1 = MakeGroup(Panel1, "AdvGroupBox1", QString(), QRect(30, 10, 180, 99));
    AdvGroupBox1->setBorderColor(palette().color(QPalette::Mid));
    for (int k = 0; k < 4; ++k) {
        const auto code = uint8_t(LegendTypes[k]);
        auto* swatch = new QLabel(AdvGroupBox1);
        swatch->setObjectName(QStringLiteral("StaticText%1").arg(5 + k));
        swatch->setGeometry(10, LegendTops[k], 18, 12);
        swatch->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        swatch->setLineWidth(1);
        PaintBackground(swatch, ColourOf(code));
        swatch->setAccessibleName(
            QStringLiteral("Цвет: %1").arg(QString::fromUtf8(WindowTypeName(code))));
        LegendSwatch[k] = swatch;
        LegendLabel[k] = MakeLabel(AdvGroupBox1, qPrintable(QStringLiteral("Label%1").arg(5 + k)),
                                   QString::fromUtf8(WindowTypeName(code)), 33, LegendTops[k]);
    }
}

void TSignallingPage::ShowWindow(BevelPanel* window)
{
    const uint8_t code = WindowTypeCode(m_host.State().Image, window->tag() + 1);
    window->setColour(ColourOf(code));
    const char* name = WindowTypeName(code);
    const QString type = name ? QString::fromUtf8(name) : QStringLiteral("Код %1").arg(code);
    window->setAccessibleName(QStringLiteral("Окно %1, %2").arg(window->tag() + 1).arg(type));
    window->setAccessibleDescription(type);
}

void TSignallingPage::GetDispSettings()
{
    for (BevelPanel* window : PDisplay)
        ShowWindow(window);
    for (BevelPanel* window : PWDisplay)
        ShowWindow(window);
    const ConfigState& state = m_host.State();
    const WindowLayout layout =
        WindowLayoutFor(state.Image[DevConfig::WindowCount], state.FamilyCode);
    DISPNBook->setCurrentWidget(layout.Wide ? WideLayout : DefaultLayout);
    const bool twelve = layout.Windows == WindowTypes::FamilyWindowCount09;
    for (int w = WindowTypes::FamilyWindowCount09 + 1; w <= int(PWDisplay.size()); ++w)
        PWDisplay[w - 1]->setVisible(!twelve);
    const int height = twelve ? NotebookHeight12 : NotebookHeight;
    DISPNBook->resize(PageWidth, height);
    Panel1->move(0, height);
}

void TSignallingPage::DefaultDispSettings()
{
    DefaultWindowTypes(m_host.State().Image);
    GetDispSettings();
}

void TSignallingPage::PDisplayMouseDown(BevelPanel* window, Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        return;
    window->setOuterRaised(false);
    StepWindowType(m_host.State().Image, window->tag() + 1);
    ShowWindow(window);
}

void TSignallingPage::PDisplayMouseUp(BevelPanel* window, Qt::MouseButton button)
{
    if (button == Qt::LeftButton)
        window->setOuterRaised(true);
}

void TSignallingPage::PMSetDispSettingsClick(QAction* item)
{
    const auto type = WindowTypeForTag(item->data().toInt());
    if (!m_menuWindow || !type)
        return;
    SetWindowType(m_host.State().Image, m_menuWindow->tag() + 1, *type);
    ShowWindow(m_menuWindow);
}

void TSignallingPage::PMFillDispSettingsClick(QAction* item)
{
    const auto type = WindowTypeForTag(item->data().toInt());
    if (!type)
        return;
    FillWindowTypes(m_host.State().Image, *type);
    GetDispSettings();
}

void TSignallingPage::Button18Click()
{
    DISPNBook->setCurrentWidget(DefaultLayout);
}

void TSignallingPage::Button26Click()
{
    DISPNBook->setCurrentWidget(WideLayout);
}

bool TSignallingPage::FocusField(const FieldRow& row)
{
    if (row.Section != FieldSection::Windows || row.Item < 1)
        return false;
    const bool wide = DISPNBook->currentWidget() == WideLayout;
    const size_t count = wide ? PWDisplay.size() : PDisplay.size();
    if (size_t(row.Item) > count)
        return false;
    return FocusControl(wide ? PWDisplay[size_t(row.Item - 1)] : PDisplay[size_t(row.Item - 1)]);
}
