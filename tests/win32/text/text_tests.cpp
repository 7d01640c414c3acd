// Fonts and text on device contexts: metrics, extents, placement, DrawText layout and DrawState.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "win32/fonts.h"
#include "win32/gdi.h"
#include "win32/gdi/gdi_test_support.h"
#include "win32/kernel.h"

using namespace win32;

namespace {

using gditest::kBlack;
using gditest::kWhite;

// A white 32-bit canvas with a font selected; pixels read back through GetPixel.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        dc_ = CreateCompatibleDC(nullptr);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        previousBitmap_ = SelectObject(dc_, bitmap_);
        Clear();
        SetTextColor(dc_, kBlack);
        SetBkColor(dc_, kWhite);
        SetBkMode(dc_, TRANSPARENT);
        UseFont("MS Sans Serif", -11);
    }
    ~Canvas() {
        SelectObject(dc_, previousBitmap_);
        if (previousFont_) SelectObject(dc_, previousFont_);
        if (font_) DeleteObject(font_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return dc_; }
    void Clear() { PatBlt(dc_, 0, 0, width_, height_, WHITENESS); }

    void UseFont(const char* face, LONG height, LONG weight = FW_NORMAL, bool underline = false,
                 LONG escapement = 0) {
        LOGFONT logFont{};
        logFont.lfHeight = height;
        logFont.lfWeight = weight;
        logFont.lfUnderline = underline;
        logFont.lfEscapement = escapement;
        std::strncpy(logFont.lfFaceName, face, LF_FACESIZE - 1);
        HFONT font = CreateFontIndirect(&logFont);
        HGDIOBJ previous = SelectObject(dc_, font);
        if (!previousFont_) previousFont_ = previous;
        if (font_) DeleteObject(font_);
        font_ = font;
    }

    // The box around every pixel that is not white; empty when there is none.
    RECT InkBox() const {
        RECT box{width_, height_, 0, 0};
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if (GetPixel(dc_, x, y) != kWhite) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
        if (box.right == 0) return RECT{0, 0, 0, 0};
        return box;
    }
    int Count(COLORREF color) const {
        int count = 0;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                count += GetPixel(dc_, x, y) == color;
        return count;
    }
    std::vector<COLORREF> Pixels() const {
        std::vector<COLORREF> pixels;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                pixels.push_back(GetPixel(dc_, x, y));
        return pixels;
    }
    SIZE Extent(const std::string& text) const {
        SIZE size{};
        GetTextExtentPoint32(dc_, text.data(), static_cast<int>(text.size()), &size);
        return size;
    }
    TEXTMETRIC Metrics() const {
        TEXTMETRIC tm{};
        GetTextMetrics(dc_, &tm);
        return tm;
    }

private:
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previousBitmap_;
    HGDIOBJ previousFont_ = nullptr;
    HFONT font_ = nullptr;
};

int Draw(Canvas& canvas, const std::string& text, RECT rect, UINT format) {
    return DrawText(canvas.dc(), text.data(), static_cast<int>(text.size()), &rect, format);
}

RECT CalcRect(Canvas& canvas, const std::string& text, RECT rect, UINT format) {
    DrawText(canvas.dc(), text.data(), static_cast<int>(text.size()), &rect, format | DT_CALCRECT);
    return rect;
}

}  // namespace

class Text : public ::testing::Test {
protected:
    void TearDown() override { win32::testing::ResetPlatform(); }
};

