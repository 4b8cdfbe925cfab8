#pragma once

#include "model/config_image.h"
#include "text/config_fields.h"

#include <QDialog>
#include <QList>

class QLabel;
class QPushButton;
class QTableWidget;

// "Отличия от панели": the fields a panel holds otherwise than the window,
// one row each with the panel's value and the window's, as the pages read
// them. It keeps the panel's image, so that the window can take it as a read
// would; it changes nothing itself. Not modal: the user goes to a field,
// edits it on its page and comes back.
//
// Keys: the table has the focus first; Enter (Перейти, the default button)
// or a double click goes to the current row's field, Ctrl+C copies the selected rows (all when none
// is selected) as tab-separated text with the header line, Escape closes. A click on a column's
// header sorts by it, again the other way round.
class TFDiff : public QDialog {
    Q_OBJECT
public:
    enum Column { FieldColumn, PanelColumn, WindowColumn, ColumnCount };

    explicit TFDiff(QWidget* parent = nullptr);

    // Shows the differences of a new comparison in page order (or in the
    // order the user sorted by), the panel named by `device`; the panel's
    // image and family are kept.
    void SetDifferences(const QList<FieldDifference>& differences, const ConfigImage& panel,
                        int family, const QString& device);

    const ConfigImage& PanelImage() const { return m_panel; }
    int PanelFamily() const { return m_family; }
    // The field of a row of the table as it is sorted now, or null.
    const FieldRow* FieldAt(int row) const;
    // What Ctrl+C copies.
    QString CopyText() const;

signals:
    // "Перейти": show the field on its page.
    void goToField(const FieldRow& row);
    // "Взять из панели": take the panel's image into the window.
    void takeFromPanel();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void GoToCurrent();
    void SortBy(int column, Qt::SortOrder order);

    QLabel* m_device;
    QTableWidget* m_table;
    QPushButton* m_goTo;
    QPushButton* m_take;
    QPushButton* m_close;
    ConfigImage m_panel{};
    int m_family = 0;
    // The column the user sorted by, -1 for page order.
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
