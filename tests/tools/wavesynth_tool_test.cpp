#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "wav_test_support.h"

// Runs the built tool the way the build does, checking what it tells the
// shell: the build must stop, with a readable reason, when the sounds cannot
// be written.
namespace wavesynth {
namespace {

struct ToolRun {
    int exitCode;
    std::string errors;
};

ToolRun runTool(const std::string& arguments, const std::filesystem::path& errorLog) {
    const std::string command =
        "'" + std::string(WAVESYNTH_TOOL) + "' " + arguments + " 2>'" + errorLog.string() + "'";
    const int status = std::system(command.c_str());
    std::ifstream log(errorLog);
    std::stringstream errors;
    errors << log.rdbuf();
    return ToolRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, errors.str()};
}

TEST(WavesynthTool, WritesTheFiveFilesQuietly) {
    testing::TempFolder scratch;
    const ToolRun run = runTool("'" + scratch.path().string() + "/bin'", scratch.path() / "log");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.errors, "");
    for (const char* name : {"MainMusic.wav", "HighScore.wav", "GameOver.wav", "BonusCollected.wav",
                             "BallBounce.wav"}) {
        const auto bytes = testing::readFileBytes(scratch.path() / "bin" / name);
        ASSERT_GT(bytes.size(), 44u) << name;
        EXPECT_EQ(testing::decodeWav(bytes).riffTag, "RIFF") << name;
    }
}

TEST(WavesynthTool, FailsWithAReasonWhenItCannotWrite) {
    testing::TempFolder scratch;
    std::ofstream(scratch.path() / "file") << "in the way";
    const std::string blocked = (scratch.path() / "file" / "bin").string();

    const ToolRun run = runTool("'" + blocked + "'", scratch.path() / "log");
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.errors.find(blocked), std::string::npos) << run.errors;

    const ToolRun usage = runTool("", scratch.path() / "log");
    EXPECT_NE(usage.exitCode, 0);
    EXPECT_NE(usage.errors.find("usage"), std::string::npos) << usage.errors;
}

}  // namespace
}  // namespace wavesynth
