#pragma once

#include <QString>

// A virtual port registered by a running program (the simulated panel):
// the link in the ports' folder and, beside it, a lock file on which the
// program holds a lock for as long as it runs. When the program ends in
// any way, kill -9 included, the system drops the lock, and the link no
// longer counts: it is not listed, not followed, and the next program may
// take the name over.
class PortRegistration {
public:
    PortRegistration() = default;
    ~PortRegistration() { Unregister(); }
    PortRegistration(const PortRegistration&) = delete;
    PortRegistration& operator=(const PortRegistration&) = delete;

    // Registers `devicePath` as `portName` in `dir` (see
    // PortRegistry::RegisterVirtualPort). Refuses a name that a running
    // program or a live link made by hand holds.
    bool Register(const QString& dir, const QString& portName, const QString& devicePath,
                  QString* error = nullptr);
    // Removes the link (if it still leads to the device) and the lock file.
    void Unregister();
    bool IsRegistered() const { return m_lockFd >= 0; }

private:
    QString m_dir;
    QString m_name;
    QString m_device;
    int m_lockFd = -1;
};
