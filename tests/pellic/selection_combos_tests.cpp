// The auto-complete, colour and font lists, driven with the keyboard and the mouse: completion and
// its limits, the colour table and its swatches, the font lists' filters, veto and glyphs.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "pellic/zyltautocombo.h"
#include "pellic/zyltcolorcombo.h"
#include "pellic/zyltexplorertree.h"
#include "pellic/zyltexplorerview.h"
#include "pellic/zyltfontcontrols.h"
#include "pellic/zyltlanguagecombo.h"
#include "pellic/zyltprintercombo.h"
#include "pellic/zyltspinedit.h"
#include "support/ui_fixture.h"
#include "vcl/designintf.h"
#include "vcl/streaming.h"
#include "win32/fonts.h"
#include "win32/virtualkeys.h"

namespace {

using namespace pellic;
using vcl::Integer;
using vcl::TColor;
namespace input = win32::input;

class SelectionComboFixture : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        form = ShowForm(100, 100, 400, 300);
    }
    // The open list of a combo, painted.
    static std::unique_ptr<vcl::TBitmap> DroppedList(vcl::TCustomComboBox* combo) {
        combo->SetDroppedDown(true);
        PumpUntilIdle();
        return BitmapOf(combo->ListBox());
    }
    static TColor RGBOf(TColor color) { return static_cast<TColor>(vcl::ColorToRGB(color)); }
    // The pixel at a client point of the open list, painted with its border.
    static TColor ListPixel(vcl::TCustomComboBox* combo, vcl::TBitmap& list, Integer x, Integer y) {
        const Integer border = (combo->ListBox()->Height() - combo->ListBox()->ClientHeight()) / 2;
        return list.Canvas()->Pixels(x + border, y + border);
    }

    vcl::TForm* form = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Auto-completion

class AutoComboTest : public SelectionComboFixture {
protected:
    void SetUp() override {
        SelectionComboFixture::SetUp();
        combo = new TZylAutoCombo(form);
        combo->SetParent(form);
        combo->SetBounds(10, 10, 150, 21);
        for (const char* item : {"Apple", "Apricot", "Banana"})
            combo->Items()->Add(item);
        combo->OnChange = [this](vcl::TObject*) { ++changes; };
        combo->SetFocus();
        PumpUntilIdle();
    }
    void Retype(std::string_view text) {
        PressKey('A', input::Ctrl);
        PressKey(win32::VK_DELETE);
        TypeText(text);
    }

    TZylAutoCombo* combo = nullptr;
    int changes = 0;
};

TEST_F(AutoComboTest, TypingCompletesAndBackspaceOrDeleteDoNot) {
    TypeText("ap");
    EXPECT_EQ(combo->Text(), "Apple");
    EXPECT_EQ(combo->SelText(), "ple") << "the completed part is selected";
    EXPECT_EQ(changes, 2) << "OnChange runs before completing";
    PressKey(win32::VK_BACK);
    EXPECT_EQ(combo->Text(), "Ap") << "Backspace removes the completion and does not complete again";
    TypeText("r");
    EXPECT_EQ(combo->Text(), "Apricot");
    EXPECT_EQ(combo->SelText(), "icot");
    TypeText("x");
    EXPECT_EQ(combo->Text(), "Aprx") << "typing replaces the selection; nothing matches";
    PressKey(win32::VK_LEFT);
    PressKey(win32::VK_DELETE);
    EXPECT_EQ(combo->Text(), "Apr") << "Delete never completes";
    TypeText("I");
    EXPECT_EQ(combo->Text(), "Apricot") << "letters match whatever their case";
}

TEST_F(AutoComboTest, MinCompleteAndEmptyText) {
    combo->SetMinComplete(3);
    TypeText("ap");
    EXPECT_EQ(combo->Text(), "ap");
    TypeText("r");
    EXPECT_EQ(combo->Text(), "Apricot");
    // Cutting everything leaves an empty text, which matches every item: it never completes.
    combo->SetMinComplete(0);
    PressKey('A', input::Ctrl);
    PressKey('X', input::Ctrl);
    EXPECT_EQ(combo->Text(), "");
    combo->SetComplete(false);
    TypeText("b");
    EXPECT_EQ(combo->Text(), "b");
}

