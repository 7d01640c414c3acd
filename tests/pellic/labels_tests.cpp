// The labels that place or fill themselves: sticky labels following their control through a shared
// window-procedure hook, command labels opening their address through the shell with the link's
// colours, version labels reading a real version block, information labels reading the platform.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "pellic/zyltcommandlabel.h"
#include "pellic/zyltdbcommandlabel.h"
#include "pellic/zyltdbspinedit.h"
#include "pellic/zyltdbstickylabel.h"
#include "pellic/zyltinformationlabel.h"
#include "pellic/zyltstickylabel.h"
#include "pellic/zyltversionlabel.h"
#include "support/tempdir.h"
#include "support/ui_fixture.h"
#include "vcl/dbtables.h"
#include "vcl/designeditors.h"
#include "vcl/designintf.h"
#include "vcl/registry.h"
#include "vcl/streaming.h"
#include "win32/registry.h"
#include "win32/shell.h"
#include "win32/sysinfo.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

namespace pellic {
void Register();
}

namespace labels_tests {

using namespace pellic;
using namespace vcl;

using Labels = zyltest::UiFixture;

vcl::TEdit* PlaceEdit(TForm* form, int left, int top, int width) {
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetBounds(left, top, width, 21);
    return edit;
}

// ---------------------------------------------------------------------------------------------
// Sticky labels

TEST_F(Labels, StickyLabelFollowsItsControlAsItMovesResizesAndHides) {
    TForm* form = ShowForm();
    TEdit* edit = PlaceEdit(form, 100, 20, 80);
    auto* label = new TZylStickyLabel(form);
    label->SetParent(form);
    label->SetCaption("Name");
    label->SetPosition(TZylPosition::pRight);
    label->SetAttachTo(edit);
    EXPECT_EQ(label->Left(), 185);
    EXPECT_EQ(label->Top(), 20);

    edit->SetBounds(120, 40, 80, 21);
    PumpUntilIdle();
    EXPECT_EQ(label->Left(), 205);
    EXPECT_EQ(label->Top(), 40);
    edit->SetWidth(100);
    EXPECT_EQ(label->Left(), 225);

    label->SetPosition(TZylPosition::pBottom);
    EXPECT_EQ(label->Left(), 120);
    EXPECT_EQ(label->Top(), 40 + 21 + 5);
    label->SetPosition(TZylPosition::pLeft);
    label->SetSpace(8);
    EXPECT_EQ(label->Left(), 120 - label->Width() - 8);
    EXPECT_EQ(label->Top(), 40);
    const int width = label->Width();
    label->SetCaption("A much longer name");
    EXPECT_GT(label->Width(), width);
    EXPECT_EQ(label->Left() + label->Width() + 8, 120) << "growing keeps its side to the control";

    edit->Hide();
    EXPECT_FALSE(label->Visible());
    edit->Show();
    EXPECT_TRUE(label->Visible());
}

TEST_F(Labels, StickyHooksComeOffInAnyOrderAndAFreedControlIsLetGo) {
    TForm* form = ShowForm();
    TEdit* edit = PlaceEdit(form, 100, 20, 80);
    auto* first = new TZylStickyLabel(form);
    first->SetParent(form);
    first->SetAttachTo(edit);
    auto* second = new TZylDBStickyLabel(form);
    second->SetParent(form);
    second->SetBounds(0, 0, 40, 13);
    second->SetPosition(TZylLabelPos::pTop);
    second->SetAttachTo(edit);
    auto* third = new TZylStickyLabel(form);
    third->SetParent(form);
    third->SetPosition(TZylPosition::pBottom);
    third->SetAttachTo(edit);

    first->Free();  // the oldest hook goes first: the others still hear the control
    edit->SetBounds(50, 60, 80, 21);
    EXPECT_EQ(second->Left(), 50);
    EXPECT_EQ(second->Top(), 60 - 13 - 5);
    EXPECT_EQ(third->Top(), 60 + 21 + 5);
    // Moving a label to another control lets the first one go.
    TEdit* other = PlaceEdit(form, 200, 200, 60);
    third->SetAttachTo(other);
    edit->SetLeft(10);
    EXPECT_EQ(third->Left(), 200);
    EXPECT_EQ(second->Left(), 10);

    // A control on a form that has no window yet is followed once the form shows.
    TComponentPtr<TForm> hidden(new TForm(nullptr, 0));
    auto* later = new TEdit(hidden.get());
    later->SetParent(hidden.get());
    later->SetBounds(30, 30, 60, 21);
    auto* follower = new TZylStickyLabel(hidden.get());
    follower->SetParent(hidden.get());
    follower->SetPosition(TZylPosition::pRight);
    follower->SetAttachTo(later);
    EXPECT_FALSE(later->HandleAllocated());
    EXPECT_EQ(follower->Left(), 95);
    later->SetLeft(40);
    hidden->Show();
    PumpUntilIdle();
    EXPECT_EQ(follower->Left(), 105);
    later->SetLeft(50);
    EXPECT_EQ(follower->Left(), 115);

    edit->Free();
    EXPECT_EQ(second->AttachToControl(), nullptr);
    other->Free();
    EXPECT_EQ(third->AttachToControl(), nullptr);
    third->SetPosition(TZylPosition::pRight);  // realigning without a control does nothing
    EXPECT_EQ(third->Left(), 200);
}

TEST_F(Labels, StickyLabelDroppedOnAControlInTheDesignerAttachesToIt) {
    TForm* form = ShowForm();
    TEdit* edit = PlaceEdit(form, 100, 100, 80);
    auto* label = new TZylStickyLabel(form);
    label->SetParent(form);
    label->SetBounds(10, 10, 30, 13);
    label->SetDesigning(true);
    label->SetBounds(20, 20, 30, 13);
    EXPECT_EQ(label->AttachToControl(), nullptr) << "nothing under it";
    label->SetBounds(110, 105, 30, 13);
    EXPECT_EQ(label->AttachToControl(), edit);
    EXPECT_EQ(label->FocusControl(), edit);
    EXPECT_EQ(label->Left(), 100 - 30 - 5) << "it jumps beside the control";
    EXPECT_EQ(label->Top(), 100);
}

TEST_F(Labels, LabelsReadFromAFormKeepTheirLinksAndSitOnTheirPalettePages) {
    pellic::Register();
    TComponentPtr<TForm> form(new TForm(nullptr, 0));
    form->SetBounds(0, 0, 400, 300);
    ReadComponentText(
        "object Form1: TForm\n"
        "  object Hint: TZylStickyLabel\n    Caption = 'Name'\n    AttachToControl = Edit1\n"
        "    Position = pTop\n    Space = 2\n  end\n"
        "  object Edit1: TEdit\n    Left = 40\n    Top = 50\n    Width = 80\n    Height = 21\n  end\n"
        "  object Link: TZylCommandLabel\n    Command = runMAIL\n    CaptionValue = 'a@example.com'\n"
        "    Font.Color = clGreen\n  end\n"
        "end\n",
        form.get());
    form->Show();
    PumpUntilIdle();
    auto* sticky = dynamic_cast<TZylStickyLabel*>(form->FindComponent("Hint"));
    auto* edit = dynamic_cast<TEdit*>(form->FindComponent("Edit1"));
    ASSERT_TRUE(sticky && edit);
    EXPECT_EQ(sticky->AttachToControl(), edit) << "a link to a control read later in the form";
    EXPECT_EQ(sticky->Left(), 40);
    EXPECT_EQ(sticky->Top(), 50 - sticky->Height() - 2);
    edit->SetTop(80);
    EXPECT_EQ(sticky->Top(), 80 - sticky->Height() - 2);
    // The normal colour is the one the form gave the link.
    auto* link = dynamic_cast<TZylCommandLabel*>(form->FindComponent("Link"));
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->Command(), TZylCommand::runMAIL);
    link->Perform(CM_MOUSEENTER, 0, 0);
    link->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(link->Font()->Color(), clGreen);

