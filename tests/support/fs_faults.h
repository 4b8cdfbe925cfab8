#pragma once

// Ways to make file writes fail for real, also when the tests run as root.

// While alive, the process's writes may not grow a file past `bytes`
// (as on a full device: writes fail with EFBIG instead of killing the process).
class FileSizeLimit {
public:
    explicit FileSizeLimit(long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    unsigned long m_soft = 0;
    bool m_active = false;
};

// While alive, file permission checks of this thread are made as an
// unprivileged user, so a folder without write permission stops root too.
class UnprivilegedFiles {
public:
    UnprivilegedFiles();
    ~UnprivilegedFiles();
    UnprivilegedFiles(const UnprivilegedFiles&) = delete;
    UnprivilegedFiles& operator=(const UnprivilegedFiles&) = delete;

private:
    unsigned m_previous = 0;
};
