// Machine, program and resource figures, each checked against an independent reading of its source:
// /proc/meminfo and free, df, uname and /etc/os-release read by the shell, id, hostname, and the
// description the test program's version block was built from.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "orvane/zyltsysteminfo.h"
#include "system_fixture.h"
#include "vcl/designhost.h"
#include "vcl/designintf.h"
#include "vcl/fileutils.h"
#include "vcl/registry.h"
#include "vcl/sysutils.h"
#include "win32/files.h"
#include "win32/input.h"
#include "win32/sysinfo.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

namespace sysinfo_tests {

using namespace vcl;
using namespace orvane;
namespace fs = std::filesystem;

// What a shell command prints, without the final line break.
std::string Shell(const std::string& command) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) return out;
    char buffer[512];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe.get()))
        out.append(buffer, n);
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

// The kilobytes of each line of /proc/meminfo.
std::map<std::string, Int64> MemInfo() {
    std::map<std::string, Int64> values;
    std::ifstream file("/proc/meminfo");
    std::string key;
    Int64 kilobytes = 0;
    std::string rest;
    while (file >> key >> kilobytes) {
        std::getline(file, rest);
        values[key.substr(0, key.size() - 1)] = kilobytes;
    }
    return values;
}

// The number in front of a figure's unit ("123 KB" is 123).
Int64 Figure(const std::string& text) {
    return std::stoll(text.substr(0, text.find(' ')));
}

class SystemInfo : public systemtest::SystemTest {
protected:
    void SetUp() override {
        SystemTest::SetUp();
        workingDirectory_ = fs::current_path();
    }
    void TearDown() override {
        fs::current_path(workingDirectory_);
        SystemTest::TearDown();
    }

    std::string WriteMemInfo(const std::string& text) {
        const std::string path = dir_.File("meminfo");
        std::ofstream(path) << text;
        win32::testing::SetMemInfoPath(path);
        return path;
    }

private:
    fs::path workingDirectory_;
};

// ---------------------------------------------------------------------------------------------
// TZylResourceInfo

TEST_F(SystemInfo, MemoryFiguresAgreeWithProcMeminfoAndFree) {
    TComponentPtr<TZylResourceInfo> info(new TZylResourceInfo(nullptr));
    const auto meminfo = MemInfo();
    // Total memory does not move; on a machine of more than 4 GiB it also proves the 64-bit count.
    EXPECT_EQ(info->PhysMemTotal(), IntToStr(meminfo.at("MemTotal")) + " KB");
    EXPECT_EQ(info->PhysMemTotal(), Shell("free -k | awk '/^Mem:/ {print $2}'") + " KB");
    // Free memory moves while the test runs: within 64 MiB of the kernel's figure.
    EXPECT_NEAR(static_cast<double>(Figure(info->PhysMemFree())),
                static_cast<double>(meminfo.at("MemAvailable")), 65536.0);
    const Int64 load = 100 - meminfo.at("MemAvailable") * 100 / meminfo.at("MemTotal");
    EXPECT_NEAR(static_cast<double>(Figure(info->MemoryPercInUse())), static_cast<double>(load), 2.0);
    EXPECT_EQ(info->MemoryPercInUse().substr(info->MemoryPercInUse().find(' ')), " Percent");
    // The page file is memory and swap together; what is used of it is what is used of both.
    const Int64 usedMegabytes = (meminfo.at("MemTotal") - meminfo.at("MemAvailable") +
                                 meminfo.at("SwapTotal") - meminfo.at("SwapFree")) /
                                1024;
    EXPECT_NEAR(static_cast<double>(Figure(info->PageFileUsed())), static_cast<double>(usedMegabytes), 64.0);
    EXPECT_EQ(info->PageFileUsed().substr(info->PageFileUsed().find(' ')), " MB");
}

