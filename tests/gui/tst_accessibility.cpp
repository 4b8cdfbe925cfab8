// The window as a screen reader sees it, through the toolkit's
// accessibility interfaces: names, roles, states, headers, actions and
// relations of every kind of control the pages have.
#include "app/tfmbparam.h"
#include "app_fixture.h"
#include "key_script.h"

#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>

namespace {
// The interface a locator names: "Name" for a control by object name,
// "Grid/row/col" for a data cell (rows counted from the first data row),
// "Grid/header/col" and "Grid/rowheader/row" for header cells.
QAccessibleInterface* Locate(TFMain* main, const QString& locator)
{
    const QStringList parts = locator.split(QLatin1Char('/'));
    QObject* object = main->findChild<QObject*>(parts[0]);
    if (!object && main->PortPanel().objectName() == parts[0])
        object = &main->PortPanel();
    QAccessibleInterface* iface = object ? QAccessible::queryAccessibleInterface(object) : nullptr;
    if (!iface || parts.size() == 1)
        return iface;
    QAccessibleTableInterface* table = iface->tableInterface();
    if (!table)
        return nullptr;
    if (parts[1] == QLatin1String("header")) {
        QAccessibleInterface* child = iface->child(parts[2].toInt());
        return child && child->role() == QAccessible::ColumnHeader ? child : nullptr;
    }
    if (parts[1] == QLatin1String("rowheader")) {
        QAccessibleInterface* cell = table->cellAt(parts[2].toInt(), 0);
        QAccessibleTableCellInterface* cellInfo = cell ? cell->tableCellInterface() : nullptr;
        const QList<QAccessibleInterface*> headers =
            cellInfo ? cellInfo->rowHeaderCells() : QList<QAccessibleInterface*>();
        return headers.isEmpty() ? nullptr : headers.first();
    }
    return table->cellAt(parts[1].toInt(), parts[2].toInt());
}

// The states the row names, each set ("checked") or not set ("!checked").
QString StateMismatch(const QAccessible::State& s, const QString& wanted)
{
    const QList<QPair<const char*, bool>> known{
        {"checkable", bool(s.checkable)}, {"checked", bool(s.checked)},
        {"disabled", bool(s.disabled)},   {"focusable", bool(s.focusable)},
        {"focused", bool(s.focused)},     {"editable", bool(s.editable)},
        {"readOnly", bool(s.readOnly)},   {"invisible", bool(s.invisible)},
    };
    QStringList wrong;
    for (QString flag : wanted.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const bool want = !flag.startsWith(QLatin1Char('!'));
        flag.remove(QLatin1Char('!'));
        bool found = false;
        for (const auto& k : known) {
            if (flag == QLatin1String(k.first)) {
                found = true;
                if (k.second != want)
                    wrong << flag + (want ? " not set" : " set");
            }
        }
        if (!found)
            wrong << "unknown state " + flag;
    }
    return wrong.join(", ");
}

// What a screen reader is told while a test types: each event as
// "Kind: name", the name being the accessible name of what it concerns
// (a label's is its text; the object name where there is none).
QStringList* g_heard = nullptr;

void Listen(QAccessibleEvent* event)
{
    if (!g_heard)
        return;
    QString kind;
    switch (event->type()) {
        case QAccessible::StateChanged: kind = QStringLiteral("StateChanged"); break;
        case QAccessible::Alert: kind = QStringLiteral("Alert"); break;
        case QAccessible::DescriptionChanged: kind = QStringLiteral("DescriptionChanged"); break;
        default: return;
    }
    QAccessibleInterface* iface = event->accessibleInterface();
    QString name = iface ? iface->text(QAccessible::Name) : QString();
    if (name.isEmpty() && event->object())
        name = event->object()->objectName();
    *g_heard << kind + QStringLiteral(": ") + name;
}
}  // namespace

