#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An IPv4 route of the main table as the kernel reports it.
struct KernelRoute {
    std::uint32_t destination = 0; // network byte order
    int prefix = 0;
    int oif = 0;
    std::uint32_t priority = 0;
    int scope = 0;
    std::uint32_t gateway = 0; // 0: none
    int protocol = 0;
    std::uint32_t nexthopId = 0; // 0: no nexthop object
};

// Dumps the main IPv4 table of the calling thread's network namespace through
// rtnetlink.
std::vector<KernelRoute> dumpMainIpv4Routes();

// Routes with that priority, sorted by destination and prefix.
std::vector<KernelRoute> routesWithPriority(std::uint32_t priority);

// Ids of the nexthop objects.
std::vector<std::uint32_t> dumpNexthopIds();

std::string describe(const KernelRoute& r);
