#pragma once

#include "model/request_table.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// The request-details dialog of the external network page: one poll request
// with the acknowledge and reset writes of its device. It only shows them;
// nothing is read back when it closes.
class TFMBMaster : public QDialog {
    Q_OBJECT
public:
    // The addresses shown for a device without an acknowledge or reset record.
    static inline const QString NoAckAddress = QStringLiteral("0x0000");
    static inline const QString NoResetAddress = QStringLiteral("0x0001");

    explicit TFMBMaster(QWidget* parent = nullptr);

    void FillRequestDetails(const RequestRecord& request, const std::optional<RequestRecord>& ack,
                            const std::optional<RequestRecord>& reset);

    QLineEdit* EDevice;
    QComboBox* CBFunction;
    QLineEdit* EAddress;
    QLineEdit* ECount;
    QCheckBox* CBAck;
    QLineEdit* EAckAddress;
    QCheckBox* CBReset;
    QLineEdit* EResetAddress;
    QPushButton* BClose;
};
