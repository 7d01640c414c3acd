// The file operator on real folders: every operation and flag, the questions answered by a user,
// the progress form, the Trash and putting things back, and the cases that used to lose files.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "orvane/zyltfileoperator.h"
#include "system_fixture.h"
#include "vcl/forms.h"
#include "vcl/stdctrls.h"
#include "win32/files.h"
#include "win32/shell.h"

namespace fileoperator_tests {

using namespace vcl;
using namespace orvane;
namespace fs = std::filesystem;
using zyltest::ReadTextFile;
using zyltest::WriteTextFile;

class FileOperator : public systemtest::SystemTest {
protected:
    void SetUp() override {
        SystemTest::SetUp();
        win32::testing::SetTrashFolder(Native("Trash"));
        WriteTextFile(dir_.Path() / "In" / "a.txt", "alpha");
        WriteTextFile(dir_.Path() / "In" / "b.txt", "beta");
        WriteTextFile(dir_.Path() / "In" / "sub" / "c.txt", "gamma");
        fs::create_directories(dir_.Path() / "Out");
        op.reset(new TZylFileOperator(nullptr));
        op->SetDirFrom(Win("In"));
        op->SetDirTo(Win("Out"));
        op->SetFlags(op->Flags() + TZylFileFlags{opSilent});
        op->OnSuccessCopy = Record("SuccessCopy");
        op->OnSuccessDelete = Record("SuccessDelete");
        op->OnSuccessMove = Record("SuccessMove");
        op->OnSuccessRename = Record("SuccessRename");
        op->OnFailCopy = Record("FailCopy");
        op->OnFailDelete = Record("FailDelete");
        op->OnFailMove = Record("FailMove");
        op->OnFailRename = Record("FailRename");
        op->OnDone = Record("Done");
    }

    std::string Native(const std::string& name) const { return (dir_.Path() / name).string(); }
    // The drive path of a name inside the test folder.
    std::string Win(const std::string& name) const { return win32::WindowsPath(Native(name)); }
    bool Exists(const std::string& name) const { return fs::exists(dir_.Path() / name); }
    std::string Read(const std::string& name) const { return ReadTextFile(dir_.Path() / name); }
    TNotifyEvent Record(const char* name) {
        return [this, name](TObject*) { events.emplace_back(name); };
    }
    void Files(std::initializer_list<const char*> names) {
        op->FilesFrom()->Clear();
        for (const char* name : names)
            op->FilesFrom()->Add(name);
    }

