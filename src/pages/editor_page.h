#pragma once

#include <QWidget>

class PageHost;

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

protected:
    PageHost& m_host;
};