TEST_F(AutoComboTest, OnCompleteCanKeepTheTypedText) {
    std::vector<std::string> offered;
    std::vector<vcl::Word> keys;
    combo->OnComplete = [&](vcl::TObject*, vcl::Word key, const std::string& item, bool& change) {
        offered.push_back(item);
        keys.push_back(key);
        change = false;
    };
    TypeText("ap");
    EXPECT_EQ(combo->Text(), "ap");
    EXPECT_EQ(offered, (std::vector<std::string>{"Apple", "Apple"})) << "only the first match is offered";
    EXPECT_EQ(keys.back(), 'P');
    combo->OnComplete = nullptr;
    combo->SetStyle(vcl::csDropDownList);
    combo->SetFocus();
    TypeText("b");
    EXPECT_EQ(combo->Text(), "Banana") << "a list without edit part selects by letter, as any combo does";
}

// ---------------------------------------------------------------------------------------------
// Colours

class ColorComboTest : public SelectionComboFixture {
protected:
    void SetUp() override {
        SelectionComboFixture::SetUp();
        combo = new TZylColorCombo(form);
        combo->SetBounds(10, 10, 150, 22);
        PumpUntilIdle();
    }
    TZylColorCombo* combo = nullptr;
};

TEST_F(ColorComboTest, ListsTheTableAndSelectsByColourAndName) {
    EXPECT_EQ(combo->Parent(), form) << "the owner is the parent";
    EXPECT_EQ(combo->Items()->Count(), 42);
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(combo->ColorSelected(), vcl::clNone);
    EXPECT_EQ(combo->ColorByName(), "None");
    combo->SetItemIndex(41);
    EXPECT_EQ(combo->ColorByName(), "InfoBk");
    EXPECT_EQ(combo->ColorSelected(), vcl::clInfoBk);

    combo->SetColorSelected(0x0000FF);
    EXPECT_EQ(combo->ColorByName(), "Red");
    EXPECT_EQ(combo->ColorName(), "clRed");
    combo->SetColorByName("red");
    EXPECT_EQ(combo->ColorByName(), "Red") << "names match exactly";
    combo->SetColorByName("BtnFace");
    EXPECT_EQ(combo->ColorSelected(), vcl::clBtnFace);

    combo->SetSystemColors(false);
    EXPECT_EQ(combo->Items()->Count(), 17);
    EXPECT_EQ(combo->ColorByName(), "None") << "a system colour is no longer listed";
    combo->SetColorByName("White");
    EXPECT_EQ(combo->ItemIndex(), 16);
    combo->SetColorSelected(vcl::clBtnFace);
    EXPECT_EQ(combo->ColorByName(), "White") << "an unlisted colour selects nothing new";
    combo->SetSystemColors(true);
    EXPECT_EQ(combo->ColorByName(), "White") << "refilling keeps the chosen colour";
}

TEST_F(ColorComboTest, IndexGuardsHoldForEveryListLength) {
    TColor color = 0;
    std::string name = "x";
    combo->SetSystemColors(false);
    for (Integer index : {-1, 17, 41, 42, 1000}) {
        EXPECT_FALSE(combo->GetColor(index, color, name)) << index;
        EXPECT_EQ(color, vcl::clNone);
        EXPECT_EQ(name, "");
    }
    // Rows added by the program that name no entry are drawn empty and select no colour.
    combo->Items()->Add("41");
    combo->Items()->Add("blue");
    combo->SetItemIndex(17);
    EXPECT_EQ(combo->ColorSelected(), vcl::clNone);
    EXPECT_EQ(combo->ColorByName(), "");
    EXPECT_EQ(combo->ColorName(), "");
    combo->SetItemIndex(-1);
    EXPECT_EQ(combo->ColorSelected(), vcl::clNone);
    auto list = DroppedList(combo);
    EXPECT_EQ(combo->Items()->Count(), 19);
    combo->SetColorDisplayWidth(-5);
    EXPECT_EQ(combo->ColorDisplayWidth(), 32);
}