    TComponentPtr<TZylFileOperator> op;
    std::vector<std::string> events;
};

TEST_F(FileOperator, FlagsGoThroughTheShellFlagWord) {
    TComponentPtr<TZylFileOperator> fresh(new TZylFileOperator(nullptr));
    EXPECT_EQ(fresh->ShellFlags(), 576);
    EXPECT_EQ(fresh->Flags(), (TZylFileFlags{opAllowUndo, opNoConfirmMkDir}));
    const std::pair<TZylFileFlag, int> table[] = {
        {opAllowUndo, 64},       {opConfirmMouse, 2},      {opFilesOnly, 128},       {opMultiDestFiles, 1},
        {opNoConfirmation, 16},  {opNoConfirmMkDir, 512},  {opRenameOnCollision, 8}, {opSilent, 4},
        {opSimpleProgress, 256}, {opWantMappingHandle, 32}};
    for (const auto& [flag, bit] : table) {
        fresh->SetFlags(TZylFileFlags{flag});
        EXPECT_EQ(fresh->ShellFlags(), bit);
        EXPECT_EQ(fresh->Flags(), TZylFileFlags{flag});
    }
}

TEST_F(FileOperator, CopyHandsEveryNameOfDirFromOverAsOneList) {
    Files({"a.txt", "b.txt"});
    const std::string in = Win("In") + "\\";
    EXPECT_EQ(op->SourceList(), in + "a.txt" + '\0' + in + "b.txt" + '\0' + '\0');
    EXPECT_TRUE(op->Execute());
    EXPECT_EQ(Read("Out/a.txt"), "alpha");
    EXPECT_EQ(Read("Out/b.txt"), "beta");
    EXPECT_EQ(Read("In/a.txt"), "alpha");
    EXPECT_EQ(op->DirFrom(), Win("In") + "\\") << "the property keeps the added backslash";
    EXPECT_EQ(events, (std::vector<std::string>{"SuccessCopy", "Done"}));
}

TEST_F(FileOperator, MoveRenameAndDeleteDoWhatTheySay) {
    Files({"sub"});
    op->SetOperation(TZylFileFunction::MoveFile);
    EXPECT_TRUE(op->Execute());
    EXPECT_EQ(Read("Out/sub/c.txt"), "gamma");
    EXPECT_FALSE(Exists("In/sub"));

    Files({"a.txt"});
    op->SetOperation(TZylFileFunction::RenameFile);
    op->SetDirTo("renamed.txt");
    EXPECT_TRUE(op->Execute());
    EXPECT_EQ(Read("In/renamed.txt"), "alpha");
    EXPECT_FALSE(Exists("In/a.txt"));

    Files({"*.txt"});
    op->SetOperation(TZylFileFunction::DeleteFile);
    op->SetFlags(TZylFileFlags{opSilent, opNoConfirmation});
    EXPECT_TRUE(op->Execute());
    EXPECT_FALSE(Exists("In/renamed.txt"));
    EXPECT_FALSE(Exists("In/b.txt"));
    EXPECT_FALSE(Exists("Trash/files/b.txt")) << "without opAllowUndo nothing goes to the Trash";
    EXPECT_EQ(events, (std::vector<std::string>{"SuccessMove", "Done", "SuccessRename", "Done",
                                                "SuccessDelete", "Done"}));
}

TEST_F(FileOperator, MissingDirectoriesAndAnEmptyListFail) {
    op->SetDirTo("");
    EXPECT_THROW(op->Execute(), Exception);
    op->SetDirTo(Win("Out"));
    op->SetDirFrom(Win("Nowhere"));
    try {
        op->Execute();
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Can not locate current Directory");
    }
    op->SetDirFrom(Win("In"));
    EXPECT_FALSE(op->Execute());
    EXPECT_EQ(events, (std::vector<std::string>{"FailCopy", "Done"}));
}

// Joined to DirFrom, a blank line or "." named the source folder itself and ".." the folder above:
// a delete took the whole tree.
TEST_F(FileOperator, BlankAndDotLinesNeverNameTheSourceFolder) {
    op->SetOperation(TZylFileFunction::DeleteFile);
    op->SetFlags(TZylFileFlags{opSilent, opNoConfirmation});
    Files({"", "   ", ".", "..", ".\\", "sub\\..", "sub\\..\\.."});
    EXPECT_EQ(op->SourceList(), "");
    EXPECT_FALSE(op->Execute());
    EXPECT_EQ(Read("In/a.txt"), "alpha");
    EXPECT_EQ(Read("In/sub/c.txt"), "gamma");

    Files({"", "a.txt", "."});
    EXPECT_TRUE(op->Execute());
    EXPECT_FALSE(Exists("In/a.txt"));
    EXPECT_EQ(Read("In/b.txt"), "beta");
    EXPECT_TRUE(Exists("Out"));
}

// The operator changed the current folder to DirFrom and left it there.
TEST_F(FileOperator, TheCurrentFolderIsNeitherUsedNorChanged) {
    char before[4096];
    ASSERT_NE(getcwd(before, sizeof before), nullptr);
    char platformBefore[win32::MAX_PATH];
    win32::GetCurrentDirectory(sizeof platformBefore, platformBefore);
    Files({"a.txt"});
    EXPECT_TRUE(op->Execute());
    char after[4096];
    ASSERT_NE(getcwd(after, sizeof after), nullptr);
    char platformAfter[win32::MAX_PATH];
    win32::GetCurrentDirectory(sizeof platformAfter, platformAfter);
    EXPECT_STREQ(before, after);
    EXPECT_STREQ(platformBefore, platformAfter);
    EXPECT_EQ(op->SourceList().substr(0, 3), Win("In").substr(0, 3)) << "names are absolute";
}

TEST_F(FileOperator, ReplacingAFileIsAskedAndNoKeepsItAndFails) {
    WriteTextFile(dir_.Path() / "Out" / "a.txt", "old");
    Files({"a.txt"});
    op->SetOperation(TZylFileFunction::MoveFile);
    op->SetFlags(TZylFileFlags{opSilent, opNoConfirmation});
    Answer({[&] { ClickControl("MessageDlg", "No"); }});
    EXPECT_FALSE(op->Execute()) << "a declined item is no success";
    EXPECT_EQ(loops_.size(), 1u) << "asked even under opNoConfirmation";
    EXPECT_EQ(Read("Out/a.txt"), "old");
    EXPECT_EQ(Read("In/a.txt"), "alpha");
    EXPECT_EQ(events, (std::vector<std::string>{"FailMove", "Done"}));

    Answer({[&] { ClickControl("MessageDlg", "Yes"); }});
    EXPECT_TRUE(op->Execute());
    EXPECT_EQ(Read("Out/a.txt"), "alpha");
    EXPECT_FALSE(Exists("In/a.txt"));
}

TEST_F(FileOperator, CancelStopsTheRestAndReportsFailure) {
    Files({"a.txt", "b.txt"});
    op->SetOperation(TZylFileFunction::DeleteFile);
    op->SetFlags(TZylFileFlags{opSilent});
    Answer({[&] { ClickControl("MessageDlg", "Cancel"); }});
    EXPECT_FALSE(op->Execute());
    EXPECT_EQ(loops_.size(), 1u);
    EXPECT_TRUE(Exists("In/a.txt"));
    EXPECT_TRUE(Exists("In/b.txt"));
    EXPECT_EQ(events, (std::vector<std::string>{"FailDelete", "Done"}));
}

TEST_F(FileOperator, ARenameNeverReplacesAnExistingName) {
    Files({"a.txt"});
    op->SetOperation(TZylFileFunction::RenameFile);
    op->SetDirTo("b.txt");
    for (const auto flags : {TZylFileFlags{opSilent}, TZylFileFlags{opSilent, opNoConfirmation}}) {
        op->SetFlags(flags);
        EXPECT_FALSE(op->Execute());
        EXPECT_EQ(Read("In/a.txt"), "alpha");
        EXPECT_EQ(Read("In/b.txt"), "beta");
    }
}

TEST_F(FileOperator, CollisionsAreRenamedAndMissingFoldersAsked) {
    WriteTextFile(dir_.Path() / "Out" / "a.txt", "old");
    Files({"a.txt"});
    op->SetFlags(TZylFileFlags{opSilent, opRenameOnCollision});
    EXPECT_TRUE(op->Execute());
    EXPECT_EQ(Read("Out/a.txt"), "old");
    EXPECT_EQ(Read("Out/Copy of a.txt"), "alpha");

    Files({"a.txt", "b.txt"});
    op->SetDirTo(Win("New"));
    op->SetFlags(TZylFileFlags{opSilent});
    Answer({[&] { ClickControl("MessageDlg", "No"); }});
    EXPECT_FALSE(op->Execute());
    EXPECT_FALSE(Exists("New"));
    Answer({[&] { ClickControl("MessageDlg", "Yes"); }});
    EXPECT_TRUE(op->Execute());
    EXPECT_EQ(Read("New/b.txt"), "beta");

    op->SetFlags(TZylFileFlags{opSilent, opNoConfirmMkDir, opFilesOnly});
    Files({"*"});
    op->SetDirTo(Win("Flat"));
    EXPECT_TRUE(op->Execute());
    EXPECT_TRUE(Exists("Flat/a.txt"));
    EXPECT_FALSE(Exists("Flat/sub")) << "opFilesOnly leaves folders out of a mask";
}

TEST_F(FileOperator, TheProgressFormFollowsTheItems) {
    Files({"a.txt", "b.txt"});
    op->SetOperation(TZylFileFunction::DeleteFile);
    op->SetFlags(TZylFileFlags{});
    std::vector<std::string> seen;
    auto look = [&] {
        TCustomForm* form = Dialog("ZylFileProgress");
        ASSERT_NE(form, nullptr);
        auto* item = dynamic_cast<TLabel*>(form->FindComponent("Item"));
        auto* bar = dynamic_cast<TControl*>(form->FindComponent("Bar"));
        ASSERT_TRUE(item && bar);
        seen.push_back(form->Caption() + "|" + item->Caption() + "|" + std::to_string(bar->Width()));
        ClickControl("MessageDlg", "Yes");
    };
    Answer({look, look});
    EXPECT_TRUE(op->Execute());
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], "Deleteing...|a.txt|0");
    EXPECT_EQ(seen[1].substr(0, 19), "Deleteing...|b.txt|");
    EXPECT_NE(seen[1], "Deleteing...|b.txt|0") << "the bar has moved";
    EXPECT_EQ(Dialog("ZylFileProgress"), nullptr) << "gone when done";

    WriteTextFile(dir_.Path() / "In" / "a.txt", "again");
    Files({"a.txt"});
    op->SetFlags(TZylFileFlags{opSimpleProgress});
    seen.clear();
    Answer({look});
    EXPECT_TRUE(op->Execute());
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], "Deleteing...|Deleteing...|0") << "the title alone";

    WriteTextFile(dir_.Path() / "In" / "a.txt", "again");
    op->SetFlags(TZylFileFlags{opSilent});
    bool shown = true;
    Answer({[&] {
        shown = Dialog("ZylFileProgress") != nullptr;
        ClickControl("MessageDlg", "Yes");
    }});
    EXPECT_TRUE(op->Execute());
    EXPECT_FALSE(shown);
}

