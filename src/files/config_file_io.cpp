// Reading and writing configuration files on disk (declared in config_file.h).
#include "files/config_file.h"

#include "files/file_target.h"
#include "model/command_error.h"
#include "names/native_name.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>

namespace {
// A file written in place is first read whole, to be put back if the write
// fails; a configuration file is 514 bytes, anything this large is not one.
constexpr qint64 MaxRestorableSize = 16 * 1024 * 1024;

QString FullPath(const QString& path)
{
    return QFileInfo(path).absoluteFilePath();
}

// Reads up to `count` bytes, stopping early only at the end of the file.
QByteArray ReadUpTo(QFile& file, qint64 count, const QString& fullPath)
{
    QByteArray bytes(count, '\0');
    qint64 done = 0;
    while (done < count) {
        const qint64 n = file.read(bytes.data() + done, count - done);
        if (n < 0)
            throw CommandError(ReadFailedMessage(fullPath, file.errorString()));
        if (n == 0)
            break;
        done += n;
    }
    bytes.truncate(done);
    return bytes;
}

// While alive, exceeding the file size limit makes a write fail with EFBIG
// instead of ending the process half way through a file.
class FileSizeSignalIgnored {
public:
    FileSizeSignalIgnored()
    {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        ::sigaction(SIGXFSZ, &ignore, &m_old);
    }
    ~FileSizeSignalIgnored() { ::sigaction(SIGXFSZ, &m_old, nullptr); }
    FileSizeSignalIgnored(const FileSizeSignalIgnored&) = delete;
    FileSizeSignalIgnored& operator=(const FileSizeSignalIgnored&) = delete;

private:
    struct sigaction m_old {};
};

// The descriptor, closed at the end of the scope.
class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int Get() const { return m_fd; }
    // Closes now; the system's error number, or 0.
    int Close()
    {
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

// Writes all of `bytes` at `offset`; 0, or the system's error number.
int WriteAllAt(int fd, const QByteArray& bytes, off_t offset)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done),
                                   offset + off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        done += n;
    }
    return 0;
}

// The whole content of the regular file open at `fd`, or an error number.
int ReadAll(int fd, qint64 size, QByteArray& bytes)
{
    bytes = QByteArray(qsizetype(size), '\0');
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + done, size_t(bytes.size() - done), done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            break;
        done += n;
    }
    bytes.truncate(done);
    return 0;
}

// The file size limit forbids a file of `size` bytes.
bool BeyondFileSizeLimit(qint64 size)
{
    rlimit limit{};
    return ::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
           rlim_t(size) > limit.rlim_cur;
}

// Writes over the existing file itself, for a folder where no temporary
// file can be made. Everything that can be checked beforehand is (the size
// limit, the room on the device), and when a write fails all the same the
// previous content is put back: the file ends whole, old or new.
void WriteInPlace(const SaveTarget& target, const QByteArray& bytes, const QString& fullPath)
{
    auto fail = [&fullPath](int error) {
        return CommandError(WriteFailedMessage(fullPath, SystemErrorText(error)));
    };
    Fd fd(::open(target.Path.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.Get() < 0)
        throw fail(errno);
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0)
        throw fail(errno);
    if (!S_ISREG(st.st_mode))
        throw CommandError(WriteFailedMessage(fullPath, NotRegularFileReason(st.st_mode)));
    if (st.st_size > MaxRestorableSize)
        throw fail(EFBIG);
    if (BeyondFileSizeLimit(bytes.size()))
        throw fail(EFBIG);
    QByteArray old;
    if (const int error = ReadAll(fd.Get(), st.st_size, old))
        throw fail(error);
    // Take the room the new content needs before touching a byte (a hole
    // in the old file needs room too).
    if (const int error = ::posix_fallocate(fd.Get(), 0, off_t(bytes.size()));
        error != 0 && error != EOPNOTSUPP && error != EINVAL) {
        if (::ftruncate(fd.Get(), off_t(old.size())) != 0)
            throw fail(errno);
        throw fail(error);
    }
    int error = WriteAllAt(fd.Get(), bytes, 0);
    if (error == 0 && ::ftruncate(fd.Get(), off_t(bytes.size())) != 0)
        error = errno;
    if (error == 0 && ::fsync(fd.Get()) != 0)
        error = errno;
    if (error != 0) {
        WriteAllAt(fd.Get(), old, 0);
        if (::ftruncate(fd.Get(), off_t(old.size())) == 0)
            ::fsync(fd.Get());
        throw fail(error);
    }
    if (const int closeError = fd.Close())
        throw fail(closeError);
}

