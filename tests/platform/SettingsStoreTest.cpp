#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "TempDirectory.h"
#include "platform/foundation/DebugLog.h"
#include "platform/foundation/NSUserDefaults.h"

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<fs::path> filesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files.push_back(entry.path().filename());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

TEST(SettingsStoreTest, ValuesSurviveANewStoreAndWritesLeaveNoTemporaryFiles) {
    TempDirectory root;
    fs::path path = root / "nested" / "settings.json";
    {
        NSUserDefaults defaults(path.string());
        defaults.setInteger(9223372036854775807LL, "numberOfTimesLaunched");
        defaults.setObject("2.1 \"beta\"", "lastVersion");
    }
    NSUserDefaults reopened(path.string());
    EXPECT_EQ(reopened.integerForKey("numberOfTimesLaunched"), 9223372036854775807LL);
    EXPECT_EQ(reopened.stringForKey("lastVersion"), "2.1 \"beta\"");
    EXPECT_EQ(filesIn(root / "nested"), std::vector<fs::path>{"settings.json"});
}

TEST(SettingsStoreTest, ValuesOfAnotherTypeReadAsThePlatformConvertsThem) {
    TempDirectory root;
    std::ofstream(root / "settings.json") << R"({"n": "12", "f": 3.9, "b": true, "v": 5, "o": {}})";
    NSUserDefaults defaults((root / "settings.json").string());
    EXPECT_EQ(defaults.integerForKey("n"), 12);
    EXPECT_EQ(defaults.integerForKey("f"), 3);
    EXPECT_EQ(defaults.integerForKey("b"), 1);
    EXPECT_EQ(defaults.stringForKey("v"), "5");
    EXPECT_FALSE(defaults.stringForKey("b"));
    EXPECT_FALSE(defaults.stringForKey("o"));
}

TEST(SettingsStoreTest, ACountBeyondTheSigned64BitRangeReadsAsZeroNotNegative) {
    TempDirectory root;
    std::ofstream(root / "settings.json") << R"({"numberOfTimesLaunched": 18446744073709551615})";
    NSUserDefaults defaults((root / "settings.json").string());
    EXPECT_EQ(defaults.integerForKey("numberOfTimesLaunched"), 0);
}

TEST(SettingsStoreTest, ADamagedFileIsKeptAsideAndTheStoreStartsEmpty) {
    for (std::string damaged : {std::string("{\"numberOfTimesLaunched\": 4"), std::string("[1, 2]"),
                                std::string("\0\0\0", 3), std::string("")}) {
        TempDirectory root;
        fs::path path = root / "settings.json";
        std::ofstream(path, std::ios::binary) << damaged;
        std::vector<std::string> lines;
        setDebugLogSink([&](const std::string& line) { lines.push_back(line); });
        NSUserDefaults defaults(path.string());
        setDebugLogSink(nullptr);
        EXPECT_EQ(defaults.integerForKey("numberOfTimesLaunched"), 0);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find("could not be read"), std::string::npos);
        auto files = filesIn(root.path());
        ASSERT_EQ(files.size(), 1u);
        EXPECT_EQ(files[0].string().rfind("settings.json.damaged-", 0), 0u);
        EXPECT_EQ(readFile(root / files[0]), damaged);
        defaults.setInteger(1, "numberOfTimesLaunched");
        EXPECT_EQ(filesIn(root.path()).size(), 2u);
    }
}

TEST(SettingsStoreTest, AWriteThatFailsIsReportedAndKeepsTheValueForThisRun) {
    TempDirectory root;
    // A folder that is really a file: no one, not even root, can write below it.
    std::ofstream(root / "not-a-folder") << "x";
    std::vector<std::string> lines;
    setDebugLogSink([&](const std::string& line) { lines.push_back(line); });
    NSUserDefaults defaults((root / "not-a-folder" / "settings.json").string());
    defaults.setInteger(3, "numberOfTimesLaunched");
    setDebugLogSink(nullptr);
    EXPECT_EQ(defaults.integerForKey("numberOfTimesLaunched"), 3);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("could not be written"), std::string::npos);
}