TEST_F(ColorComboTest, RowsShowSwatchAndName) {
    Integer eventIndex = -2;
    combo->OnSelectColor = [&](vcl::TObject*, Integer index, TColor& color, std::string&) {
        eventIndex = index;
        if (index == 3) color = 0x00FF00;  // Green is shown as Lime
    };
    auto list = DroppedList(combo);
    const Integer row = combo->ItemHeight();
    auto pixel = [&](Integer x, Integer y) { return ListPixel(combo, *list, x, y); };
    // Maroon, row 2: the swatch from (2, 2) to (32, row - 2) framed in black, the name beside it.
    const Integer top = 2 * row;
    EXPECT_EQ(pixel(2, top + 2), RGBOf(vcl::clBlack));
    EXPECT_EQ(pixel(10, top + 8), 0x000080);
    EXPECT_EQ(pixel(31, top + row - 3), RGBOf(vcl::clBlack));
    EXPECT_EQ(pixel(32, top + 8), RGBOf(vcl::clWindow)) << "past the swatch";
    EXPECT_EQ(pixel(10, 3 * row + 8), 0x00FF00) << "OnSelectColor changes what is shown";
    // "None", the selected row: the empty frame on the highlight.
    EXPECT_EQ(pixel(2, 2), RGBOf(vcl::clBlack));
    EXPECT_EQ(pixel(10, 8), RGBOf(vcl::clHighlight));
    bool nameDrawn = false;
    for (Integer x = 36; x < 80 && !nameDrawn; ++x)
        for (Integer y = top + 2; y < top + row - 2; ++y)
            nameDrawn = nameDrawn || pixel(x, y) == RGBOf(vcl::clWindowText);
    EXPECT_TRUE(nameDrawn);
    combo->SetItemIndex(3);
    EXPECT_EQ(combo->ColorSelected(), 0x008000) << "but not the selected colour";

    // Picking a row with the mouse raises OnSelectColor through Click.
    const vcl::TPoint rowPoint = combo->ListBox()->ClientToScreen(vcl::Point(50, 5 * row + row / 2));
    input::Click(rowPoint.x, rowPoint.y);
    PumpUntilIdle();
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->ColorByName(), "Navy");
    EXPECT_EQ(eventIndex, 5);

    combo->SetColorDisplayWidth(0);
    list = DroppedList(combo);
    bool swatch = false;
    for (Integer x = 0; x < 32; ++x)
        for (Integer y = top; y < top + row; ++y)
            swatch = swatch || pixel(x, y) == 0x000080;
    EXPECT_FALSE(swatch);
}

// ---------------------------------------------------------------------------------------------
// Fonts

struct PlatformFontFamily {
    std::string name;
    win32::DWORD type;
};

int CollectPlatformFamily(const win32::LOGFONT* logFont, const win32::TEXTMETRIC*, win32::DWORD type,
                          win32::LPARAM data) {
    reinterpret_cast<std::vector<PlatformFontFamily>*>(data)->push_back({logFont->lfFaceName, type});
    return 1;
}

std::vector<PlatformFontFamily> PlatformFamilies() {
    std::vector<PlatformFontFamily> families;
    const win32::HDC dc = win32::GetDC(nullptr);
    win32::EnumFontFamilies(dc, nullptr, CollectPlatformFamily, reinterpret_cast<win32::LPARAM>(&families));
    win32::ReleaseDC(nullptr, dc);
    return families;
}

class FontListTest : public SelectionComboFixture {};