    auto position = [](const std::string& pageName, TClass cls) {
        for (const TPalettePage& page : Palette())
            if (page.name == pageName) {
                const auto found = std::find(page.classes.begin(), page.classes.end(), cls);
                if (found != page.classes.end()) return static_cast<int>(found - page.classes.begin());
            }
        return -1;
    };
    EXPECT_EQ(position("Zyl Standard", TZylCommandLabel::StaticClass()), 0);
    EXPECT_EQ(position("Zyl Standard", TZylStickyLabel::StaticClass()), 1);
    EXPECT_EQ(position("Zyl Standard", TZylVersionLabel::StaticClass()), 2);
    EXPECT_EQ(position("Zyl Standard", TZylInformationLabel::StaticClass()), 3);
    const int dbSpin = position("Zyl Data-Aware", TZylDBSpinEdit::StaticClass());
    EXPECT_EQ(position("Zyl Data-Aware", TZylDBStickyLabel::StaticClass()), dbSpin + 1);
    EXPECT_EQ(position("Zyl Data-Aware", TZylDBCommandLabel::StaticClass()), dbSpin + 2);

    // In the designer the information label's caption and value are shown, never typed.
    TClass information = TZylInformationLabel::StaticClass();
    for (const char* name : {"Caption", "CaptionValue"}) {
        const TPropInfo* info = information->FindProperty(name);
        ASSERT_NE(info, nullptr) << name;
        EXPECT_EQ(GetEditorClass(*info, information), TZylReadOnlyTextProperty::StaticClass()) << name;
    }
    TComponentPtr<TZylInformationLabel> shown(new TZylInformationLabel(nullptr));
    shown->SetCaptionLabel("Width: ");
    shown->SetInfoType(TZylInformation::iScreenWidth);
    auto editor = CreatePropertyEditor(TZylReadOnlyTextProperty::StaticClass(), nullptr, {shown.get()},
                                       information->FindProperty("Caption"));
    EXPECT_EQ(editor->GetValue(), "Width: 1024");
    EXPECT_TRUE(editor->GetAttributes().Contains(paReadOnly));
    EXPECT_THROW(editor->SetValue("typed"), EPropertyError);
    EXPECT_EQ(shown->Caption(), "Width: 1024");
    // Only the label's own text is stored; the value is read again on loading.
    const std::string written = ComponentToText(shown.get());
    EXPECT_NE(written.find("CaptionLabel = 'Width: '"), std::string::npos) << written;
    EXPECT_EQ(written.find("Caption ="), std::string::npos) << written;
    EXPECT_EQ(written.find("CaptionValue"), std::string::npos) << written;
}

