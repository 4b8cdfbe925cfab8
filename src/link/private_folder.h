#pragma once

#include <QString>

// A folder of one user's own, such as the folder of the virtual ports: it
// counts as private only when it is a real folder (not a symbolic link),
// owned by the user, with no access for group and others. Another user who
// made it first, or opened it to everyone, could otherwise plant entries
// in it or read them.
namespace PrivateFolder {
// Why `dir` is not private, with what to do about it; empty when it is.
// With `checkParent` its parent is held to the same rules.
QString Problem(const QString& dir, bool checkParent);
// Creates what is missing of `dir` (and of its parent, with
// `checkParent`) with mode 0700, then judges it as Problem does.
QString Prepare(const QString& dir, bool checkParent);
}  // namespace PrivateFolder
