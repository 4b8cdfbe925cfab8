#pragma once

#include <QByteArray>

// The end of an answer on the serial line, seen from the master's side.
namespace RtuAnswer {

// The length of the answer that starts `head` when its function tells it
// (exceptions, 3, 4 and 17 by their byte count, 14), 0 while more bytes are
// needed to tell, -1 when only the silence after it can end it.
int KnownLength(const QByteArray& head);

// True when `frame` ends with its intact CRC.
bool Intact(const QByteArray& frame);

}  // namespace RtuAnswer
