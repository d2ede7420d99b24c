#include "platform/linux/tun_device.h"

#include <arpa/inet.h>
#include <cstring>
#include <fcntl.h>
#include <net/if.h>
#include <linux/if_tun.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {
namespace {

bool setIfAddr(int sock, unsigned long request, const char* name, const std::string& address)
{
    ifreq ifr {};
    std::strncpy(ifr.ifr_name, name, IFNAMSIZ - 1);
    auto* sin = reinterpret_cast<sockaddr_in*>(&ifr.ifr_addr);
    sin->sin_family = AF_INET;
    if (inet_pton(AF_INET, address.c_str(), &sin->sin_addr) != 1)
        return false;
    return ioctl(sock, request, &ifr) == 0;
}

} // namespace

std::optional<TunDevice> TunDevice::open(const std::string& name, std::uint16_t linkType, bool persistent)
{
    const int fd = ::open("/dev/net/tun", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    ifreq ifr {};
    ifr.ifr_flags = IFF_TUN | IFF_NO_PI;
    std::strncpy(ifr.ifr_name, name.c_str(), IFNAMSIZ - 1);
    if (ioctl(fd, TUNSETIFF, &ifr) != 0) {
        close(fd);
        return std::nullopt;
    }
    // The link type can only change while the interface is down, i.e. now.
    if (linkType != kLinkNone && ioctl(fd, TUNSETLINK, static_cast<unsigned long>(linkType)) != 0) {
        close(fd);
        return std::nullopt;
    }
    if (persistent && ioctl(fd, TUNSETPERSIST, 1) != 0) {
        close(fd);
        return std::nullopt;
    }
    return TunDevice(fd, ifr.ifr_name);
}

bool TunDevice::removePersistent(const std::string& name)
{
    const int fd = ::open("/dev/net/tun", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    ifreq ifr {};
    ifr.ifr_flags = IFF_TUN | IFF_NO_PI;
    std::strncpy(ifr.ifr_name, name.c_str(), IFNAMSIZ - 1);
    const bool ok = ioctl(fd, TUNSETIFF, &ifr) == 0 && ioctl(fd, TUNSETPERSIST, 0) == 0;
    close(fd);
    return ok;
}

TunDevice::TunDevice(TunDevice&& other) noexcept
    : fd_(other.fd_)
    , name_(std::move(other.name_))
{
    other.fd_ = -1;
}

TunDevice& TunDevice::operator=(TunDevice&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            close(fd_);
        fd_ = other.fd_;
        name_ = std::move(other.name_);
        other.fd_ = -1;
    }
    return *this;
}

TunDevice::~TunDevice()
{
    if (fd_ >= 0)
        close(fd_);
}

bool TunDevice::configure(const std::string& address, const std::string& peer)
{
    const int sock = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (sock < 0)
        return false;
    bool ok = setIfAddr(sock, SIOCSIFADDR, name_.c_str(), address);
    ok = ok && setIfAddr(sock, SIOCSIFDSTADDR, name_.c_str(), peer);
    ifreq ifr {};
    std::strncpy(ifr.ifr_name, name_.c_str(), IFNAMSIZ - 1);
    ok = ok && ioctl(sock, SIOCGIFFLAGS, &ifr) == 0;
    ifr.ifr_flags |= IFF_UP | IFF_RUNNING;
    ok = ok && ioctl(sock, SIOCSIFFLAGS, &ifr) == 0;
    close(sock);
    return ok;
}

int TunDevice::index() const
{
    return static_cast<int>(if_nametoindex(name_.c_str()));
}

} // namespace platform
