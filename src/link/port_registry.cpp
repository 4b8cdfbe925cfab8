#include "link/port_registry.h"

#include "link/network_port_line.h"
#include "link/private_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>

namespace {

bool NameLess(const QString& a, const QString& b)
{
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

QString LinkPath(const QString& dir, const QString& portName)
{
    return QDir(dir).filePath(portName);
}

// False when the port's registration has a lock file that no process holds:
// the program that registered it has ended. A link without a lock file was
// made by hand and lives as long as its device.
bool OwnerAlive(const QString& dir, const QString& portName)
{
    const QByteArray lock = QFile::encodeName(PortRegistry::LockFilePath(dir, portName));
    const int fd = ::open(lock.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno != ELOOP;  // missing: a link made by hand
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

// What a link holds, as written: a network line's address is no path, so
// it must not be resolved against the folder.
QString RawTarget(const QFileInfo& link)
{
    char target[512];
    const QByteArray path = QFile::encodeName(link.absoluteFilePath());
    const ssize_t n = ::readlink(path.constData(), target, sizeof target);
    if (n <= 0 || size_t(n) >= sizeof target)
        return {};
    return QFile::decodeName(QByteArray(target, qsizetype(n)));
}

// The device a registered link leads to, or empty when the link is dangling
// or its owner has ended. A link to tcp://HOST:PORT or mbtcp://HOST:PORT
// registers a network line: that address is its device.
QString LiveTarget(const QFileInfo& link)
{
    if (!link.isSymLink() || !OwnerAlive(link.absolutePath(), link.fileName()))
        return {};
    const QString raw = RawTarget(link);
    if (NetworkPortLine::IsNetworkPath(raw))
        return raw;
    const QString target = link.canonicalFilePath();
    return target.isEmpty() ? QString() : target;
}

// The virtual ports' folder is /tmp/orlix-<uid>/ports or
// $XDG_RUNTIME_DIR/orlix/ports: the tool made its parent too.
bool ToolMadeParent(const QString& dir)
{
    if (!qEnvironmentVariable("ORLIX_PORTS_DIR").isEmpty())
        return false;
    return QDir::cleanPath(dir) == QDir::cleanPath(PortRegistry::DefaultVirtualPortsDir());
}

}  // namespace

PortRegistry::PortRegistry(QString virtualPortsDir)
    : m_dir(virtualPortsDir.isEmpty() ? DefaultVirtualPortsDir() : std::move(virtualPortsDir))
{
}

QString PortRegistry::DefaultVirtualPortsDir()
{
    const QString overridden = qEnvironmentVariable("ORLIX_PORTS_DIR");
    if (!overridden.isEmpty())
        return overridden;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        return QDir(runtime).filePath(QStringLiteral("orlix/ports"));
    return QDir(QDir::tempPath()).filePath(QStringLiteral("orlix-%1/ports").arg(uint(::getuid())));
}

QStringList PortRegistry::SystemPortNames(const QString& sysClassTty)
{
    QStringList names;
    const QDir ttys(sysClassTty);
    if (!ttys.exists()) {
        const auto ports = QSerialPortInfo::availablePorts();
        for (const QSerialPortInfo& info : ports)
            names << info.portName();
        return names;
    }
    const QStringList entries = ttys.entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : entries) {
        const QString tty = ttys.filePath(name);
        if (!QFileInfo(tty + QStringLiteral("/device")).exists())
            continue;  // a virtual terminal, a pseudo-terminal, the console
        QFile type(tty + QStringLiteral("/type"));
        if (type.open(QIODevice::ReadOnly) && type.readAll().trimmed() == "0")
            continue;  // a UART line without a chip behind it
        names << name;
    }
    return names;
}

QString PortRegistry::LockFilePath(const QString& dir, const QString& portName)
{
    return QDir(dir).filePath(QLatin1Char('.') + portName + QStringLiteral(".lock"));
}

QString PortRegistry::FolderProblem() const
{
    return PrivateFolder::Problem(m_dir, ToolMadeParent(m_dir));
}

QString PortRegistry::PrepareFolder(const QString& dir)
{
    return PrivateFolder::Prepare(dir, ToolMadeParent(dir));
}

QStringList PortRegistry::VirtualPortNames() const
{
    QStringList names;
    if (!FolderProblem().isEmpty())
        return names;  // entries another user could have planted: never looked at
    const QFileInfoList entries =
        QDir(m_dir).entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (IsValidPortName(entry.fileName()) && !LiveTarget(entry).isEmpty())
            names << entry.fileName();
    }
    return names;
}

const QStringList& PortRegistry::ListedSystemPorts() const
{
    if (!m_systemListed) {
        m_systemPorts = SystemPortNames();
        m_systemListed = true;
    }
    return m_systemPorts;
}

QStringList PortRegistry::PortNames() const
{
    m_systemPorts = SystemPortNames();
    m_systemListed = true;
    QStringList names = m_systemPorts;
    const QStringList& system = m_systemPorts;
    for (const QString& name : VirtualPortNames()) {
        if (!system.contains(name))
            names << name;
    }
    names.removeDuplicates();
    std::sort(names.begin(), names.end(), NameLess);
    return names;
}

QString PortRegistry::DevicePath(const QString& portName) const
{
    const QString systemPath = QStringLiteral("/dev/") + portName;
    if (!IsValidPortName(portName) || ListedSystemPorts().contains(portName))
        return systemPath;
    if (!FolderProblem().isEmpty())
        return systemPath;
    const QString target = LiveTarget(QFileInfo(LinkPath(m_dir, portName)));
    return target.isEmpty() ? systemPath : target;
}

bool PortRegistry::IsValidPortName(const QString& portName)
{
    return !portName.isEmpty() && portName != QLatin1String(".") &&
           portName != QLatin1String("..") && !portName.contains(QLatin1Char('/')) &&
           !portName.contains(QChar(0));
}

bool PortRegistry::RegisterVirtualPort(const QString& dir, const QString& portName,
                                       const QString& devicePath, QString* error)
{
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    if (!IsValidPortName(portName))
        return fail(QStringLiteral("'%1' is not a valid port name").arg(portName));
    if (!QFileInfo::exists(devicePath))
        return fail(QStringLiteral("%1: no such device").arg(devicePath));
    const QString problem = PrepareFolder(dir);
    if (!problem.isEmpty())
        return fail(problem);

    const QString link = LinkPath(dir, portName);
    const QFileInfo existing(link);
    if (existing.exists() || existing.isSymLink()) {
        if (!existing.isSymLink() || !LiveTarget(existing).isEmpty())
            return fail(QStringLiteral("%1: the port name is taken").arg(link));
        QFile::remove(link);  // a dangling link left by a program that died
        QFile::remove(LockFilePath(dir, portName));
    }
    if (!QFile::link(devicePath, link))
        return fail(QStringLiteral("%1: cannot create the link").arg(link));
    return true;
}

bool PortRegistry::UnregisterVirtualPort(const QString& dir, const QString& portName,
                                         const QString& devicePath)
{
    if (!IsValidPortName(portName))
        return false;
    const QString link = LinkPath(dir, portName);
    const QFileInfo info(link);
    if (!info.isSymLink())
        return !info.exists();
    if (!devicePath.isEmpty() && info.symLinkTarget() != QFileInfo(devicePath).absoluteFilePath())
        return false;
    return QFile::remove(link);
}

QString PortDevicePath(const QString& port)
{
    if (port.contains(QLatin1Char('/')))
        return port;
    return PortRegistry().DevicePath(port);
}
