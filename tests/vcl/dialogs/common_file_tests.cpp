#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "common_fixture.h"
#include "support/tempdir.h"
#include "vcl/fileutils.h"
#include "win32/files.h"

namespace {

using namespace vcl;
using namespace win32;

// A folder on drive T: with text files in two letter cases, other files, a hidden one and subfolders.
class FileDialogTest : public zyltest::CommonDialogTest {
protected:
    void SetUp() override {
        CommonDialogTest::SetUp();
        namespace fs = std::filesystem;
        for (const char* name :
             {"a.txt", "B.TXT", "c.bmp", "notes.md", ".hidden.txt", "sub/inner.txt", "Zeta/z.txt"}) {
            const fs::path path = temp_.Path() / name;
            fs::create_directories(path.parent_path());
            std::ofstream(path) << "x";
        }
        win32::testing::MapDrive('T', temp_.Path().string());
        open_->SetFilter("Text files (*.txt)|*.txt|Pictures|*.bmp;*.png|All files|*.*");
        open_->SetInitialDir("T:\\");
        save_->SetFilter(open_->Filter());
        save_->SetInitialDir("T:\\");
    }

    static std::vector<std::string> Listed(const char* dialog) {
        std::vector<std::string> items;
        auto* list = Part<TListBox>(dialog, "FileList");
        for (Integer i = 0; i < list->Items()->Count(); ++i)
            items.push_back(list->Items()->Strings(i));
        return items;
    }

    void ClickItem(std::string dialog, std::string text, bool twice = false, unsigned shift = 0) {
        Step([dialog, text, twice, shift] {
            auto* list = Part<TListBox>(dialog, "FileList");
            ASSERT_NE(list, nullptr);
            const int index = list->Items()->IndexOf(text);
            ASSERT_GE(index, 0) << text;
            const TRect row = list->ItemRect(index);
            const TPoint p = list->ClientToScreen(Point(row.left + 30, (row.top + row.bottom) / 2));
            if (shift & win32::input::Ctrl) win32::input::KeyDown(VK_CONTROL);
            if (twice)
                win32::input::DoubleClick(p.x, p.y);
            else
                win32::input::Click(p.x, p.y);
            if (shift & win32::input::Ctrl) win32::input::KeyUp(VK_CONTROL);
        });
    }

    // Answers the message dialog that the previous step brought up, recording its text.
    void Answer(const char* button, std::vector<std::string>& messages) {
        Step([button, &messages] {
            auto* text = Part<TLabel>("MessageDlg", "Message");
            ASSERT_NE(text, nullptr);
            messages.push_back(text->Caption());
            Dialog("MessageDlg")->SetModalResult(Part<TButton>("MessageDlg", button)->ModalResult());
        });
    }

