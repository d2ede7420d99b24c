#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// A TUN network interface in the current network namespace. Used by the dial
// tool's simulation (a persistent interface whose link type is PPP) and by test
// fixtures that answer packets themselves.
class TunDevice {
public:
    static constexpr std::uint16_t kLinkPpp = 512; // ARPHRD_PPP
    static constexpr std::uint16_t kLinkNone = 0xFFFE; // ARPHRD_NONE, the TUN default

    // Creates (or attaches to) the interface. name may be a pattern such as
    // "ppp%d"; the kernel's choice is name() afterwards.
    static std::optional<TunDevice> open(
        const std::string& name, std::uint16_t linkType = kLinkNone, bool persistent = false);
    // Removes a persistent interface by name.
    static bool removePersistent(const std::string& name);

    TunDevice(TunDevice&& other) noexcept;
    TunDevice& operator=(TunDevice&& other) noexcept;
    TunDevice(const TunDevice&) = delete;
    TunDevice& operator=(const TunDevice&) = delete;
    ~TunDevice();

    const std::string& name() const { return name_; }
    int fd() const { return fd_; }
    // Point-to-point address and peer (dotted IPv4), then brings the link up.
    bool configure(const std::string& address, const std::string& peer);
    int index() const;

private:
    TunDevice(int fd, std::string name)
        : fd_(fd)
        , name_(std::move(name))
    {
    }
    int fd_ = -1;
    std::string name_;
};

} // namespace platform
