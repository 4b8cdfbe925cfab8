#pragma once

#include <QIcon>
#include <QList>
#include <QString>
#include <QWidget>

// The column of page tabs on the left of a VerticalPager: one tab of
// TabHeight pixels per visible page, the icon above the caption. Hidden tabs
// take no room and cannot be clicked; the visible ones close up. When the
// column is too short for all of them at full height, they share it evenly
// (down to MinTabHeight), so that every tab stays within reach.
class PagerTabBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int TabHeight = 85;
    static constexpr int MinTabHeight = 60;
    static constexpr int ColumnWidth = 86;
    static constexpr int IconSize = 32;

    explicit PagerTabBar(QWidget* parent = nullptr);

    int addTab(const QString& caption, const QIcon& icon);
    void removeTab(int index);
    int count() const { return int(m_tabs.size()); }
    QString caption(int index) const;

    void setTabVisible(int index, bool visible);
    bool isTabVisible(int index) const;

    // The highlighted tab; -1 for none. Setting it emits nothing.
    void setCurrentIndex(int index);
    int currentIndex() const { return m_current; }

    void setAntialiased(bool on);
    bool antialiased() const { return m_antialiased; }

    // The height of every visible tab at the column's present height.
    int tabHeight() const;
    // The tab's area in this widget's coordinates; empty for a hidden tab.
    QRect tabRect(int index) const;
    // The visible tab under a point, or -1.
    int tabAt(const QPoint& pos) const;
    // Chooses a visible tab as the user does (emits tabActivated); used by
    // assistive technologies through the tab's press action.
    void activateTab(int index);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The user chose a tab (mouse or keyboard).
    void tabActivated(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Tab {
        QString Caption;
        QIcon Icon;
        bool Visible = true;
    };

    bool isValid(int index) const { return index >= 0 && index < count(); }
    int visibleCount() const;
    int visibleNeighbour(int from, int step) const;
    void setHover(int index);
    void paintTab(QPainter& painter, int index) const;
    QRect iconRect(const QRect& area) const;
    QRect captionBox(const QRect& area) const;
    QFont captionFont() const;

    QList<Tab> m_tabs;
    int m_current = -1;
    int m_hover = -1;
    bool m_antialiased = true;
};