// ---------------------------------------------------------------------------------------------
// Command labels

class CommandLabels : public Labels {
protected:
    void SetUp() override {
        Labels::SetUp();
        win32::testing::RecordShellExecute(true);
    }
    void TearDown() override {
        win32::testing::RecordShellExecute(false);
        Labels::TearDown();
    }
    static std::vector<std::string> Opened() {
        std::vector<std::string> files;
        for (const auto& record : win32::testing::ShellExecuteLog()) {
            EXPECT_EQ(record.verb, "open");
            EXPECT_EQ(record.showCommand, win32::SW_SHOWNORMAL);
            files.push_back(record.file);
        }
        return files;
    }
};

TEST_F(CommandLabels, AddressesTakeTheirPrefixOnceInAnyLetterCase) {
    auto address = [](TZylCommand command, const std::string& value) {
        return ZylCommandAddress(static_cast<uint8_t>(command), value);
    };
    EXPECT_EQ(address(TZylCommand::runMAIL, "someone@example.com"), "mailto:someone@example.com");
    EXPECT_EQ(address(TZylCommand::runMAIL, "MailTo:someone@example.com"), "MailTo:someone@example.com");
    EXPECT_EQ(address(TZylCommand::runURL, "www.example.com"), "http://www.example.com");
    EXPECT_EQ(address(TZylCommand::runURL, "HTTP://www.example.com"), "HTTP://www.example.com");
    EXPECT_EQ(address(TZylCommand::runURL, "https://www.example.com"), "https://www.example.com");
    EXPECT_EQ(address(TZylCommand::runURL, "HTTPS://www.example.com"), "HTTPS://www.example.com");
    EXPECT_EQ(address(TZylCommand::runFTP, "ftp.example.com"), "ftp://ftp.example.com");
    EXPECT_EQ(address(TZylCommand::runFILE, "/tmp/a.txt"), "file:/tmp/a.txt");
    EXPECT_EQ(address(TZylCommand::runNothing, "notes.txt"), "notes.txt");
}

