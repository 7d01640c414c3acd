// SHFileOperation: copy, move, rename and delete with confirmations, collisions and the Trash.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/tempdir.h"
#include "win32/shell.h"

namespace {

using namespace win32;
namespace wt = win32::testing;

// Double-NUL-terminated name lists.
std::string List(std::initializer_list<const char*> names) {
    std::string list;
    for (const char* name : names)
        list += std::string(name) + '\0';
    return list + '\0';
}

struct Question {
    wt::ShellConfirmation kind;
    std::string path;
};

class FileOperationTest : public ::testing::Test {
protected:
    void SetUp() override {
        zyltest::WriteTextFile(temp.Path() / "src" / "a.txt", "alpha");
        zyltest::WriteTextFile(temp.Path() / "src" / "b.txt", "beta");
        zyltest::WriteTextFile(temp.Path() / "src" / "c.log", "gamma");
        zyltest::WriteTextFile(temp.Path() / "src" / "tree" / "deep" / "d.txt", "delta");
        std::filesystem::create_directories(temp.Path() / "dst");
        wt::MapDrive('S', temp.Path().string());
        wt::SetTrashFolder((temp.Path() / "Trash").string());
        Answer(IDNO);
    }
    void TearDown() override { wt::ResetPlatform(); }

    void Answer(int reply) {
        wt::SetShellConfirmation([this, reply](wt::ShellConfirmation kind, const std::string& path) {
            questions.push_back({kind, path});
            return reply;
        });
    }

    int Run(UINT function, const std::string& from, const std::string& to, FILEOP_FLAGS flags) {
        op = SHFILEOPSTRUCT{};
        op.wFunc = function;
        op.pFrom = from.c_str();
        op.pTo = to.empty() ? nullptr : to.c_str();
        op.fFlags = flags;
        return SHFileOperation(&op);
    }

    zyltest::TempDir temp;
    SHFILEOPSTRUCT op{};
    std::vector<Question> questions;
};

TEST_F(FileOperationTest, CopiesWildcardMatchesIntoAFolder) {
    EXPECT_EQ(Run(FO_COPY, List({"S:\\src\\*.TXT"}), List({"S:\\dst"}), 0), 0);
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dst" / "a.txt"), "alpha");
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dst" / "b.txt"), "beta");
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "dst" / "c.log"));
    EXPECT_FALSE(op.fAnyOperationsAborted);
    EXPECT_TRUE(questions.empty());
}

TEST_F(FileOperationTest, CopiesFoldersWithTheirTrees) {
    EXPECT_EQ(Run(FO_COPY, List({"S:\\src\\tree", "S:\\src\\c.log"}), List({"S:\\dst"}), 0), 0);
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dst" / "tree" / "deep" / "d.txt"), "delta");
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dst" / "c.log"), "gamma");
    EXPECT_TRUE(std::filesystem::exists(temp.Path() / "src" / "tree" / "deep" / "d.txt"));
}

TEST_F(FileOperationTest, FilesOnlySkipsFoldersMatchedByWildcards) {
    EXPECT_EQ(Run(FO_COPY, List({"S:\\src\\*"}), List({"S:\\dst"}), FOF_FILESONLY), 0);
    EXPECT_TRUE(std::filesystem::exists(temp.Path() / "dst" / "a.txt"));
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "dst" / "tree"));
}

TEST_F(FileOperationTest, DeclinedOverwriteLeavesTheTargetIntact) {
    zyltest::WriteTextFile(temp.Path() / "dst" / "a.txt", "precious");
    EXPECT_EQ(Run(FO_COPY, List({"S:\\src\\a.txt", "S:\\src\\b.txt"}), List({"S:\\dst"}), 0), 0);
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dst" / "a.txt"), "precious");
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dst" / "b.txt"), "beta");
    EXPECT_TRUE(op.fAnyOperationsAborted);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].kind, wt::ShellConfirmation::Overwrite);
    EXPECT_EQ(questions[0].path, "S:\\dst\\a.txt");
}

