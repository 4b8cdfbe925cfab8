#pragma once

#include <QAccessibleWidget>

class BevelPanel;

// A signalling window as a screen reader sees it: a button named by the
// panel (its number and type), which presses and opens its menu.
class BevelPanelAccessible : public QAccessibleWidget {
public:
    explicit BevelPanelAccessible(BevelPanel* panel);

    // Makes the screen readers find this interface for every BevelPanel.
    static void Install();

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

private:
    BevelPanel* panel() const;
};
