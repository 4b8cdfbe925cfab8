#pragma once

#include <linux/serial.h>

// Lets the UART driver raise RTS while it transmits (RS-485 direction
// control) and gives the port its previous RS-485 mode back afterwards.
// Many USB adapters switch direction in hardware and refuse the request;
// that is not a fault.
class Rs485Direction {
public:
    // True when the driver took the setting.
    bool EnableRtsOnSend(int fd);
    // Restores the mode found by EnableRtsOnSend, if it changed anything.
    void Restore(int fd);
    bool IsEnabled() const { return m_changed; }

private:
    serial_rs485 m_saved{};
    bool m_changed = false;
};
