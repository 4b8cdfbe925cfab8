#pragma once

#include "link/modbus.h"

#include <QString>

// One traced run of bytes as orlix-cli --trace prints it and the window's
// traffic journal saves it: "    12 ms -> 01 11 C0 2C", an echo or bytes
// dropped before a request marked so. No line break.
QString TraceLine(qint64 elapsedMs, TraceKind kind, const uint8_t* data, int count);