TEST_F(FileOperationTest, NoConfirmationStillAsksBeforeOverwriting) {
    zyltest::WriteTextFile(temp.Path() / "dst" / "a.txt", "precious");
    EXPECT_EQ(Run(FO_MOVE, List({"S:\\src\\a.txt"}), List({"S:\\dst"}), FOF_NOCONFIRMATION | FOF_SILENT), 0);
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dst" / "a.txt"), "precious");
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "src" / "a.txt"), "alpha");
    EXPECT_TRUE(op.fAnyOperationsAborted);
    wt::SetShellConfirmation(nullptr);  // the default answer is no as well
    EXPECT_EQ(Run(FO_COPY, List({"S:\\src\\a.txt"}), List({"S:\\dst"}), FOF_NOCONFIRMATION), 0);
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dst" / "a.txt"), "precious");
}

TEST_F(FileOperationTest, AcceptedOverwriteReplaces) {
    zyltest::WriteTextFile(temp.Path() / "dst" / "a.txt", "old");
    Answer(IDYES);
    EXPECT_EQ(Run(FO_MOVE, List({"S:\\src\\a.txt"}), List({"S:\\dst"}), 0), 0);
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dst" / "a.txt"), "alpha");
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "src" / "a.txt"));
    EXPECT_FALSE(op.fAnyOperationsAborted);
}

TEST_F(FileOperationTest, CancelStopsTheRest) {
    zyltest::WriteTextFile(temp.Path() / "dst" / "a.txt", "old");
    Answer(IDCANCEL);
    EXPECT_EQ(Run(FO_COPY, List({"S:\\src\\a.txt", "S:\\src\\b.txt"}), List({"S:\\dst"}), 0),
              ERROR_CANCELLED);
    EXPECT_TRUE(op.fAnyOperationsAborted);
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dst" / "a.txt"), "old");
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "dst" / "b.txt"));
}

TEST_F(FileOperationTest, FolderMergeAsksPerConflictingFile) {
    zyltest::WriteTextFile(temp.Path() / "dst" / "tree" / "deep" / "d.txt", "kept");
    zyltest::WriteTextFile(temp.Path() / "src" / "tree" / "new.txt", "new");
    int asked = 0;
    wt::SetShellConfirmation([&](wt::ShellConfirmation, const std::string& path) {
        ++asked;
        return path == "S:\\dst\\tree" || path == "S:\\dst\\tree\\deep" ? IDYES : IDNO;
    });
    EXPECT_EQ(Run(FO_COPY, List({"S:\\src\\tree"}), List({"S:\\dst"}), 0), 0);
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dst" / "tree" / "deep" / "d.txt"), "kept");
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dst" / "tree" / "new.txt"), "new");
    EXPECT_TRUE(op.fAnyOperationsAborted);
}

TEST_F(FileOperationTest, CollisionsGetCopyOfNames) {
    EXPECT_EQ(Run(FO_COPY, List({"S:\\src\\a.txt"}), List({"S:\\src"}), 0), 0);
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "src" / "Copy of a.txt"), "alpha");
    zyltest::WriteTextFile(temp.Path() / "dst" / "b.txt", "other");
    EXPECT_EQ(Run(FO_COPY, List({"S:\\src\\b.txt"}), List({"S:\\dst"}), FOF_RENAMEONCOLLISION), 0);
    EXPECT_EQ(Run(FO_COPY, List({"S:\\src\\b.txt"}), List({"S:\\dst"}), FOF_RENAMEONCOLLISION), 0);
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dst" / "b.txt"), "other");
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dst" / "Copy of b.txt"), "beta");
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dst" / "Copy (2) of b.txt"), "beta");
    EXPECT_TRUE(questions.empty());
}

TEST_F(FileOperationTest, MultipleDestinationsPairWithSources) {
    EXPECT_EQ(Run(FO_COPY, List({"S:\\src\\a.txt", "S:\\src\\b.txt"}),
                  List({"S:\\dst\\one.txt", "S:\\dst\\two.txt"}), FOF_MULTIDESTFILES),
              0);
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dst" / "one.txt"), "alpha");
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dst" / "two.txt"), "beta");
    EXPECT_EQ(Run(FO_COPY, List({"S:\\src\\a.txt", "S:\\src\\b.txt"}), List({"S:\\dst\\x.txt"}),
                  FOF_MULTIDESTFILES),
              static_cast<int>(ERROR_INVALID_PARAMETER));
}

