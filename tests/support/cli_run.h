#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// One run of a command-line program: its exit status (-1 when it crashed
// or was killed) and what it printed.
struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs `program` with `arguments`, the virtual ports in `portsDir` (when
// given); killed after `timeoutMs`.
inline CliRun RunProgram(const QString& program, const QStringList& arguments,
                         const QString& portsDir = {}, int timeoutMs = 60000)
{
    QProcess p;
    if (!portsDir.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ORLIX_PORTS_DIR", portsDir);
        p.setProcessEnvironment(env);
    }
    p.start(program, arguments);
    if (!p.waitForFinished(timeoutMs))
        p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}
