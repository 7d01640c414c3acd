// The printer combo against the private CUPS server and without printers, and the language combo
// on a generated locale folder: listing, choosing with keyboard and mouse, the user's language.
#include <cstdlib>
#include <string>
#include <vector>

#include "pellic/zyltlanguagecombo.h"
#include "pellic/zyltprintercombo.h"
#include "support/locale_folder.h"
#include "support/print_server.h"
#include "support/real_peers.h"
#include "support/tempdir.h"
#include "support/ui_fixture.h"
#include "vcl/printers.h"
#include "win32/version.h"
#include "win32/virtualkeys.h"

namespace {

using namespace pellic;
using vcl::Integer;
namespace wt = win32::testing;

std::vector<std::string> ComboRows(vcl::TCustomComboBox* combo) {
    std::vector<std::string> rows;
    for (Integer i = 0; i < combo->Items()->Count(); ++i)
        rows.push_back(combo->Items()->Strings(i));
    return rows;
}

// ---------------------------------------------------------------------------------------------
// Printers

class PrinterComboTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        if (const std::string& error = zyltest::PrintServer::Get().Error(); !error.empty())
            GTEST_SKIP() << error;
        delete vcl::SetPrinter(new vcl::TPrinter);
        form = ShowForm();
    }
    void TearDown() override {
        delete vcl::SetPrinter(nullptr);
        UiFixture::TearDown();
    }
    vcl::TForm* form = nullptr;
};

TEST_F(PrinterComboTest, ListsTheQueuesAndChoosesTheCurrentPrinter) {
    auto* combo = new TZylPrinterCombo(form);
    combo->SetBounds(10, 10, 200, 26);
    int changes = 0;
    combo->OnChange = [&](vcl::TObject*) { ++changes; };
    PumpUntilIdle();
    EXPECT_EQ(combo->Parent(), form);
    EXPECT_EQ(ComboRows(combo), (std::vector<std::string>{"ZylPdf", "ZylText"}));
    EXPECT_EQ(combo->ItemHeight(), 22);
    EXPECT_EQ(combo->SelectedPrinter(), "ZylPdf") << "the default printer";
    EXPECT_TRUE(combo->Enabled());

    combo->SetFocus();
    PressKey(win32::VK_DOWN);
    EXPECT_EQ(combo->SelectedPrinter(), "ZylText");
    EXPECT_EQ(vcl::Printer()->PrinterIndex(), 1) << "the choice is the application's printer";
    EXPECT_EQ(changes, 1);
    combo->OnSelect = [](vcl::TObject*) {};
    PressKey(win32::VK_UP);
    EXPECT_EQ(vcl::Printer()->PrinterIndex(), 0) << "also when the program handles OnSelect";
    EXPECT_EQ(changes, 1);

    // The picture of row 0 in the open list: its bottom-left colour (magenta) is transparent.
    combo->SetDroppedDown(true);
    PumpUntilIdle();
    auto list = BitmapOf(combo->ListBox());
    const Integer top = (22 - 14) / 2 + 2;
    // Row 0 is the chosen one: the transparent pixels show the highlight.
    const vcl::TColor highlight = static_cast<vcl::TColor>(vcl::ColorToRGB(vcl::clHighlight));
    const Integer border = (combo->ListBox()->Height() - combo->ListBox()->ClientHeight()) / 2;
    auto pixel = [&](Integer x, Integer y) { return list->Canvas()->Pixels(x + border, y + border); };
    EXPECT_EQ(pixel(6 + 6, top + 1), 0x000000) << "the paper's line";
    EXPECT_EQ(pixel(6 + 1, top + 6), 0xC0C0C0) << "the body";
    EXPECT_EQ(pixel(6 + 0, top + 0), highlight) << "transparent corner";
    EXPECT_EQ(pixel(5, top + 6), highlight) << "nothing left of the picture";
}

// A server address where nothing listens: CUPS reports no printers.
class PrinterComboWithoutPrinters : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        const char* saved = std::getenv("CUPS_SERVER");
        hadServer = saved != nullptr;
        previousServer = saved ? saved : "";
        setenv("CUPS_SERVER", ("127.0.0.1:" + std::to_string(zyltest::FreeLoopbackPort())).c_str(), 1);
        delete vcl::SetPrinter(new vcl::TPrinter);
    }
    void TearDown() override {
        delete vcl::SetPrinter(nullptr);
        if (hadServer)
            setenv("CUPS_SERVER", previousServer.c_str(), 1);
        else
            unsetenv("CUPS_SERVER");
        UiFixture::TearDown();
    }
    bool hadServer = false;
    std::string previousServer;
};

