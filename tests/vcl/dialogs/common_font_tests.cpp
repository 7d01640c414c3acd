#include <memory>
#include <string>

#include "common_fixture.h"
#include "vcl/graphics.h"

namespace {

using namespace vcl;
using namespace win32;

class FontDialogTest : public zyltest::CommonDialogTest {
protected:
    void SetUp() override {
        CommonDialogTest::SetUp();
        dialog_->Font()->SetName("Arial");
        dialog_->Font()->SetSize(10);
        dialog_->Font()->SetStyle(TFontStyles{fsUnderline});
        dialog_->Font()->SetColor(clWindowText);
    }

    static TListBox* List(const char* name) { return Part<TListBox>("FontDlg", name); }
    static std::vector<std::string> Items(const char* name) {
        std::vector<std::string> items;
        TListBox* list = List(name);
        for (Integer i = 0; i < list->Items()->Count(); ++i)
            items.push_back(list->Items()->Strings(i));
        return items;
    }
    static bool Has(const std::vector<std::string>& items, const std::string& item) {
        return std::find(items.begin(), items.end(), item) != items.end();
    }

    // Clicks the row of a list that shows `text`.
    void ClickItem(std::string list, std::string text) {
        Step([list, text] {
            TListBox* box = List(list.c_str());
            ASSERT_NE(box, nullptr) << list;
            const int index = box->Items()->IndexOf(text);
            ASSERT_GE(index, 0) << text;
            box->SetTopIndex(index);
            const TRect row = box->ItemRect(index);
            const TPoint p = box->ClientToScreen(Point(row.left + 5, (row.top + row.bottom) / 2));
            win32::input::Click(p.x, p.y);
        });
    }

