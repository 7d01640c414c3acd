// DrawText/DrawTextEx, GetTabbedTextExtent and DrawState against the values of Wine's text tests.
// No check depends on a font's exact widths: extents are compared with ones measured on the same DC.
#include <gtest/gtest.h>

#include <cstring>

#include "win32/gdi.h"
#include "win32/kernel.h"

namespace conf_drawtext {

using namespace win32;

class ConfDrawText : public ::testing::Test {
protected:
    void SetUp() override {
        win32::testing::ResetPlatform();
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateBitmap(200, 200, 1, 32, nullptr);
        oldBitmap_ = SelectObject(dc_, bitmap_);
        LOGFONT logFont{};
        logFont.lfHeight = -12;
        std::strncpy(logFont.lfFaceName, "Arial", LF_FACESIZE - 1);
        font_ = CreateFontIndirect(&logFont);
        oldFont_ = SelectObject(dc_, font_);
        TEXTMETRIC metrics{};
        GetTextMetrics(dc_, &metrics);
        lineHeight_ = metrics.tmHeight;
        ASSERT_GT(lineHeight_, 0);
    }
    void TearDown() override {
        SelectObject(dc_, oldFont_);
        SelectObject(dc_, oldBitmap_);
        DeleteObject(font_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
        win32::testing::ResetPlatform();
    }
    static bool Untouched(const RECT& r) {
        return r.left == 10 && r.top == 10 && r.right == 100 && r.bottom == 100;
    }
    static bool Collapsed(const RECT& r) { return r.left == r.right && r.top == r.bottom; }

    HDC dc_ = nullptr;
    int lineHeight_ = 0;

private:
    HBITMAP bitmap_ = nullptr;
    HFONT font_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr, oldFont_ = nullptr;
};

constexpr char kText[] = "Example text for testing DrawText";

// Wine: test_DrawTextCalcRect — no characters, empty strings and null text, with and without
// DT_CALCRECT and DT_SINGLELINE.
TEST_F(ConfDrawText, NothingToDrawMeasuresAsWin32Does) {
    enum class Shape { Untouched, Collapsed, OneLine };
    struct Case {
        const char* text;
        int count;
        UINT format;
        bool height;  // a line's height returned, or 0
        Shape rect;
    };
    const Case cases[] = {
        {kText, 0, DT_CALCRECT, false, Shape::Untouched},
        {"", -1, DT_CALCRECT, true, Shape::Collapsed},
        {nullptr, -1, DT_CALCRECT, true, Shape::Collapsed},
        {nullptr, 0, DT_CALCRECT, false, Shape::Untouched},
        {kText, 0, DT_CALCRECT | DT_SINGLELINE, false, Shape::Untouched},
        {"", -1, DT_CALCRECT | DT_SINGLELINE, true, Shape::OneLine},
        {nullptr, -1, DT_CALCRECT | DT_SINGLELINE, true, Shape::OneLine},
        {nullptr, 0, DT_CALCRECT | DT_SINGLELINE, false, Shape::Untouched},
        {kText, 0, 0, false, Shape::Untouched},
        {"", 0, 0, false, Shape::Untouched},
        {nullptr, 0, 0, false, Shape::Untouched},
        {"", -1, 0, true, Shape::Untouched},
        {nullptr, -1, 0, true, Shape::Untouched},
        {nullptr, 10, 0, false, Shape::Untouched},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << (c.text ? c.text : "(null)") << " count " << c.count
                                          << " format 0x" << std::hex << c.format);
        RECT rect{10, 10, 100, 100};
        const int height = DrawText(dc_, c.text, c.count, &rect, c.format);
        RECT rectEx{10, 10, 100, 100};
        EXPECT_EQ(DrawTextEx(dc_, c.text, c.count, &rectEx, c.format, nullptr), height);
        EXPECT_EQ(height != 0, c.height);
        switch (c.rect) {
            case Shape::Untouched:
                EXPECT_TRUE(Untouched(rect));
                break;
            case Shape::Collapsed:
                EXPECT_TRUE(Collapsed(rect));
                break;
            case Shape::OneLine:
                EXPECT_EQ(rect.left, 10);
                EXPECT_EQ(rect.top, 10);
                EXPECT_EQ(rect.right, 10);
                EXPECT_EQ(rect.bottom, 10 + lineHeight_);
                break;
        }
    }
}

// Wine: test_DrawTextCalcRect — the bottom of a line placed by DT_BOTTOM or DT_VCENTER, from the
// rectangle's top, is returned, and 1 instead of 0.
TEST_F(ConfDrawText, PlacedSingleLineReturnsItsOffsetAndNeverZero) {
    RECT rect{0, 0, 0, 0};
    EXPECT_EQ(DrawText(dc_, kText, -1, &rect, DT_SINGLELINE | DT_CALCRECT | DT_BOTTOM), 1);
    rect = RECT{0, 100, 0, 100};
    EXPECT_EQ(DrawText(dc_, kText, -1, &rect, DT_SINGLELINE | DT_CALCRECT | DT_BOTTOM), 1);
    rect = RECT{0, 0, 0, 0};
    const int height = DrawText(dc_, kText, -1, &rect, DT_SINGLELINE | DT_CALCRECT | DT_TOP);
    EXPECT_EQ(height, lineHeight_);
    rect = RECT{0, height, 0, 0};
    EXPECT_EQ(DrawText(dc_, kText, -1, &rect, DT_SINGLELINE | DT_CALCRECT | DT_VCENTER), 1);
}

// Wine: test_DrawTextCalcRect — a DRAWTEXTPARAMS of the wrong size fails the call untouched, and the
// margins widen the measured rectangle.
TEST_F(ConfDrawText, DrawTextParamsSizeAndMargins) {
    DRAWTEXTPARAMS params{};
    params.cbSize = static_cast<UINT>(-1);
    RECT rect{0, 0, 100, 100};
    for (const char* text : {static_cast<const char*>(kText), "", static_cast<const char*>(nullptr)}) {
        for (int count : {0, -1}) {
            params.uiLengthDrawn = 1337;
            EXPECT_EQ(DrawTextEx(dc_, text, count, &rect, 0, &params), 0);
            EXPECT_EQ(params.uiLengthDrawn, 1337u);
        }
    }

    params = DRAWTEXTPARAMS{};
    params.cbSize = sizeof params;
    rect = RECT{0, 0, 0, 0};
    DrawTextEx(dc_, kText, -1, &rect, DT_CALCRECT, &params);
    const LONG width = rect.right;
    params.iLeftMargin = 8;
    rect = RECT{0, 0, 0, 0};
    DrawTextEx(dc_, kText, -1, &rect, DT_CALCRECT, &params);
    EXPECT_EQ(rect.right, width + 8);
    params.iLeftMargin = 0;
    params.iRightMargin = 8;
    rect = RECT{0, 0, 0, 0};
    DrawTextEx(dc_, kText, -1, &rect, DT_CALCRECT, &params);
    EXPECT_EQ(rect.right, width + 8);
}

// Wine: test_DrawTextCalcRect — an invalid DC fails before anything else is looked at.
TEST_F(ConfDrawText, InvalidDcFails) {
    SetLastError(0);
    EXPECT_EQ(DrawTextEx(MakeHandle<HDC>(0xDEADBEEF), nullptr, -1, nullptr, DT_CALCRECT, nullptr), 0);
    const DWORD error = GetLastError();
    EXPECT_TRUE(error == ERROR_INVALID_PARAMETER || error == ERROR_INVALID_HANDLE) << error;
}

// Wine: test_DrawTextCalcRect (bug 12226 cases) — word breaks at blanks, and inside words with
// DT_EDITCONTROL.
TEST_F(ConfDrawText, WordBreakLinesInANarrowRectangle) {
    RECT rect{0, 0, 0, 0};
    EXPECT_NE(DrawText(dc_, "", -1, &rect, DT_CALCRECT | DT_LEFT | DT_SINGLELINE), 0);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.right, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_NE(rect.bottom, 0);

    const char* text = "line1 line2";
    rect = RECT{0, 0, 1, 1};
    const int one = DrawText(dc_, text, -1, &rect, DT_CALCRECT);
    rect = RECT{0, 0, 1, 1};
    EXPECT_EQ(DrawText(dc_, text, -1, &rect, DT_CALCRECT | DT_WORDBREAK), one * 2);
    rect = RECT{0, 0, 1, 1};
    EXPECT_GE(DrawText(dc_, text, -1, &rect, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL), one * 6);
}

// Wine: test_DrawTextCalcRect (DT_TABSTOP | DT_EXPANDTABS) — a tab length of 0 means the default 8,
// and DRAWTEXTPARAMS::iTabLength is read, not written.
TEST_F(ConfDrawText, TabLengthDefaultsToEightCharacters) {
    const char* text = "one\ttwo";
    RECT plain{0, 0, 10, 10};
    DRAWTEXTPARAMS params{};
    params.cbSize = sizeof params;
    EXPECT_GE(DrawTextEx(dc_, text, -1, &plain, DT_CALCRECT, &params), lineHeight_);
    EXPECT_EQ(params.iTabLength, 0);

    RECT zeroTab{0, 0, 10, 10};
    EXPECT_GE(DrawTextEx(dc_, text, -1, &zeroTab, DT_CALCRECT | DT_TABSTOP | DT_EXPANDTABS, &params),
              lineHeight_);
    EXPECT_EQ(params.iTabLength, 0);
    EXPECT_EQ(plain.left, zeroTab.left);
    EXPECT_NE(plain.right, zeroTab.right);  // the tab takes room only when expanded
    EXPECT_EQ(plain.bottom, zeroTab.bottom);

    RECT eightTab{0, 0, 10, 10};
    params.iTabLength = 8;
    DrawTextEx(dc_, text, -1, &eightTab, DT_CALCRECT | DT_TABSTOP | DT_EXPANDTABS, &params);
    EXPECT_EQ(params.iTabLength, 8);
    EXPECT_TRUE(EqualRect(&eightTab, &zeroTab));
}

// Wine: test_TabbedText — tab stops from one interval or a list, measured against "x".
TEST_F(ConfDrawText, TabbedTextExtentFollowsTheStops) {
    INT tabs[8] = {};
    EXPECT_EQ(GetTabbedTextExtent(dc_, "x", 0, 1, tabs), 0u);
    const DWORD x = GetTabbedTextExtent(dc_, "x", 1, 1, tabs);
    const int cx = LOWORD(x), cy = HIWORD(x);
    ASSERT_GT(cx, 0);
    for (int t = -1; t <= 1; ++t) {
        const int tab = cx * 4 + t;
        for (int i = 0; i < 8; ++i)
            tabs[i] = (i + 1) * tab;
        struct Case {
            const char* text;
            int width;
        };
        const Case cases[] = {
            {"\t", tab},
            {"xxx\t", tab},
            {"\tx", tab + cx},
            {"\t\t", tab * 2},
            {"\tx\t", tab * 2},
            {"x\tx", tab + cx},
            {"xx\tx", tab + cx},
            {"xxx\tx", tab + cx},
            {"xxxx\tx", t > 0 ? tab + cx : 2 * tab + cx},
            {"xxxxx\tx", 2 * tab + cx},
        };
        for (int count : {1, 8}) {
            for (const Case& c : cases) {
                SCOPED_TRACE(::testing::Message()
                             << "tab " << tab << " stops " << count << " text " << c.text);
                const DWORD extent =
                    GetTabbedTextExtent(dc_, c.text, static_cast<int>(std::strlen(c.text)), count, tabs);
                EXPECT_EQ(extent, static_cast<DWORD>(MAKELONG(c.width, cy)));
            }
        }
    }
}

// Wine: test_DrawState — DST_TEXT takes its length from the string when given 0, and fails
// without text, leaving the last error alone.
TEST_F(ConfDrawText, DrawStateText) {
    static const char text[] = "Sample text string";
    const HBRUSH brush = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
    const LPARAM data = reinterpret_cast<LPARAM>(text);
    EXPECT_TRUE(DrawState(dc_, brush, nullptr, data, std::strlen(text), 0, 0, 10, 10, DST_TEXT));
    EXPECT_TRUE(DrawState(dc_, brush, nullptr, data, 0, 0, 0, 10, 10, DST_TEXT));
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(DrawState(dc_, brush, nullptr, 0, std::strlen(text), 0, 0, 10, 10, DST_TEXT));
    EXPECT_FALSE(DrawState(dc_, brush, nullptr, 0, 0, 0, 0, 10, 10, DST_TEXT));
    EXPECT_EQ(GetLastError(), 0xDEADBEEFu);
}

}  // namespace conf_drawtext