TEST_F(FontListTest, FiltersVetoAndRebuildsWithoutLeftovers) {
    const auto families = PlatformFamilies();
    ASSERT_FALSE(families.empty());
    std::set<std::string> trueType;
    for (const auto& family : families)
        if (family.type == win32::TRUETYPE_FONTTYPE) trueType.insert(family.name);

    auto* box = new TZylFontBox(form);
    box->SetParent(form);
    EXPECT_EQ(box->Items()->Count(), box->FontList()->Count());
    EXPECT_EQ(box->ItemIndex(), 0);
    EXPECT_EQ(box->ItemHeight(), vcl::TextMeasure(box->Font()).Height()) << "the rows follow the font";
    box->SetFilterOptions({TZylFilterOption::ShowTrueType});
    std::set<std::string> listed;
    for (Integer i = 0; i < box->Items()->Count(); ++i) {
        listed.insert(box->Items()->Strings(i));
        EXPECT_EQ(box->FontList()->Font(box->FontList()->IndexOf(box->Items()->Strings(i)))->FontType(),
                  TZylFontTypes::TTF);
    }
    EXPECT_EQ(listed, trueType);
    EXPECT_TRUE(std::is_sorted(listed.begin(), listed.end()));

    // The veto sees every family; refused ones are gone, and a second build lists each once.
    int asked = 0;
    box->OnValidateFont = [&](vcl::TObject*, TZylFontClass* font, bool& accept) {
        ++asked;
        accept = font->Name().rfind("DejaVu", 0) != 0;
    };
    box->SetFilterOptions(kAllFontFilters);
    EXPECT_EQ(asked, static_cast<int>(families.size()));
    const Integer once = box->Items()->Count();
    box->ReBuild();
    EXPECT_EQ(box->Items()->Count(), once);
    EXPECT_EQ(box->FontList()->Count(), once);
    for (Integer i = 0; i < once; ++i)
        EXPECT_NE(box->Items()->Strings(i).rfind("DejaVu", 0), 0u);

    box->SetFontSelected("no such family");
    EXPECT_EQ(box->FontSelected(), "");
    box->SetFontSelected(box->Items()->Strings(once - 1));
    EXPECT_EQ(box->ItemIndex(), once - 1);
    box->Font()->SetSize(20);
    EXPECT_GT(box->ItemHeight(), 20);
}

TEST_F(FontListTest, RowsShowTheTechnologyGlyphAndName) {
    auto* combo = new TZylFontCombo(form);
    combo->SetParent(form);
    combo->SetBounds(10, 10, 200, 22);
    combo->SetDropDownCount(4);
    combo->SetFilterOptions({TZylFilterOption::ShowTrueType});
    ASSERT_GT(combo->Items()->Count(), 1);
    combo->SetFocus();
    PumpUntilIdle();
    auto list = DroppedList(combo);
    const Integer row = combo->ItemHeight();
    ASSERT_EQ(row, 16);
    auto pixel = [&](Integer x, Integer y) { return ListPixel(combo, *list, x, y); };
    // The TrueType glyph: a black T from (0, 1) across, white around it showing the row's colour.
    EXPECT_EQ(pixel(0, row + 1), RGBOf(vcl::clBlack));
    EXPECT_EQ(pixel(0, row + 0), RGBOf(vcl::clWindow));
    EXPECT_EQ(pixel(3, row + 5), RGBOf(vcl::clBlack));
    EXPECT_EQ(pixel(10, row + 5), 0x808080) << "the grey T";
    // The selected first row: the glyph's white turns to the highlight.
    EXPECT_EQ(pixel(0, 0), RGBOf(vcl::clHighlight));
    EXPECT_EQ(pixel(0, 1), RGBOf(vcl::clBlack));
    bool nameDrawn = false;
    for (Integer x = row + 2; x < row + 40 && !nameDrawn; ++x)
        for (Integer y = row; y < 2 * row; ++y)
            nameDrawn = nameDrawn || pixel(x, y) == RGBOf(vcl::clWindowText);
    EXPECT_TRUE(nameDrawn) << "the name right of the glyph";

    PressKey(win32::VK_DOWN);
    PressKey(win32::VK_RETURN);
    EXPECT_EQ(combo->FontSelected(), combo->Items()->Strings(1));
    combo->SetFontSelected(combo->Items()->Strings(0));
    EXPECT_EQ(combo->ItemIndex(), 0);
    combo->Font()->SetSize(20);
    EXPECT_EQ(combo->ItemHeight(), 16) << "the rows keep their height when the font changes";
}

}  // namespace

namespace pellic {
void Register();
}

