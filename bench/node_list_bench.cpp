// Loading a node list of 10,000 nodes: median of 20 loads.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "core/nodes/node_list.h"
#include "tests/support/node_list_writer.h"

int main()
{
    TempDir dir;
    std::vector<TestNode> nodes;
    for (int i = 1; i <= 10000; ++i)
        nodes.push_back({ 1 + i % 3, "10.1." + std::to_string(i / 256) + "." + std::to_string(i % 256),
            "节点" + std::to_string(i), i % 2 });
    writeNodeList(dir.file("Vip.ini"), nodes);
    std::vector<double> ms;
    size_t count = 0;
    for (int run = 0; run < 20; ++run) {
        const auto start = std::chrono::steady_clock::now();
        count = loadNodeList(dir.path(), "Vip.ini").nodes.size();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("node list of %zu nodes: median %.2f ms, best %.2f ms, worst %.2f ms over %zu loads\n", count,
        ms[ms.size() / 2], ms.front(), ms.back(), ms.size());
    return 0;
}
