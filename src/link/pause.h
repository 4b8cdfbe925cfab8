#pragma once

#include <QThread>

// A blocking pause of the calling thread, as the protocol's timing needs.
// (A fuzzing build, ORLIX_NO_PAUSES, leaves the pauses out.)
inline void Pause(unsigned long milliseconds)
{
#ifdef ORLIX_NO_PAUSES
    Q_UNUSED(milliseconds);
#else
    QThread::msleep(milliseconds);
#endif
}