TEST_F(CommandLabels, APressOpensTheAddressOrRaisesTheEvent) {
    TForm* form = ShowForm();
    auto* label = new TZylCommandLabel(form);
    label->SetParent(form);
    label->SetBounds(10, 10, 120, 20);
    EXPECT_EQ(label->Caption(), "Zyl Homepage");
    int clicks = 0;
    label->OnClick = [&](TObject*) { ++clicks; };
    label->SetCommand(TZylCommand::runMAIL);
    label->SetCaptionValue("someone@example.com");
    ClickAt(label, 5, 5);
    EXPECT_EQ(Opened(), std::vector<std::string>{"mailto:someone@example.com"});
    EXPECT_EQ(clicks, 1);

    int events = 0;
    label->RunEvent = [&](TObject* sender) {
        EXPECT_EQ(sender, label);
        ++events;
    };
    label->SetCommand(TZylCommand::runEVENT);
    Advance(2000);  // not a double click
    ClickAt(label, 5, 5);
    EXPECT_EQ(events, 1);
    EXPECT_EQ(Opened().size(), 1u) << "the event case never reaches the shell";

    label->SetEnabled(false);
    label->SetCommand(TZylCommand::runURL);
    Advance(2000);
    ClickAt(label, 5, 5);
    EXPECT_EQ(Opened().size(), 1u);
    EXPECT_EQ(clicks, 2) << "a disabled link passes no click on";
}

TEST_F(CommandLabels, TheLinkShowsHotOnHoverAndFollowedOnceUsed) {
    TForm* form = ShowForm();
    auto* label = new TZylCommandLabel(form);
    label->SetParent(form);
    label->SetBounds(10, 10, 120, 20);
    const TColor blue = 0xFF0000;
    EXPECT_EQ(label->Font()->Color(), blue);
    EXPECT_EQ(label->Font()->Size(), 10);
    EXPECT_TRUE(label->Font()->Style().Contains(TFontStyle::fsUnderline));

    MoveMouseTo(label, 5, 5);
    EXPECT_EQ(label->Font()->Color(), label->MoveOverColor());
    // The hot look is painted: some pixel of the caption is red.
    auto bitmap = BitmapOf(label);
    bool red = false;
    for (int y = 0; y < label->Height() && !red; ++y)
        for (int x = 0; x < label->Width() && !red; ++x)
            red = bitmap->Canvas()->Pixels(x, y) == 0x0000FF;
    EXPECT_TRUE(red);
    MoveMouseTo(form, 250, 150);
    EXPECT_EQ(label->Font()->Color(), blue) << "the colour of a label made by code comes back";
    label->Font()->SetColor(clGreen);
    MoveMouseTo(label, 5, 5);
    MoveMouseTo(form, 250, 150);
    EXPECT_EQ(label->Font()->Color(), clGreen) << "a colour given by code is the normal one";

    label->SetCommand(TZylCommand::runNothing);
    label->SetCaptionValue("https://example.com/notes");
    ClickAt(label, 5, 5);
    EXPECT_TRUE(label->Visited());
    EXPECT_EQ(label->Font()->Color(), label->FollowedColor());
    MoveMouseTo(form, 250, 150);
    EXPECT_EQ(label->Font()->Color(), label->FollowedColor()) << "leaving keeps the followed colour";
    EXPECT_EQ(Opened(), std::vector<std::string>{"https://example.com/notes"});
}

TEST_F(CommandLabels, TheDataAwareLabelOpensItsFieldText) {
    zyltest::TempDir dir;
    const std::string path = dir.File("links.db");
    std::ofstream(path, std::ios::binary | std::ios::trunc).flush();
    {
        TComponentPtr<TDatabase> database(new TDatabase(nullptr));
        database->SetDatabaseName(path);
        database->Execute(
            "CREATE TABLE links (URL VARCHAR(80)); INSERT INTO links VALUES ('www.example.org');");
    }
    TComponentPtr<TTable> table(new TTable(nullptr));
    table->SetDatabaseName(path);
    table->SetTableName("links");
    table->Open();
    TComponentPtr<TDataSource> source(new TDataSource(nullptr));
    source->SetDataSet(table.get());
    TForm* form = ShowForm();
    auto* label = new TZylDBCommandLabel(form);
    label->SetParent(form);
    label->SetBounds(10, 10, 120, 20);
    EXPECT_EQ(label->Cursor(), crHandPoint);
    label->SetDataSource(source.get());
    label->SetDataField("URL");
    ClickAt(label, 5, 5);
    EXPECT_EQ(Opened(), std::vector<std::string>{"http://www.example.org"});
    EXPECT_EQ(label->Font()->Color(), label->FollowedColor());
    form->Free();
}