TEST_F(PrinterComboWithoutPrinters, SaysSoAndIsDisabled) {
    vcl::TForm* form = ShowForm();
    auto* combo = new TZylPrinterCombo(form);
    EXPECT_NO_THROW(combo->HandleNeeded());
    EXPECT_EQ(ComboRows(combo), (std::vector<std::string>{"(No Printers connected)"}));
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_FALSE(combo->Enabled());
    EXPECT_EQ(combo->SelectedPrinter(), "");
    ClickAt(combo, 20, 10);
    EXPECT_FALSE(combo->DroppedDown()) << "a disabled combo does not open";
}

// ---------------------------------------------------------------------------------------------
// Languages

class LanguageComboTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        const auto folder = temp.Path() / "locale";
        zyltest::WriteLocaleFolder(folder, {"de_DE.utf8", "fr_FR.utf8", "C.utf8", "sr_RS@latin"},
                                   {"en_US.utf8", "es_ES.utf8", "lt_LT.utf8"});
        wt::SetLocaleSources(folder.string(), "");
        form = ShowForm();
    }
    TZylLanguageCombo* MakeCombo() {
        auto* combo = new TZylLanguageCombo(form);
        combo->SetParent(form);
        combo->SetLeft(10);
        combo->SetTop(10);
        PumpUntilIdle();
        return combo;
    }

    zyltest::TempDir temp;
    vcl::TForm* form = nullptr;
};

TEST_F(LanguageComboTest, ListsInstalledLanguagesInTableOrder) {
    wt::SetDefaultLangID(0x040C);
    TZylLanguageCombo* combo = MakeCombo();
    EXPECT_EQ(combo->Width(), 200);
    EXPECT_EQ(combo->Languages(),
              (std::vector<vcl::Word>{0x0800, 0x0400, 0x0409, 0x040C, 0x0407, 0x081A, 0x040A, 0x0C0A}))
        << "Lithuanian is installed but not in the table";
    EXPECT_EQ(ComboRows(combo)[2], "English (United States)");
    EXPECT_EQ(combo->LangID(), 0x040C) << "the user's language";
    EXPECT_EQ(combo->Text(), "French (France)");

    combo->SetLangID(0x0407);
    EXPECT_EQ(combo->Text(), "German (Germany)");
    EXPECT_EQ(combo->LangIdAsString(), "0407");
    try {
        combo->SetLangID(0x0419);
        ADD_FAILURE() << "no exception";
    } catch (const vcl::Exception& error) {
        EXPECT_EQ(error.Message(), "Unknown language specifier");
    }
    EXPECT_EQ(combo->LangID(), 0x0407);

    combo->SetFocus();
    PressKey(win32::VK_DOWN);
    EXPECT_EQ(combo->LangID(), 0x081A);
    EXPECT_EQ(combo->LangIdAsString(), "081A");
    ClickAt(combo, 20, combo->Height() / 2);
    ASSERT_TRUE(combo->DroppedDown());
    vcl::TCustomListBox* list = combo->ListBox();
    const vcl::TPoint row = list->ClientToScreen(vcl::Point(20, list->ItemRect(0).top + 3));
    win32::input::Click(row.x, row.y);
    PumpUntilIdle();
    EXPECT_EQ(combo->LangIdAsString(), "0800");
    EXPECT_EQ(combo->Text(), "System Default Language");
}

TEST_F(LanguageComboTest, UnknownUserLanguageSelectsNothing) {
    for (vcl::Word user : {vcl::Word{0x0427}, vcl::Word{0x0419}}) {
        wt::SetDefaultLangID(user);
        TZylLanguageCombo* combo = nullptr;
        ASSERT_NO_THROW(combo = MakeCombo()) << std::hex << user;
        EXPECT_EQ(combo->ItemIndex(), -1);
        EXPECT_EQ(combo->LangID(), 0);
        EXPECT_EQ(combo->LangIdAsString(), "0000");
        combo->Free();
    }
    // A window made again keeps the language chosen since.
    wt::SetDefaultLangID(0x0409);
    TZylLanguageCombo* combo = MakeCombo();
    combo->SetLangID(0x0C0A);
    combo->RecreateWnd();
    PumpUntilIdle();
    EXPECT_EQ(combo->LangID(), 0x0C0A);
}

}  // namespace