TEST_F(Text, MetricsAreConsistentAndStable) {
    Canvas canvas(10, 10);
    TEXTMETRIC tm = canvas.Metrics();
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 11);  // a negative height asks for the em size
    EXPECT_GT(tm.tmAveCharWidth, 0);
    EXPECT_GE(tm.tmMaxCharWidth, tm.tmAveCharWidth);
    EXPECT_EQ(tm.tmWeight, FW_NORMAL);

    canvas.UseFont("MS Sans Serif", 20);  // a positive height asks for the whole cell
    EXPECT_NEAR(canvas.Metrics().tmHeight, 20, 1);

    // The pitch bit is set for variable pitch; the TrueType bit follows the face we stand in for.
    canvas.UseFont("Arial", -12);
    tm = canvas.Metrics();
    EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_FIXED_PITCH);
    EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_TRUETYPE);
    canvas.UseFont("Courier New", -12);
    tm = canvas.Metrics();
    EXPECT_FALSE(tm.tmPitchAndFamily & TMPF_FIXED_PITCH);
    EXPECT_EQ(canvas.Extent("iiii").cx, canvas.Extent("WWWW").cx);
    canvas.UseFont("MS Sans Serif", -12);
    EXPECT_FALSE(canvas.Metrics().tmPitchAndFamily & TMPF_TRUETYPE);

    char face[LF_FACESIZE] = {};
    EXPECT_EQ(GetTextFace(canvas.dc(), sizeof face, face),
              static_cast<int>(std::strlen("MS Sans Serif")) + 1);
    EXPECT_STREQ(face, "MS Sans Serif");
    canvas.UseFont("No Such Family Anywhere", -12);
    GetTextFace(canvas.dc(), sizeof face, face);
    EXPECT_STREQ(face, "DejaVu Sans");
}

TEST_F(Text, ExtentsAddAdvancesAndCharacterExtra) {
    Canvas canvas(10, 10);
    TEXTMETRIC tm = canvas.Metrics();
    EXPECT_EQ(canvas.Extent("").cx, 0);
    EXPECT_EQ(canvas.Extent("").cy, tm.tmHeight);
    INT widths[2] = {};
    GetCharWidth32(canvas.dc(), 'a', 'b', widths);
    EXPECT_EQ(canvas.Extent("ab").cx, widths[0] + widths[1]);
    SetTextCharacterExtra(canvas.dc(), 3);
    EXPECT_EQ(canvas.Extent("ab").cx, widths[0] + widths[1] + 6);
    SetTextCharacterExtra(canvas.dc(), 0);

    INT fit = 0;
    INT partial[4] = {};
    SIZE size{};
    GetTextExtentExPoint(canvas.dc(), "abab", 4, widths[0] + widths[1], &fit, partial, &size);
    EXPECT_EQ(fit, 2);
    EXPECT_EQ(partial[3], size.cx);
    // A malformed byte is one replacement character, never skipped or read past.
    EXPECT_EQ(canvas.Extent("\xff").cx, canvas.Extent("\xEF\xBF\xBD").cx);
    EXPECT_EQ(canvas.Extent("\xe2\x82").cx, 2 * canvas.Extent("\xEF\xBF\xBD").cx);
    EXPECT_FALSE(GetTextExtentPoint32(canvas.dc(), "x", -1, &size));
    EXPECT_FALSE(GetTextExtentPoint32(nullptr, "x", 1, &size));
}

TEST_F(Text, TextOutPlacesTheCellByAlignment) {
    Canvas canvas(120, 60);
    TEXTMETRIC tm = canvas.Metrics();
    SIZE extent = canvas.Extent("Hello");

    TextOut(canvas.dc(), 20, 10, "Hello", 5);
    RECT ink = canvas.InkBox();
    EXPECT_GE(ink.left, 20);
    EXPECT_LE(ink.right, 20 + extent.cx);
    EXPECT_GE(ink.top, 10);
    EXPECT_LE(ink.bottom, 10 + tm.tmAscent);  // no descenders in "Hello"

    canvas.Clear();
    SetTextAlign(canvas.dc(), TA_RIGHT | TA_BASELINE);
    TextOut(canvas.dc(), 100, 40, "Hello", 5);
    ink = canvas.InkBox();
    EXPECT_LE(ink.right, 100);
    EXPECT_GE(ink.left, 100 - extent.cx);
    EXPECT_LE(ink.bottom, 40);

    canvas.Clear();
    SetTextAlign(canvas.dc(), TA_LEFT | TA_TOP | TA_UPDATECP);
    MoveToEx(canvas.dc(), 5, 5, nullptr);
    TextOut(canvas.dc(), 0, 0, "Hello", 5);
    POINT position{};
    GetCurrentPositionEx(canvas.dc(), &position);
    EXPECT_EQ(position.x, 5 + extent.cx);
    EXPECT_GE(canvas.InkBox().left, 5);
}