TEST_F(SystemInfo, VirtualMemoryUsedIsTheProcessMappedSize) {
    auto mapped = [] {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("VmSize:", 0) == 0) return std::stoll(line.substr(7));
        return 0LL;
    };
    const Int64 before = mapped();
    TComponentPtr<TZylResourceInfo> info(new TZylResourceInfo(nullptr));
    const Int64 after = mapped();
    const Int64 used = Figure(info->VirtualMemUsed());
    EXPECT_GT(used, 0);
    EXPECT_GE(used, std::min(before, after) - 65536);
    EXPECT_LE(used, std::max(before, after) + 65536);
}

TEST_F(SystemInfo, LargeMemoryWithoutSwapIsReportedInFull) {
    // 64 GiB, 48 GiB of it available, no swap at all.
    WriteMemInfo(
        "MemTotal:       67108864 kB\nMemFree:        1000000 kB\nMemAvailable:   50331648 kB\n"
        "SwapTotal:             0 kB\nSwapFree:              0 kB\n");
    TComponentPtr<TZylResourceInfo> info(new TZylResourceInfo(nullptr));
    EXPECT_EQ(info->PhysMemTotal(), "67108864 KB");
    EXPECT_EQ(info->PhysMemFree(), "50331648 KB");
    EXPECT_EQ(info->MemoryPercInUse(), "25 Percent");
    EXPECT_EQ(info->PageFileUsed(), "16384 MB");
    TComponentPtr<TZylSystemDetails> details(new TZylSystemDetails(nullptr));
    EXPECT_EQ(details->TotalMemory(), "67108864 KB");
}

TEST_F(SystemInfo, OddMeminfoFilesGiveSaneFigures) {
    // An old kernel without MemAvailable: the free memory stands in for it.
    WriteMemInfo("MemTotal: 8388608 kB\nMemFree: 2097152 kB\nSwapTotal: 1048576 kB\nSwapFree: 1048576 kB\n");
    TComponentPtr<TZylResourceInfo> info(new TZylResourceInfo(nullptr));
    EXPECT_EQ(info->PhysMemFree(), "2097152 KB");
    EXPECT_EQ(info->MemoryPercInUse(), "75 Percent");
    EXPECT_EQ(info->PageFileUsed(), "6144 MB");
    // Figures caught at different moments may claim more available than there is.
    WriteMemInfo("MemTotal: 1000 kB\nMemAvailable: 5000 kB\nSwapTotal: 10 kB\nSwapFree: 20 kB\n");
    info->ReadValues();
    EXPECT_EQ(info->MemoryPercInUse(), "0 Percent");
    EXPECT_EQ(info->PhysMemFree(), "1000 KB");
    EXPECT_EQ(info->PageFileUsed(), "0 MB");
    // No figures at all (an unreadable file): zeros, no division by zero.
    WriteMemInfo("");
    info->ReadValues();
    EXPECT_EQ(info->MemoryPercInUse(), "0 Percent");
    EXPECT_EQ(info->PhysMemTotal(), "0 KB");
    EXPECT_EQ(info->PageFileUsed(), "0 MB");
}

TEST_F(SystemInfo, CurrentDriveFiguresAgreeWithDf) {
    win32::testing::MapDrive('D', dir_.Path().string());
    ASSERT_TRUE(SetCurrentDir("D:\\"));
    TComponentPtr<TZylResourceInfo> info(new TZylResourceInfo(nullptr));
    const std::string folder = "'" + dir_.Path().string() + "'";
    const Int64 size = std::stoll(Shell("df -B1 --output=size " + folder + " | tail -1"));
    const Int64 available = std::stoll(Shell("df -B1 --output=avail " + folder + " | tail -1"));
    // Thousands of kilobytes, not mebibytes.
    EXPECT_EQ(info->CurrDriveSize(), IntToStr(size / 1024000) + " MB");
    EXPECT_NEAR(static_cast<double>(Figure(info->CurrDriveFree())), static_cast<double>(available / 1024000),
                64.0);
}

