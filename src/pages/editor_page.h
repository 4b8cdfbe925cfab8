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

protected:
    PageHost& m_host;
};
