#include "pages/mb_master_form.h"

#include "pages/page_texts.h"
#include "widgets/control_factory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
QLineEdit* MakeField(QWidget* parent, const char* name)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setReadOnly(true);
    field->setAlignment(Qt::AlignRight);
    field->setFixedWidth(80);
    return field;
}
}  // namespace

TFMBMaster::TFMBMaster(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FMBMaster"));
    setWindowTitle(QStringLiteral("Запрос ModBus Master"));

    EDevice = MakeField(this, "EDevice");
    CBFunction = new QComboBox(this);
    CBFunction->setObjectName(QStringLiteral("CBFunction"));
    CBFunction->setEditable(true);
    CBFunction->lineEdit()->setReadOnly(true);
    for (const char* name : RequestFunctionNames)
        CBFunction->addItem(QString::fromUtf8(name));
    EAddress = MakeField(this, "EAddress");
    ECount = MakeField(this, "ECount");
    CBAck = MakeCheckBox(this, "CBAck", QStringLiteral("Квитирование"), 0, 0, 120);
    CBAck->setAccessibleName(CBAck->text());
    EAckAddress = MakeField(this, "EAckAddress");
    EAckAddress->setAccessibleName(QStringLiteral("Адрес квитирования"));
    CBReset = MakeCheckBox(this, "CBReset", QStringLiteral("Сброс"), 0, 0, 120);
    CBReset->setAccessibleName(CBReset->text());
    EResetAddress = MakeField(this, "EResetAddress");
    EResetAddress->setAccessibleName(QStringLiteral("Адрес сброса"));
    BClose = new QPushButton(QStringLiteral("Закрыть"), this);
    BClose->setObjectName(QStringLiteral("BClose"));
    BClose->setDefault(true);

    auto* grid = new QGridLayout(this);
    const struct {
        const char* Name;
        const char* Text;
        QWidget* Field;
    } rows[] = {
        {"LDevice", "Устройство", EDevice},
        {"LFunction", "Функция", CBFunction},
        {"LAddress", PageText::RequestAddress, EAddress},
        {"LCount", PageText::RequestCount, ECount},
    };
    int row = 0;
    for (const auto& [name, text, field] : rows) {
        QLabel* label = MakeLabel(this, name, QString::fromUtf8(text), 0, 0);
        LabelControl(label, field);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row++, 1);
    }
    grid->addWidget(CBAck, row, 0);
    grid->addWidget(EAckAddress, row++, 1);
    grid->addWidget(CBReset, row, 0);
    grid->addWidget(EResetAddress, row++, 1);
    grid->addWidget(BClose, row, 0, 1, 2, Qt::AlignRight);
    setFixedSize(sizeHint());

    // A box the user ticks or clears enables or disables its address.
    connect(CBAck, &QCheckBox::toggled, EAckAddress, &QWidget::setEnabled);
    connect(CBReset, &QCheckBox::toggled, EResetAddress, &QWidget::setEnabled);
    connect(BClose, &QPushButton::clicked, this, &QDialog::accept);
}

void TFMBMaster::FillRequestDetails(const RequestRecord& request,
                                    const std::optional<RequestRecord>& ack,
                                    const std::optional<RequestRecord>& reset)
{
    EDevice->setText(QString::number(request.Device));
    if (const auto position = RequestFunctionPosition(request.Function)) {
        CBFunction->setCurrentIndex(*position);
    } else {
        CBFunction->setCurrentIndex(-1);
        CBFunction->setEditText(HexByteText(request.Function));
    }
    EAddress->setText(HexWordText(request.Address));
    ECount->setText(QString::number(request.Count));
    CBAck->setChecked(ack.has_value());
    EAckAddress->setText(ack ? HexWordText(ack->Address) : NoAckAddress);
    EAckAddress->setEnabled(ack.has_value());
    CBReset->setChecked(reset.has_value());
    EResetAddress->setText(reset ? HexWordText(reset->Address) : NoResetAddress);
    EResetAddress->setEnabled(reset.has_value());
}
