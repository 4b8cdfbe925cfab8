#pragma once

#include <QString>

#include <sys/resource.h>

// Ways to make file writes fail for real, also when the tests run as root.

// While alive, every file the process writes fails beyond `bytes`, as on a
// full device; root is bound by the limit too. The signal the kernel raises
// is ignored so that the failing write returns an error instead.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool Active() const { return m_active; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_active = false;
};

// While alive, file permission checks of this thread are made as the user
// "nobody" when they would not stop the process's own user (root): `probe`
// is a file name in the folder concerned, tried once to find out.
class UnprivilegedFiles {
public:
    explicit UnprivilegedFiles(const QString& probe);
    ~UnprivilegedFiles() { Restore(); }
    UnprivilegedFiles(const UnprivilegedFiles&) = delete;
    UnprivilegedFiles& operator=(const UnprivilegedFiles&) = delete;
    // True when even so the folder takes files (the check cannot be made).
    bool CanStillWrite() const { return Writes(); }
    void Restore();

private:
    bool Writes() const;
    QString m_probe;
    int m_previous = 0;
    bool m_changed = false;
};
