#include "fs_faults.h"

#include <QFile>

#include <sys/fsuid.h>
#include <csignal>

namespace {
constexpr uid_t NobodyId = 65534;
}

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &m_old);
    rlimit limit = m_old;
    limit.rlim_cur = bytes;
    m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_oldHandler);
}

UnprivilegedFiles::UnprivilegedFiles(const QString& probe) : m_probe(probe)
{
    if (!Writes())
        return;
    // A switch away from 0 also drops the capabilities that override file
    // permissions; switching back restores them.
    m_previous = int(setfsuid(NobodyId));
    m_changed = true;
}

void UnprivilegedFiles::Restore()
{
    if (m_changed)
        setfsuid(uid_t(m_previous));
    m_changed = false;
}

bool UnprivilegedFiles::Writes() const
{
    QFile f(m_probe);
    const bool written = f.open(QIODevice::WriteOnly) && f.write("x", 1) == 1;
    f.close();
    QFile::remove(m_probe);
    return written;
}
