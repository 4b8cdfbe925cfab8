// Reading and writing configuration files on disk (declared in config_file.h).
#include "files/config_file.h"

#include "model/command_error.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
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
}  // namespace

LoadedConfig LoadConfigFile(const QString& path, const std::function<bool()>& askImport)
{
    const QString fullPath = FullPath(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw CommandError(OpenFailedMessage(fullPath, file.errorString()));

    // The older formats are told by their length before anything is read.
    if (!file.isSequential())
        CheckConfigFileSize(file.size());
    return DecodeConfigFile(ReadUpTo(file, ConfigFileSize, fullPath), askImport);
}

void WriteConfigFile(const QString& path, const QByteArray& bytes)
{
    const QString fullPath = FullPath(path);
    auto fail = [&fullPath](QSaveFile& file) {
        const QString reason = file.errorString();
        file.cancelWriting();  // the target is never replaced
        return CommandError(WriteFailedMessage(fullPath, reason));
    };

    QSaveFile file(path);
    // A folder where this user may not create files cannot take the
    // temporary file; an existing file there that the user may write is
    // then written in place (every write still checked).
    file.setDirectWriteFallback(true);
    // Unbuffered, so that every failed write is seen here: a failure while
    // QSaveFile flushes its own buffer at commit() can go unreported and
    // replace the target with a short file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw fail(file);
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            throw fail(file);
        done += n;
    }
    if (!file.flush())
        throw fail(file);
    if (!file.commit())
        throw CommandError(WriteFailedMessage(fullPath, file.errorString()));
}
