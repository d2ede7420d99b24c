#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/icmp_probe.h"
#include "platform/network_adapters.h"
#include "platform/process_capture.h"
#include "platform/remote_access.h"
#include "platform/route_table.h"

// Test doubles of the connection services: scripted, thread-safe, recording.

class FakeRemoteAccess : public platform::RemoteAccess {
public:
    struct Connection {
        platform::RasConnection info;
        int state = kConnected;
        platform::RasStatistics stats;
    };

    void add(platform::ConnectionHandle handle, const std::string& entry, int state = kConnected)
    {
        std::lock_guard g(lock);
        connections.push_back({ { handle, entry }, state, {} });
    }
    // Only this connection is up from now on.
    void replaceAll(platform::ConnectionHandle handle, const std::string& entry)
    {
        std::lock_guard g(lock);
        connections.clear();
        connections.push_back({ { handle, entry }, kConnected, {} });
    }
    void setState(platform::ConnectionHandle handle, int state)
    {
        std::lock_guard g(lock);
        for (auto& c : connections)
            if (c.info.handle == handle)
                c.state = state;
    }
    void setStats(platform::ConnectionHandle handle, platform::RasStatistics stats)
    {
        std::lock_guard g(lock);
        for (auto& c : connections)
            if (c.info.handle == handle)
                c.stats = stats;
    }

    std::optional<std::vector<platform::RasConnection>> listConnections() override
    {
        std::lock_guard g(lock);
        if (connections.size() > kMaxConnections)
            return std::nullopt;
        std::vector<platform::RasConnection> out;
        for (const auto& c : connections)
            out.push_back(c.info);
        return out;
    }
    std::optional<int> connectionStatus(platform::ConnectionHandle handle) override
    {
        std::lock_guard g(lock);
        for (const auto& c : connections)
            if (handle != 0 && c.info.handle == handle)
                return c.state;
        return std::nullopt;
    }
    std::optional<platform::RasStatistics> statistics(platform::ConnectionHandle handle) override
    {
        std::lock_guard g(lock);
        for (const auto& c : connections)
            if (handle != 0 && c.info.handle == handle)
                return c.stats;
        return std::nullopt;
    }
    void hangUp(platform::ConnectionHandle handle) override
    {
        std::lock_guard g(lock);
        hungUp.push_back(handle);
        std::erase_if(connections, [handle](const Connection& c) { return c.info.handle == handle; });
    }

    std::mutex lock;
    std::vector<Connection> connections;
    std::vector<platform::ConnectionHandle> hungUp;
};

class ScriptedCapture : public platform::ProcessCapture {
public:
    platform::CaptureResult runAndCapture(
        const std::vector<std::string>& argv, std::string_view input) override
    {
        std::lock_guard g(lock);
        runs.push_back(argv);
        inputs.emplace_back(input);
        if (onRun)
            onRun();
        return result;
    }
    void stopRunning() override { ++stops; }
    std::mutex lock;
    std::atomic<int> stops { 0 };
    platform::CaptureResult result { platform::CaptureResult::Failure::None,
        "Command completed successfully." };
    std::vector<std::vector<std::string>> runs;
    std::vector<std::string> inputs;
    std::function<void()> onRun;
};

class FakeAdapters : public platform::NetworkAdapters {
public:
    std::vector<platform::NetworkAdapter> adapters;
    std::vector<platform::NetworkAdapter> list() const override { return adapters; }
};

class RecordingRoutes : public platform::RouteTable {
public:
    platform::RouteBatchResult addRoutes(const std::vector<platform::Ipv4Route>& r) override
    {
        std::lock_guard g(lock);
        routes.insert(routes.end(), r.begin(), r.end());
        return { r.size(), 0 };
    }
    std::mutex lock;
    std::vector<platform::Ipv4Route> routes;
};

class FakeIcmp : public platform::IcmpProbe {
public:
    // Scripted answers: address → delay text; others "300". Set them through
    // setDelay(s) while probes may run.
    std::map<std::string, std::string> delays;
    void setDelays(std::map<std::string, std::string> d)
    {
        std::lock_guard g(lock);
        delays = std::move(d);
    }
    void setDelay(const std::string& address, const std::string& delay)
    {
        std::lock_guard g(lock);
        delays[address] = delay;
    }
    std::vector<std::string> probed;
    std::atomic<int> sleepMs { 0 }; // how long each probe takes
    std::atomic<bool> unavailable { false }; // no echo can be sent at all
    std::string ping(const std::string& address) override
    {
        if (unavailable)
            throw platform::IcmpUnavailable("scripted");
        if (sleepMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(sleepMs.load()));
        std::lock_guard g(lock);
        if (address.empty())
            return {};
        probed.push_back(address);
        const auto it = delays.find(address);
        return it == delays.end() ? std::string(kFailed) : it->second;
    }
    std::mutex lock;
};
