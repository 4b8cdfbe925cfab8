#include "link/private_folder.h"

#include "names/native_name.h"

#include <QDir>

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace {
QString Unsafe(const QString& dir, const QString& why)
{
    return QStringLiteral(
               "Папка виртуальных портов %1 не защищена: %2. Она не используется. "
               "Удалите её (её создаст программа) или сделайте своей с правами 700 "
               "(chmod 700), либо укажите личную папку в переменной ORLIX_PORTS_DIR")
        .arg(PrintableName(dir), why);
}

QString FolderProblem(const QString& dir)
{
    struct stat st {};
    if (::lstat(NativeName(dir).constData(), &st) != 0)
        return Unsafe(dir, QString::fromLocal8Bit(std::strerror(errno)));
    if (S_ISLNK(st.st_mode))
        return Unsafe(dir, QStringLiteral("это символическая ссылка"));
    if (!S_ISDIR(st.st_mode))
        return Unsafe(dir, QStringLiteral("это не папка"));
    if (st.st_uid != ::geteuid())
        return Unsafe(
            dir, QStringLiteral("её владелец — другой пользователь (uid %1)").arg(uint(st.st_uid)));
    if ((st.st_mode & 077) != 0)
        return Unsafe(dir, QStringLiteral("к ней есть доступ у группы или у всех (права %1)")
                               .arg(uint(st.st_mode & 0777), 3, 8, QLatin1Char('0')));
    return {};
}

QString ParentOf(const QString& dir)
{
    return QDir::cleanPath(dir + QStringLiteral("/.."));
}

// Makes `dir` with mode 0700 when it is missing; what is there is left alone.
void MakeMissing(const QString& dir)
{
    if (::mkdir(NativeName(dir).constData(), 0700) != 0 && errno == ENOENT) {
        QDir().mkpath(ParentOf(dir));
        ::mkdir(NativeName(dir).constData(), 0700);
    }
}
}  // namespace

namespace PrivateFolder {
QString Problem(const QString& dir, bool checkParent)
{
    if (checkParent) {
        const QString parent = FolderProblem(ParentOf(dir));
        if (!parent.isEmpty())
            return parent;
    }
    return FolderProblem(dir);
}

QString Prepare(const QString& dir, bool checkParent)
{
    if (checkParent)
        MakeMissing(ParentOf(dir));
    MakeMissing(dir);
    return Problem(dir, checkParent);
}
}  // namespace PrivateFolder
