#include "link/port_registration.h"

#include "link/port_registry.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

bool PortRegistration::Register(const QString& dir, const QString& portName,
                                const QString& devicePath, QString* error)
{
    Unregister();
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    if (!PortRegistry::IsValidPortName(portName))
        return fail(QStringLiteral("'%1' is not a valid port name").arg(portName));
    const QString problem = PortRegistry::PrepareFolder(dir);
    if (!problem.isEmpty())
        return fail(problem);
    const QString lockPath = PortRegistry::LockFilePath(dir, portName);
    const bool hadLock = QFileInfo(lockPath).exists() || QFileInfo(lockPath).isSymLink();
    const QFileInfo link(QFileInfo(dir).absoluteFilePath() + QLatin1Char('/') + portName);
    // A live link made by hand (no lock file) is not taken over.
    if (!hadLock && link.isSymLink() && !link.canonicalFilePath().isEmpty())
        return fail(QStringLiteral("%1: the port name is taken").arg(link.filePath()));

    const int fd = ::open(QFile::encodeName(lockPath).constData(),
                          O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return fail(QStringLiteral("%1: cannot create the lock file").arg(lockPath));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return fail(
            QStringLiteral("%1: the port name is taken by a running program").arg(link.filePath()));
    }
    // Whoever registered the name before has ended: the name is ours.
    if (link.isSymLink())
        QFile::remove(link.filePath());
    if (link.exists() || !QFile::link(devicePath, link.filePath())) {
        ::close(fd);
        return fail(QStringLiteral("%1: cannot create the link").arg(link.filePath()));
    }
    m_dir = dir;
    m_name = portName;
    m_device = devicePath;
    m_lockFd = fd;
    return true;
}

void PortRegistration::Unregister()
{
    if (m_lockFd < 0)
        return;
    PortRegistry::UnregisterVirtualPort(m_dir, m_name, m_device);
    QFile::remove(PortRegistry::LockFilePath(m_dir, m_name));  // still ours: the lock is held
    ::close(m_lockFd);
    m_lockFd = -1;
}