TEST_F(Text, OpaqueModeFillsTheCellTransparentLeavesTheBackground) {
    Canvas canvas(80, 30);
    SIZE extent = canvas.Extent("ab");
    SetBkMode(canvas.dc(), OPAQUE);
    SetBkColor(canvas.dc(), RGB(255, 0, 0));
    TextOut(canvas.dc(), 10, 5, "ab", 2);
    EXPECT_EQ(canvas.InkBox().left, 10);
    EXPECT_EQ(canvas.InkBox().right, 10 + extent.cx);
    EXPECT_EQ(canvas.InkBox().bottom, 5 + extent.cy);
    EXPECT_GT(canvas.Count(RGB(255, 0, 0)), 0);

    canvas.Clear();
    RECT box{0, 0, 40, 20};
    ExtTextOut(canvas.dc(), 0, 0, ETO_OPAQUE | ETO_CLIPPED, &box, "WWWWWWWWWW", 10, nullptr);
    RECT ink = canvas.InkBox();
    EXPECT_EQ(ink.right, 40);  // clipped to the rectangle
    EXPECT_EQ(ink.bottom, 20);
    EXPECT_EQ(GetPixel(canvas.dc(), 39, 19), RGB(255, 0, 0));
}

TEST_F(Text, UnderlineRunsUnderTheWholeText) {
    Canvas canvas(80, 30);
    canvas.UseFont("Arial", -12, FW_NORMAL, true);
    TEXTMETRIC tm = canvas.Metrics();
    SIZE extent = canvas.Extent("a b");
    TextOut(canvas.dc(), 4, 4, "a b", 3);
    int underlineRow = -1;
    for (int y = 4 + tm.tmAscent; y < 4 + tm.tmHeight && underlineRow < 0; ++y) {
        bool full = true;
        for (int x = 4; x < 4 + extent.cx; ++x)
            full = full && GetPixel(canvas.dc(), x, y) == kBlack;
        if (full) underlineRow = y;
    }
    EXPECT_GT(underlineRow, 0) << "no solid underline below the baseline";
}

TEST_F(Text, EscapementRotatesTheBaseline) {
    Canvas canvas(100, 100);
    canvas.UseFont("Arial", -14, FW_NORMAL, false, 900);
    SetTextAlign(canvas.dc(), TA_LEFT | TA_BASELINE);
    TextOut(canvas.dc(), 50, 90, "WWWWWW", 6);
    RECT ink = canvas.InkBox();
    EXPECT_GT(ink.bottom - ink.top, 2 * (ink.right - ink.left)) << "text at 90 degrees runs upward";
    EXPECT_LE(ink.bottom, 90);
    EXPECT_LE(ink.right, 51);
}

TEST_F(Text, DrawTextMeasuresLinesAndBreaksWords) {
    Canvas canvas(200, 200);
    TEXTMETRIC tm = canvas.Metrics();
    SIZE one = canvas.Extent("one");
    RECT r = CalcRect(canvas, "one", RECT{10, 10, 10, 10}, DT_SINGLELINE);
    EXPECT_EQ(r.right - r.left, one.cx);
    EXPECT_EQ(r.bottom - r.top, tm.tmHeight);
    // An empty string (count -1) measures no lines; no characters at all leave the rectangle alone.
    RECT empty{0, 0, 50, 50};
    DrawText(canvas.dc(), "", -1, &empty, DT_CALCRECT);
    EXPECT_EQ(empty.bottom, 0);
    EXPECT_EQ(CalcRect(canvas, "", RECT{0, 0, 50, 50}, 0).bottom, 50);

    r = CalcRect(canvas, "a\r\nbb\nccc\rd", RECT{0, 0, 100, 0}, 0);
    EXPECT_EQ(r.bottom, 4 * tm.tmHeight);
    EXPECT_EQ(r.right, canvas.Extent("ccc").cx);

    SIZE word = canvas.Extent("word");
    r = CalcRect(canvas, "word word word", RECT{0, 0, word.cx + 2, 0}, DT_WORDBREAK);
    EXPECT_EQ(r.bottom, 3 * tm.tmHeight);
    // A word longer than the line stays whole.
    r = CalcRect(canvas, "unbreakable", RECT{0, 0, 5, 0}, DT_WORDBREAK);
    EXPECT_EQ(r.bottom, tm.tmHeight);
    EXPECT_EQ(r.right, canvas.Extent("unbreakable").cx);

    // Prefixes: "&&" is one ampersand, "&F" takes no room for the '&'.
    EXPECT_EQ(CalcRect(canvas, "&File", RECT{0, 0, 0, 0}, DT_SINGLELINE).right, canvas.Extent("File").cx);
    EXPECT_EQ(CalcRect(canvas, "a&&b", RECT{0, 0, 0, 0}, DT_SINGLELINE).right, canvas.Extent("a&b").cx);
    EXPECT_EQ(CalcRect(canvas, "&File", RECT{0, 0, 0, 0}, DT_SINGLELINE | DT_NOPREFIX).right,
              canvas.Extent("&File").cx);

    SIZE tabbed = canvas.Extent("x");
    r = CalcRect(canvas, "x\ty", RECT{0, 0, 0, 0}, DT_SINGLELINE | DT_EXPANDTABS);
    EXPECT_EQ(r.right, 8 * tm.tmAveCharWidth + canvas.Extent("y").cx);
    EXPECT_GT(r.right, tabbed.cx);
}

