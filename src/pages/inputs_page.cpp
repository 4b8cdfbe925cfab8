#include "pages/inputs_page.h"

#include "model/dev_config.h"
#include "model/input_type.h"
#include "pages/page_host.h"
#include "text/config_fields.h"
#include "widgets/control_factory.h"
#include "widgets/icons.h"
#include "widgets/picture_button.h"
#include "widgets/rounded_group_box.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

namespace {
constexpr int InputsPerGroup = 32;
constexpr int RowsPerColumn = 16;
constexpr int ButtonX[2] = {16, 112};
constexpr int NumberX[2] = {47, 143};
constexpr int FirstRowY = 16;
constexpr int RowPitch = 21;

QPixmap ContactPicture(ContactType type)
{
    return Icons::Picture(type == ContactType::NormallyClosed ? Icons::ContactClosed
                                                              : Icons::ContactOpen);
}

RoundedGroupBox* MakeInputGroup(QWidget* parent, const char* name, const QString& title, int x)
{
    RoundedGroupBox* box = MakeGroup(parent, name, title, QRect(x, 10, 186, 390));
    box->setCaptionPlace(RoundedGroupBox::CaptionPlace::BottomCentre);
    box->setAutoFillBackground(true);
    QPalette pal = box->palette();
    pal.setColor(QPalette::Window, QColor(242, 242, 242));
    pal.setColor(QPalette::WindowText, Qt::black);
    box->setPalette(pal);
    return box;
}
}  // namespace

TInputsPage::TInputsPage(PageHost& host, QWidget* parent)
    : EditorPage(host, QStringLiteral("AdvOfficePage5"), parent)
{
    AGBoxBVH = MakeInputGroup(this, "AGBoxBVH", QStringLiteral(" Дискретные "), 20);
    AGBoxMODBUS = MakeInputGroup(this, "AGBoxMODBUS", QStringLiteral(" ModBus "), 230);
    AGBoxMODBUS->hide();
    BuildGroup(AGBoxBVH, 1);
    BuildGroup(AGBoxMODBUS, InputsPerGroup + 1);

    PMFillInputType = new QMenu(this);
    PMFillInputType->setObjectName(QStringLiteral("PMFillInputType"));
    N13 = PMFillInputType->addAction(ContactPicture(ContactType::NormallyOpen),
                                     QStringLiteral(" Н.Р."));
    N13->setObjectName(QStringLiteral("N13"));
    N13->setData(0);
    N21 = PMFillInputType->addAction(ContactPicture(ContactType::NormallyClosed),
                                     QStringLiteral(" Н.З."));
    N21->setObjectName(QStringLiteral("N21"));
    N21->setData(1);
    connect(PMFillInputType, &QMenu::triggered, this, [this](QAction* item) { N13Click(item); });

    SBFillInputType = MakeFillButton(this, "SBFillInputType", FillButtonX, 10, PMFillInputType,
                                     true, QStringLiteral("Заполнить: Н.Р., Н.З."));
    connect(SBFillInputType, &PictureButton::clicked, this,
            [this] { m_host.SBShowPopup(SBFillInputType); });
}

void TInputsPage::BuildGroup(RoundedGroupBox* box, int firstInput)
{
    QFont bold = font();
    bold.setBold(true);
    for (int k = 0; k < InputsPerGroup; ++k) {
        const int input = firstInput + k;
        const int column = k / RowsPerColumn;
        const int y = FirstRowY + RowPitch * (k % RowsPerColumn);

        auto* button = new PictureButton(box);
        button->setObjectName(QStringLiteral("SBTypeContact%1").arg(input));
        button->setGeometry(ButtonX[column], y, 32, 22);
        button->setTag(input - 1);
        button->setAccessibleName(QStringLiteral("Вход %1").arg(input));
        connect(button, &PictureButton::clicked, this,
                [this, button] { SBTypeContactClick(button); });
        SBTypeContact[input - 1] = button;

        auto* number = new QLabel(QString::number(input), box);
        number->setObjectName(QStringLiteral("LInputNumber%1").arg(input));
        number->setGeometry(NumberX[column], y, 26, 21);
        number->setFrameStyle(QFrame::Panel | QFrame::Raised);
        number->setAlignment(Qt::AlignCenter);
        number->setFont(bold);
    }
}

void TInputsPage::ShowContact(PictureButton* button)
{
    const ContactType type = InputContact(m_host.State().Image, button->tag() + 1);
    button->setPicture(ContactPicture(type));
    button->setAccessibleDescription(QString::fromUtf8(ContactTypeName(type)));
}

void TInputsPage::DefaultInputType()
{
    DefaultInputTypeBytes(m_host.State().Image);
    GetInputType();
}

void TInputsPage::GetInputType()
{
    for (PictureButton* button : SBTypeContact)
        ShowContact(button);
    // The Modbus inputs keep showing their bits while their group is hidden.
    const bool master = DevFlag(m_host.State().Image, DevConfig::MBusMasterBit);
    AGBoxMODBUS->setVisible(master);
    SBFillInputType->move(master ? FillButtonXWithModbus : FillButtonX, 10);
}

void TInputsPage::SBTypeContactClick(PictureButton* button)
{
    ToggleInputContact(m_host.State().Image, button->tag() + 1);
    ShowContact(button);
}

void TInputsPage::N13Click(QAction* item)
{
    const int position = item->data().toInt();
    if (position != 0 && position != 1)
        return;
    ConfigImage& image = m_host.State().Image;
    FillInputTypes(image, position == 1 ? ContactType::NormallyClosed : ContactType::NormallyOpen,
                   DevFlag(image, DevConfig::MBusMasterBit));
    GetInputType();
}

bool TInputsPage::FocusField(const FieldRow& row)
{
    if (row.Section != FieldSection::Inputs || row.Item < 1 || row.Item > int(SBTypeContact.size()))
        return false;
    return FocusControl(SBTypeContact[size_t(row.Item - 1)]);
}