// ---------------------------------------------------------------------------------------------
// Version labels

TEST_F(Labels, VersionLabelReadsTheProgramsOwnVersionBlock) {
    TComponentPtr<TZylVersionLabel> label(new TZylVersionLabel(nullptr));
    EXPECT_EQ(label->Caption(), "File Version: 0.1.7.3");
    EXPECT_EQ(label->LangCharset(), "040904E4") << "language first, then the code page";
    label->SetVersionRes(TZylVersionRes::verCompanyName);
    EXPECT_EQ(label->VersionResKey(), "CompanyName");
    EXPECT_EQ(label->Caption(), "Company Name: Zyl Components");
    label->SetVersionResKey("companyNAME");
    EXPECT_EQ(label->Caption(), "Company Name: Zyl Components");
    label->SetShowInfoPrefix(false);
    EXPECT_EQ(label->Caption(), "Zyl Components");
    label->SetShowInfoPrefix(true);

    label->SetVersionRes(TZylVersionRes::verProductVersion);
    EXPECT_EQ(label->Caption(), "Product Version: 2") << "one character is a value";
    label->SetVersionRes(TZylVersionRes::verComments);
    EXPECT_EQ(label->Caption(), "Comments: < No Version Info >");
    label->SetVersionRes(TZylVersionRes::verLegalCopyright);
    EXPECT_EQ(label->Caption(), "Legal Copyright: < Error retrieving version info >");
    label->SetVersionRes(TZylVersionRes::verFlags);
    EXPECT_EQ(label->Caption(), "Flags: Debug Build, Private Build");
    label->SetVersionRes(TZylVersionRes::verCompanyName);
    label->SetLangCharset("04070000");
    EXPECT_EQ(label->Caption(), "Company Name: < Error retrieving version info >");

    TComponentPtr<TComponent> designed(new TComponent(nullptr));
    designed->SetDesigning(true);
    auto* design = new TZylVersionLabel(designed.get());
    EXPECT_EQ(design->Caption(), "File Version: < No Designtime Information >");
}

class ResourceFileVersionLabel : public TZylVersionLabel {
public:
    ResourceFileVersionLabel(std::string file) : TZylVersionLabel(nullptr), file_(std::move(file)) {
        SetupCaption();
    }

protected:
    std::string VersionFileName() const override { return file_; }

private:
    std::string file_;
};

TEST_F(Labels, VersionLabelReadsABlockTheResourceCompilerWrote) {
    const std::filesystem::path support =
        std::filesystem::path(__FILE__).parent_path() / ".." / "support" / "version";
    zyltest::TempDir dir;
    const std::string res = dir.File("sample.res");
    const std::string command = "'" + (support / "build_version_res.sh").string() + "' '" +
                                (support / "sample.rc").string() + "' '" + res + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "windres is not installed (Debian package binutils-mingw-w64-x86-64)";
    ASSERT_EQ(status, 0);
    ResourceFileVersionLabel label(res);
    EXPECT_EQ(label.Caption(), "File Version: 1.2.3.4");
    EXPECT_EQ(label.LangCharset(), "040904E4");
    label.SetVersionRes(TZylVersionRes::verFlags);
    EXPECT_EQ(label.Caption(), "Flags: Pre-Release Build");

    ResourceFileVersionLabel none(dir.File("absent.res"));
    EXPECT_EQ(none.Caption(), "File Version: < No Data Available >");
}

// ---------------------------------------------------------------------------------------------
// Information labels

class InformationLabels : public Labels {
protected:
    void SetUp() override {
        Labels::SetUp();
        win32::testing::SetRegistryPath(dir.File("registry.sqlite"));
    }
    void TearDown() override {
        win32::testing::SetMemInfoPath({});
        win32::testing::SetRegistryPath({});
        Labels::TearDown();
    }
    std::string Read(TZylInformation type) {
        TComponentPtr<TZylInformationLabel> label(new TZylInformationLabel(nullptr));
        label->SetInfoType(type);
        return label->Caption();
    }
    zyltest::TempDir dir;
};