class TestAccessibility : public QObject {
    Q_OBJECT
private slots:
    // The changes a screen reader must hear of, as the toolkit's bridge
    // would pass them on: a toggled cell's state, a refused number and the
    // status text that says why.
    void announcements_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("heard");
        QTest::newRow("check box toggled") << 4 << "Tab Down Right Right Space"
                                           << QStringList{"StateChanged: Квитирование, Панель, 1"};
        QTest::newRow("relay cell toggled")
            << 5 << "Tab Right Right Right Space" << QStringList{"StateChanged: Вход 1, реле 2"};
        QTest::newRow("refused input number")
            << 4 << "Tab Down Right Right Right Right 9 9 Return"
            << QStringList{"DescriptionChanged: Квитирование, Внешн., 1",
                           "Alert: Квитирование, Внешн., 1",
                           "Alert:  Номер входа вне диапазона 1 - 64"};
        QTest::newRow("refused window number")
            << 5 << QString("Tab") + QString(" Right").repeated(11) + " 9 9 Return"
            << QStringList{"Alert: №, 1", "Alert:  Окно вне диапазона 1 - 32"};
    }
    void announcements()
    {
        QFETCH(int, page);
        QFETCH(QString, keys);
        QFETCH(QStringList, heard);
        AppFixture f;
        QVERIFY(f.ShowWithPageColumnFocused(page));

        QStringList told;
        g_heard = &told;
        // A screen reader's bridge switches the platform's accessibility on;
        // only then does the toolkit pass events on.
        QPlatformAccessibility* bridge =
            QGuiApplicationPrivate::platformIntegration()->accessibility();
        QVERIFY(bridge);
        bridge->setActive(true);
        const QAccessible::UpdateHandler previous = QAccessible::installUpdateHandler(Listen);
        TypeKeys(f.main, keys);
        QAccessible::installUpdateHandler(previous);
        bridge->setActive(false);
        g_heard = nullptr;

        for (const QString& line : heard)
            QVERIFY2(told.contains(line), qPrintable(line + " not in: " + told.join(" | ")));
    }
    void controls_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("locator");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("states");
        QTest::addColumn<QString>("extra");  // description, action, relation, child or editor

        // Inputs page.
        QTest::newRow("contact button")
            << 3 << "Tab Tab Tab"
            << "SBTypeContact3"
            << "Вход 3" << int(QAccessible::Button) << "focusable focused"
            << "description Н.Р.";
        QTest::newRow("fill button")
            << 3 << ""
            << "SBFillInputType"
            << "Заполнить: Н.Р., Н.З." << int(QAccessible::Button) << "focusable"
            << "";
        // Signalling page.
        QTest::newRow("window") << 6 << "Tab Space"
                                << "PDisplay1"
                                << "Окно 1, Предупредительная" << int(QAccessible::Button)
                                << "focusable focused"
                                << "action Press";
        QTest::newRow("legend swatch") << 6 << ""
                                       << "StaticText7"
                                       << "Цвет: Аварийная" << int(QAccessible::StaticText) << ""
                                       << "";
        // Configuration page and the frame.
        // The list says its current entry; its label comes by relation.
        QTest::newRow("model list") << 1 << ""
                                    << "CBConfig"
                                    << "ОРЛ-07" << int(QAccessible::ComboBox) << "focusable"
                                    << "labelled Тип прибора";
        QTest::newRow("port panel") << 1 << "Ctrl+L"
                                    << "FMBParam"
                                    << "Параметры связи" << int(QAccessible::Dialog) << "!invisible"
                                    << "child Скорость";
        // Outputs grid.
        QTest::newRow("outputs column header")
            << 4 << ""
            << "ASGOutBase/header/2"
            << "Квитирование, Панель" << int(QAccessible::ColumnHeader) << ""
            << "";
        QTest::newRow("outputs row header") << 4 << ""
                                            << "ASGOutBase/rowheader/7"
                                            << "8" << int(QAccessible::RowHeader) << ""
                                            << "";
        QTest::newRow("check box cell") << 4 << "Tab Down Right Right Space"
                                        << "ASGOutBase/0/2"
                                        << "Квитирование, Панель, 1" << int(QAccessible::CheckBox)
                                        << "checkable !checked focused !disabled"
                                        << "action Toggle";
        QTest::newRow("locked check box cell")
            << 4 << "Tab Tab Space Down Down Down Return"
            << "ASGOutBase/3/6"
            << "Сброс, ModBus, 4" << int(QAccessible::CheckBox) << "checkable disabled"
            << "";
        QTest::newRow("refused number cell")
            << 4 << "Tab Down Right Right Right Right 9 9 Return"
            << "ASGOutBase/0/4"
            << "Квитирование, Внешн., 1" << int(QAccessible::Cell) << "editable focused"
            << "description Номер входа вне диапазона 1 - 64";
        // Crossbar.
        QTest::newRow("crossbar headers: input") << 5 << ""
                                                 << "ASGCrossBar/header/1"
                                                 << "Вход" << int(QAccessible::ColumnHeader) << ""
                                                 << "";
        QTest::newRow("crossbar headers: relays")
            << 5 << ""
            << "ASGCrossBar/header/5"
            << "Активация выходов" << int(QAccessible::ColumnHeader) << ""
            << "";
        QTest::newRow("crossbar headers: kind")
            << 5 << ""
            << "ASGCrossBar/header/10"
            << "Назначение" << int(QAccessible::ColumnHeader) << ""
            << "";
        QTest::newRow("crossbar headers: number") << 5 << ""
                                                  << "ASGCrossBar/header/11"
                                                  << "№" << int(QAccessible::ColumnHeader) << ""
                                                  << "";
        QTest::newRow("crossbar row header") << 5 << ""
                                             << "ASGCrossBar/rowheader/39"
                                             << "40" << int(QAccessible::RowHeader) << ""
                                             << "";
        QTest::newRow("relay cell, driven")
            << 5 << ""
            << "ASGCrossBar/0/2"
            << "Вход 1, реле 1" << int(QAccessible::CheckBox) << "checkable checked !disabled"
            << "action Toggle";
        QTest::newRow("relay cell toggled")
            << 5 << "Tab Right Right Right Space"
            << "ASGCrossBar/0/3"
            << "Вход 1, реле 2" << int(QAccessible::CheckBox) << "checkable checked focused"
            << "";
        QTest::newRow("refused window number")
            << 5 << QString("Tab") + QString(" Right").repeated(11) + " 9 9 Return"
            << "ASGCrossBar/0/11"
            << "№, 1" << int(QAccessible::Cell) << "editable"
            << "description Окно вне диапазона 1 - 32";
        QTest::newRow("number editor")
            << 5 << QString("Tab") + QString(" Right").repeated(11) + " 7"
            << "ASGCrossBar"
            << "Структура" << int(QAccessible::Table) << ""
            << "editor №, 1";
        // External network grid.
        QTest::newRow("request column header")
            << 7 << ""
            << "ASGExternalNet/header/3"
            << "Данные, Кол-во" << int(QAccessible::ColumnHeader) << ""
            << "";
        QTest::newRow("request row header") << 7 << ""
                                            << "ASGExternalNet/rowheader/0"
                                            << "1" << int(QAccessible::RowHeader) << ""
                                            << "";
    }
    void controls()
    {
        QFETCH(int, page);
        QFETCH(QString, keys);
        QFETCH(QString, locator);
        QFETCH(QString, name);
        QFETCH(int, role);
        QFETCH(QString, states);
        QFETCH(QString, extra);
        AppFixture f;
        QVERIFY(f.ShowWithPageColumnFocused(page));
        TypeKeys(f.main, keys);

        QAccessibleInterface* iface = Locate(f.main, locator);
        QVERIFY2(iface, qPrintable(locator));
        QCOMPARE(iface->text(QAccessible::Name), name);
        QCOMPARE(int(iface->role()), role);
        const QString mismatch = StateMismatch(iface->state(), states);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));

        const QString kind = extra.section(' ', 0, 0);
        const QString what = extra.section(' ', 1);
        if (kind == "description") {
            QCOMPARE(iface->text(QAccessible::Description), what);
        } else if (kind == "action") {
            QAccessibleActionInterface* actions = iface->actionInterface();
            QVERIFY(actions);
            QVERIFY2(actions->actionNames().contains(what),
                     qPrintable(actions->actionNames().join(", ")));
            // The action does what the mouse does: the state turns over.
            const QString before =
                iface->text(QAccessible::Name) + QString::number(bool(iface->state().checked));
            actions->doAction(what);
            QVERIFY(before !=
                    iface->text(QAccessible::Name) + QString::number(bool(iface->state().checked)));
        } else if (kind == "labelled") {
            const auto labels = iface->relations(QAccessible::Label);
            QVERIFY(!labels.isEmpty());
            QCOMPARE(labels.first().first->text(QAccessible::Name), what);
        } else if (kind == "child") {
            QStringList names;
            for (int i = 0; i < iface->childCount(); ++i)
                names << iface->child(i)->text(QAccessible::Name);
            QVERIFY2(names.contains(what), qPrintable(names.join(", ")));
        } else if (kind == "editor") {
            QAccessibleInterface* editor = iface->child(iface->childCount() - 1);
            QVERIFY(editor);
            QCOMPARE(int(editor->role()), int(QAccessible::EditableText));
            QCOMPARE(editor->text(QAccessible::Name), what);
            QCOMPARE(iface->focusChild(), editor);
        } else {
            QVERIFY(extra.isEmpty());
        }
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
