#pragma once

#include <QWidget>

class PageHost;
class StringGrid;
struct FieldRow;

// Base of the editor pages: 606 x 422 pixels on the page background.
class EditorPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int PageWidth = 606;
    static constexpr int PageHeight = 422;

    EditorPage(PageHost& host, const QString& objectName, QWidget* parent = nullptr);

    // The operations the window runs over every page: Setup once when the
    // window is created, Default for a new configuration, Get to show the
    // image, Set to store what the controls hold (pages that keep nothing
    // in controls between edits have none).
    virtual void Setup() {}
    virtual void Default() = 0;
    virtual void Get() = 0;
    virtual void Set() {}

    // Puts the keyboard focus on the control or grid cell that shows the
    // field, on the page as it is shown now (the page itself active).
    // False when the page shows the field nowhere: bytes no control shows,
    // a control hidden in this configuration, a field of another page.
    virtual bool FocusField(const FieldRow& row);

protected:
    // Focuses `control` when it is shown on the page and enabled.
    bool FocusControl(QWidget* control);
    // Makes the grid's cell current, in view, and focuses the grid.
    bool FocusCell(StringGrid* grid, int col, int row);

    PageHost& m_host;
};
