#include "link/rs485_direction.h"

#include <sys/ioctl.h>
#include <cstdint>

bool Rs485Direction::EnableRtsOnSend(int fd)
{
    m_changed = false;
    serial_rs485 previous{};
    if (::ioctl(fd, TIOCGRS485, &previous) != 0)
        return false;
    serial_rs485 wanted = previous;
    wanted.flags |= SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
    wanted.flags &= ~uint32_t(SER_RS485_RTS_AFTER_SEND);
    if (::ioctl(fd, TIOCSRS485, &wanted) != 0)
        return false;
    m_saved = previous;
    m_changed = true;
    return true;
}

void Rs485Direction::Restore(int fd)
{
    if (m_changed)
        ::ioctl(fd, TIOCSRS485, &m_saved);
    m_changed = false;
}