TEST_F(FileOperationTest, MissingTargetFolderNeedsConsent) {
    EXPECT_EQ(Run(FO_COPY, List({"S:\\src\\*.txt"}), List({"S:\\new\\place"}), 0), ERROR_CANCELLED);
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "new"));
    EXPECT_TRUE(op.fAnyOperationsAborted);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].kind, wt::ShellConfirmation::MakeFolder);
    EXPECT_EQ(Run(FO_COPY, List({"S:\\src\\*.txt"}), List({"S:\\new\\place"}), FOF_NOCONFIRMMKDIR), 0);
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "new" / "place" / "a.txt"), "alpha");
}

TEST_F(FileOperationTest, MovesFilesAndFolders) {
    EXPECT_EQ(Run(FO_MOVE, List({"S:\\SRC\\TREE", "s:\\src\\c.log"}), List({"S:\\dst"}), 0), 0);
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dst" / "tree" / "deep" / "d.txt"), "delta");
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "dst" / "c.log"), "gamma");
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "src" / "tree"));
    EXPECT_EQ(Run(FO_MOVE, List({"S:\\dst\\tree"}), List({"S:\\dst\\tree\\deep"}), 0), DE_DESTSUBTREE);
    EXPECT_TRUE(std::filesystem::exists(temp.Path() / "dst" / "tree" / "deep" / "d.txt"));
}

TEST_F(FileOperationTest, BadSourcesChangeNothing) {
    EXPECT_EQ(Run(FO_DELETE, List({"S:\\src\\a.txt", "S:\\src\\missing.txt"}), "", FOF_NOCONFIRMATION),
              static_cast<int>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(std::filesystem::exists(temp.Path() / "src" / "a.txt"));
    EXPECT_EQ(Run(FO_DELETE, List({"S:\\src\\a\x01.txt"}), "", FOF_NOCONFIRMATION),
              static_cast<int>(ERROR_INVALID_NAME));
    EXPECT_EQ(Run(FO_DELETE, List({"S:\\"}), "", FOF_NOCONFIRMATION), DE_ROOTDIR);
    EXPECT_EQ(Run(FO_DELETE, List({"S:\\src\\..\\..\\etc"}), "", FOF_NOCONFIRMATION),
              static_cast<int>(ERROR_INVALID_NAME));
    EXPECT_EQ(Run(9, List({"S:\\src\\a.txt"}), "", 0), static_cast<int>(ERROR_INVALID_PARAMETER));
}

TEST_F(FileOperationTest, DeleteAsksUnlessToldNotTo) {
    EXPECT_EQ(Run(FO_DELETE, List({"S:\\src\\a.txt"}), "", 0), 0);
    EXPECT_TRUE(std::filesystem::exists(temp.Path() / "src" / "a.txt"));
    EXPECT_TRUE(op.fAnyOperationsAborted);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].kind, wt::ShellConfirmation::Delete);
    EXPECT_EQ(Run(FO_DELETE, List({"S:\\src\\tree", "S:\\src\\a.txt"}), "", FOF_NOCONFIRMATION), 0);
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "src" / "tree"));
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "src" / "a.txt"));
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "Trash"));
}

TEST_F(FileOperationTest, UndoableDeleteGoesToTheTrashWithItsInfo) {
    wt::UseManualClock(SYSTEMTIME{2024, 3, 0, 5, 14, 30, 15, 0});
    zyltest::WriteTextFile(temp.Path() / "src" / "my file%.txt", "odd name");
    EXPECT_EQ(Run(FO_DELETE, List({"S:\\src\\my file%.txt", "S:\\src\\tree"}), "",
                  FOF_ALLOWUNDO | FOF_NOCONFIRMATION),
              0);
    const auto trash = temp.Path() / "Trash";
    EXPECT_EQ(zyltest::ReadTextFile(trash / "files" / "my file%.txt"), "odd name");
    EXPECT_EQ(zyltest::ReadTextFile(trash / "files" / "tree" / "deep" / "d.txt"), "delta");
    EXPECT_EQ(zyltest::ReadTextFile(trash / "info" / "my file%.txt.trashinfo"),
              "[Trash Info]\nPath=" + (temp.Path() / "src").string() +
                  "/my%20file%25.txt\nDeletionDate=2024-03-05T14:30:15\n");
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "src" / "tree"));
    // The same name again gets a name of its own.
    zyltest::WriteTextFile(temp.Path() / "src" / "my file%.txt", "second");
    EXPECT_EQ(Run(FO_DELETE, List({"S:\\src\\my file%.txt"}), "", FOF_ALLOWUNDO | FOF_NOCONFIRMATION), 0);
    EXPECT_EQ(zyltest::ReadTextFile(trash / "files" / "my file%.txt"), "odd name");
    EXPECT_EQ(zyltest::ReadTextFile(trash / "files" / "my file%.2.txt"), "second");
    EXPECT_TRUE(std::filesystem::exists(trash / "info" / "my file%.2.txt.trashinfo"));
}