TEST_F(InformationLabels, MachineValuesAreReadWithoutCreatingTheKey) {
    const std::string key = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    {
        TRegistry registry;
        registry.SetRootKey(win32::HKEY_LOCAL_MACHINE);
        registry.DeleteKey(key);
    }
    EXPECT_EQ(Read(TZylInformation::iOwnerName), "");
    {
        TRegistry registry;
        registry.SetRootKey(win32::HKEY_LOCAL_MACHINE);
        EXPECT_FALSE(registry.KeyExists(key)) << "reading never creates the key";
        ASSERT_TRUE(registry.OpenKey(key, true));
        registry.WriteString("RegisteredOwner", "Ada");
        registry.WriteString("SystemRoot", "C:\\WINNT");
    }
    TComponentPtr<TZylInformationLabel> label(new TZylInformationLabel(nullptr));
    label->SetCaptionLabel("Owner: ");
    label->SetInfoType(TZylInformation::iOwnerName);
    EXPECT_EQ(label->Caption(), "Owner: Ada");
    EXPECT_EQ(Read(TZylInformation::iSystemRoot), "C:\\WINNT");
    EXPECT_EQ(Read(TZylInformation::iOrganisationName), "");
}

TEST_F(InformationLabels, MemoryAndSwapFiguresNeverDivideByZero) {
    const std::string meminfo = dir.File("meminfo");
    std::ofstream(meminfo) << "MemTotal: 2048 kB\nMemFree: 512 kB\nMemAvailable: 1024 kB\n"
                              "SwapTotal: 1000 kB\nSwapFree: 250 kB\n";
    win32::testing::SetMemInfoPath(meminfo);
    EXPECT_EQ(Read(TZylInformation::iTotalPhysicalMemory), "2048 KB");
    EXPECT_EQ(Read(TZylInformation::iAvailablePhysicalMemory), "1024 KB");
    EXPECT_EQ(Read(TZylInformation::iSwapFileSettings), "3048 KB");
    EXPECT_EQ(Read(TZylInformation::iSwapFileSize), "1774 KB");
    EXPECT_EQ(Read(TZylInformation::iSwapFileUsage), "59 %");  // 1274 of 3048 free: 41.79 %

    std::ofstream(meminfo)
        << "MemTotal: 0 kB\nMemFree: 0 kB\nMemAvailable: 0 kB\nSwapTotal: 0 kB\nSwapFree: 0 kB\n";
    EXPECT_EQ(Read(TZylInformation::iSwapFileUsage), "0 %");
    EXPECT_EQ(Read(TZylInformation::iSwapFileSize), "0 KB");
}

TEST_F(InformationLabels, FactsAreReadWhenAskedAndOnlyThen) {
    win32::testing::SetReportedVersion(4, 10, 1998, win32::VER_PLATFORM_WIN32_WINDOWS);
    EXPECT_EQ(Read(TZylInformation::iPlatformName), "Windows 95");
    EXPECT_EQ(Read(TZylInformation::iPlatformVersion), "4.10");
    EXPECT_EQ(Read(TZylInformation::iBuildNumber), "1998");
    EXPECT_EQ(Read(TZylInformation::iScreenWidth), "1024");
    EXPECT_EQ(Read(TZylInformation::iScreenHeight), "768");

    win32::BYTE state[256] = {};
    ASSERT_TRUE(win32::SetKeyboardState(state));
    TComponentPtr<TZylInformationLabel> label(new TZylInformationLabel(nullptr));
    label->SetCaptionLabel("Num Lock: ");
    label->SetInfoType(TZylInformation::iNumLock);
    EXPECT_EQ(label->Caption(), "Num Lock: Off");
    state[win32::VK_NUMLOCK] = 0x01;
    ASSERT_TRUE(win32::SetKeyboardState(state));
    EXPECT_EQ(label->Caption(), "Num Lock: Off") << "read again only when asked";
    label->UpdateInfo();
    EXPECT_EQ(label->Caption(), "Num Lock: On");
    state[win32::VK_NUMLOCK] = 0;
    ASSERT_TRUE(win32::SetKeyboardState(state));
    label->SetCaptionValue("ignored");
    EXPECT_EQ(label->CaptionValue(), "Off") << "assigning the value reads it";
}

}  // namespace labels_tests
