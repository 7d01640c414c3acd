#include <memory>
#include <string>

#include "common_fixture.h"
#include "vcl/graphics.h"
#include "vcl/streaming.h"

namespace {

using namespace vcl;
using namespace win32;

class ColorDialogTest : public zyltest::CommonDialogTest {
protected:
    // The centre of a box of an 8-column grid 240 wide.
    void ClickBox(const std::string& grid, int index, int rows) {
        const int cellHeight = (grid == "BasicColors" ? 132 : 44) / rows;
        ClickPart("ColorDlg", grid, (index % 8) * 30 + 15, (index / 8) * cellHeight + cellHeight / 2);
    }

    static std::string EditText(const char* name) { return Part<TEdit>("ColorDlg", name)->Text(); }

    TComponentPtr<TColorDialog> dialog_{new TColorDialog(nullptr)};
};

TEST_F(ColorDialogTest, ClickedBasicColourIsReturnedOnOk) {
    ClickBox("BasicColors", 8, 6);  // pure red
    ClickPart("ColorDlg", "OK");
    EXPECT_TRUE(dialog_->Execute());
    EXPECT_EQ(dialog_->Color(), clRed);
    EXPECT_EQ(loops_.front(), "ColorDlg");
    EXPECT_EQ(dialog_->DialogForm(), nullptr);
    EXPECT_EQ(Dialog("ColorDlg"), nullptr);
    // The custom colours are written out, all sixteen, as the framework stores them.
    ASSERT_EQ(dialog_->CustomColors()->Count(), 16);
    EXPECT_EQ(dialog_->CustomColors()->Strings(0), "ColorA=FFFFFF");
    EXPECT_EQ(dialog_->CustomColors()->Strings(15), "ColorP=FFFFFF");
}

TEST_F(ColorDialogTest, CancelAndEscapeLeaveEveryPropertyAlone) {
    dialog_->SetColor(clNavy);
    dialog_->CustomColors()->Add("ColorB=123456");
    ClickBox("BasicColors", 0, 6);
    ClickPart("ColorDlg", "Cancel");
    EXPECT_FALSE(dialog_->Execute());
    ClickBox("BasicColors", 47, 6);
    Press(VK_ESCAPE);
    EXPECT_FALSE(dialog_->Execute());
    EXPECT_EQ(dialog_->Color(), clNavy);
    ASSERT_EQ(dialog_->CustomColors()->Count(), 1);
    EXPECT_EQ(dialog_->CustomColors()->Strings(0), "ColorB=123456");
}

TEST_F(ColorDialogTest, ArrowKeysMoveThroughTheGridAndEnterAccepts) {
    dialog_->SetColor(static_cast<TColor>(RGB(255, 128, 128)));  // the first basic colour
    struct Move {
        int key;
        COLORREF expected;
    };
    const Move moves[] = {
        {VK_RIGHT, RGB(255, 255, 128)},  // 1
        {VK_DOWN, RGB(255, 255, 0)},     // 9
        {VK_LEFT, RGB(255, 0, 0)},       // 8
        {VK_UP, RGB(255, 128, 128)},     // 0
        {VK_UP, RGB(255, 128, 128)},     // stays in the top row
        {VK_LEFT, RGB(255, 128, 128)},   // stays at the first box
        {VK_END, RGB(255, 255, 255)},    // 47
        {VK_DOWN, RGB(255, 255, 255)},   // stays in the bottom row
        {VK_HOME, RGB(255, 128, 128)},
    };
    std::vector<std::string> reds;
    for (const Move& move : moves) {
        Press(move.key);
        Look([&] { reds.push_back(EditText("Red") + "," + EditText("Green") + "," + EditText("Blue")); });
    }
    Press(VK_END);
    Press(VK_RETURN);
    EXPECT_TRUE(dialog_->Execute());
    EXPECT_EQ(dialog_->Color(), clWhite);
    ASSERT_EQ(reds.size(), std::size(moves));
    for (size_t i = 0; i < std::size(moves); ++i) {
        const COLORREF c = moves[i].expected;
        EXPECT_EQ(reds[i], std::to_string(GetRValue(c)) + "," + std::to_string(GetGValue(c)) + "," +
                               std::to_string(GetBValue(c)))
            << "move " << i;
    }
}

TEST_F(ColorDialogTest, SystemColourIsShownAndReturnedAsItsRgb) {
    dialog_->SetColor(clBtnFace);
    const TColor rgb = static_cast<TColor>(ColorToRGB(clBtnFace));
    std::string shown;
    Look([&] { shown = EditText("Red") + "," + EditText("Green") + "," + EditText("Blue"); });
    ClickPart("ColorDlg", "OK");
    EXPECT_TRUE(dialog_->Execute());
    EXPECT_EQ(dialog_->Color(), rgb);
    EXPECT_EQ(shown, std::to_string(GetRValue(rgb)) + "," + std::to_string(GetGValue(rgb)) + "," +
                         std::to_string(GetBValue(rgb)));
}

TEST_F(ColorDialogTest, CustomColoursAreReadWrittenAndSelectable) {
    dialog_->CustomColors()->SetText("ColorA=808022\nColorC=zz\nColorD=\nColorP=0000FF\n");
    dialog_->SetColor(static_cast<TColor>(0x808022));
    // Not a basic colour, so the custom box holding it is the selected one: framed in black.
    TColor selectedFrame = clNone, otherFrame = clNone, basicFrame = clNone;
    Look([&] {
        auto image = Dialog("ColorDlg")->GetFormImage();
        selectedFrame = image->Canvas()->Pixels(6 + 10, 178 + 1);
        otherFrame = image->Canvas()->Pixels(6 + 30 + 10, 178 + 1);
        basicFrame = image->Canvas()->Pixels(6 + 10, 22 + 1);
    });
    ClickBox("CustomColors", 15, 2);  // ColorP
    ClickPart("ColorDlg", "OK");
    EXPECT_TRUE(dialog_->Execute());
    EXPECT_EQ(selectedFrame, clBlack);
    EXPECT_EQ(otherFrame, static_cast<TColor>(ColorToRGB(clBtnFace)));
    EXPECT_EQ(basicFrame, static_cast<TColor>(ColorToRGB(clBtnFace)));
    EXPECT_EQ(dialog_->Color(), clRed);
    TStrings* custom = dialog_->CustomColors();
    ASSERT_EQ(custom->Count(), 16);
    EXPECT_EQ(custom->Values("ColorA"), "808022");
    EXPECT_EQ(custom->Values("ColorB"), "FFFFFF");  // missing
    EXPECT_EQ(custom->Values("ColorC"), "FFFFFF");  // not hexadecimal
    EXPECT_EQ(custom->Values("ColorD"), "FFFFFF");  // empty
    EXPECT_EQ(custom->Values("ColorP"), "0000FF");
}

TEST_F(ColorDialogTest, TypedRgbAndHslValuesDefineTheColour) {
    dialog_->SetOptions(TColorDialogOptions{cdFullOpen});
    struct Case {
        const char* field;
        const char* value;
        const char* hue;
        const char* sat;
        const char* lum;
        const char* red;
        const char* green;
        const char* blue;
    };
    // Each row changes one field of the colour left by the row before.
    const Case cases[] = {
        {"Red", "255", "0", "240", "120", "255", "0", "0"},
        {"Hue", "80", "80", "240", "120", "0", "255", "0"},
        {"Hue", "160", "160", "240", "120", "0", "0", "255"},
        {"Lum", "240", "160", "240", "240", "255", "255", "255"},
        {"Lum", "0", "160", "240", "0", "0", "0", "0"},
        {"Red", "128", "0", "240", "60", "128", "0", "0"},
        {"Green", "128", "40", "240", "60", "128", "128", "0"},
        {"Blue", "128", "160", "0", "120", "128", "128", "128"},
        {"Sat", "240", "160", "240", "120", "0", "0", "255"},
        // Taken as 255; the edit being typed in is rewritten only when it loses the focus.
        {"Red", "999", "200", "240", "120", "999", "0", "255"},
    };
    std::vector<std::string> rows;
    Look([&] {
        EXPECT_EQ(Dialog("ColorDlg")->ClientWidth(), 486);
        EXPECT_TRUE(Part<TEdit>("ColorDlg", "Hue")->Visible());
        EXPECT_FALSE(Part<TButton>("ColorDlg", "DefineCustom")->Enabled());
    });
    for (const Case& c : cases) {
        TypeInto("ColorDlg", c.field, c.value);
        Look([&] {
            rows.push_back(EditText("Hue") + "," + EditText("Sat") + "," + EditText("Lum") + "," +
                           EditText("Red") + "," + EditText("Green") + "," + EditText("Blue"));
        });
    }
    std::string redAfterLeaving;
    Press(VK_TAB);
    Look([&] { redAfterLeaving = EditText("Red"); });
    ClickPart("ColorDlg", "OK");
    EXPECT_TRUE(dialog_->Execute());
    EXPECT_EQ(redAfterLeaving, "255");
    ASSERT_EQ(rows.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(rows[i],
                  std::string(c.hue) + "," + c.sat + "," + c.lum + "," + c.red + "," + c.green + "," + c.blue)
            << c.field << " = " << c.value;
    }
    EXPECT_EQ(dialog_->Color(), clFuchsia);
}

TEST_F(ColorDialogTest, DefiningOpensThePaneAndAddsToCustomColours) {
    Look([&] { EXPECT_FALSE(Part<TEdit>("ColorDlg", "Red")->Visible()); });
    ClickPart("ColorDlg", "DefineCustom");
    Look([&] {
        EXPECT_TRUE(Part<TEdit>("ColorDlg", "Red")->Visible());
        EXPECT_EQ(Dialog("ColorDlg")->ClientWidth(), 486);
    });
    TypeInto("ColorDlg", "Red", "10");
    TypeInto("ColorDlg", "Green", "20");
    TypeInto("ColorDlg", "Blue", "30");
    ClickPart("ColorDlg", "AddToCustom");
    TypeInto("ColorDlg", "Blue", "40");
    ClickPart("ColorDlg", "AddToCustom");
    ClickBox("CustomColors", 5, 2);
    ClickBox("BasicColors", 0, 6);
    ClickBox("CustomColors", 5, 2);  // selected custom box receives the next colour
    TypeInto("ColorDlg", "Red", "50");
    ClickPart("ColorDlg", "AddToCustom");
    ClickPart("ColorDlg", "OK");
    EXPECT_TRUE(dialog_->Execute());
    EXPECT_EQ(dialog_->Color(), static_cast<TColor>(RGB(50, 255, 255)));
    EXPECT_EQ(dialog_->CustomColors()->Values("ColorA"), "1E140A");
    EXPECT_EQ(dialog_->CustomColors()->Values("ColorB"), "28140A");
    EXPECT_EQ(dialog_->CustomColors()->Values("ColorF"), "FFFF32");
}

TEST_F(ColorDialogTest, PreventFullOpenKeepsThePaneClosed) {
    dialog_->SetOptions(TColorDialogOptions{cdFullOpen, cdPreventFullOpen, cdShowHelp});
    dialog_->SetHelpContext(42);
    ClickPart("ColorDlg", "DefineCustom");  // disabled: nothing happens
    Look([&] {
        EXPECT_FALSE(Part<TButton>("ColorDlg", "DefineCustom")->Enabled());
        EXPECT_FALSE(Part<TEdit>("ColorDlg", "Red")->Visible());
        EXPECT_EQ(Dialog("ColorDlg")->ClientWidth(), 252);
    });
    ClickPart("ColorDlg", "Help");
    ClickPart("ColorDlg", "Cancel");
    EXPECT_FALSE(dialog_->Execute());
    ASSERT_FALSE(Application->HelpRequests().empty());
    EXPECT_EQ(Application->HelpRequests().back().data, 42);
}

TEST_F(ColorDialogTest, SpectrumAndLuminanceFollowTheMouse) {
    dialog_->SetOptions(TColorDialogOptions{cdFullOpen});
    ClickPart("ColorDlg", "Spectrum", 2, 2);  // hue 0, full saturation
    std::string afterSpectrum;
    Look([&] { afterSpectrum = EditText("Hue") + "," + EditText("Sat") + "," + EditText("Lum"); });
    ClickPart("ColorDlg", "Luminance", 5, 2);  // the top of the bar is white
    ClickPart("ColorDlg", "OK");
    EXPECT_TRUE(dialog_->Execute());
    EXPECT_EQ(afterSpectrum, "0,240,0");  // black keeps its luminance
    EXPECT_EQ(dialog_->Color(), clWhite);
}

TEST_F(ColorDialogTest, ShowAndCloseEventsSurroundTheForm) {
    std::vector<std::string> events;
    dialog_->OnShow = [&](TObject* sender) {
        EXPECT_EQ(sender, dialog_.get());
        events.push_back(dialog_->DialogForm() ? "show with form" : "show without form");
    };
    dialog_->OnClose = [&](TObject*) { events.push_back("close"); };
    Look([&] { events.push_back("user"); });
    Press(VK_ESCAPE);
    EXPECT_FALSE(dialog_->Execute());
    EXPECT_EQ(events, (std::vector<std::string>{"show with form", "user", "close"}));
}

TEST_F(ColorDialogTest, StreamsWithTheFrameworksNamesAndDefaults) {
    TComponentPtr<TForm> owner(new TForm(nullptr, 0));
    TForm* form = owner.get();
    form->SetName("Form1");
    auto* color = new TColorDialog(form);
    color->SetName("ColorDialog1");
    color->SetColor(clTeal);
    color->CustomColors()->Add("ColorA=808022");
    color->SetOptions(TColorDialogOptions{cdFullOpen, cdAnyColor});
    auto* font = new TFontDialog(form);
    font->SetName("FontDialog1");
    font->SetMinFontSize(8);
    font->SetOptions(TFontDialogOptions{fdEffects, fdLimitSize});
    auto* save = new TSaveDialog(form);
    save->SetName("SaveDialog1");
    save->SetFilter("Text|*.txt");
    save->SetDefaultExt("txt");
    save->SetOptions(TOpenOptions{ofHideReadOnly, ofOverwritePrompt});
    const std::string text = ComponentToText(form);
    EXPECT_NE(text.find("object ColorDialog1: TColorDialog"), std::string::npos) << text;
    EXPECT_NE(text.find("Color = clTeal"), std::string::npos) << text;
    EXPECT_NE(text.find("Options = [cdFullOpen, cdAnyColor]"), std::string::npos) << text;
    EXPECT_NE(text.find("Options = [fdEffects, fdLimitSize]"), std::string::npos) << text;
    EXPECT_NE(text.find("Options = [ofOverwritePrompt, ofHideReadOnly]"), std::string::npos) << text;
    EXPECT_EQ(text.find("Ctl3D"), std::string::npos) << text;  // defaults are not written
    EXPECT_EQ(text.find("FilterIndex"), std::string::npos) << text;

    owner.reset();
    TComponentPtr<TForm> copyOwner(new TForm(nullptr, 0));
    TForm* copy = copyOwner.get();
    ReadComponentText(text, copy);
    auto* readColor = dynamic_cast<TColorDialog*>(copy->FindComponent("ColorDialog1"));
    auto* readFont = dynamic_cast<TFontDialog*>(copy->FindComponent("FontDialog1"));
    auto* readSave = dynamic_cast<TSaveDialog*>(copy->FindComponent("SaveDialog1"));
    ASSERT_TRUE(readColor && readFont && readSave);
    EXPECT_EQ(readColor->Color(), clTeal);
    ASSERT_EQ(readColor->CustomColors()->Count(), 1);
    EXPECT_EQ(readColor->CustomColors()->Strings(0), "ColorA=808022");
    EXPECT_EQ(readColor->Options(), (TColorDialogOptions{cdFullOpen, cdAnyColor}));
    EXPECT_EQ(readFont->MinFontSize(), 8);
    EXPECT_EQ(readFont->Options(), (TFontDialogOptions{fdEffects, fdLimitSize}));
    EXPECT_EQ(readSave->Filter(), "Text|*.txt");
    EXPECT_EQ(readSave->DefaultExt(), "txt");
    EXPECT_EQ(readSave->Options(), (TOpenOptions{ofHideReadOnly, ofOverwritePrompt}));
    EXPECT_EQ(readSave->FilterIndex(), 1);
}

}  // namespace