TEST_F(SystemInfo, LockKeysFollowTheToggleBitAndAreReadOneAtATime) {
    TComponentPtr<TZylResourceInfo> info(new TZylResourceInfo(nullptr));
    EXPECT_FALSE(info->CapsLock());
    EXPECT_FALSE(info->NumLock());
    PressKey(win32::VK_CAPITAL);
    PressKey(win32::VK_NUMLOCK);
    info->SetCapsLock(false);
    EXPECT_TRUE(info->CapsLock());
    EXPECT_FALSE(info->NumLock());
    EXPECT_FALSE(info->ScrollLock());
    info->SetNumLock(false);
    EXPECT_TRUE(info->NumLock());
    info->SetScrollLock(true);
    EXPECT_FALSE(info->ScrollLock());
    PressKey(win32::VK_CAPITAL);
    info->ReadValues();
    EXPECT_FALSE(info->CapsLock());
    EXPECT_TRUE(info->NumLock());
}

TEST_F(SystemInfo, EachSecondReadsAgainThenFiresOnNewValues) {
    WriteMemInfo("MemTotal: 4096 kB\nMemAvailable: 1024 kB\n");
    TComponentPtr<TZylResourceInfo> info(new TZylResourceInfo(nullptr));
    EXPECT_EQ(info->CurrentTime(), TimeToStr(Now()));
    EXPECT_EQ(info->CurrentDate(), DateToStr(Now()));
    std::vector<std::string> seen;
    info->OnNewValues = [&](TObject* sender) {
        EXPECT_EQ(sender, info.get());
        seen.push_back(info->PhysMemFree() + " " + info->CurrentTime());
    };
    WriteMemInfo("MemTotal: 4096 kB\nMemAvailable: 2048 kB\n");
    Advance(999);
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(info->PhysMemFree(), "1024 KB");
    Advance(1);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], "2048 KB " + TimeToStr(Now()));
    for (int second = 0; second < 3; ++second)
        Advance(1000);
    EXPECT_EQ(seen.size(), 4u);
    // Writing a figure keeps nothing of what was written.
    info->SetInfo("12 KB");
    EXPECT_EQ(info->PhysMemFree(), "2048 KB");
}

// ---------------------------------------------------------------------------------------------
// TZylSystemDetails

TEST_F(SystemInfo, SystemDetailsAgreeWithTheSystemsOwnTools) {
    TComponentPtr<TZylSystemDetails> details(new TZylSystemDetails(nullptr));
    const std::string cpu = Shell("sed -n 's/^model name[[:space:]]*: *//p' /proc/cpuinfo | head -1");
    if (!cpu.empty()) {
        EXPECT_EQ(details->CPU(), cpu);
    }
    EXPECT_EQ(details->OS(), Shell(". /etc/os-release && echo \"${PRETTY_NAME:-$NAME}\""));
    EXPECT_EQ(details->WinVersion(), Shell("uname -r | sed -E 's/^([0-9]+)\\.([0-9]+).*/\\1.\\2/'"));
    const std::string patch = Shell("uname -r | sed -nE 's/^[0-9]+\\.[0-9]+\\.([0-9]+).*/\\1/p'");
    EXPECT_EQ(details->Build(), patch.empty() ? "0" : patch);
    EXPECT_EQ(details->TotalMemory(), Shell("free -k | awk '/^Mem:/ {print $2}'") + " KB");
    EXPECT_EQ(details->DriveC(),
              IntToStr(std::stoll(Shell("df -B1 --output=size / | tail -1")) / 1048576) + " MB");
    EXPECT_EQ(details->Username(), Shell("id -un"));
    std::string host = Shell("hostname");
    host = UpperCase(host.substr(0, host.find('.'))).substr(0, 15);
    EXPECT_EQ(details->ComputerName(), host);
}

