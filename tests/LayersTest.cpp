// The layers of src/ as its includes draw them: each folder includes only the layers below it,
// and no two units (a .cpp with its .h) include each other, however roundabout.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Graph = std::map<std::string, std::set<std::string>>;

// The layer a unit belongs to: its folder under src/, a backend's one level deeper.
std::string layerOf(const std::string& unit) {
    auto end = unit.find('/');
    return unit.substr(0, unit.starts_with("backends/") ? unit.find('/', end + 1) : end);
}

// What each layer may include besides itself.
const std::map<std::string, std::set<std::string>> kBelow = {
    {"platform", {}},
    {"backends/sim", {"platform"}},
    {"backends/qt", {"platform"}},
    {"packs", {"platform"}},
    {"story", {"platform"}},
    {"scenario", {"platform", "backends/sim", "backends/qt"}},
    {"run", {"platform", "backends/sim", "backends/qt", "packs", "story", "scenario"}},
    {"main", {"run"}},
};

// Units of src/ and the units each includes, read from the files.
Graph includeGraph(const fs::path& src) {
    static const std::regex include(R"(^\s*#\s*include\s*"([^"]+)\")");
    Graph graph;
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        auto extension = entry.path().extension();
        if (extension != ".cpp" && extension != ".h")
            continue;
        fs::path relative = fs::relative(entry.path(), src);
        std::string unit = relative.parent_path() / relative.stem();
        graph[unit];
        std::ifstream file(entry.path());
        std::smatch found;
        for (std::string line; std::getline(file, line);) {
            if (!std::regex_search(line, found, include))
                continue;
            fs::path target = found[1].str();
            std::string included = (target.parent_path() / target.stem()).string();
            if (included != unit && fs::exists(src / target))
                graph[unit].insert(included);
        }
    }
    return graph;
}

// The units reachable from `from` through one include or more.
std::set<std::string> reachable(const Graph& graph, const std::string& from) {
    std::set<std::string> seen;
    std::vector<std::string> pending(graph.at(from).begin(), graph.at(from).end());
    while (!pending.empty()) {
        std::string unit = pending.back();
        pending.pop_back();
        if (seen.insert(unit).second)
            pending.insert(pending.end(), graph.at(unit).begin(), graph.at(unit).end());
    }
    return seen;
}

class LayersTest : public ::testing::Test {
protected:
    const Graph graph_ = includeGraph(LARKSPIRE_SOURCE_DIR);
};

TEST_F(LayersTest, EveryIncludeRunsDownOrStaysInItsLayer) {
    ASSERT_GT(graph_.size(), 100u) << "the source tree was not found";
    for (const auto& [unit, targets] : graph_) {
        std::string from = layerOf(unit);
        ASSERT_TRUE(kBelow.contains(from)) << unit << " is in no known layer";
        for (const auto& target : targets) {
            std::string to = layerOf(target);
            EXPECT_TRUE(to == from || kBelow.at(from).contains(to))
                << unit << " (" << from << ") includes " << target << " (" << to << ")";
        }
    }
}

TEST_F(LayersTest, NoUnitReachesItselfThroughItsIncludes) {
    for (const auto& [unit, targets] : graph_)
        EXPECT_FALSE(reachable(graph_, unit).contains(unit)) << unit << " is in an include circle";
}

}  // namespace
