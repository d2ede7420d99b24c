#pragma once

#include <mutex>
#include <string>

// The node to dial and its line type. Written by the automatic selection, the
// node chooser's threads and start-up; every access takes the one lock.
class NodeChoice {
public:
    struct Value {
        std::string serverIp;
        int lineType = 0; // 0 none, 1 telecom, 2 netcom, 3 other
    };

    explicit NodeChoice(std::string defaultServerIp) { value_.serverIp = std::move(defaultServerIp); }

    Value get() const
    {
        std::lock_guard g(lock_);
        return value_;
    }
    std::string serverIp() const
    {
        std::lock_guard g(lock_);
        return value_.serverIp;
    }
    int lineType() const
    {
        std::lock_guard g(lock_);
        return value_.lineType;
    }
    void setServerIp(std::string ip)
    {
        std::lock_guard g(lock_);
        value_.serverIp = std::move(ip);
    }
    void setLineType(int t)
    {
        std::lock_guard g(lock_);
        value_.lineType = t;
    }

private:
    mutable std::mutex lock_;
    Value value_;
};
