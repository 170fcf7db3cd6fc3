// Making packs: the PackBuilder library code and the larkspire-pack command line.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "PackFixtures.h"
#include "TempDirectory.h"
#include "platform/ondemand/PackBuilder.h"
#include "platform/ondemand/PackManifest.h"

using packfixtures::listNames;
using packfixtures::readFile;
using packfixtures::writeFile;

namespace {

const std::string kHashOfAbc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

class PackBuilderTest : public testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(source()); }
    std::filesystem::path source() const { return work_ / "source"; }
    std::filesystem::path output() const { return work_ / "out" / "Video"; }

    // The error message of a build that must fail, or "" if it succeeded.
    std::string buildError(const std::string& tag = "Video") {
        try {
            PackBuilder::build(source(), output(), tag);
            return "";
        } catch (const std::runtime_error& error) {
            return error.what();
        }
    }

    TempDirectory work_;
};

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

ToolRun runTool(const std::string& arguments, const std::filesystem::path& scratch) {
    auto out = scratch / "tool.out";
    auto err = scratch / "tool.err";
    std::string command = std::string("'") + LARKSPIRE_PACK_TOOL + "' " + arguments + " >'" +
                          out.string() + "' 2>'" + err.string() + "' </dev/null";
    int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(out), readFile(err)};
}

}  // namespace

TEST_F(PackBuilderTest, CopiesFilesAndWritesTheirManifest) {
    writeFile(source() / "b.mp3", "abc");
    writeFile(source() / "A song.mp4", packfixtures::randomBytes(3 * 1024 * 1024 + 17, 1));
    std::uint64_t lastDone = 0, lastTotal = 0;
    int calls = 0;
    auto manifest = PackBuilder::build(source(), output(), "Video",
                                       [&](std::uint64_t done, std::uint64_t total) {
                                           EXPECT_GE(done, lastDone);
                                           lastDone = done;
                                           lastTotal = total;
                                           ++calls;
                                       });
    EXPECT_EQ(manifest.tag(), "Video");
    ASSERT_EQ(manifest.files().size(), 2u);
    EXPECT_EQ(manifest.files()[0].name, "A song.mp4");  // sorted, for reproducible output
    EXPECT_EQ(manifest.files()[1].name, "b.mp3");
    EXPECT_EQ(manifest.files()[1].size, 3u);
    EXPECT_EQ(manifest.files()[1].sha256, kHashOfAbc);
    EXPECT_EQ(lastDone, 3u * 1024 * 1024 + 17 + 3);
    EXPECT_EQ(lastTotal, lastDone);
    EXPECT_GE(calls, 4) << "progress is reported while copying, chunk by chunk";

    EXPECT_EQ(listNames(output()),
              (std::vector<std::string>{"A song.mp4", "b.mp3", "manifest.json"}));
    EXPECT_EQ(readFile(output() / "A song.mp4"), readFile(source() / "A song.mp4"));
    auto written = PackManifest::parse(readFile(output() / "manifest.json"));
    EXPECT_EQ(written.toJson(), manifest.toJson());
}

TEST_F(PackBuilderTest, RefusesWhatTheServiceWouldReject) {
    writeFile(source() / "ok.mp3", "abc");
    EXPECT_NE(buildError("../Video"), "");
    EXPECT_NE(buildError(".Video"), "");
    EXPECT_NE(buildError(""), "");

    writeFile(source() / ".DS_Store", "x");
    EXPECT_NE(buildError().find(".DS_Store"), std::string::npos) << buildError();
    std::filesystem::remove(source() / ".DS_Store");

    writeFile(source() / "tab\there.mp3", "x");
    EXPECT_NE(buildError(), "");
    std::filesystem::remove(source() / "tab\there.mp3");

    writeFile(source() / "manifest.json", "{}");
    EXPECT_NE(buildError().find("manifest.json"), std::string::npos);
    std::filesystem::remove(source() / "manifest.json");

    std::filesystem::create_directories(source() / "extras");
    EXPECT_NE(buildError().find("extras"), std::string::npos);
    std::filesystem::remove(source() / "extras");

    EXPECT_FALSE(std::filesystem::exists(output() / "manifest.json"));
    EXPECT_EQ(buildError(), "");
}

TEST_F(PackBuilderTest, RefusesOverlappingFolders) {
    writeFile(source() / "ok.mp3", "abc");
    EXPECT_THROW(PackBuilder::build(source(), source(), "Video"), std::runtime_error);
    EXPECT_THROW(PackBuilder::build(source(), source() / "out", "Video"), std::runtime_error);
    EXPECT_THROW(PackBuilder::build(source() / "missing", output(), "Video"), std::runtime_error);
    EXPECT_EQ(listNames(source()), std::vector<std::string>{"ok.mp3"});
}

TEST_F(PackBuilderTest, RebuildDropsFilesNoLongerInThePack) {
    writeFile(source() / "keep.mp3", "keep");
    writeFile(source() / "drop.mp3", "drop");
    PackBuilder::build(source(), output(), "Audio");
    writeFile(output() / "unrelated.txt", "not ours");
    std::filesystem::remove(source() / "drop.mp3");
    writeFile(source() / "keep.mp3", "keep v2");
    auto manifest = PackBuilder::build(source(), output(), "Audio");
    ASSERT_EQ(manifest.files().size(), 1u);
    EXPECT_EQ(listNames(output()),
              (std::vector<std::string>{"keep.mp3", "manifest.json", "unrelated.txt"}));
    EXPECT_EQ(readFile(output() / "keep.mp3"), "keep v2");
}

TEST_F(PackBuilderTest, ToolPacksAFolder) {
    writeFile(source() / "b.mp3", "abc");
    auto run = runTool("'" + source().string() + "' '" + output().string() + "' --tag Audio",
                       work_.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "") << "no progress bar when stderr is not a terminal";
    EXPECT_NE(run.out.find("Audio"), std::string::npos);
    auto manifest = PackManifest::parse(readFile(output() / "manifest.json"));
    EXPECT_EQ(manifest.tag(), "Audio");
    ASSERT_EQ(manifest.files().size(), 1u);
    EXPECT_EQ(manifest.files()[0].sha256, kHashOfAbc);
}

TEST_F(PackBuilderTest, ToolReportsBadInput) {
    writeFile(source() / "b.mp3", "abc");
    auto noTag = runTool("'" + source().string() + "' '" + output().string() + "'", work_.path());
    EXPECT_EQ(noTag.status, 2);
    EXPECT_NE(noTag.err.find("usage"), std::string::npos);

    auto unknown = runTool("--frobnicate", work_.path());
    EXPECT_EQ(unknown.status, 2);

    writeFile(source() / ".hidden", "x");
    auto hidden = runTool("'" + source().string() + "' '" + output().string() + "' --tag=Video",
                          work_.path());
    EXPECT_EQ(hidden.status, 1);
    EXPECT_NE(hidden.err.find(".hidden"), std::string::npos) << hidden.err;
    EXPECT_FALSE(std::filesystem::exists(output() / "manifest.json"));

    auto help = runTool("--help", work_.path());
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--tag"), std::string::npos);
}
