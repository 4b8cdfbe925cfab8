#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// File and port names as the system keeps them: bytes. A name that is not
// UTF-8 still has to reach the file it names, so each byte that is not part
// of a UTF-8 sequence is carried in the QString as the lone surrogate
// U+DC80 + byte and turned back into that byte when the name is used.

// The name given on the command line (or by the system) as a QString.
QString NameFromNative(const QByteArray& bytes);
// The bytes to hand to the system for `name`.
QByteArray NativeName(const QString& name);

// `name` as it may be printed on a terminal or in a box: control
// characters (line feeds, escapes...), the characters that reorder or
// break lines, backslashes and the bytes that are not UTF-8 are written
// as \n, \t, \\, \xNN or \u{NNNN}; everything else as it is.
QString PrintableName(const QString& name);

// The program's arguments, each taken as NameFromNative takes a name, so
// that a file name that is not UTF-8 still reaches its file.
QStringList ArgumentsFromNative(int argc, const char* const* argv);
