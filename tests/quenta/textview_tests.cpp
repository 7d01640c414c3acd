// The text file viewer: its menu as configured and merged, a real file opened, edited and saved
// with its line ends and name kept, the messages of a missing file, and its events in order.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "quenta/zyltextview.h"
#include "support/print_server.h"
#include "vcl/comctrls.h"
#include "vcl/menus.h"
#include "vcl/printers.h"
#include "win32/files.h"
#include "win32/menu.h"
#include "win32/commdlg.h"
#include "win32/printing.h"
#include "win32/virtualkeys.h"

namespace textview_tests {

using namespace vcl;
using namespace quenta;

class TextViewTest : public dialogtest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        win32::testing::MapDrive('T', dir_.Path().string());
        view.reset(new TZylTextFileView(nullptr));
    }
    void TearDown() override {
        view.reset();
        DialogTest::TearDown();
    }

    static TMenuItem* Item(const char* name) { return Part<TMenuItem>("ZylTextView", name); }
    static TRichEdit* Editor() { return Part<TRichEdit>("ZylTextView", "Editor"); }
    static void Close() { Dialog("ZylTextView")->Close(); }

    void WriteFile(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir_.File(name), std::ios::binary) << bytes;
    }
    std::string ReadFile(const std::string& name) const {
        std::ifstream in(dir_.File(name), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    TComponentPtr<TZylTextFileView> view;
};

TEST_F(TextViewTest, TheMenuShowsWhatIsSwitchedOnAndTheWindowTakesItsSettings) {
    for (auto setter :
         {&TZylTextFileView::SetMenuOptions, &TZylTextFileView::SetMenuNew, &TZylTextFileView::SetMenuOpen,
          &TZylTextFileView::SetMenuPrint, &TZylTextFileView::SetMenuExit, &TZylTextFileView::SetMenuWordWrap,
          &TZylTextFileView::SetMenuFont, &TZylTextFileView::SetMenuBackground,
          &TZylTextFileView::SetMenuDividers})
        (view.get()->*setter)(false);
    view->SetEditorCaption("Notes");
    view->SetWindowWidth(420);
    view->SetWindowHeight(310);
    view->SetEditColor(clYellow);
    view->SetReadonly(true);
    std::vector<std::string> shown;
    TCustomForm* form = nullptr;
    Answer({[&] {
        form = Dialog("ZylTextView");
        for (TMenuItem* top : {Item("FileMenu"), Item("OptionsMenu")}) {
            if (!top->Visible()) continue;
            shown.push_back(top->Caption());
            for (Integer i = 0; i < top->Count(); ++i)
                if (top->Items(i)->Visible()) shown.push_back(top->Items(i)->Caption());
        }
        EXPECT_EQ(form->Caption(), "Notes");
        EXPECT_EQ(form->Width(), 420);
        EXPECT_EQ(form->Height(), 310);
        EXPECT_EQ(form->FormStyle(), fsStayOnTop);
        EXPECT_EQ(form->BorderIcons(), TBorderIcons{});
        EXPECT_EQ(Editor()->Color(), clYellow);
        EXPECT_TRUE(Editor()->ReadOnly());
        EXPECT_TRUE(Editor()->PlainText());
        EXPECT_EQ(Editor()->ScrollBars(), TScrollStyle::ssBoth);
        EXPECT_TRUE(Editor()->WantTabs());
        Close();
    }});
    EXPECT_TRUE(view->Execute());
    EXPECT_EQ(shown, (std::vector<std::string>{"&File", "&Save..."}));
    EXPECT_EQ(Screen->FormCount(), 0) << "the window is freed after it closed";
}

TEST_F(TextViewTest, AFileIsOpenedEditedAndSavedWithItsLineEndsAndName) {
    WriteFile("Mixed Case.txt", "Grüße\r\nzweite Zeile\r\n");
    view->SetOpenFileOnExecute(true);
    view->SetOpenFilename("T:\\Mixed Case.txt");
    std::vector<std::string> events;
    view->OnExecute = [&](TObject* sender) { events.push_back(sender == view.get() ? "execute" : "?"); };
    view->OnSaveFile = [&](TObject* sender) {
        events.push_back(sender == Dialog("ZylTextView") ? "save" : "?");
    };
    view->OnExit = [&](TObject* sender) { events.push_back(sender == Dialog("ZylTextView") ? "exit" : "?"); };
    std::string captionAfterSave, initialName;
    Answer({[&] {
                EXPECT_EQ(Editor()->Lines()->Count(), 2);
                EXPECT_EQ(Editor()->Lines()->Strings(0), "Grüße");
                Editor()->SetFocus();
                win32::input::PressKey(win32::VK_END);
                TypeText(" und mehr");
                Item("SaveItem")->Click();
            },
            [&] {
                initialName = Part<TCustomEdit>("SaveDlg", "FileNameEdit")->Text();
                Click("SaveDlg", "OK");
            },
            [&] {
                captionAfterSave = Dialog("ZylTextView")->Caption();
                Item("ExitItem")->Click();
            }});
    EXPECT_TRUE(view->Execute());
    EXPECT_EQ(initialName, "Mixed Case.txt");
    EXPECT_EQ(ReadFile("Mixed Case.txt"), "Grüße und mehr\r\nzweite Zeile\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "MIXED CASE.TXT")) << "no second file in capitals";
    EXPECT_EQ(captionAfterSave, "T:\\MIXED CASE.TXT");
    EXPECT_EQ(events, (std::vector<std::string>{"execute", "save", "exit"}));
}

TEST_F(TextViewTest, OpeningReplacesTheTextAndCancellingStillCapitalisesTheCaption) {
    WriteFile("plain.txt", "one\ntwo");
    view->SetEditorCaption("draft");
    std::vector<std::string> events;
    view->OnOpenFile = [&](TObject*) { events.push_back("open"); };
    std::string afterCancel, afterOpen;
    std::vector<std::string> lines;
    Answer({[&] { Item("OpenItem")->Click(); }, [&] { Click("OpenDlg", "Cancel"); },
            [&] {
                afterCancel = Dialog("ZylTextView")->Caption();
                Editor()->Lines()->Add("thrown away");
                Item("OpenItem")->Click();
            },
            [&] {
                TypeInto("OpenDlg", "FileNameEdit", "T:\\plain.txt");
                win32::input::PressKey(win32::VK_RETURN);
            },
            [&] {
                afterOpen = Dialog("ZylTextView")->Caption();
                for (Integer i = 0; i < Editor()->Lines()->Count(); ++i)
                    lines.push_back(Editor()->Lines()->Strings(i));
                Item("SaveItem")->Click();
            },
            [&] { Click("SaveDlg", "OK"); },
            [&] {
                Item("NewItem")->Click();
                EXPECT_EQ(Editor()->Lines()->Count(), 0);
                EXPECT_EQ(Dialog("ZylTextView")->Caption(), "");
                Close();
            }});
    view->Execute();
    EXPECT_EQ(afterCancel, "DRAFT");
    EXPECT_EQ(afterOpen, "T:\\PLAIN.TXT");
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(ReadFile("plain.txt"), "one\ntwo") << "LF breaks and the missing final break are kept";
    EXPECT_EQ(events, (std::vector<std::string>{"open"}));
}

TEST_F(TextViewTest, AMissingFileIsReportedAndTheWindowStillOpens) {
    view->SetOpenFileOnExecute(true);
    std::vector<std::string> messages;
    auto readMessage = [&] {
        messages.push_back(Part<TLabel>("MessageDlg", "Message")->Caption());
        Click("MessageDlg", "OK");
    };
    Answer({readMessage, [&] { Close(); }});
    EXPECT_TRUE(view->Execute());
    view->SetOpenFilename("T:\\nowhere.txt");
    Answer({readMessage, [&] { Close(); }});
    EXPECT_TRUE(view->Execute());
    EXPECT_EQ(messages,
              (std::vector<std::string>{"Please specify a File to open", "File to open does not exist"}));
    EXPECT_EQ(loops_, (std::vector<std::string>{"MessageDlg", "ZylTextView", "MessageDlg", "ZylTextView"}));
}

TEST_F(TextViewTest, WordWrapToggles) {
    std::vector<bool> wraps;
    Answer({[&] {
        for (int i = 0; i < 2; ++i) {
            Item("WordWrapItem")->Click();
            wraps.push_back(Item("WordWrapItem")->Checked());
            wraps.push_back(Editor()->WordWrap());
        }
        Close();
    }});
    view->Execute();
    EXPECT_EQ(wraps, (std::vector<bool>{true, true, false, false}));
}

// Each editor line is one printed line: more lines than a page holds print on two pages.
TEST_F(TextViewTest, PrintPrintsEveryLineAfterThePrintDialog) {
    if (const std::string& error = zyltest::PrintServer::Get().Error(); !error.empty()) GTEST_SKIP() << error;
    delete SetPrinter(new TPrinter);
    auto print = [&](bool cancel) {
        win32::testing::PrintDlgScript script;
        script.cancel = cancel;
        win32::testing::SetPrintDlgScript(script);
        win32::PostMessage(Dialog("ZylTextView")->Handle(), win32::WM_COMMAND, Item("PrintItem")->Command(),
                           0);
    };
    Answer({[&] {
                std::string text;
                for (int line = 1; line <= 120; ++line)
                    text += "Line " + std::to_string(line) + "\n";
                Editor()->Lines()->SetText(text);
                print(true);
            },
            [&] { print(false); }, [&] { Close(); }});
    view->Execute();
    EXPECT_TRUE(Exceptions().empty());
    const auto printed = win32::testing::PrintedDocuments();
    ASSERT_EQ(printed.size(), 1u) << "the cancelled dialog printed nothing";
    EXPECT_EQ(printed[0].pages, 2);
    EXPECT_EQ(zyltest::PdfPageCount(printed[0].pdf), 2);
    delete SetPrinter(nullptr);
}

TEST_F(TextViewTest, AMergedMenuReplacesItsGroupAndAFreedMenuIsForgotten) {
    // The menu the constructor makes belongs to the component.
    EXPECT_EQ(view->ComponentCount(), 1);
    EXPECT_EQ(view->Menus(), view->Components(0));
    TComponentPtr<TForm> owner(new TForm(nullptr, 0));
    auto* menu = new TMainMenu(owner.get());
    auto* replacement = new TMenuItem(owner.get());
    replacement->SetCaption("&Document");
    replacement->SetGroupIndex(1);
    menu->Items()->Add(replacement);
    view->SetMenus(menu);
    std::vector<std::string> bar;
    Answer({[&] {
        const win32::HMENU menuBar = Dialog("ZylTextView")->Menu()->Handle();
        for (int i = 0; i < win32::GetMenuItemCount(menuBar); ++i) {
            char caption[64] = {};
            win32::GetMenuString(menuBar, static_cast<win32::UINT>(i), caption, sizeof caption,
                                 win32::MF_BYPOSITION);
            bar.emplace_back(caption);
        }
        Close();
    }});
    view->Execute();
    EXPECT_EQ(bar, (std::vector<std::string>{"&Document", "&Options"}));
    EXPECT_EQ(menu->MergedInto(), nullptr);
    owner.reset();
    EXPECT_EQ(view->Menus(), nullptr);
    Answer({[&] { Close(); }});
    EXPECT_TRUE(view->Execute());
}

}  // namespace textview_tests
