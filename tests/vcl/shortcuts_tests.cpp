// Shortcuts: packing keys with modifiers and their menu text both ways.
#include <gtest/gtest.h>

#include "vcl/classes.h"
#include "win32/virtualkeys.h"

using namespace vcl;
using namespace win32;

TEST(ShortCuts, PackAndUnpackKeyAndModifiers) {
    EXPECT_EQ(ShortCut(VK_F1, {ssCtrl, ssShift}), VK_F1 | scCtrl | scShift);
    EXPECT_EQ(ShortCut('A', {ssAlt, ssLeft, ssDouble}), 'A' | scAlt);
    EXPECT_EQ(ShortCut(0x100, {ssCtrl}), 0) << "keys above a byte have no shortcut";
    Word key = 0;
    TShiftState shift{ssMiddle};
    ShortCutToKey(scAlt | scShift | VK_DELETE, key, shift);
    EXPECT_EQ(key, VK_DELETE);
    EXPECT_EQ(shift, (TShiftState{ssAlt, ssShift}));
}

TEST(ShortCuts, TextOfShortCuts) {
    struct Case {
        TShortCut shortCut;
        const char* text;
    };
    const Case cases[] = {
        {scCtrl | 'S', "Ctrl+S"},
        {scCtrl | scShift | VK_F1, "Shift+Ctrl+F1"},
        {scAlt | scCtrl | scShift | VK_BACK, "Shift+Ctrl+Alt+BkSp"},
        {VK_TAB, "Tab"},
        {VK_RETURN, "Enter"},
        {VK_ESCAPE, "Esc"},
        {VK_SPACE, "Space"},
        {VK_PRIOR, "PgUp"},
        {VK_NEXT, "PgDn"},
        {VK_END, "End"},
        {VK_HOME, "Home"},
        {VK_LEFT, "Left"},
        {VK_UP, "Up"},
        {VK_RIGHT, "Right"},
        {VK_DOWN, "Down"},
        {VK_INSERT, "Ins"},
        {scShift | VK_DELETE, "Shift+Del"},
        {'7', "7"},
        {VK_F12, "F12"},
        {VK_F24, "F24"},
        {VK_NUMPAD5, "Num 5"},
        {VK_ADD, "Num +"},
        {scCtrl | VK_OEM_PLUS, "Ctrl+="},
        {VK_OEM_MINUS, "-"},
        {VK_OEM_2, "/"},
        {VK_OEM_5, "\\"},
        {0, ""},
        {scCtrl, ""},
        {VK_LBUTTON, ""},
        {0xFF, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShortCutToText(c.shortCut), c.text) << std::hex << c.shortCut;
        if (*c.text) {
            EXPECT_EQ(TextToShortCut(c.text), c.shortCut) << c.text;
        }
    }
}

TEST(ShortCuts, ParsingIgnoresCaseAndModifierOrder) {
    EXPECT_EQ(TextToShortCut("ctrl+shift+f1"), scCtrl | scShift | VK_F1);
    EXPECT_EQ(TextToShortCut("ALT+x"), scAlt | 'X');
    EXPECT_EQ(TextToShortCut("^C"), scCtrl | 'C');
    EXPECT_EQ(TextToShortCut("Ctrl+Num +"), scCtrl | VK_ADD);
    EXPECT_EQ(TextToShortCut("Shift"), VK_SHIFT);
    EXPECT_EQ(TextToShortCut("Ctrl+Shift"), scCtrl | VK_SHIFT);
    for (const char* unknown : {"", "Ctrl+", "Foo", "Ctrl+Foo", "F99", " Ctrl+A", "Ctrl+A "})
        EXPECT_EQ(TextToShortCut(unknown), 0) << '"' << unknown << '"';
}

TEST(ShortCuts, EveryNamedKeyRoundTripsWithEveryModifierSet) {
    int named = 0;
    for (int key = 0; key <= 0xFF; ++key) {
        for (int modifiers : {0, int{scShift}, scCtrl | scAlt, scShift | scCtrl | scAlt}) {
            auto shortCut = static_cast<TShortCut>(key | modifiers);
            std::string text = ShortCutToText(shortCut);
            if (text.empty()) continue;
            ++named;
            EXPECT_EQ(TextToShortCut(text), shortCut) << text;
        }
    }
    EXPECT_GT(named, 4 * 100);
}
