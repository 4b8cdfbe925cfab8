#include "fs_faults.h"

#include <sys/fsuid.h>
#include <sys/resource.h>
#include <unistd.h>
#include <csignal>

FileSizeLimit::FileSizeLimit(long bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return;
    m_soft = limit.rlim_cur;
    limit.rlim_cur = rlim_t(bytes);
    m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    if (!m_active)
        return;
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(m_soft);
    setrlimit(RLIMIT_FSIZE, &limit);
}

UnprivilegedFiles::UnprivilegedFiles()
{
    // Returns the previous value; a switch away from 0 also drops the
    // capabilities that override file permissions.
    m_previous = unsigned(setfsuid(65534));
}

UnprivilegedFiles::~UnprivilegedFiles()
{
    setfsuid(m_previous);
}
