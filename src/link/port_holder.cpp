#include "link/port_holder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>

namespace {
// The names a lock file of `devicePath` may carry: the name below /dev with
// its slashes as underscores (pts/3 -> pts_3) and the bare file name.
QStringList LockNames(const QString& devicePath)
{
    QString relative = QDir::cleanPath(devicePath);
    if (relative.startsWith(QLatin1String("/dev/")))
        relative = relative.mid(5);
    QStringList names{QStringLiteral("LCK..") + QString(relative).replace(QLatin1Char('/'), '_'),
                      QStringLiteral("LCK..") + QFileInfo(devicePath).fileName()};
    names.removeDuplicates();
    return names;
}

bool Running(qint64 pid)
{
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

QString ProgramName(qint64 pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(comm.read(64)).trimmed();
}
}  // namespace

QString PortHolder(const QString& devicePath, const QStringList& lockFolders)
{
    const QStringList folders = !lockFolders.isEmpty()
                                    ? lockFolders
                                    : QStringList{QStringLiteral("/var/lock"),
                                                  QStringLiteral("/etc/locks"),
                                                  QStringLiteral("/var/spool/locks"),
                                                  QStringLiteral("/var/spool/uucp"),
                                                  QStringLiteral("/tmp"),
                                                  QStringLiteral("/var/tmp"),
                                                  QStringLiteral("/var/lock/lockdev"),
                                                  QStringLiteral("/run/lock")};
    for (const QString& folder : folders) {
        for (const QString& name : LockNames(devicePath)) {
            QFile lock(QDir(folder).filePath(name));
            if (!lock.open(QIODevice::ReadOnly))
                continue;
            // Ten digits and a line feed, or "pid\nprogram\nhost\n".
            bool ok = false;
            const qint64 pid = QString::fromLatin1(lock.read(128))
                                   .section(QLatin1Char('\n'), 0, 0)
                                   .trimmed()
                                   .toLongLong(&ok);
            if (!ok || !Running(pid))
                continue;
            const QString program = ProgramName(pid);
            return program.isEmpty() ? QStringLiteral("PID %1").arg(pid)
                                     : QStringLiteral("%1, PID %2").arg(program).arg(pid);
        }
    }
    return {};
}