    zyltest::TempDir temp_;
    TComponentPtr<TOpenDialog> open_{new TOpenDialog(nullptr)};
    TComponentPtr<TSaveDialog> save_{new TSaveDialog(nullptr)};
};

TEST_F(FileDialogTest, ListShowsFoldersThenFilesOfTheChosenType) {
    std::vector<std::string> text, pictures, all;
    std::vector<std::string> typeChanges;
    open_->OnTypeChange = [&](TObject*) { typeChanges.push_back("type"); };
    Look([&] { text = Listed("OpenDlg"); });
    Step([&] {
        Part<TComboBox>("OpenDlg", "FilterCombo")->SetFocus();
        win32::input::PressKey(VK_DOWN);
    });
    Look([&] { pictures = Listed("OpenDlg"); });
    Press(VK_DOWN);
    Look([&] { all = Listed("OpenDlg"); });
    TypeInto("OpenDlg", "FileNameEdit", "notes.md");
    Press(VK_RETURN);
    EXPECT_TRUE(open_->Execute());
    EXPECT_EQ(text, (std::vector<std::string>{"sub", "Zeta", "a.txt", "B.TXT"}));
    EXPECT_EQ(pictures, (std::vector<std::string>{"sub", "Zeta", "c.bmp"}));
    EXPECT_EQ(all, (std::vector<std::string>{"sub", "Zeta", "a.txt", "B.TXT", "c.bmp", "notes.md"}));
    EXPECT_EQ(typeChanges.size(), 2u);
    EXPECT_EQ(open_->FilterIndex(), 3);
    EXPECT_EQ(open_->FileName(), "T:\\notes.md");
    ASSERT_EQ(open_->Files()->Count(), 1);
    EXPECT_EQ(open_->Files()->Strings(0), "T:\\notes.md");
}

TEST_F(FileDialogTest, FilterIndexOutOfRangeStartsAtTheFirstType) {
    for (Integer index : {0, 4, -3}) {
        open_->SetFilterIndex(index);
        std::string shown;
        Look([&] {
            auto* combo = Part<TComboBox>("OpenDlg", "FilterCombo");
            shown = combo->Items()->Strings(combo->ItemIndex());
        });
        Press(VK_ESCAPE);
        EXPECT_FALSE(open_->Execute());
        EXPECT_EQ(shown, "Text files (*.txt)") << index;
        EXPECT_EQ(open_->FilterIndex(), index);
    }
}

TEST_F(FileDialogTest, TypedWildcardFiltersTheListWithWindowsRules) {
    struct Case {
        const char* typed;
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {"*.TXT", {"a.txt", "B.TXT"}}, {"?.*", {"a.txt", "B.TXT", "c.bmp"}},
        {"notes.m?", {"notes.md"}},    {"b*", {"B.TXT"}},
        {"sub\\*.txt", {"inner.txt"}},
    };
    std::vector<std::vector<std::string>> seen;
    for (const Case& c : cases) {
        TypeInto("OpenDlg", "FileNameEdit", c.typed);
        Press(VK_RETURN);
        Look([&] {
            std::vector<std::string> files;
            for (const std::string& item : Listed("OpenDlg"))
                if (item.find('.') != std::string::npos) files.push_back(item);
            seen.push_back(files);
        });
    }
    Press(VK_ESCAPE);
    EXPECT_FALSE(open_->Execute());
    ASSERT_EQ(seen.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(seen[i], cases[i].files) << cases[i].typed;
    EXPECT_EQ(open_->FileName(), "");
}

TEST_F(FileDialogTest, TypedNamesResolveAgainstTheFolderShown) {
    struct Case {
        const char* typed;
        const char* expected;
    };
    const Case cases[] = {
        {"a.txt", "T:\\a.txt"},          {"sub\\inner.txt", "T:\\sub\\inner.txt"},
        {"sub\\..\\B.TXT", "T:\\B.TXT"}, {"\\Zeta\\z.txt", "T:\\Zeta\\z.txt"},
        {"T:\\c.bmp", "T:\\c.bmp"},      {"\"quoted name.txt\"", "T:\\quoted name.txt"},
    };
    for (const Case& c : cases) {
        TypeInto("OpenDlg", "FileNameEdit", c.typed);
        ClickPart("OpenDlg", "OK");
        EXPECT_TRUE(open_->Execute()) << c.typed;
        EXPECT_EQ(open_->FileName(), c.expected) << c.typed;
    }
}

TEST_F(FileDialogTest, MustExistOptionsRefuseMissingFilesAndFolders) {
    open_->SetOptions(TOpenOptions{ofHideReadOnly, ofFileMustExist});
    open_->SetFileName("T:\\kept.txt");
    std::vector<std::string> messages;
    TypeInto("OpenDlg", "FileNameEdit", "missing.txt");
    Press(VK_RETURN);
    Answer("OK", messages);
    TypeInto("OpenDlg", "FileNameEdit", "nowhere\\a.txt");
    Press(VK_RETURN);
    Answer("OK", messages);
    ClickPart("OpenDlg", "Cancel");
    EXPECT_FALSE(open_->Execute());
    EXPECT_EQ(messages, (std::vector<std::string>{
                            "missing.txt\nFile not found.\nCheck the file name and try again.",
                            "nowhere\\a.txt\nPath does not exist.\nCheck the path and try again.",
                        }));
    EXPECT_EQ(open_->FileName(), "T:\\kept.txt");

    // Without the options the names are taken as typed.
    open_->SetOptions(TOpenOptions{ofHideReadOnly});
    TypeInto("OpenDlg", "FileNameEdit", "nowhere\\new.txt");
    Press(VK_RETURN);
    EXPECT_TRUE(open_->Execute());
    EXPECT_EQ(open_->FileName(), "T:\\nowhere\\new.txt");
    EXPECT_EQ(LoopCount("MessageDlg"), 2);
}

TEST_F(FileDialogTest, CreatePromptAsksBeforeTakingAMissingFile) {
    open_->SetOptions(TOpenOptions{ofHideReadOnly, ofCreatePrompt});
    std::vector<std::string> messages;
    TypeInto("OpenDlg", "FileNameEdit", "new.txt");
    Press(VK_RETURN);
    Answer("No", messages);
    Press(VK_RETURN);
    Answer("Yes", messages);
    EXPECT_TRUE(open_->Execute());
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages.front(), "new.txt\nThis file does not exist.\nDo you want to create the file?");
    EXPECT_EQ(open_->FileName(), "T:\\new.txt");
}

TEST_F(FileDialogTest, SaveAsksBeforeReplacingAnExistingFile) {
    save_->SetOptions(TOpenOptions{ofHideReadOnly, ofOverwritePrompt});
    std::vector<std::string> messages;
    std::string caption;
    Look([&] { caption = Dialog("SaveDlg")->Caption(); });
    TypeInto("SaveDlg", "FileNameEdit", "a.txt");
    Press(VK_RETURN);
    Answer("No", messages);
    Look([&] { EXPECT_NE(Dialog("SaveDlg"), nullptr); });
    Press(VK_RETURN);
    Answer("Yes", messages);
    EXPECT_TRUE(save_->Execute());
    EXPECT_EQ(caption, "Save As");
    EXPECT_EQ(messages, (std::vector<std::string>{"a.txt already exists.\nDo you want to replace it?",
                                                  "a.txt already exists.\nDo you want to replace it?"}));
    EXPECT_EQ(save_->FileName(), "T:\\a.txt");

    // A new name is not asked about.
    TypeInto("SaveDlg", "FileNameEdit", "fresh.txt");
    Press(VK_RETURN);
    EXPECT_TRUE(save_->Execute());
    EXPECT_EQ(save_->FileName(), "T:\\fresh.txt");
    EXPECT_EQ(LoopCount("MessageDlg"), 2);
}

TEST_F(FileDialogTest, DefaultExtensionIsAddedToBareNames) {
    save_->SetDefaultExt("txt");
    struct Case {
        const char* typed;
        const char* expected;
        bool different;
    };
    const Case cases[] = {
        {"report", "T:\\report.txt", false},
        {"report.dat", "T:\\report.dat", true},
        {"report.", "T:\\report", true},
        {"archive.TXT", "T:\\archive.TXT", false},
    };
    for (const Case& c : cases) {
        TypeInto("SaveDlg", "FileNameEdit", c.typed);
        Press(VK_RETURN);
        EXPECT_TRUE(save_->Execute()) << c.typed;
        EXPECT_EQ(save_->FileName(), c.expected) << c.typed;
        EXPECT_EQ(save_->Options().Contains(ofExtensionDifferent), c.different) << c.typed;
    }
    // Opening keeps an existing extensionless name when no file has the extended one.
    std::ofstream(temp_.Path() / "plain") << "x";
    open_->SetDefaultExt("txt");
    TypeInto("OpenDlg", "FileNameEdit", "plain");
    Press(VK_RETURN);
    EXPECT_TRUE(open_->Execute());
    EXPECT_EQ(open_->FileName(), "T:\\plain");
}

TEST_F(FileDialogTest, FoldersAreEnteredByMouseKeysAndTypedNames) {
    std::vector<std::string> folders;
    open_->OnFolderChange = [&](TObject*) {
        folders.push_back(Part<TComboBox>("OpenDlg", "FolderCombo")->Text());
    };
    std::vector<std::string> inSub, chain;
    ClickItem("OpenDlg", "sub", true);
    Look([&] {
        inSub = Listed("OpenDlg");
        auto* combo = Part<TComboBox>("OpenDlg", "FolderCombo");
        for (Integer i = 0; i < combo->Items()->Count(); ++i)
            chain.push_back(combo->Items()->Strings(i));
    });
    Step([&] {
        Part<TListBox>("OpenDlg", "FileList")->SetFocus();
        win32::input::PressKey(VK_BACK);
    });
    ClickItem("OpenDlg", "Zeta");
    Press(VK_RETURN);  // the focused folder opens
    ClickPart("OpenDlg", "Up");
    TypeInto("OpenDlg", "FileNameEdit", "sub");
    Press(VK_RETURN);
    ClickItem("OpenDlg", "inner.txt", true);  // a file opens: OK
    EXPECT_TRUE(open_->Execute());
    EXPECT_EQ(inSub, (std::vector<std::string>{"inner.txt"}));
    EXPECT_NE(std::find(chain.begin(), chain.end(), "T:\\"), chain.end());
    EXPECT_NE(std::find(chain.begin(), chain.end(), "T:\\sub"), chain.end());
    EXPECT_EQ(folders, (std::vector<std::string>{"T:\\sub", "T:\\", "T:\\Zeta", "T:\\", "T:\\sub"}));
    EXPECT_EQ(open_->FileName(), "T:\\sub\\inner.txt");
    // Without ofNoChangeDir the current folder follows the choice.
    EXPECT_EQ(GetCurrentDir(), "T:\\sub");
}

TEST_F(FileDialogTest, NoChangeDirKeepsTheCurrentFolder) {
    SetCurrentDir("T:\\Zeta");
    open_->SetOptions(TOpenOptions{ofHideReadOnly, ofNoChangeDir});
    TypeInto("OpenDlg", "FileNameEdit", "sub\\inner.txt");
    Press(VK_RETURN);
    EXPECT_TRUE(open_->Execute());
    EXPECT_EQ(GetCurrentDir(), "T:\\Zeta");
}

TEST_F(FileDialogTest, InitialFolderComesFromInitialDirThenFileName) {
    struct Case {
        const char* initialDir;
        const char* fileName;
        const char* folder;
        const char* edit;
    };
    SetCurrentDir("T:\\Zeta");
    const Case cases[] = {
        {"T:\\sub", "", "T:\\sub", ""},
        {"", "T:\\sub\\inner.txt", "T:\\sub", "inner.txt"},
        {"T:\\missing", "T:\\nowhere\\x.txt", "T:\\Zeta", "x.txt"},
        {"", "", "T:\\Zeta", ""},
    };
    for (const Case& c : cases) {
        open_->SetInitialDir(c.initialDir);
        open_->SetFileName(c.fileName);
        std::string folder, edit;
        Look([&] {
            folder = Part<TComboBox>("OpenDlg", "FolderCombo")->Text();
            edit = Part<TEdit>("OpenDlg", "FileNameEdit")->Text();
        });
        Press(VK_ESCAPE);
        EXPECT_FALSE(open_->Execute());
        EXPECT_EQ(folder, c.folder) << c.initialDir << " " << c.fileName;
        EXPECT_EQ(edit, c.edit) << c.initialDir << " " << c.fileName;
        EXPECT_EQ(open_->FileName(), c.fileName);
    }
}

TEST_F(FileDialogTest, MultipleSelectionReturnsEveryFile) {
    open_->SetOptions(TOpenOptions{ofHideReadOnly, ofAllowMultiSelect, ofFileMustExist});
    std::string edit;
    ClickItem("OpenDlg", "a.txt");
    ClickItem("OpenDlg", "B.TXT", false, win32::input::Ctrl);
    Look([&] { edit = Part<TEdit>("OpenDlg", "FileNameEdit")->Text(); });
    ClickPart("OpenDlg", "OK");
    EXPECT_TRUE(open_->Execute());
    EXPECT_EQ(edit, "\"a.txt\" \"B.TXT\"");
    ASSERT_EQ(open_->Files()->Count(), 2);
    EXPECT_EQ(open_->Files()->Strings(0), "T:\\a.txt");
    EXPECT_EQ(open_->Files()->Strings(1), "T:\\B.TXT");
    EXPECT_EQ(open_->FileName(), "T:\\a.txt");

    // Every typed name is checked.
    std::vector<std::string> messages;
    TypeInto("OpenDlg", "FileNameEdit", "\"a.txt\" \"gone.txt\"");
    Press(VK_RETURN);
    Answer("OK", messages);
    Press(VK_ESCAPE);
    EXPECT_FALSE(open_->Execute());
    EXPECT_EQ(messages,
              (std::vector<std::string>{"gone.txt\nFile not found.\nCheck the file name and try again."}));
    EXPECT_EQ(open_->Files()->Count(), 2);
}

TEST_F(FileDialogTest, CanCloseSeesTheChoiceAndMayRefuseIt) {
    open_->SetFileName("T:\\before.txt");
    std::vector<std::string> asked;
    bool allow = false;
    open_->OnCanClose = [&](TObject*, bool& canClose) {
        asked.push_back(open_->FileName());
        canClose = allow;
    };
    TypeInto("OpenDlg", "FileNameEdit", "a.txt");
    Press(VK_RETURN);
    Look([&] {
        EXPECT_EQ(open_->FileName(), "T:\\before.txt");
        allow = true;
    });
    TypeInto("OpenDlg", "FileNameEdit", "B.TXT");
    Press(VK_RETURN);
    EXPECT_TRUE(open_->Execute());
    EXPECT_EQ(asked, (std::vector<std::string>{"T:\\a.txt", "T:\\B.TXT"}));
    EXPECT_EQ(open_->FileName(), "T:\\B.TXT");
}

TEST_F(FileDialogTest, ReadOnlyBoxTitleAndHelp) {
    open_->SetOptions(TOpenOptions{ofShowHelp});
    open_->SetTitle("Pick a file");
    open_->SetHelpContext(7);
    std::string caption, okCaption;
    bool readOnlyShown = false;
    Look([&] {
        caption = Dialog("OpenDlg")->Caption();
        okCaption = Part<TButton>("OpenDlg", "OK")->Caption();
        readOnlyShown = Part<TCheckBox>("OpenDlg", "ReadOnlyCheck")->Visible();
    });
    ClickPart("OpenDlg", "ReadOnlyCheck");
    ClickPart("OpenDlg", "Help");
    TypeInto("OpenDlg", "FileNameEdit", "a.txt");
    Press(VK_RETURN);
    EXPECT_TRUE(open_->Execute());
    EXPECT_EQ(caption, "Pick a file");
    EXPECT_EQ(okCaption, "&Open");
    EXPECT_TRUE(readOnlyShown);
    EXPECT_TRUE(open_->Options().Contains(ofReadOnly));
    ASSERT_FALSE(Application->HelpRequests().empty());
    EXPECT_EQ(Application->HelpRequests().back().data, 7);
}

TEST_F(FileDialogTest, CancelLeavesEveryPropertyAlone) {
    open_->SetFileName("T:\\a.txt");
    open_->SetFilterIndex(2);
    open_->SetOptions(TOpenOptions{ofHideReadOnly, ofReadOnly});
    open_->Files()->Add("T:\\a.txt");
    ClickItem("OpenDlg", "sub", true);
    Step([&] {
        Part<TComboBox>("OpenDlg", "FilterCombo")->SetFocus();
        win32::input::PressKey(VK_DOWN);
    });
    TypeInto("OpenDlg", "FileNameEdit", "inner.txt");
    ClickPart("OpenDlg", "Cancel");
    EXPECT_FALSE(open_->Execute());
    EXPECT_EQ(open_->FileName(), "T:\\a.txt");
    EXPECT_EQ(open_->FilterIndex(), 2);
    EXPECT_EQ(open_->Options(), (TOpenOptions{ofHideReadOnly, ofReadOnly}));
    ASSERT_EQ(open_->Files()->Count(), 1);
    EXPECT_EQ(open_->Files()->Strings(0), "T:\\a.txt");
}

TEST_F(FileDialogTest, UnansweredDialogRaisesAndLeavesNoForm) {
    win32::testing::SetModalScript(nullptr);
    EXPECT_THROW(open_->Execute(), ModalLoopStuck);
    EXPECT_EQ(Dialog("OpenDlg"), nullptr);
    EXPECT_EQ(open_->DialogForm(), nullptr);
}

}  // namespace
