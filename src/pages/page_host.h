#pragma once

#include "model/config_image.h"

class QAbstractButton;
class QLineEdit;
class QString;

// What an editor page needs of the main window that holds it: the image
// (never a copy), the status bar, the refreshes of other pages that some
// edits trigger, and the shared handlers of address fields and fill buttons.
class PageHost {
public:
    virtual ConfigState& State() = 0;
    virtual void ShowStatus(const QString& text) = 0;
    // Puts the status bar back to its normal text, the version.
    virtual void ShowVersionStatus() = 0;
    virtual void GetDispSettings() = 0;
    virtual void GetInputType() = 0;
    virtual void ShowCrossBarExtInputs() = 0;
    virtual void InstallAddressHandlers(QLineEdit* field) = 0;
    virtual void SBShowPopup(QAbstractButton* button) = 0;

protected:
    ~PageHost() = default;
};
