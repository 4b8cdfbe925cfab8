#pragma once

#include <QThread>

// A blocking pause of the calling thread, as the protocol's timing needs.
inline void Pause(unsigned long milliseconds)
{
    QThread::msleep(milliseconds);
}
