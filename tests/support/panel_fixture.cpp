#include "panel_fixture.h"

#include "app/tfmbparam.h"
#include "link/hex_text.h"
#include "link/port_registry.h"

#include <QComboBox>

PanelFixture::PanelFixture()
{
    qputenv("ORLIX_PORTS_DIR", portsDir.path().toLocal8Bit());
    QString error;
    if (!panel.Start(&error))
        qFatal("simulated panel: %s", qPrintable(error));
    if (!PortRegistry::RegisterVirtualPort(portsDir.path(), QStringLiteral("ORL-SIM1"),
                                           panel.DevicePath(), &error))
        qFatal("register: %s", qPrintable(error));
    app = std::make_unique<AppFixture>();
    main = app->main;
    QComboBox* ports = main->PortPanel().CBCOMPort;
    ports->setCurrentIndex(ports->findText(QStringLiteral("ORL-SIM1")));
    if (ports->currentText() != QLatin1String("ORL-SIM1"))
        qFatal("ORL-SIM1 is not in the port list");
}

PanelFixture::~PanelFixture()
{
    app.reset();
    panel.Stop();
    qunsetenv("ORLIX_PORTS_DIR");
}

QStringList PanelFixture::requestsHex() const
{
    QStringList out;
    for (const QByteArray& frame : panel.Requests())
        out << HexText(frame);
    return out;
}

QStringList PanelFixture::requestKinds() const
{
    QStringList out;
    for (const QByteArray& f : panel.Requests()) {
        const uint8_t function = uint8_t(f.size() > 1 ? f[1] : 0);
        if (function == 0x11)
            out << QStringLiteral("ident");
        else if (function == 0x0E)
            out << QStringLiteral("poll");
        else if (function == 0x46 && f.size() > 4) {
            switch (f[4]) {
                case 0: out << QStringLiteral("version"); break;
                case 1: out << QStringLiteral("read %1").arg(int(f[5])); break;
                case 2: out << QStringLiteral("write %1").arg(int(f[5])); break;
                case 3: out << QStringLiteral("apply"); break;
                default: out << QStringLiteral("?");
            }
        } else {
            out << QStringLiteral("?");
        }
    }
    return out;
}

QStringList PanelFixture::messageTexts() const
{
    QStringList out;
    for (const auto& m : app->prompts.messages())
        out << m.text;
    return out;
}

QString PanelFixture::pauseShortfall(const QList<int>& minimumMs) const
{
    QStringList shortfalls;
    qint64 lastAnswerUs = -1;
    int request = 0;
    for (const auto& frame : panel.Timeline()) {
        if (frame.Dir == SimulatedPanel::Direction::Answer) {
            lastAnswerUs = frame.AtUs;
            continue;
        }
        const int minimum = minimumMs.value(request, 0);
        if (minimum > 0) {
            const double gapMs = lastAnswerUs < 0 ? -1.0 : (frame.AtUs - lastAnswerUs) / 1000.0;
            if (gapMs < minimum)
                shortfalls << QStringLiteral("request %1: %2 ms < %3 ms")
                                  .arg(request)
                                  .arg(gapMs, 0, 'f', 2)
                                  .arg(minimum);
        }
        ++request;
    }
    if (request < minimumMs.size())
        shortfalls << QStringLiteral("only %1 requests").arg(request);
    return shortfalls.join(QStringLiteral("; "));
}