    TComponentPtr<TFontDialog> dialog_{new TFontDialog(nullptr)};
};

TEST_F(FontDialogTest, OkWithoutChangesKeepsTheFontExactly) {
    dialog_->Font()->SetHeight(-13);
    dialog_->Font()->SetCharset(SYMBOL_CHARSET);
    std::string face, style, size;
    Look([&] {
        face = Part<TEdit>("FontDlg", "FaceEdit")->Text();
        style = Part<TEdit>("FontDlg", "StyleEdit")->Text();
        size = Part<TEdit>("FontDlg", "SizeEdit")->Text();
    });
    ClickPart("FontDlg", "OK");
    EXPECT_TRUE(dialog_->Execute());
    EXPECT_EQ(face, "Arial");
    EXPECT_EQ(style, "Regular");
    EXPECT_EQ(size, "10");
    EXPECT_EQ(dialog_->Font()->Name(), "Arial");
    EXPECT_EQ(dialog_->Font()->Height(), -13);
    EXPECT_EQ(dialog_->Font()->Style(), TFontStyles{fsUnderline});
    EXPECT_EQ(dialog_->Font()->Color(), clWindowText);  // not turned into its RGB
    EXPECT_EQ(dialog_->Font()->Charset(), SYMBOL_CHARSET);
}

TEST_F(FontDialogTest, ListsChooseFaceStyleAndSize) {
    std::vector<std::string> faces, rasterSizes, scalableSizes;
    Look([&] { faces = Items("FaceList"); });
    ClickItem("FaceList", "MS Sans Serif");
    Look([&] { rasterSizes = Items("SizeList"); });
    ClickItem("FaceList", "Times New Roman");
    Look([&] { scalableSizes = Items("SizeList"); });
    ClickItem("StyleList", "Bold Italic");
    ClickItem("SizeList", "14");
    ClickPart("FontDlg", "Strikeout");
    ClickPart("FontDlg", "Underline");
    ClickPart("FontDlg", "OK");
    EXPECT_TRUE(dialog_->Execute());
    EXPECT_TRUE(Has(faces, "Arial"));
    EXPECT_TRUE(Has(faces, "Courier New"));
    EXPECT_TRUE(Has(faces, "MS Sans Serif"));
    EXPECT_TRUE(std::is_sorted(faces.begin(), faces.end(), [](const std::string& a, const std::string& b) {
        return CompareText(a, b) < 0;
    }));
    EXPECT_EQ(rasterSizes, (std::vector<std::string>{"8", "10", "12", "14", "18", "24"}));
    EXPECT_EQ(scalableSizes.size(), 16u);
    EXPECT_EQ(scalableSizes.front(), "8");
    EXPECT_EQ(scalableSizes.back(), "72");
    EXPECT_EQ(dialog_->Font()->Name(), "Times New Roman");
    EXPECT_EQ(dialog_->Font()->Size(), 14);
    EXPECT_EQ(dialog_->Font()->Style(), (TFontStyles{fsBold, fsItalic, fsStrikeOut}));
}

TEST_F(FontDialogTest, TypingAFacePrefixSelectsTheFirstMatch) {
    std::string selected, sizeSelected;
    TypeInto("FontDlg", "FaceEdit", "cour");
    Look([&] {
        TListBox* list = List("FaceList");
        selected = list->ItemIndex() >= 0 ? list->Items()->Strings(list->ItemIndex()) : "";
    });
    TypeInto("FontDlg", "SizeEdit", "12");
    Look([&] {
        TListBox* list = List("SizeList");
        sizeSelected = list->ItemIndex() >= 0 ? list->Items()->Strings(list->ItemIndex()) : "";
    });
    TypeInto("FontDlg", "FaceEdit", "Courier New");
    Press(VK_RETURN);
    EXPECT_TRUE(dialog_->Execute());
    EXPECT_EQ(selected, "Courier");
    EXPECT_EQ(sizeSelected, "12");
    EXPECT_EQ(dialog_->Font()->Name(), "Courier New");
    EXPECT_EQ(dialog_->Font()->Size(), 12);
}

TEST_F(FontDialogTest, BadSizesAreRefusedWithAMessage) {
    dialog_->SetOptions(TFontDialogOptions{fdEffects, fdLimitSize});
    dialog_->SetMinFontSize(8);
    dialog_->SetMaxFontSize(12);
    struct Case {
        const char* typed;
        const char* message;
    };
    const Case cases[] = {
        {"big", "Size must be a number."},
        {"20", "Size must be between 8 and 12 points."},
        {"7", "Size must be between 8 and 12 points."},
    };
    std::vector<std::string> messages;
    std::vector<std::string> sizes;
    Look([&] { sizes = Items("SizeList"); });
    for (const Case& c : cases) {
        TypeInto("FontDlg", "SizeEdit", c.typed);
        ClickPart("FontDlg", "OK");
        Step([&] {
            auto* text = Part<TLabel>("MessageDlg", "Message");
            ASSERT_NE(text, nullptr);
            messages.push_back(text->Caption());
            win32::input::PressKey(VK_RETURN);
        });
    }
    TypeInto("FontDlg", "SizeEdit", "11");
    ClickPart("FontDlg", "OK");
    EXPECT_TRUE(dialog_->Execute());
    EXPECT_EQ(sizes, (std::vector<std::string>{"8", "9", "10", "11", "12"}));
    ASSERT_EQ(messages.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(messages[i], cases[i].message) << cases[i].typed;
    EXPECT_EQ(LoopCount("MessageDlg"), 3);
    EXPECT_EQ(dialog_->Font()->Size(), 11);
}

TEST_F(FontDialogTest, UnknownFaceIsTakenUnlessItMustExist) {
    TypeInto("FontDlg", "FaceEdit", "No Such Face");
    ClickPart("FontDlg", "OK");
    EXPECT_TRUE(dialog_->Execute());
    EXPECT_EQ(dialog_->Font()->Name(), "No Such Face");

    dialog_->Font()->SetName("Arial");
    dialog_->SetOptions(TFontDialogOptions{fdEffects, fdForceFontExist});
    std::string message;
    TypeInto("FontDlg", "FaceEdit", "No Such Face");
    ClickPart("FontDlg", "OK");
    Step([&] {
        message = Part<TLabel>("MessageDlg", "Message")->Caption();
        Dialog("MessageDlg")->SetModalResult(mrOk);
    });
    Press(VK_ESCAPE);
    EXPECT_FALSE(dialog_->Execute());
    EXPECT_EQ(message, "There is no font with that name.\nChoose a font from the list of fonts.");
    EXPECT_EQ(dialog_->Font()->Name(), "Arial");
}

TEST_F(FontDialogTest, OptionsFilterTheFaces) {
    struct Case {
        TFontDialogOption option;
        const char* kept;
        const char* dropped;
    };
    const Case cases[] = {
        {fdFixedPitchOnly, "Courier New", "Arial"},
        {fdScalableOnly, "Arial", "MS Sans Serif"},
        {fdTrueTypeOnly, "Times New Roman", "System"},
    };
    for (const Case& c : cases) {
        dialog_->SetOptions(TFontDialogOptions{c.option});
        std::vector<std::string> faces;
        Look([&] { faces = Items("FaceList"); });
        Press(VK_ESCAPE);
        EXPECT_FALSE(dialog_->Execute());
        EXPECT_TRUE(Has(faces, c.kept)) << c.kept;
        EXPECT_FALSE(Has(faces, c.dropped)) << c.dropped;
    }
}

TEST_F(FontDialogTest, EffectsColourAndTheirAbsence) {
    std::string initial;
    Look([&] {
        auto* combo = Part<TComboBox>("FontDlg", "ColorCombo");
        initial = combo->Items()->Strings(combo->ItemIndex());
        combo->SetFocus();
        combo->SetItemIndex(combo->Items()->IndexOf("Red"));
    });
    ClickPart("FontDlg", "OK");
    EXPECT_TRUE(dialog_->Execute());
    EXPECT_EQ(initial, "Black");
    EXPECT_EQ(dialog_->Font()->Color(), clRed);

    // Without effects the dialog has no effect controls and keeps the font's effects.
    dialog_->SetOptions(TFontDialogOptions{});
    dialog_->Font()->SetStyle(TFontStyles{fsStrikeOut, fsUnderline});
    bool hasEffects = true;
    Look([&] { hasEffects = Part<TCheckBox>("FontDlg", "Underline") != nullptr; });
    ClickItem("StyleList", "Bold");
    ClickPart("FontDlg", "OK");
    EXPECT_TRUE(dialog_->Execute());
    EXPECT_FALSE(hasEffects);
    EXPECT_EQ(dialog_->Font()->Style(), (TFontStyles{fsBold, fsStrikeOut, fsUnderline}));
    EXPECT_EQ(dialog_->Font()->Color(), clRed);
}

TEST_F(FontDialogTest, ColourOutsideTheListSurvives) {
    dialog_->Font()->SetColor(static_cast<TColor>(0x123456));
    std::string shown;
    Look([&] {
        auto* combo = Part<TComboBox>("FontDlg", "ColorCombo");
        shown = combo->Items()->Strings(combo->ItemIndex());
    });
    ClickPart("FontDlg", "OK");
    EXPECT_TRUE(dialog_->Execute());
    EXPECT_EQ(shown, "Custom");
    EXPECT_EQ(dialog_->Font()->Color(), static_cast<TColor>(0x123456));
}

TEST_F(FontDialogTest, CancelLeavesTheFontAlone) {
    ClickItem("FaceList", "Courier New");
    ClickItem("StyleList", "Bold");
    ClickPart("FontDlg", "Underline");
    ClickPart("FontDlg", "Cancel");
    EXPECT_FALSE(dialog_->Execute());
    EXPECT_EQ(dialog_->Font()->Name(), "Arial");
    EXPECT_EQ(dialog_->Font()->Size(), 10);
    EXPECT_EQ(dialog_->Font()->Style(), TFontStyles{fsUnderline});
}

TEST_F(FontDialogTest, ApplyHandsTheChosenFontToTheHandler) {
    dialog_->SetOptions(TFontDialogOptions{fdEffects, fdApplyButton});
    std::vector<std::string> applied;
    HWND dialogWindow = nullptr, seenWindow = nullptr;
    dialog_->OnApply = [&](TObject* sender, HWND wnd) {
        EXPECT_EQ(sender, dialog_.get());
        seenWindow = wnd;
        applied.push_back(dialog_->Font()->Name() + " " + std::to_string(dialog_->Font()->Size()));
    };
    ClickItem("FaceList", "Verdana");
    ClickItem("SizeList", "18");
    ClickPart("FontDlg", "Apply");
    Look([&] { dialogWindow = Dialog("FontDlg")->Handle(); });
    ClickPart("FontDlg", "Cancel");
    EXPECT_FALSE(dialog_->Execute());
    EXPECT_EQ(applied, (std::vector<std::string>{"Verdana 18"}));
    EXPECT_NE(seenWindow, nullptr);
    EXPECT_EQ(seenWindow, dialogWindow);
}

TEST_F(FontDialogTest, NoSelectionOptionsLeaveEditsEmptyAndKeepTheFont) {
    dialog_->SetOptions(TFontDialogOptions{fdNoFaceSel, fdNoStyleSel, fdNoSizeSel});
    dialog_->Font()->SetStyle(TFontStyles{fsItalic});
    std::string texts = "unset";
    Look([&] {
        texts = Part<TEdit>("FontDlg", "FaceEdit")->Text() + "|" +
                Part<TEdit>("FontDlg", "StyleEdit")->Text() + "|" +
                Part<TEdit>("FontDlg", "SizeEdit")->Text();
    });
    ClickPart("FontDlg", "OK");
    EXPECT_TRUE(dialog_->Execute());
    EXPECT_EQ(texts, "||");
    EXPECT_EQ(dialog_->Font()->Name(), "Arial");
    EXPECT_EQ(dialog_->Font()->Style(), TFontStyles{fsItalic});
    EXPECT_EQ(dialog_->Font()->Size(), 10);
}

TEST_F(FontDialogTest, SampleShowsTheChoiceInItsFont) {
    dialog_->Font()->SetColor(clNavy);
    TColor inkBefore = clNone, inkAfter = clNone;
    auto inkOf = [](TColor& ink) {
        auto* group = Part<TWinControl>("FontDlg", "SampleGroup");
        auto image = std::make_unique<TBitmap>();
        image->SetSize(group->Width(), group->Height());
        group->PaintTo(image->Canvas(), 0, 0);
        // Any pixel that is neither face nor frame is ink of the sample text.
        const TColor face = static_cast<TColor>(ColorToRGB(clBtnFace));
        for (int y = 22; y < group->Height() - 10 && ink == clNone; ++y)
            for (int x = 14; x < group->Width() - 14; ++x) {
                const TColor pixel = image->Canvas()->Pixels(x, y);
                if (pixel != face && pixel != static_cast<TColor>(ColorToRGB(clBtnShadow)) &&
                    pixel != static_cast<TColor>(ColorToRGB(clBtnHighlight)) &&
                    pixel != static_cast<TColor>(ColorToRGB(cl3DDkShadow)) &&
                    pixel != static_cast<TColor>(ColorToRGB(cl3DLight))) {
                    ink = pixel;
                    break;
                }
            }
    };
    Look([&] { inkOf(inkBefore); });
    Step([&] {
        auto* combo = Part<TComboBox>("FontDlg", "ColorCombo");
        combo->SetFocus();
        win32::input::PressKey(VK_DOWN);  // Navy -> Purple
    });
    Look([&] { inkOf(inkAfter); });
    Press(VK_ESCAPE);
    EXPECT_FALSE(dialog_->Execute());
    EXPECT_EQ(inkBefore, clNavy);
    EXPECT_EQ(inkAfter, clPurple);
}

}  // namespace
