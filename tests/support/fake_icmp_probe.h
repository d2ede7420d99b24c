#pragma once

#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/icmp_probe.h"

// Answers from a table; unknown addresses fail like a silent host.
class FakeIcmpProbe : public platform::IcmpProbe {
public:
    std::map<std::string, std::string> delays;
    std::string throwAt; // this address throws instead of answering
    bool unavailable = false; // no echo can be sent at all
    std::vector<std::string> pinged;

    std::string ping(const std::string& address) override
    {
        std::lock_guard g(lock_);
        if (unavailable)
            throw platform::IcmpUnavailable("scripted");
        pinged.push_back(address);
        if (address == throwAt)
            throw std::runtime_error("scripted");
        const auto it = delays.find(address);
        return it == delays.end() ? std::string("300") : it->second;
    }

private:
    std::mutex lock_;
};
