#include "model/input_assignment.h"

#include <QTest>

Q_DECLARE_METATYPE(AssignmentKind)

namespace {
const QString Window = QStringLiteral("  Окно сигнализации:");
const QString None = QStringLiteral("  —");
}  // namespace

// The rules of block 3: the kind and number an assignment code shows, and
// the code a kind and an entered number give.
class TestCrossBarRules : public QObject {
    Q_OBJECT
private slots:
    void codeKind_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");  // 0: none shown
        const QString ack = QStringLiteral("  Квитирование реле:");
        const QString reset = QStringLiteral("  Сброс реле:");
        const QList<std::tuple<int, QString, int>> rows{
            {0, Window, 1}, {31, Window, 32}, {32, None, 0},   {99, None, 0},
            {100, ack, 1},  {115, ack, 16},   {116, reset, 1}, {131, reset, 16},
            {132, None, 0}, {200, None, 0},   {255, None, 0}};
        for (const auto& [code, text, number] : rows)
            QTest::addRow("%d", code) << code << text << number;
    }

    void codeKind()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        QFETCH(int, number);
        const AssignmentKind kind = AssignmentKindOf(uint8_t(code));
        QCOMPARE(AssignmentKindText(kind), text);
        QCOMPARE(AssignmentKindOfText(text), kind);
        QCOMPARE(AssignmentNumber(uint8_t(code)).value_or(0), number);
    }

    void numberCode_data()
    {
        QTest::addColumn<AssignmentKind>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");  // -1: rejected with the kind's message
        QTest::addColumn<QString>("message");
        const QString win = QStringLiteral(" Окно вне диапазона 1 - 32");
        const QString relay = QStringLiteral(" Реле вне диапазона 1 - 8");
        const auto w = AssignmentKind::akWindow;
        const auto a = AssignmentKind::akRelayAck;
        const auto r = AssignmentKind::akRelayReset;
        const auto n = AssignmentKind::akNone;
        QTest::newRow("window 1") << w << "1" << 0 << win;
        QTest::newRow("window 32") << w << "32" << 31 << win;
        QTest::newRow("window 07") << w << "07" << 6 << win;
        QTest::newRow("window 33") << w << "33" << -1 << win;
        QTest::newRow("window 0") << w << "0" << -1 << win;
        QTest::newRow("window empty") << w << "" << -1 << win;
        QTest::newRow("window +5") << w << "+5" << -1 << win;
        QTest::newRow("window 257, 1 in a byte") << w << "257" << -1 << win;
        QTest::newRow("acknowledge 6") << a << "6" << 105 << relay;
        QTest::newRow("acknowledge 9") << a << "9" << -1 << relay;
        QTest::newRow("reset 1") << r << "1" << 116 << relay;
        QTest::newRow("reset 8") << r << "8" << 123 << relay;
        QTest::newRow("reset 16") << r << "16" << -1 << relay;
        QTest::newRow("none empty") << n << "" << 255 << "";
        QTest::newRow("none 40") << n << "40" << 255 << "";
    }

    void numberCode()
    {
        QFETCH(AssignmentKind, kind);
        QFETCH(QString, text);
        QFETCH(int, code);
        QFETCH(QString, message);
        const auto got = AssignmentCodeFor(kind, text);
        QCOMPARE(got ? int(*got) : -1, code);
        QCOMPARE(QString::fromUtf8(AssignmentKindInfo(kind).RangeMessage), message);
    }
};

QTEST_APPLESS_MAIN(TestCrossBarRules)
#include "tst_crossbar_rules.moc"
