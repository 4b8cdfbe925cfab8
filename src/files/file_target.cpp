#include "files/file_target.h"

#include "files/config_file_messages.h"
#include "model/command_error.h"
#include "names/native_name.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstring>

namespace {
// More links than this in a row are taken as a loop, as the system does.
constexpr int MaxLinkHops = 40;

QByteArray ReadLink(const QByteArray& link)
{
    QByteArray target(PATH_MAX, '\0');
    const ssize_t n = ::readlink(link.constData(), target.data(), size_t(target.size()));
    if (n < 0)
        return {};
    target.truncate(n);
    if (target.startsWith('/'))
        return target;
    return FolderOfPath(link) + '/' + target;
}
}  // namespace

QByteArray FolderOfPath(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

QString SystemErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString NotRegularFileReason(mode_t mode)
{
    if (S_ISREG(mode))
        return {};
    QString kind = QStringLiteral("особый файл");
    if (S_ISDIR(mode))
        kind = QStringLiteral("папка");
    else if (S_ISFIFO(mode))
        kind = QStringLiteral("именованный канал (FIFO)");
    else if (S_ISCHR(mode))
        kind = QStringLiteral("символьное устройство");
    else if (S_ISBLK(mode))
        kind = QStringLiteral("блочное устройство");
    else if (S_ISSOCK(mode))
        kind = QStringLiteral("сокет");
    return QStringLiteral("это не обычный файл, а ") + kind;
}

SaveTarget ResolveSaveTarget(const QString& path, const QString& fullPath)
{
    auto refuse = [&fullPath](const QString& reason) {
        return CommandError(WriteFailedMessage(fullPath, reason));
    };
    SaveTarget target;
    target.Path = NativeName(path);
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(target.Path.constData(), &st) != 0) {
            const int error = errno;
            if (error != ENOENT)
                throw refuse(SystemErrorText(error));
            if (hops > 0)
                throw refuse(QStringLiteral(
                    "это символическая ссылка на несуществующий файл; по ней файл не создается"));
            return target;  // a new file, its folder judged when it is created
        }
        if (S_ISLNK(st.st_mode)) {
            if (st.st_uid != ::geteuid())
                throw refuse(QStringLiteral(
                    "это символическая ссылка другого пользователя; по чужой ссылке файл не "
                    "записывается. Удалите ссылку или сохраните под другим именем"));
            if (hops >= MaxLinkHops)
                throw refuse(SystemErrorText(ELOOP));
            const QByteArray next = ReadLink(target.Path);
            if (next.isEmpty())
                throw refuse(SystemErrorText(errno));
            target.Path = next;
            continue;
        }
        if (!S_ISREG(st.st_mode))
            throw refuse(NotRegularFileReason(st.st_mode));
        target.Exists = true;
        target.Mode = st.st_mode & 07777;
        return target;
    }
}