// Creates a temporary file beside `target`; its descriptor, or -1 with errno.
int CreateTemporary(const QByteArray& target, QByteArray& temporary)
{
    const QByteArray folder = FolderOfPath(target);
    const QByteArray base = target.mid(target.lastIndexOf('/') + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folder + "/." + base + '.' +
                    QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(temporary.constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}
}  // namespace

namespace {
// Opens the regular file `path` names for reading (without blocking: a FIFO
// or a device is refused at once, not waited on); its size in `size`.
void OpenRegularFile(const QString& path, const QString& fullPath, QFile& file, qint64& size)
{
    const int fd =
        ::open(NativeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        throw CommandError(OpenFailedMessage(fullPath, SystemErrorText(errno)));
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw CommandError(OpenFailedMessage(fullPath, file.errorString()));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw CommandError(OpenFailedMessage(fullPath, SystemErrorText(errno)));
    if (!S_ISREG(st.st_mode))
        throw CommandError(OpenFailedMessage(fullPath, NotRegularFileReason(st.st_mode)));
    size = qint64(st.st_size);
}
}  // namespace

LoadedConfig LoadConfigFile(const QString& path, const std::function<bool()>& askImport)
{
    const QString fullPath = FullPath(path);
    QFile file;
    qint64 size = 0;
    OpenRegularFile(path, fullPath, file, size);
    // The older formats are told by their length before anything is read.
    CheckConfigFileSize(size);
    return DecodeConfigFile(ReadUpTo(file, ConfigFileSize, fullPath), askImport);
}

QByteArray ReadSmallFile(const QString& path, qint64 limit)
{
    const QString fullPath = FullPath(path);
    QFile file;
    qint64 size = 0;
    OpenRegularFile(path, fullPath, file, size);
    if (size > limit)
        throw CommandError(
            ReadFailedMessage(fullPath, QStringLiteral("файл больше %1 байт").arg(limit)));
    return ReadUpTo(file, limit, fullPath);
}

void WriteConfigFile(const QString& path, const QByteArray& bytes)
{
    const QString fullPath = FullPath(path);
    const SaveTarget target = ResolveSaveTarget(path, fullPath);
    auto fail = [&fullPath](int error) {
        return CommandError(WriteFailedMessage(fullPath, SystemErrorText(error)));
    };
    const FileSizeSignalIgnored sizeSignal;

    QByteArray temporary;
    const int created = CreateTemporary(target.Path, temporary);
    if (created < 0) {
        const int error = errno;
        // A folder where this user may not create files: an existing file
        // there that the user may write is written in place.
        if (target.Exists && (error == EACCES || error == EPERM))
            return WriteInPlace(target, bytes, fullPath);
        throw fail(error);
    }
    Fd fd(created);
    int error = 0;
    if (target.Exists && ::fchmod(fd.Get(), target.Mode) != 0)
        error = errno;
    if (error == 0)
        error = WriteAllAt(fd.Get(), bytes, 0);
    if (error == 0 && ::fsync(fd.Get()) != 0)
        error = errno;
    if (error == 0)
        error = fd.Close();
    if (error == 0 && ::rename(temporary.constData(), target.Path.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.constData());
        throw fail(error);
    }
}
