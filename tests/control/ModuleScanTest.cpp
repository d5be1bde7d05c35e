// The scan of every object number against the module emulator on a pseudo-terminal: where the
// module is found, what it is left in, and line faults that must not name a wrong number.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>

#include "FileContents.h"
#include "RecordingLog.h"
#include "control/ModulePort.h"
#include "control/ModuleScan.h"
#include "emulator/ModuleEmulator.h"
#include "transport/ModuleLine.h"

namespace fs = std::filesystem;

namespace {

// The emulator answers at once without pacing, so the whole-range scans can wait less than on a
// real line and still take every answer.
constexpr int kUnpacedTimeoutMs = 40;

class ModuleScanTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tarnel-scan-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        m_module.reset();
        fs::remove_all(m_dir);
    }
    void StartModule(int objectNumber, TEmulatorOptions options = Unpaced()) {
        options.TranscriptFile = Transcript();
        m_module = std::make_unique<TModuleEmulator>(options, PowerUpState(objectNumber));
        m_port.Open(m_module->DevicePath(), kAnswerTimeoutMs);
    }
    static TEmulatorOptions Unpaced() {
        TEmulatorOptions options;
        options.Pacing = false;
        return options;
    }
    std::vector<TScanHit> Scan(int timeoutMs, const TScanProgress& progress = {}) {
        return ScanModules(
            m_port.Transport(), [this](const std::string& text) { m_port.SendSlow(text); }, m_log,
            timeoutMs, progress);
    }
    std::string Transcript() const { return (m_dir / "transcript.txt").string(); }
    std::vector<std::string> TranscriptLines() const {
        std::vector<std::string> lines;
        std::istringstream text(FileContents(Transcript()));
        for (std::string line; std::getline(text, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    fs::path m_dir;
    std::unique_ptr<TModuleEmulator> m_module;
    TComPort m_port;
    TRecordingLog m_log;
};

TEST_F(ModuleScanTest, FindsTheModuleAtEitherEndAndInTheMiddleAndNothingElse) {
    for (const int number : {0, 50, 99}) {
        SCOPED_TRACE(number);
        StartModule(number);
        EXPECT_EQ(Scan(kUnpacedTimeoutMs), (std::vector<TScanHit>{{number, "VER 08.00"}}));
        m_module.reset();
    }
}

TEST_F(ModuleScanTest, AnEmptyLineGivesNoHitAfterAskingEveryNumber) {
    TEmulatorOptions options = Unpaced();
    options.Behaviour.Faults.Silent = true;
    StartModule(10, options);
    EXPECT_TRUE(Scan(kUnpacedTimeoutMs).empty());
    EXPECT_EQ(m_module->CommandCount(), kScanNumberCount);
}

TEST_F(ModuleScanTest, ReleasesTheModuleFoundAndWritesNothing) {
    StartModule(50);
    ASSERT_EQ(Scan(kUnpacedTimeoutMs).size(), 1U);
    m_module->Stop();
    const std::vector<std::string> lines = TranscriptLines();
    const auto answer =
        std::find(lines.begin(), lines.end(), "< *50v\\r\\nVER 08.00\\r\\nOK\\r\\n");
    ASSERT_NE(answer, lines.end());
    const std::vector<std::string> release(answer + 1, answer + 6);
    EXPECT_EQ(release, (std::vector<std::string>{"> ]", "> ]", "> ]", "> +rb\\r", "< OK\\r\\n"}));
    for (const std::string& line : lines) {
        if (line.starts_with("> *")) {
            EXPECT_TRUE(line.ends_with("v\\r")) << line;
        }
    }
    EXPECT_EQ(m_module->Snapshot(), PowerUpState(50));
}

// Each case scans a few numbers past the module on the paced line, where a late or spoiled answer
// of the module would land in the next number's wait.
TEST_F(ModuleScanTest, LineFaultsNeverNameAWrongNumber) {
    struct TCase {
        const char* Name;
        bool Silent;
        bool Noise;
        bool Split;
        int ReplyDelayMs;
        bool Found;
    };
    const TCase cases[] = {
        {"silent", true, false, false, 0, false},
        {"noise", false, true, false, 0, true},
        {"split", false, false, true, 0, true},
        {"noise and split", false, true, true, 0, true},
        {"answer later than the wait", false, false, false, kScanAnswerTimeoutMs + 20, false},
    };
    constexpr int kModuleNumber = 10;
    constexpr int kLastAsked = kModuleNumber + 3;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TEmulatorOptions options;
        options.Pacing = true;
        options.Behaviour.Faults.Silent = c.Silent;
        options.Behaviour.Faults.Noise = c.Noise;
        options.Split = c.Split;
        options.ReplyDelayMs = c.ReplyDelayMs;
        StartModule(kModuleNumber, options);
        const std::vector<TScanHit> hits =
            Scan(kScanAnswerTimeoutMs, [](int number, int, int) { return number <= kLastAsked; });
        const std::vector<TScanHit> expected =
            c.Found ? std::vector<TScanHit>{{kModuleNumber, "VER 08.00"}} : std::vector<TScanHit>{};
        EXPECT_EQ(hits, expected);
        m_module.reset();
    }
}

TEST_F(ModuleScanTest, AFalseFromTheProgressStopsBeforeThatNumber) {
    StartModule(5);
    std::vector<int> asked;
    const std::vector<TScanHit> hits =
        Scan(kUnpacedTimeoutMs, [&](int number, int done, int total) {
            EXPECT_EQ(done, number);
            EXPECT_EQ(total, kScanNumberCount);
            asked.push_back(number);
            return number < 8;
        });
    EXPECT_EQ(hits, (std::vector<TScanHit>{{5, "VER 08.00"}}));
    EXPECT_EQ(asked, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(m_module->CommandCount(), 8);
}

TEST(ScanVersionOf, TakesOnlyAVersionAnswerEchoingTheNumberAsked) {
    struct TCase {
        const char* Answer;
        int Number;
        const char* Version;
    };
    const TCase cases[] = {
        {"*10v\r\nVER 08.00\r\nOK\r\n", 10, "VER 08.00"},
        {"*05v\r\nVER 07.00\r\nOK\r\n", 5, "VER 07.00"},
        {"OK\r\n*10v\r\nVER 08.00\r\nOK\r\n", 10, "VER 08.00"},
        {"*10v\r\nVER 08.00\r\nOK\r\n", 11, ""},
        {"*10v\r\nVER 08.00\r\nOK\r\n", 1, ""},
        {"VER 08.00\r\nOK\r\n", 10, ""},
        {"*10v\r\nVER 08.00\r\n", 10, ""},
        {"*10v\r\n05\r\nOK\r\n", 10, ""},
        {"*10v\r\nVER 08.00\r\nVER 08.00\r\nOK\r\n", 10, ""},
        {"*10v\r\n\r\nOK\r\n", 10, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Answer);
        EXPECT_EQ(ScanVersionOf(c.Answer, c.Number), c.Version) << c.Number;
    }
}

}  // namespace