TEST_F(FileOperationTest, RenameNeverReplaces) {
    EXPECT_EQ(Run(FO_RENAME, List({"S:\\src\\a.txt"}), List({"B.TXT"}), FOF_NOCONFIRMATION),
              static_cast<int>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "src" / "a.txt"), "alpha");
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "src" / "b.txt"), "beta");
    EXPECT_EQ(Run(FO_RENAME, List({"S:\\src\\a.txt"}), List({"renamed.txt"}), 0), 0);
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "src" / "renamed.txt"), "alpha");
    EXPECT_EQ(Run(FO_RENAME, List({"S:\\src\\renamed.txt"}), List({"S:\\src\\RENAMED.TXT"}), 0), 0);
    EXPECT_TRUE(std::filesystem::exists(temp.Path() / "src" / "RENAMED.TXT"));
    EXPECT_EQ(Run(FO_RENAME, List({"S:\\src\\*.txt"}), List({"x.txt"}), 0), DE_MANYSRC1DEST);
}

// The caller's own handlers: questions go to them before the test answer, progress names every
// item and a false from it stops the rest.
TEST_F(FileOperationTest, TheCallersHandlersSeeQuestionsAndProgressAndMayStop) {
    std::vector<std::string> steps;
    FileOperationCallbacks callbacks;
    callbacks.confirm = [&](FileConfirmation, const std::string& path) {
        steps.push_back("ask " + path);
        return IDYES;
    };
    callbacks.progress = [&](const std::string& path, size_t done, size_t total) {
        steps.push_back(path + " " + std::to_string(done) + "/" + std::to_string(total));
        return true;
    };
    const FileOperationCallbacks before = SetFileOperationCallbacks(callbacks);
    EXPECT_FALSE(before.confirm);
    EXPECT_EQ(Run(FO_DELETE, List({"S:\\src\\a.txt", "S:\\src\\b.txt"}), "", 0), 0);
    EXPECT_EQ(steps, (std::vector<std::string>{"S:\\src\\a.txt 0/2", "ask S:\\src\\a.txt",
                                               "S:\\src\\b.txt 1/2", "ask S:\\src\\b.txt", " 2/2"}));
    EXPECT_TRUE(questions.empty()) << "the test answer was not asked";

    callbacks.progress = [](const std::string&, size_t done, size_t) { return done == 0; };
    SetFileOperationCallbacks(callbacks);
    EXPECT_EQ(Run(FO_COPY, List({"S:\\src\\c.log", "S:\\src\\tree"}), List({"S:\\dst"}), 0), ERROR_CANCELLED);
    EXPECT_TRUE(op.fAnyOperationsAborted);
    EXPECT_TRUE(std::filesystem::exists(temp.Path() / "dst" / "c.log"));
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "dst" / "tree"));
    SetFileOperationCallbacks({});
}

TEST_F(FileOperationTest, TheTrashListsItsEntriesAndPutsThemBack) {
    EXPECT_EQ(Run(FO_DELETE, List({"S:\\src\\tree"}), "", FOF_ALLOWUNDO | FOF_NOCONFIRMATION), 0);
    const auto items = TrashContents();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].name, "tree");
    EXPECT_EQ(items[0].originalPath, (temp.Path() / "src" / "tree").string());
    EXPECT_EQ(RestoreFromTrash("missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RestoreFromTrash("../x"), ERROR_INVALID_NAME);
    zyltest::WriteTextFile(temp.Path() / "src" / "tree", "a file took the place");
    EXPECT_EQ(RestoreFromTrash("tree"), ERROR_ALREADY_EXISTS);
    std::filesystem::remove(temp.Path() / "src" / "tree");
    EXPECT_EQ(RestoreFromTrash("tree"), ERROR_SUCCESS);
    EXPECT_EQ(zyltest::ReadTextFile(temp.Path() / "src" / "tree" / "deep" / "d.txt"), "delta");
    EXPECT_TRUE(TrashContents().empty());
}

}  // namespace
