#include "MotionReceiver.h"
#include "MotionDatagram.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velmora
{

MotionReceiver::~MotionReceiver()
{
    if (socketDescriptor >= 0)
        ::close (socketDescriptor);
    socketDescriptor = -1;
}

bool MotionReceiver::openSocket() noexcept
{
    if (socketDescriptor >= 0)
        return true;

    const int fd = ::socket (AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return false;

    const int flags = ::fcntl (fd, F_GETFL, 0);
    ::fcntl (fd, F_SETFL, (flags < 0 ? 0 : flags) | O_NONBLOCK);

    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl (INADDR_ANY);
    address.sin_port = htons ((uint16_t) port);

    if (::bind (fd, reinterpret_cast<const sockaddr*> (&address), sizeof (address)) != 0)
    {
        ::close (fd);
        socketDescriptor = -1;
        return false;
    }

    socketDescriptor = fd;
    return true;
}

void MotionReceiver::pollDatagrams() noexcept
{
    if (socketDescriptor < 0)
        return;

    for (int i = 0; i < maxDatagramsPerBlock; ++i)
    {
        const auto bytes = ::recvfrom (socketDescriptor, buffer, sizeof (buffer) - 1, 0, nullptr, nullptr);
        if (bytes <= 0)
            return;

        buffer[bytes] = '\0';
        applyMotionDatagram (buffer, (std::size_t) bytes, received);
    }
}

} // namespace velmora
