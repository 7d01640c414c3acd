// Running programs, collecting files, one file's properties, drive volumes and dropped files, on
// real folders and checked against the system's own tools (find, stat, df).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "orvane/zyltdroppedfiles.h"
#include "orvane/zyltfilecollector.h"
#include "orvane/zyltfileexecute.h"
#include "orvane/zyltfileproperties.h"
#include "system_fixture.h"
#include "vcl/fileutils.h"
#include "vcl/forms.h"
#include "vcl/sysutils.h"
#include "win32/files.h"
#include "win32/shell.h"

namespace fileinfo_tests {

using namespace vcl;
using namespace orvane;
namespace fs = std::filesystem;
using zyltest::ReadTextFile;
using zyltest::WriteTextFile;

// The lines a command prints.
std::vector<std::string> CommandLines(const std::string& command) {
    std::vector<std::string> lines;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) return lines;
    std::array<char, 4096> buffer{};
    while (fgets(buffer.data(), static_cast<int>(buffer.size()), pipe.get())) {
        std::string line = buffer.data();
        if (!line.empty() && line.back() == '\n') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

class FileComponents : public systemtest::SystemTest {
protected:
    std::string Native(const std::string& name) const { return (dir_.Path() / name).string(); }
    std::string Win(const std::string& name) const { return win32::WindowsPath(Native(name)); }
    bool Exists(const std::string& name) const { return fs::exists(dir_.Path() / name); }
};

// ---------------------------------------------------------------------------------------------
// TZylFileExecute

TEST_F(FileComponents, AProgramGetsItsArgumentsAsTextAndNothingElseRuns) {
    const std::string script = "run me; $(touch hacked).sh";
    WriteTextFile(dir_.Path() / script, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + Native("args") + "'\n");
    fs::permissions(dir_.Path() / script, fs::perms::owner_all);
    TComponentPtr<TZylFileExecute> execute(new TZylFileExecute(nullptr));
    execute->SetFilename(Win(script));
    execute->SetExeParameters("\"one two\" x;touch$IFS'hacked2' $(touch hacked3) `touch hacked4`");
    execute->SetExePath(Win(""));
    execute->SetWait(true);
    ASSERT_TRUE(execute->Execute());
    EXPECT_EQ(ReadTextFile(dir_.Path() / "args"),
              "one two\nx;touch$IFS'hacked2'\n$(touch\nhacked3)\n`touch\nhacked4`\n");
    for (const char* name : {"hacked", "hacked2", "hacked3", "hacked4"})
        EXPECT_FALSE(Exists(name)) << name;
}

TEST_F(FileComponents, AProgramThatCannotStartIsAFailure) {
    TComponentPtr<TZylFileExecute> execute(new TZylFileExecute(nullptr));
    execute->SetFilename(Win("missing program"));
    EXPECT_FALSE(execute->Execute());
    EXPECT_EQ(execute->LastError(), win32::SE_ERR_FNF);
    WriteTextFile(dir_.Path() / "doc.txt", "text");
    execute->SetFilename(Win("doc.txt"));
    execute->SetExeStyle(osInstall);
    EXPECT_FALSE(execute->Execute()) << "a verb without a handler";
    EXPECT_EQ(execute->LastError(), win32::SE_ERR_NOASSOC);
}

TEST_F(FileComponents, VerbsAndShowCommandsReachTheShell) {
    win32::testing::RecordShellExecute(true);
    WriteTextFile(dir_.Path() / "doc.txt", "text");
    TComponentPtr<TZylFileExecute> execute(new TZylFileExecute(nullptr));
    execute->SetFilename(Win("doc.txt"));
    execute->SetExeStyle(osPrint);
    execute->SetWindowstate(wsMaximized);
    execute->SetWait(true);  // nothing starts under recording, so nothing to wait for
    EXPECT_TRUE(execute->Execute());
    execute->SetExeStyle(osDefault);
    execute->SetWindowstate(wsMinimized);
    EXPECT_TRUE(execute->Execute());
    const auto log = win32::testing::ShellExecuteLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].verb, "print");
    EXPECT_EQ(log[0].showCommand, 3);
    EXPECT_EQ(log[1].verb, "open");
    EXPECT_EQ(log[1].showCommand, 2);
    EXPECT_EQ(TZylFileExecute::Verb(osConfigure), "open");
    EXPECT_EQ(TZylFileExecute::Verb(osTest), "Test");
}

// ---------------------------------------------------------------------------------------------
// TZylFileCollector