TEST_F(FileOperator, CancelOnTheProgressFormStopsAfterTheCurrentItem) {
    Files({"a.txt", "b.txt"});
    op->SetOperation(TZylFileFunction::DeleteFile);
    op->SetFlags(TZylFileFlags{});
    Answer({[&] {
        ClickControl("MessageDlg", "Yes");
        // Clicked while the question still holds the input: it reaches the progress form after.
        ClickControl("ZylFileProgress", "Cancel");
    }});
    EXPECT_FALSE(op->Execute());
    EXPECT_EQ(loops_.size(), 1u);
    EXPECT_FALSE(Exists("In/a.txt"));
    EXPECT_EQ(Read("In/b.txt"), "beta");
    EXPECT_EQ(events, (std::vector<std::string>{"FailDelete", "Done"}));
}

// What a file manager reads back from the Trash: the info file of each entry, percent-encoded
// absolute path and a local deletion time, and no half-written info files.
struct TrashInfo {
    std::string path;
    std::string date;
};
TrashInfo ReadInfo(const fs::path& file) {
    std::ifstream in(file);
    std::string line, section;
    TrashInfo info;
    while (std::getline(in, line)) {
        if (line.rfind("[", 0) == 0) section = line;
        if (section != "[Trash Info]") continue;
        if (line.rfind("Path=", 0) == 0) info.path = line.substr(5);
        if (line.rfind("DeletionDate=", 0) == 0) info.date = line.substr(13);
    }
    return info;
}

