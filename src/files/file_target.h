#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// What a configuration file name leads to, judged before anything is
// opened for writing: a save writes only to a regular file, or to a
// regular file behind symbolic links that are all the user's own (a link
// another user planted in a shared folder is not followed), and never
// follows a link into creating a file.
struct SaveTarget {
    QByteArray Path;      // the file to replace, links resolved (the system's bytes)
    bool Exists = false;  // false: a new file is created at Path
    mode_t Mode = 0;      // the permission bits of the existing file
};

// Throws CommandError with WriteFailedMessage(`fullPath`, reason) when the
// name leads to anything else, the reason saying what it leads to.
SaveTarget ResolveSaveTarget(const QString& path, const QString& fullPath);

// Why a file of type `mode` is not taken as a configuration file, e.g.
// "это не обычный файл, а именованный канал (FIFO)"; empty for a regular file.
QString NotRegularFileReason(mode_t mode);

// The system's text for the error number `error`.
QString SystemErrorText(int error);

// The folder part of a path: "." for a bare name, "/" for the root's files.
QByteArray FolderOfPath(const QByteArray& path);