namespace {

// ---------------------------------------------------------------------------------------------
// Forms and the palette

class ComboStreamingTest : public SelectionComboFixture {};

TEST_F(ComboStreamingTest, FormsKeepTheCombosSettings) {
    const std::string text =
        "object Prefs: TForm\n"
        "  object Auto1: TZylAutoCombo\n    Complete = False\n    MinComplete = 2\n  end\n"
        "  object Colors1: TZylColorCombo\n    ColorDisplayWidth = 20\n    SystemColors = False\n"
        "    ItemIndex = 10\n  end\n"
        "  object Fonts1: TZylFontCombo\n    FilterOptions = [ShowTrueType]\n  end\n"
        "  object FontBox1: TZylFontBox\n    OnValidateFont = OnlySerif\n  end\n"
        "end\n";
    vcl::TComponentPtr<vcl::TForm> loaded(new vcl::TForm(nullptr, 0));
    // A veto read with the form applies to the list from the start.
    loaded->RegisterMethod<TZylOnFontValidate>("OnlySerif",
                                               [](vcl::TObject*, TZylFontClass* font, bool& accept) {
                                                   accept = font->Name().find("Serif") != std::string::npos;
                                               });
    vcl::ReadComponentText(text, loaded.get());
    auto* autoCombo = dynamic_cast<TZylAutoCombo*>(loaded->FindComponent("Auto1"));
    auto* colors = dynamic_cast<TZylColorCombo*>(loaded->FindComponent("Colors1"));
    auto* fonts = dynamic_cast<TZylFontCombo*>(loaded->FindComponent("Fonts1"));
    ASSERT_TRUE(autoCombo && colors && fonts);
    EXPECT_FALSE(autoCombo->Complete());
    EXPECT_EQ(autoCombo->MinComplete(), 2);
    EXPECT_EQ(colors->Items()->Count(), 17);
    EXPECT_EQ(colors->ColorByName(), "Red");
    EXPECT_EQ(colors->ColorDisplayWidth(), 20);
    EXPECT_EQ(fonts->FilterOptions(), TZylFilterOptions{TZylFilterOption::ShowTrueType});
    auto* box = dynamic_cast<TZylFontBox*>(loaded->FindComponent("FontBox1"));
    ASSERT_NE(box, nullptr);
    ASSERT_GT(box->Items()->Count(), 0);
    for (Integer i = 0; i < box->Items()->Count(); ++i)
        EXPECT_NE(box->Items()->Strings(i).find("Serif"), std::string::npos) << box->Items()->Strings(i);

    const std::string written = vcl::ComponentToText(colors);
    EXPECT_NE(written.find("ItemIndex = 10"), std::string::npos) << written;
    EXPECT_EQ(written.find("ColorSelected"), std::string::npos) << "it follows ItemIndex";
}

TEST(ComboPalette, RegisterPlacesTheCombosInPaletteOrder) {
    pellic::Register();
    auto positionOn = [](const std::string& pageName, vcl::TClass cls) {
        for (const vcl::TPalettePage& page : vcl::Palette())
            if (page.name == pageName) {
                const auto found = std::find(page.classes.begin(), page.classes.end(), cls);
                if (found != page.classes.end()) return static_cast<int>(found - page.classes.begin());
            }
        return -1;
    };
    const int autoCombo = positionOn("Zyl Standard", TZylAutoCombo::StaticClass());
    ASSERT_GE(autoCombo, 0);
    EXPECT_EQ(positionOn("Zyl Standard", TZylSpinButton::StaticClass()), autoCombo - 1);
    EXPECT_EQ(positionOn("Zyl Standard", TZylColorCombo::StaticClass()), autoCombo + 1);
    EXPECT_EQ(positionOn("Zyl Standard", TZylFontCombo::StaticClass()), autoCombo + 2);
    EXPECT_EQ(positionOn("Zyl Standard", TZylFontBox::StaticClass()), autoCombo + 3);
    const int language = positionOn("Zyl Standard 2", TZylLanguageCombo::StaticClass());
    ASSERT_GE(language, 0);
    EXPECT_LT(language, positionOn("Zyl Standard 2", TZylExplorerView::StaticClass()));
    EXPECT_GT(positionOn("Zyl Standard 2", TZylPrinterCombo::StaticClass()),
              positionOn("Zyl Standard 2", TZylExplorerTree::StaticClass()));
}

}  // namespace