TEST_F(Text, DrawTextAlignsInTheRectangle) {
    Canvas canvas(200, 60);
    TEXTMETRIC tm = canvas.Metrics();
    SIZE extent = canvas.Extent("Mid");
    Draw(canvas, "Mid", RECT{0, 0, 200, 60}, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    RECT ink = canvas.InkBox();
    int cellLeft = (200 - extent.cx) / 2, cellTop = (60 - tm.tmHeight) / 2;
    EXPECT_GE(ink.left, cellLeft);
    EXPECT_LE(ink.right, cellLeft + extent.cx);
    EXPECT_GE(ink.top, cellTop);
    EXPECT_LE(ink.bottom, cellTop + tm.tmHeight);

    canvas.Clear();
    int returned = Draw(canvas, "Mid", RECT{0, 0, 200, 60}, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
    EXPECT_EQ(returned, 60);
    ink = canvas.InkBox();
    EXPECT_LE(ink.right, 200);
    EXPECT_GE(ink.left, 200 - extent.cx);
    EXPECT_GE(ink.top, 60 - tm.tmHeight);

    // Without DT_SINGLELINE, DT_VCENTER does nothing.
    canvas.Clear();
    Draw(canvas, "Mid", RECT{0, 0, 200, 60}, DT_VCENTER);
    EXPECT_LT(canvas.InkBox().top, tm.tmHeight);
}

TEST_F(Text, PrefixUnderlinesItsCharacter) {
    Canvas canvas(100, 30);
    Draw(canvas, "&File", RECT{0, 0, 100, 30}, DT_SINGLELINE);
    std::vector<COLORREF> withPrefix = canvas.Pixels();
    canvas.Clear();
    Draw(canvas, "File", RECT{0, 0, 100, 30}, DT_SINGLELINE);
    std::vector<COLORREF> plain = canvas.Pixels();
    canvas.Clear();
    Draw(canvas, "&File", RECT{0, 0, 100, 30}, DT_SINGLELINE | DT_HIDEPREFIX);
    EXPECT_EQ(canvas.Pixels(), plain);
    // The extra ink is under the F only.
    SIZE f = canvas.Extent("F");
    int extra = 0;
    for (size_t i = 0; i < plain.size(); ++i)
        if (withPrefix[i] != plain[i]) {
            ++extra;
            EXPECT_LT(static_cast<int>(i % 100), f.cx);
        }
    EXPECT_GT(extra, 0);
}

TEST_F(Text, EllipsesShortenToTheRectangle) {
    Canvas canvas(300, 30);
    const std::string path = "C:\\Program Files\\Zyl Components\\Samples\\readme.txt";
    const int width = canvas.Extent("C:\\Pro...\\readme.txt").cx + 1;
    RECT r = CalcRect(canvas, path, RECT{0, 0, width, 0}, DT_SINGLELINE | DT_PATH_ELLIPSIS);
    EXPECT_LE(r.right, width);

    // The drawn text is the longest start of the path that fits before "...\readme.txt".
    Draw(canvas, path, RECT{0, 0, width, 30}, DT_SINGLELINE | DT_PATH_ELLIPSIS);
    std::vector<COLORREF> drawn = canvas.Pixels();
    std::string expected;
    for (size_t keep = path.rfind('\\'); keep-- > 0;) {
        std::string candidate = path.substr(0, keep) + "..." + path.substr(path.rfind('\\'));
        if (canvas.Extent(candidate).cx <= width) {
            expected = candidate;
            break;
        }
    }
    ASSERT_FALSE(expected.empty());
    canvas.Clear();
    Draw(canvas, expected, RECT{0, 0, width, 30}, DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(canvas.Pixels(), drawn) << "expected " << expected;

    canvas.Clear();
    r = CalcRect(canvas, "A rather long caption", RECT{0, 0, 60, 0}, DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_LE(r.right, 60);
    EXPECT_GT(r.right, canvas.Extent("...").cx);
    // Text that fits is left alone.
    EXPECT_EQ(CalcRect(canvas, "Hi", RECT{0, 0, 60, 0}, DT_SINGLELINE | DT_END_ELLIPSIS).right,
              canvas.Extent("Hi").cx);
    // Even a rectangle narrower than "..." must not loop or fail.
    EXPECT_GT(
        CalcRect(canvas, "A rather long caption", RECT{0, 0, 1, 0}, DT_SINGLELINE | DT_END_ELLIPSIS).bottom,
        0);
    EXPECT_GT(
        CalcRect(canvas, "no-delimiter-at-all", RECT{0, 0, 1, 0}, DT_SINGLELINE | DT_PATH_ELLIPSIS).bottom,
        0);
}

TEST_F(Text, DrawStateEmbossesDisabledText) {
    Canvas canvas(80, 30);
    DrawState(canvas.dc(), nullptr, nullptr, reinterpret_cast<LPARAM>("Off"), 0, 5, 5, 0, 0,
              DST_TEXT | DSS_DISABLED);
    int highlights = canvas.Count(GetSysColor(COLOR_BTNHIGHLIGHT));
    int shadows = canvas.Count(GetSysColor(COLOR_BTNSHADOW));
    EXPECT_GT(shadows, 0);
    // The highlight is the same shape one pixel down and right, mostly hidden under the shadow.
    EXPECT_GT(highlights, 0);
    EXPECT_EQ(canvas.Count(kBlack), 0);

    canvas.Clear();
    DrawState(canvas.dc(), nullptr, nullptr, reinterpret_cast<LPARAM>("&On"), 0, 5, 5, 0, 0, DST_PREFIXTEXT);
    std::vector<COLORREF> prefixed = canvas.Pixels();
    canvas.Clear();
    Draw(canvas, "&On", RECT{5, 5, 80, 30}, DT_SINGLELINE);
    EXPECT_EQ(canvas.Pixels(), prefixed);
}

TEST_F(Text, FamiliesAreEnumeratedWithTheirKinds) {
    Canvas canvas(10, 10);
    struct Seen {
        std::vector<std::string> names;
        std::vector<DWORD> types;
    } seen;
    auto collect = [](const LOGFONT* logFont, const TEXTMETRIC*, DWORD type, LPARAM data) -> int {
        auto* s = reinterpret_cast<Seen*>(data);
        s->names.push_back(logFont->lfFaceName);
        s->types.push_back(type);
        return 1;
    };
    EnumFontFamilies(canvas.dc(), nullptr, collect, reinterpret_cast<LPARAM>(&seen));
    auto typeOf = [&](const std::string& name) -> DWORD {
        for (size_t i = 0; i < seen.names.size(); ++i)
            if (seen.names[i] == name) return seen.types[i];
        return 0;
    };
    EXPECT_EQ(typeOf("Arial"), TRUETYPE_FONTTYPE);
    EXPECT_EQ(typeOf("MS Sans Serif"), RASTER_FONTTYPE);
    EXPECT_EQ(typeOf("DejaVu Sans"), TRUETYPE_FONTTYPE);
    EXPECT_TRUE(std::is_sorted(
        seen.names.begin(), seen.names.end(),
        [](const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) < 0; }));

    seen = {};
    EnumFontFamilies(canvas.dc(), "arial", collect, reinterpret_cast<LPARAM>(&seen));
    EXPECT_EQ(seen.names.size(), 4u);  // regular, bold, italic, bold italic
    auto stopAtOnce = [](const LOGFONT*, const TEXTMETRIC*, DWORD, LPARAM) -> int { return 0; };
    EXPECT_EQ(EnumFontFamilies(canvas.dc(), nullptr, stopAtOnce, 0), 0);
}