TEST_F(SystemInfo, OwnerAndOrganisationComeFromTheRegistry) {
    TComponentPtr<TZylSystemDetails> details(new TZylSystemDetails(nullptr));
    std::string owner = Shell("getent passwd \"$(id -un)\" | cut -d: -f5 | cut -d, -f1");
    if (owner.empty()) owner = Shell("id -un");
    EXPECT_EQ(details->Owner(), owner);
    EXPECT_EQ(details->Organisation(), "");
    char windows[4096] = {};
    const win32::UINT length = win32::GetWindowsDirectory(windows, sizeof windows);
    EXPECT_EQ(details->SystemRoot(), std::string(windows, length));
    EXPECT_EQ(details->ProgramFilesDir(), win32::WindowsPath("/opt"));
    {
        TRegistry registry;
        registry.SetRootKey(win32::HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(registry.OpenKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", false));
        registry.WriteString("RegisteredOrganization", "Mill Lane Workshop");
        registry.WriteString("RegisteredOwner", "Ada Quill");
    }
    // Read once, at creation.
    EXPECT_EQ(details->Owner(), owner);
    details.reset(new TZylSystemDetails(nullptr));
    EXPECT_EQ(details->Organisation(), "Mill Lane Workshop");
    EXPECT_EQ(details->Owner(), "Ada Quill");
}

TEST_F(SystemInfo, WritingADetailReadsOnlyTheScreenSizeAgain) {
    TComponentPtr<TZylSystemDetails> details(new TZylSystemDetails(nullptr));
    EXPECT_EQ(details->ScreenWidth(), IntToStr(win32::GetSystemMetrics(win32::SM_CXSCREEN)));
    win32::testing::SetScreenSize(800, 600);
    WriteMemInfo("MemTotal: 4096 kB\n");
    EXPECT_EQ(details->ScreenWidth(), "1024");
    details->SetInfo("anything");
    EXPECT_EQ(details->ScreenWidth(), "800");
    EXPECT_EQ(details->ScreenHeight(), "600");
    EXPECT_NE(details->TotalMemory(), "4096 KB");
}

TEST_F(SystemInfo, DriveCIsEmptyWhenTheDriveDoesNotAnswer) {
    win32::testing::MapDrive('C', (dir_.Path() / "missing").string(), win32::DRIVE_REMOVABLE, {}, 0, false);
    TComponentPtr<TZylSystemDetails> details(new TZylSystemDetails(nullptr));
    EXPECT_EQ(details->DriveC(), "");
    win32::testing::UnmapDrive('C');
}

// ---------------------------------------------------------------------------------------------
// TZylVersionDetails

// The String lines of a version description.
std::map<std::string, std::string> DescribedStrings(const std::string& path) {
    std::map<std::string, std::string> strings;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        if (line.rfind("String ", 0) != 0) continue;
        const size_t equals = line.find(" = ");
        strings[line.substr(7, equals - 7)] = line.substr(equals + 3);
    }
    return strings;
}

void ExpectStrings(const TZylVersionDetails& details, const std::map<std::string, std::string>& strings) {
    EXPECT_EQ(details.CompanyName(), strings.at("CompanyName"));
    EXPECT_EQ(details.FileDescription(), strings.at("FileDescription"));
    EXPECT_EQ(details.FileVersion(), strings.at("FileVersion"));
    EXPECT_EQ(details.InternalName(), strings.at("InternalName"));
    EXPECT_EQ(details.LegalCopyright(), strings.at("LegalCopyright"));
    EXPECT_EQ(details.OriginalFilename(), strings.at("OriginalFilename"));
    EXPECT_EQ(details.ProductName(), strings.at("ProductName"));
    EXPECT_EQ(details.ProductVersion(), strings.at("ProductVersion"));
}

TEST_F(SystemInfo, VersionDetailsAreTheProgramsOwnVersionBlock) {
    TComponentPtr<TZylVersionDetails> details(new TZylVersionDetails(nullptr));
    const auto strings = DescribedStrings(ZYL_ORVANE_TESTS_VERSION);
    ASSERT_EQ(strings.size(), 8u);
    ExpectStrings(*details, strings);
    EXPECT_EQ(details->LegalCopyright(), "Copyright \xC2\xA9 2026 the Zyl authors");
    details->SetInfo("changed");
    EXPECT_EQ(details->ProductName(), "Zyl");
}

TEST_F(SystemInfo, AnotherLanguageIsReadAndAFileWithoutABlockClearsEverything) {
    if (std::system("command -v objcopy >/dev/null 2>&1") != 0) GTEST_SKIP() << "objcopy is not installed";
    const std::string description = dir_.File("german.ver");
    std::ofstream(description) << "Language = 0407\nCodePage = 1252\nString CompanyName = Zyl Bauteile\n"
                                  "String ProductName = Zyl\nString FileDescription = Systemtests\n";
    const std::string block = dir_.File("block.bin");
    ASSERT_EQ(
        std::system(("python3 '" ZYL_VERSION_SCRIPT "' '" + description + "' --bin '" + block + "'").c_str()),
        0);
    fs::copy_file("/bin/true", dir_.Path() / "program");
    fs::copy_file("/bin/true", dir_.Path() / "plain");
    ASSERT_EQ(
        std::system(("objcopy --add-section .zylver='" + block + "' '" + dir_.File("program") + "'").c_str()),
        0);
    win32::testing::MapDrive('V', dir_.Path().string());

    TComponentPtr<TZylVersionDetails> details(new TZylVersionDetails(nullptr));
    details->ReadFrom("V:\\program");
    EXPECT_EQ(details->CompanyName(), "Zyl Bauteile");
    EXPECT_EQ(details->FileDescription(), "Systemtests");
    EXPECT_EQ(details->ProductName(), "Zyl");
    EXPECT_EQ(details->FileVersion(), "");
    details->ReadFrom("V:\\plain");
    EXPECT_EQ(details->CompanyName(), "");
    EXPECT_EQ(details->ProductName(), "");
    details->ReadFrom("V:\\nowhere");
    EXPECT_EQ(details->FileDescription(), "");
}

// ---------------------------------------------------------------------------------------------
// In the designer

class SystemInfoDesigner : public systemtest::DesignedSystemForm {};

TEST_F(SystemInfoDesigner, FactsAreShownReadOnlyAndNeverStored) {
    auto* resources = host->DropComponent("TZylResourceInfo");
    auto* details = host->DropComponent("TZylSystemDetails");
    auto* version = host->DropComponent("TZylVersionDetails");
    ASSERT_TRUE(resources && details && version);
    EXPECT_EQ(host->GetProperty(details, "Username"), Shell("id -un"));
    for (auto [component, property] : {std::pair<TComponent*, const char*>{resources, "PhysMemTotal"},
                                       {resources, "CapsLock"},
                                       {details, "Owner"},
                                       {details, "ComputerName"},
                                       {version, "ProductName"}}) {
        auto editor = host->FindEditor({component}, property);
        ASSERT_TRUE(editor) << property;
        EXPECT_TRUE(editor->GetAttributes().Contains(paReadOnly)) << property;
        EXPECT_THROW(editor->SetValue("1"), Exception) << property;
    }
    const std::string text = host->FormText();
    for (const char* property :
         {"PhysMemTotal", "CapsLock", "Owner", "Username", "ProductName", "CurrentTime"})
        EXPECT_EQ(text.find(property), std::string::npos) << text;
    // The timer ticks in the designer too.
    int ticks = 0;
    static_cast<TZylResourceInfo*>(resources)->OnNewValues = [&](TObject*) { ++ticks; };
    Advance(1000);
    Advance(1000);
    EXPECT_EQ(ticks, 2);
}

}  // namespace sysinfo_tests
