#include "model/input_assignment.h"
#include "model/output_activation.h"

#include <QTest>

Q_DECLARE_METATYPE(AssignmentKind)

namespace {
const QString Window = QStringLiteral("  Окно сигнализации:");
const QString Ack = QStringLiteral("  Квитирование реле:");
const QString Reset = QStringLiteral("  Сброс реле:");
const QString None = QStringLiteral("  —");

QList<int> Bytes(const ConfigImage& image, int offset, int count)
{
    return QList<int>(image.begin() + offset, image.begin() + offset + count);
}

QList<int> Range(int first, int count)
{
    QList<int> out;
    for (int i = 0; i < count; ++i)
        out << first + i;
    return out;
}
}  // namespace

// The byte rules of blocks 3 (input assignment) and 6 (output activation).
class TestCrossBarRules : public QObject {
    Q_OBJECT
private slots:
    void codeKind_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");  // 0: none shown
        QTest::newRow("0") << 0 << Window << 1;
        QTest::newRow("31") << 31 << Window << 32;
        QTest::newRow("32") << 32 << None << 0;
        QTest::newRow("99") << 99 << None << 0;
        QTest::newRow("100") << 100 << Ack << 1;
        QTest::newRow("107") << 107 << Ack << 8;
        QTest::newRow("115") << 115 << Ack << 16;
        QTest::newRow("116") << 116 << Reset << 1;
        QTest::newRow("131") << 131 << Reset << 16;
        QTest::newRow("132") << 132 << None << 0;
        QTest::newRow("200") << 200 << None << 0;
        QTest::newRow("255") << 255 << None << 0;
    }

    // A code's kind text finds the kind again, and its number, where the
    // tool may store it, gives the code back.
    void codeKind()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        QFETCH(int, number);
        const AssignmentKind kind = AssignmentKindOf(uint8_t(code));
        QCOMPARE(AssignmentKindText(kind), text);
        QCOMPARE(AssignmentKindOfText(text), kind);
        QCOMPARE(AssignmentNumber(uint8_t(code)).value_or(0), number);
        const auto back = AssignmentCodeFor(kind, number ? QString::number(number) : QString());
        if (kind == AssignmentKind::akNone)
            QCOMPARE(back, uint8_t(255));
        else if (number <= (kind == AssignmentKind::akWindow ? 32 : 8))
            QCOMPARE(back, uint8_t(code));
        else
            QVERIFY(!back);
    }

    void numberCode_data()
    {
        QTest::addColumn<AssignmentKind>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");  // -1: rejected
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
        QTest::newRow("window 1a") << w << "1a" << -1 << win;
        QTest::newRow("window +5") << w << "+5" << -1 << win;
        QTest::newRow("window 257 wraps to 1 in a byte") << w << "257" << -1 << win;
        QTest::newRow("ack 6") << a << "6" << 105 << relay;
        QTest::newRow("ack 8") << a << "8" << 107 << relay;
        QTest::newRow("ack 9") << a << "9" << -1 << relay;
        QTest::newRow("ack empty") << a << "" << -1 << relay;
        QTest::newRow("reset 1") << r << "1" << 116 << relay;
        QTest::newRow("reset 8") << r << "8" << 123 << relay;
        QTest::newRow("reset 16") << r << "16" << -1 << relay;
        QTest::newRow("none empty") << n << "" << 255 << "";
        QTest::newRow("none 40") << n << "40" << 255 << "";
        QTest::newRow("none text") << n << "x" << 255 << "";
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

    void blocks_data()
    {
        QTest::addColumn<int>("operation");  // -1: New, else a CrossBarFill
        QTest::addColumn<QList<int>>("assignment");
        QTest::addColumn<QList<int>>("activation");
        const QList<int> none(32, 255);
        const QList<int> noRelays(64, 0);
        QTest::newRow("New") << -1 << Range(0, 32) + none
                             << QList<int>{1, 2, 4, 8, 16, 32, 64, 128} + QList<int>(56, 0);
        QTest::newRow("С модулей БВХ-7")
            << int(CrossBarFill::FromInputModules) << Range(0, 32) + none << noRelays;
        QTest::newRow("С ModBus") << int(CrossBarFill::FromModbus) << none + Range(0, 32)
                                  << noRelays;
        QTest::newRow("Пусто") << int(CrossBarFill::Empty) << none + none << noRelays;
    }

    // New and the fills write blocks 3 and 6 whole and nothing else.
    void blocks()
    {
        QFETCH(int, operation);
        QFETCH(QList<int>, assignment);
        QFETCH(QList<int>, activation);
        ConfigImage before;
        for (int i = 0; i < ConfigImageSize; ++i)
            before[i] = uint8_t(i * 37 + 11);
        ConfigImage image = before;
        if (operation < 0) {
            DefaultInputAssignmentBytes(image);
            DefaultOutputActivationBytes(image);
        } else {
            FillInputAssignment(image, CrossBarFill(operation));
            ClearOutputActivation(image);
        }
        QCOMPARE(Bytes(image, 41, 64), assignment);
        QCOMPARE(Bytes(image, 167, 64), activation);
        std::copy(before.begin() + 41, before.begin() + 105, image.begin() + 41);
        std::copy(before.begin() + 167, before.begin() + 231, image.begin() + 167);
        QVERIFY(image == before);
    }
};

QTEST_APPLESS_MAIN(TestCrossBarRules)
#include "tst_crossbar_rules.moc"