class Collector : public FileComponents {
protected:
    void SetUp() override {
        FileComponents::SetUp();
        for (const char* name :
             {"root/a.txt", "root/.hidden.txt", "root/B.TXT", "root/c.doc", "root/sub/d.txt",
              "root/sub/deep/e.txt", "root/Sub2/f.txt", "root/only/g.doc"})
            WriteTextFile(dir_.Path() / name, name);
        fs::create_directory_symlink(dir_.Path() / "root/sub", dir_.Path() / "root/link");
        fs::create_directory_symlink(dir_.Path() / "root", dir_.Path() / "root/sub/deep/loop");
        fs::create_symlink(dir_.Path() / "root/a.txt", dir_.Path() / "root/filelink.txt");
        collector.reset(new TZylFileCollector(nullptr));
    }
    TComponentPtr<TZylFileCollector> collector;
};

TEST_F(Collector, FindsWhatFindFindsFollowingLinksButNotLoops) {
    collector->SetInitialDirectory(Win("root"));
    collector->SetFileMask("*.txt");
    EXPECT_TRUE(collector->Execute());
    std::set<std::string> ours;
    for (Integer i = 0; i < collector->LocatedObjects()->Count(); ++i)
        ours.insert(collector->LocatedObjects()->Strings(i));
    std::set<std::string> theirs;
    for (const auto& line :
         CommandLines("find -L '" + Native("root") + "' -iname '*.txt' ! -type d 2>/dev/null"))
        theirs.insert(win32::WindowsPath(line));
    EXPECT_EQ(ours, theirs);
    EXPECT_TRUE(ours.count(Win("root/link/deep/e.txt")));
    EXPECT_TRUE(ours.count(Win("root/.hidden.txt")));
    EXPECT_EQ(collector->LocatedObjects()->Count(), static_cast<Integer>(theirs.size())) << "nothing twice";
}

TEST_F(Collector, ListsEachFoldersFilesSortedBeforeItsSubfolders) {
    collector->SetInitialDirectory(Win("root/sub") + "\\\\\\");
    collector->SetFileMask("*.txt");
    std::vector<std::string> events;
    collector->OnStart = [&](TObject*) { events.push_back("start"); };
    collector->OnDirectoryFound = [&](TObject*) { events.push_back("folder"); };
    collector->OnFileFound = [&](TObject*, const std::string& name) {
        events.push_back(ExtractFileName(name));
    };
    collector->OnDone = [&](TObject*) { events.push_back("done"); };
    EXPECT_TRUE(collector->Execute());
    EXPECT_EQ(collector->InitialDirectory(), Win("root/sub") + "\\") << "exactly one backslash";
    // sub: d.txt; deep: e.txt; deep/loop leads back to root, which holds sub itself: root is
    // entered once (it is not above sub here), and inside it sub is not entered again.
    ASSERT_GE(events.size(), 6u);
    EXPECT_EQ(std::vector<std::string>(events.begin(), events.begin() + 5),
              (std::vector<std::string>{"start", "folder", "d.txt", "folder", "e.txt"}));
    EXPECT_EQ(events.back(), "done");

    collector->SetInitialDirectory(Win("root"));
    collector->SetFileMask("*.doc");
    collector->OnDirectoryFound = nullptr;
    events.clear();
    EXPECT_TRUE(collector->Execute());
    EXPECT_EQ(events, (std::vector<std::string>{"start", "c.doc", "g.doc", "done"}));
    collector->SetInitialDirectory(Win("root/Sub2"));
    collector->SetFileMask("*.doc");
    EXPECT_FALSE(collector->Execute()) << "nothing in the folder itself";
    collector->SetInitialDirectory(Win("root"));
    collector->SetFileMask("g.doc");
    EXPECT_FALSE(collector->Execute()) << "matches only in a subfolder";
    EXPECT_EQ(collector->LocatedObjects()->Count(), 1);
}

