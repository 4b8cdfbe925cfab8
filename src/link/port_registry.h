#pragma once

#include <QString>
#include <QStringList>

// The serial ports a user can choose: the system's own (QSerialPortInfo,
// shown by port name such as ttyUSB0) and the virtual ports registered as
// symbolic links in a per-user folder, each link named after its port and
// pointing at the device (a simulated panel's pseudo-terminal, one end of a
// socat pair, a /dev/serial/by-id link...), or a network line: a link
// whose target is tcp://HOST:PORT or mbtcp://HOST:PORT (no file) is
// listed under its name, and that address is its device. Links whose
// device is gone are not listed, nor those whose registering program has
// ended (it holds a lock on the lock file beside the link while it runs,
// see PortRegistration). The folder is used only while it is private to the
// user (PrivateFolder): otherwise nothing in it is listed or followed.
class PortRegistry {
public:
    // `virtualPortsDir` empty: DefaultVirtualPortsDir().
    explicit PortRegistry(QString virtualPortsDir = {});

    // $ORLIX_PORTS_DIR when set; else $XDG_RUNTIME_DIR/orlix/ports; else
    // <temp>/orlix-<uid>/ports.
    static QString DefaultVirtualPortsDir();
    QString VirtualPortsDir() const { return m_dir; }

    // All port names, sorted by name (case-insensitively), each listed once.
    // The system's part of the list is kept for DevicePath.
    QStringList PortNames() const;
    // The names of the system's serial ports: the tty devices the kernel
    // lists under `sysClassTty` that sit on hardware (a "device" link),
    // leaving out UART lines the serial core knows no chip for (type 0),
    // as QSerialPortInfo does, at a fraction of its cost (it asks udev about
    // every tty). Without that folder, QSerialPortInfo's list.
    static QStringList SystemPortNames(
        const QString& sysClassTty = QStringLiteral("/sys/class/tty"));
    // The names of the registered virtual ports whose device exists and
    // whose registering program runs; none while FolderProblem() is not empty.
    QStringList VirtualPortNames() const;
    // Why the virtual ports' folder is not used, and what to do; empty
    // while it is private (the folder of another user, open to others...).
    QString FolderProblem() const;
    // Creates the folder (mode 0700) where it is missing; its problem.
    static QString PrepareFolder(const QString& dir);
    // The lock file a running program holds for its registration.
    static QString LockFilePath(const QString& dir, const QString& portName);

    // The device path to open for a listed name: "/dev/" + name for a system
    // port, the device a virtual port's link leads to (so that both names
    // of one device lock the same path), the address of a network line. A
    // name that is neither, the empty name included, gives "/dev/" + name:
    // opening that fails as it should. The system's ports are those of the
    // last listing (the list the user chose from), so that resolving a name
    // costs no enumeration.
    QString DevicePath(const QString& portName) const;

    // Registers `devicePath` as the virtual port `portName` in `dir`,
    // creating the folder. Replaces a link whose device or owner is gone;
    // refuses a name that is taken by a live link or is not a plain file
    // name, and a folder that is not private.
    static bool RegisterVirtualPort(const QString& dir, const QString& portName,
                                    const QString& devicePath, QString* error = nullptr);
    // Removes the registration if it still leads to `devicePath` (empty:
    // whatever it leads to). True when it is gone afterwards.
    static bool UnregisterVirtualPort(const QString& dir, const QString& portName,
                                      const QString& devicePath = {});
    static bool IsValidPortName(const QString& portName);

private:
    const QStringList& ListedSystemPorts() const;

    QString m_dir;
    mutable QStringList m_systemPorts;
    mutable bool m_systemListed = false;
};

// The device a port value opens: a path (anything with a slash) as given,
// else the port of that name as `ports` lists it.
QString PortDevicePath(const QString& port);