TEST_F(FileOperator, DeletionWithUndoGoesToTheTrashAndComesBack) {
    WriteTextFile(dir_.Path() / "In" / "sub" / "a.txt", "second alpha");
    WriteTextFile(dir_.Path() / "In" / "with space%.txt", "odd");
    op->SetOperation(TZylFileFunction::DeleteFile);
    op->SetFlags(TZylFileFlags{opSilent, opAllowUndo, opNoConfirmation});
    Files({"a.txt", "sub\\a.txt", "with space%.txt"});
    ASSERT_TRUE(op->Execute());
    EXPECT_FALSE(Exists("In/a.txt"));
    EXPECT_FALSE(Exists("In/sub/a.txt"));
    ASSERT_EQ(op->DeletedToTrash(), (std::vector<std::string>{"a.2.txt", "a.txt", "with space%.txt"}));
    EXPECT_EQ(Read("Trash/files/a.txt"), "alpha");
    EXPECT_EQ(Read("Trash/files/a.2.txt"), "second alpha");
    const TrashInfo first = ReadInfo(dir_.Path() / "Trash/info/a.txt.trashinfo");
    const TrashInfo second = ReadInfo(dir_.Path() / "Trash/info/a.2.txt.trashinfo");
    const TrashInfo odd = ReadInfo(dir_.Path() / "Trash/info/with space%.txt.trashinfo");
    EXPECT_EQ(first.path, Native("In/a.txt"));
    EXPECT_EQ(second.path, Native("In/sub/a.txt"));
    EXPECT_EQ(odd.path.substr(odd.path.size() - 19), "with%20space%25.txt");
    EXPECT_EQ(first.date.size(), 19u);
    EXPECT_EQ(first.date[10], 'T');
    for (const auto& entry : fs::directory_iterator(dir_.Path() / "Trash/info"))
        EXPECT_EQ(entry.path().extension(), ".trashinfo") << entry.path();

    // The place of one is taken meanwhile: it stays in the Trash, the others go back.
    WriteTextFile(dir_.Path() / "In" / "a.txt", "new alpha");
    EXPECT_FALSE(op->RestoreDeleted());
    EXPECT_EQ(Read("In/a.txt"), "new alpha");
    EXPECT_EQ(Read("In/sub/a.txt"), "second alpha");
    EXPECT_EQ(Read("In/with space%.txt"), "odd");
    EXPECT_EQ(op->DeletedToTrash(), (std::vector<std::string>{"a.txt"}));
    fs::remove(dir_.Path() / "In" / "a.txt");
    EXPECT_TRUE(op->RestoreDeleted());
    EXPECT_EQ(Read("In/a.txt"), "alpha");
    EXPECT_TRUE(win32::TrashContents().empty());
    EXPECT_TRUE(fs::is_empty(dir_.Path() / "Trash/info"));
}

TEST_F(FileOperator, AFolderInTheTrashKeepsItsTree) {
    op->SetOperation(TZylFileFunction::DeleteFile);
    op->SetFlags(TZylFileFlags{opSilent, opAllowUndo, opNoConfirmation});
    Files({"sub"});
    ASSERT_TRUE(op->Execute());
    EXPECT_EQ(Read("Trash/files/sub/c.txt"), "gamma");
    const auto contents = win32::TrashContents();
    ASSERT_EQ(contents.size(), 1u);
    EXPECT_EQ(contents[0].originalPath, Native("In/sub"));
    fs::remove_all(dir_.Path() / "In");
    EXPECT_TRUE(op->RestoreDeleted()) << "missing folders above it are made again";
    EXPECT_EQ(Read("In/sub/c.txt"), "gamma");
}

}  // namespace fileoperator_tests
