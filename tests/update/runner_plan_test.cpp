#include "update/runner_plan.h"

#include <gtest/gtest.h>

#include <map>

namespace tessel::update {
namespace {

TEST(RunnerCommandLineTest, RoundTripsPathsWithBlanks) {
    const std::u16string runner = u"C:\\Documents and Settings\\u\\Temp\\Upgrader3.exe";
    const std::u16string program = u"C:\\Program Files\\Tessel +1\\tessel.exe";
    const std::u16string line = RunnerCommandLine(runner, program, u"/afterupgrade", TUpgradeMethod::umUseExternalSetup);
    EXPECT_EQ(line, runner + u" " + program + u" +/afterupgrade1");
    for (const std::u16string& given : {line, u"\"" + runner + u"\"" + line.substr(runner.size())}) {
        RunnerCommand command;
        ASSERT_TRUE(ParseRunnerCommandLine(given, runner, command));
        EXPECT_EQ(command.ProgramPath, program);
        EXPECT_EQ(command.RestartParams, u"/afterupgrade");
        EXPECT_EQ(command.Method, TUpgradeMethod::umUseExternalSetup);
    }
    RunnerCommand command;
    for (const char16_t* bad : {u"", u"C:\\r.exe", u"C:\\r.exe C:\\p.exe", u"C:\\r.exe C:\\p.exe +/x", u"C:\\r.exe +/x0",
                                u"C:\\r.exe C:\\p.exe +/x7", u"\"C:\\r.exe C:\\p.exe +/x0"})
        EXPECT_FALSE(ParseRunnerCommandLine(bad, u"C:\\r.exe", command)) << std::u16string(bad).size();
}

// Files in memory; an operation on a path listed in failOn fails.
class MemoryFiles final : public IInstallFiles {
public:
    std::map<std::u16string, std::string> files;
    std::u16string failOn;

    bool Exists(const std::u16string& path) override { return files.count(path) > 0; }
    bool Copy(const std::u16string& from, const std::u16string& to) override {
        if (to == failOn || !files.count(from)) return false;
        files[to] = files[from];
        return true;
    }
    bool Replace(const std::u16string& from, const std::u16string& to) override {
        if (to == failOn || !files.count(from)) return false;
        files[to] = files[from];
        files.erase(from);
        return true;
    }
    bool Remove(const std::u16string& path) override {
        files.erase(path);
        return true;
    }
};

TEST(RunnerInstall, ReplacesEveryDownloadAndDropsTheCopies) {
    MemoryFiles fs;
    fs.files = {{u"P/tessel.exe", "old exe"}, {u"P/tessel.exe.uTMP", "new exe"}, {u"P/new.dat.uTMP", "data"},
                {u"P/..\\evil.uTMP", "x"}, {u"P/profile.xml", "settings"}};
    const InstallResult r = InstallDownloads(fs, u"P/", {u"tessel.exe.uTMP", u"..\\evil.uTMP", u"new.dat.uTMP"});
    EXPECT_TRUE(r.Ok);
    EXPECT_EQ(r.Installed, (std::vector<std::u16string>{u"P/tessel.exe", u"P/new.dat"}));
    const std::map<std::u16string, std::string> expected{
        {u"P/tessel.exe", "new exe"}, {u"P/new.dat", "data"}, {u"P/profile.xml", "settings"}};
    EXPECT_EQ(fs.files, expected);
}

TEST(RunnerInstall, AFailedReplacementPutsBackWhatWasReplaced) {
    for (const char16_t* failing : {u"P/b.dll", u"P/b.dll.uBAK", u"P/c.dat"}) {
        SCOPED_TRACE(std::u16string(failing).size());
        MemoryFiles fs;
        fs.files = {{u"P/a.exe", "old a"}, {u"P/b.dll", "old b"},         {u"P/a.exe.uTMP", "new a"},
                    {u"P/b.dll.uTMP", "new b"}, {u"P/c.dat.uTMP", "new c"}, {u"P/d.dat.uTMP", "new d"}};
        fs.failOn = failing;
        const InstallResult r =
            InstallDownloads(fs, u"P/", {u"c.dat.uTMP", u"a.exe.uTMP", u"b.dll.uTMP", u"d.dat.uTMP"});
        EXPECT_FALSE(r.Ok);
        EXPECT_TRUE(r.Installed.empty());
        const std::map<std::u16string, std::string> before{{u"P/a.exe", "old a"}, {u"P/b.dll", "old b"}};
        EXPECT_EQ(fs.files, before);  // no download, no copy and no new file is left
    }
}

// method=1 with the setup as the first address: the setup is installed (and run) first whatever
// its name sorts as.
TEST(RunnerInstall, TheNamedSetupComesFirstTheRestByName) {
    const struct {
        std::vector<std::u16string> downloads;
        std::u16string setup;
        std::vector<std::u16string> order;
    } cases[] = {
        {{u"setup.exe.uTMP", u"a.dll.uTMP", u"readme.txt.uTMP"}, u"setup.exe",
         {u"setup.exe.uTMP", u"a.dll.uTMP", u"readme.txt.uTMP"}},
        {{u"b.uTMP", u"Setup.EXE.uTMP", u"a.uTMP"}, u"setup.exe", {u"Setup.EXE.uTMP", u"a.uTMP", u"b.uTMP"}},
        {{u"b.uTMP", u"a.uTMP"}, u"", {u"a.uTMP", u"b.uTMP"}},
        {{u"b.uTMP", u"a.uTMP"}, u"setup.exe", {u"a.uTMP", u"b.uTMP"}},  // the setup did not come
        {{}, u"setup.exe", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.setup.begin(), c.setup.end()));
        EXPECT_EQ(InstallOrder(c.downloads, c.setup), c.order);
    }
}

}  // namespace
}  // namespace tessel::update