TEST_F(Collector, SizesAddUpPastFourGigabytes) {
    constexpr Int64 kHuge = Int64{5} << 30;
    fs::create_directories(dir_.Path() / "big");
    WriteTextFile(dir_.Path() / "big/small.bin", "12345");
    {
        std::FILE* file = std::fopen(Native("big/huge.bin").c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fclose(file);
    }
    fs::resize_file(dir_.Path() / "big/huge.bin", static_cast<uintmax_t>(kHuge));  // sparse
    collector->SetInitialDirectory(Win("big"));
    collector->SetFileMask("*.bin");
    EXPECT_TRUE(collector->Execute());
    EXPECT_EQ(collector->TotalSize(), kHuge + 5);
}

// ---------------------------------------------------------------------------------------------
// TZylFileProperties

TEST_F(FileComponents, PropertiesAgreeWithStat) {
    WriteTextFile(dir_.Path() / "Mixed/report.final.txt", std::string(1234, 'x'));
    const std::string native = Native("Mixed/report.final.txt");
    // 2023-05-06 07:08:10 UTC; the manual clock's local time is UTC.
    const std::time_t stamp = 1683356890;
    const timespec times[2] = {{stamp, 0}, {stamp, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, native.c_str(), times, 0), 0);
    chmod(native.c_str(), 0444);
    TComponentPtr<TZylFileProperties> properties(new TZylFileProperties(nullptr));
    properties->SetFilename(Win("Mixed/report.final.txt"));
    struct stat info {};
    ASSERT_EQ(stat(native.c_str(), &info), 0);
    EXPECT_EQ(properties->Size(), info.st_size);
    EXPECT_EQ(properties->NameOnly(), "report");
    EXPECT_EQ(properties->NameAndExtension(), "report.final.txt");
    EXPECT_EQ(properties->Path(), Win("Mixed") + "\\");
    EXPECT_EQ(properties->Extension(), ".txt");
    std::tm utc{};
    gmtime_r(&info.st_mtime, &utc);
    const TDateTime expected = EncodeDate(static_cast<Word>(utc.tm_year + 1900),
                                          static_cast<Word>(utc.tm_mon + 1), static_cast<Word>(utc.tm_mday)) +
                               EncodeTime(static_cast<Word>(utc.tm_hour), static_cast<Word>(utc.tm_min),
                                          static_cast<Word>(utc.tm_sec), 0);
    EXPECT_EQ(properties->Date(), DateToStr(expected));
    EXPECT_EQ(properties->Time(), TimeToStr(expected));
    EXPECT_EQ(properties->AttributesShort(), "--RA");
    EXPECT_TRUE(properties->Attributes().Contains(ftReadOnly));

    properties->SetAttributes(TFileType{ftArchive});
    ASSERT_EQ(stat(native.c_str(), &info), 0);
    EXPECT_TRUE(info.st_mode & S_IWUSR);
    EXPECT_EQ(properties->AttributesShort(), "---A");

    const TDateTime later = EncodeDate(2024, 2, 29) + EncodeTime(13, 14, 16, 0);
    properties->SetDate(DateToStr(later));
    properties->SetTime(TimeToStr(later));
    ASSERT_EQ(stat(native.c_str(), &info), 0);
    gmtime_r(&info.st_mtime, &utc);
    EXPECT_EQ(std::vector<int>(
                  {utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec}),
              std::vector<int>({2024, 2, 29, 13, 14, 16}));
    EXPECT_THROW(properties->SetDate("no date"), EConvertError);

    WriteTextFile(dir_.Path() / ".secret", "");
    properties->SetFilename(Win(".secret"));
    EXPECT_EQ(properties->AttributesShort(), "-H-A");
    properties->SetFilename(Win("missing"));
    EXPECT_EQ(properties->Filename(), "");
    EXPECT_EQ(properties->Size(), -1);
    EXPECT_EQ(properties->Date(), "");
}

// The whole path used to be upper-cased for the new name: on a case-sensitive disk the rename
// then failed, or put the file into another folder of that spelling.
TEST_F(FileComponents, ANewExtensionChangesOnlyTheExtension) {
    WriteTextFile(dir_.Path() / "Mixed/a.txt", "page");
    WriteTextFile(dir_.Path() / "MIXED/A.HTM", "elsewhere");
    TComponentPtr<TZylFileProperties> properties(new TZylFileProperties(nullptr));
    properties->SetFilename(Win("Mixed/a.txt"));
    properties->SetExtension("html");
    EXPECT_EQ(properties->Filename(), Win("Mixed/a.HTM"));
    EXPECT_EQ(ReadTextFile(dir_.Path() / "Mixed/a.HTM"), "page");
    EXPECT_EQ(ReadTextFile(dir_.Path() / "MIXED/A.HTM"), "elsewhere");
    EXPECT_EQ(properties->Extension(), ".HTM");

    WriteTextFile(dir_.Path() / "Mixed/a.TXT", "taken");
    properties->SetExtension(".txt");
    EXPECT_EQ(properties->Filename(), Win("Mixed/a.HTM")) << "an existing name is not replaced";
    EXPECT_EQ(ReadTextFile(dir_.Path() / "Mixed/a.TXT"), "taken");
}

TEST_F(FileComponents, SizesOfTwoGigabytesAndMoreAreTrue) {
    {
        std::FILE* file = std::fopen(Native("huge.bin").c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fclose(file);
    }
    constexpr Int64 kHuge = (Int64{3} << 30) + 7;
    fs::resize_file(dir_.Path() / "huge.bin", static_cast<uintmax_t>(kHuge));
    TComponentPtr<TZylFileProperties> properties(new TZylFileProperties(nullptr));
    properties->SetFilename(Win("huge.bin"));
    EXPECT_EQ(properties->Size(), kHuge);
}

// ---------------------------------------------------------------------------------------------
// TZylDriveVolume

TEST_F(FileComponents, DriveVolumeAgreesWithDf) {
    win32::testing::MapDrive('D', dir_.Path().string(), win32::DRIVE_FIXED, "Data disk", 0x1A2B3C4D);
    TComponentPtr<TZylDriveVolume> volume(new TZylDriveVolume(nullptr));
    std::vector<std::string> order;
    volume->BeforeUpdate = [&](TObject*) { order.push_back("before"); };
    volume->AfterUpdate = [&](TObject*) { order.push_back("after"); };
    volume->SetCurrentDrive('d');
    EXPECT_EQ(volume->CurrentDrive(), 'D');
    EXPECT_EQ(order, (std::vector<std::string>{"before", "after"}));
    EXPECT_EQ(volume->VolumeLabel(), "DATA DISK");
    EXPECT_EQ(volume->SerialNumber(), "1A2B:3C4D");
    const auto df = CommandLines("df --output=fstype '" + dir_.Path().string() + "'");
    ASSERT_EQ(df.size(), 2u);
    EXPECT_EQ(volume->FileSystemName(), UpperCase(Trim(df[1])));
    EXPECT_TRUE(volume->CaseSensitive());
    EXPECT_TRUE(volume->CasePreserved());
    volume->SetCurrentDrive('1');
    EXPECT_EQ(volume->CurrentDrive(), 'D');
    EXPECT_EQ(order.size(), 4u) << "the update runs in any case";
}

TEST_F(FileComponents, EveryFailedVolumeQueryIsReported) {
    win32::testing::UnmapDrive('Q');
    TComponentPtr<TZylDriveVolume> volume(new TZylDriveVolume(nullptr));
    std::vector<Integer> errors;
    volume->OnError = [&](Integer error) { errors.push_back(error); };
    volume->SetCurrentDrive('Q');
    EXPECT_EQ(errors, std::vector<Integer>(5, static_cast<Integer>(win32::ERROR_PATH_NOT_FOUND)));
    EXPECT_EQ(volume->VolumeLabel(), "");
    EXPECT_EQ(volume->SerialNumber(), "");
    EXPECT_EQ(volume->FileSystemFlags(), 0);

    volume->OnError = nullptr;
    std::vector<std::string> boxes;
    std::vector<std::function<void()>> steps(5, [&] {
        TCustomForm* box = Dialog("MessageDlg");
        ASSERT_NE(box, nullptr);
        boxes.push_back(box->Caption());
        box->SetModalResult(mrOk);
    });
    Answer(steps);
    volume->SetCurrentDrive('Q');
    EXPECT_EQ(boxes, std::vector<std::string>(5, "TZylDriveVolume"));
}

// ---------------------------------------------------------------------------------------------
// TZylDroppedFiles

TEST_F(FileComponents, DroppedFilesAreCollectedAndTheDropFinishedOnce) {
    auto* form = new TForm(Application, 0);
    form->SetBounds(10, 10, 300, 200);
    form->Show();
    auto* dropped = new TZylDroppedFiles(form);
    const std::vector<std::string> files = {"C:\\docs\\one.txt", "C:\\docs\\two.pas", "C:\\three.dfm"};
    win32::HDROP drop = win32::testing::MakeDrop(files, {5, 5}, true, form->Handle());
    PumpUntilIdle();
    EXPECT_EQ(dropped->DroppedItems()->Count(), 0) << "not accepted while inactive";
    win32::DragFinish(drop);

    dropped->SetActive(true);
    dropped->SetCollectBy(dExtension);
    std::vector<std::string> events;
    dropped->OnStartDrop = [&](TObject*) { events.push_back("start"); };
    dropped->OnDrop = [&](TObject*, const std::string& item) { events.push_back(item); };
    dropped->OnEndDrop = [&](TObject*) { events.push_back("end"); };
    drop = win32::testing::MakeDrop(files, {5, 5}, true, form->Handle());
    PumpUntilIdle();
    EXPECT_EQ(events, (std::vector<std::string>{"start", ".txt", ".pas", ".dfm", "end"}));
    EXPECT_EQ(dropped->DroppedCount(), 3);
    EXPECT_EQ(win32::DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0), 0u) << "finished";

    // A handler that fails or frees the component still leaves the drop finished.
    dropped->SetCollectBy(dFullName);
    dropped->OnDrop = [&](TObject*, const std::string&) { dropped->Free(); };
    drop = win32::testing::MakeDrop(files, {5, 5}, true, form->Handle());
    PumpUntilIdle();
    EXPECT_EQ(win32::DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0), 0u);
    EXPECT_EQ(form->ComponentCount(), 0);
    form->Free();
}

TEST_F(FileComponents, DroppedFilesNeedAForm) {
    EXPECT_THROW(new TZylDroppedFiles(nullptr), EInvalidCast);
}

}  // namespace fileinfo_tests
