// Measuring and painting of owner-drawn items, pixel for pixel: sizes, the submenu area, dividers, the
// image column, the side bar with its gradient, cache and rotated caption, and the selection.
#include <algorithm>
#include <memory>

#include "menu_fixture.h"
#include "vcl/graphics.h"
#include "win32/gdi.h"
#include "win32/user.h"

namespace paint_tests {
namespace {

using namespace ribola;
using namespace win32;
using vcl::TColor;

COLORREF Rgb(TColor color) {
    return vcl::ColorToRGB(color);
}

// What an item painted into a target of its rectangle's right and bottom extent.
class Picture {
public:
    Picture(TZylMenuItem* item, RECT rect, UINT state) : width_(rect.right), height_(rect.bottom) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        dc_ = CreateCompatibleDC(nullptr);
        old_ = SelectObject(dc_, bitmap_);
        RECT all{0, 0, width_, height_};
        HBRUSH sentinel = CreateSolidBrush(kSentinel);
        FillRect(dc_, &all, sentinel);
        DeleteObject(sentinel);
        DRAWITEMSTRUCT draw{ODT_MENU, 0, item->Command(), ODA_DRAWENTIRE, state, nullptr, dc_, rect, 0};
        vcl::TMessage message{WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw), 0};
        item->DrawMenuItem(message);
    }
    ~Picture() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
    // Every pixel of a column band of rows, as one list.
    std::vector<COLORREF> Column(int x, int top, int bottom) const {
        std::vector<COLORREF> column;
        for (int y = top; y < bottom; ++y)
            column.push_back(At(x, y));
        return column;
    }
    int Count(COLORREF color, RECT area) const {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                count += At(x, y) == color;
        return count;
    }

    static constexpr COLORREF kSentinel = RGB(1, 2, 3);

private:
    int width_, height_;
    HBITMAP bitmap_;
    HDC dc_;
    HGDIOBJ old_;
};

class PaintTest : public zyltest::MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        menu_ = NewMenu<TZylPopupMenu>(true);
        root_ = menu_->Items();
    }

    // An item whose submenu area has been measured: the heights as given, widths 100.
    TZylMenuItem* Measured(TZylMenuItem* parent, const std::string& caption, int height) {
        TZylMenuItem* item = AddItem(parent, caption);
        item->SetMeasuredWidth(100);
        item->SetMeasuredHeight(height);
        return item;
    }

    // A list of 16 x 16 images on fuchsia, each a dark square (4, 4)-(12, 12) in its own colour.
    vcl::TImageList* Images(std::initializer_list<TColor> colors) {
        auto* images = new vcl::TImageList(host_);
        for (TColor color : colors) {
            vcl::TBitmap glyph;
            glyph.SetSize(16, 16);
            glyph.Canvas()->Brush()->SetColor(vcl::clFuchsia);
            glyph.Canvas()->FillRect(vcl::TRect{0, 0, 16, 16});
            glyph.Canvas()->Brush()->SetColor(color);
            glyph.Canvas()->FillRect(vcl::TRect{4, 4, 12, 12});
            images->AddMasked(&glyph, vcl::clFuchsia);
        }
        return images;
    }

    static UINT Measure(TZylMenuItem* item, UINT* height = nullptr) {
        MEASUREITEMSTRUCT record{ODT_MENU, 0, item->Command(), 0, 0, 0};
        vcl::TMessage message{WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&record), 0};
        item->MeasureMenuItem(message);
        if (height) *height = record.itemHeight;
        return record.itemWidth;
    }

    TZylPopupMenu* menu_ = nullptr;
    TZylMenuItem* root_ = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Measuring

TEST_F(PaintTest, MeasuredWidthsFollowBarImagesShortcutsAndSubmenus) {
    TZylMenuItem* item = AddItem(root_, "Open");
    TZylMenuItem* sibling = AddItem(root_, "Save");
    UINT height = 0;
    const UINT plain = Measure(item, &height);
    EXPECT_EQ(height, static_cast<UINT>(GetSystemMetrics(SM_CYMENU)));
    const vcl::TextMeasure measure(menu_->MenuFont());
    EXPECT_EQ(item->MeasuredHeight(), static_cast<int>(height));
    EXPECT_EQ(item->MeasuredWidth(), measure.Width("W") + static_cast<int>(plain));

    // The longest shortcut among the siblings widens every item of the submenu.
    sibling->SetShortCut(vcl::TextToShortCut("Ctrl+Shift+S"));
    EXPECT_EQ(Measure(item), plain + static_cast<UINT>(measure.Width("Shift+Ctrl+S")));
    sibling->SetShortCut(0);
    // The side bar adds its width; an image column replaces the W of the left part.
    root_->SubMenuDetails()->SetEnabled(true);
    root_->SubMenuDetails()->SetBarEnabled(true);
    root_->SubMenuDetails()->SetBarWidth(30);
    EXPECT_EQ(Measure(item), plain + 30);
    root_->SubMenuDetails()->SetBarEnabled(false);
    menu_->SetImages(Images({vcl::clRed}));
    sibling->SetImageIndex(0);
    EXPECT_EQ(Measure(item), plain - static_cast<UINT>(measure.Width("W")) + 20);
    // An item with an image is at least as high as the image and three pixels.
    menu_->Images()->SetHeight(24);
    Measure(sibling, &height);
    EXPECT_EQ(height, std::max<UINT>(27, static_cast<UINT>(GetSystemMetrics(SM_CYMENU))));
    menu_->Images()->SetHeight(16);
    // An item that opens a submenu keeps room for its arrow.
    sibling->SetImageIndex(-1);
    AddItem(item, "inner");
    EXPECT_EQ(Measure(item), plain + static_cast<UINT>(measure.Width("\t")));
}

TEST_F(PaintTest, TheSubmenuAreaSumsVisibleHeightsAndWidensTheWidest) {
    Measured(root_, "a", 18)->SetMeasuredWidth(80);
    Measured(root_, "b", 18)->SetMeasuredWidth(95);
    TZylMenuItem* hidden = Measured(root_, "hidden", 40);
    hidden->SetMeasuredWidth(300);
    hidden->SetVisible(false);
    TZylMenuItem* last = Measured(root_, "c", 24);
    last->SetMeasuredWidth(60);
    EXPECT_EQ(root_->GetSubSize().x, 115);
    EXPECT_EQ(root_->GetSubSize().y, 60);

    // A centred background picture sits in the middle of that area: at (52, 25), 10 x 10.
    TZylSubMenu* look = menu_->PopupDetails();
    look->SetEnabled(true);
    look->SetColor(vcl::clWhite);
    vcl::TBitmap green;
    green.SetSize(10, 10);
    green.Canvas()->Brush()->SetColor(vcl::clGreen);
    green.Canvas()->FillRect(vcl::TRect{0, 0, 10, 10});
    look->SetBackground(&green);
    look->SetBackgroundType(btCenter);
    // The second item, 18 high, starts 18 down the area; here it lies 3 pixels into the target.
    const Picture second(root_->Items(1), RECT{3, 3, 123, 21}, 0);
    EXPECT_EQ(second.At(3 + 52, 3 + 25 - 18), Rgb(vcl::clGreen));
    EXPECT_EQ(second.At(3 + 61, 3 + 34 - 18), Rgb(vcl::clGreen));
    EXPECT_EQ(second.At(3 + 61, 3 + 35 - 18), Rgb(vcl::clWhite));
    EXPECT_EQ(second.At(3 + 51, 3 + 10), Rgb(vcl::clWhite));
    EXPECT_EQ(second.At(3 + 62, 3 + 10), Rgb(vcl::clWhite));
    EXPECT_EQ(second.At(3 + 56, 3 + 6), Rgb(vcl::clWhite));
    EXPECT_EQ(second.At(2, 2), Picture::kSentinel);  // nothing outside the item
}

TEST_F(PaintTest, AnEmptyRectanglePaintsNothing) {
    TZylMenuItem* item = Measured(root_, "x", 18);
    root_->SubMenuDetails()->SetEnabled(true);
    root_->SubMenuDetails()->SetBarEnabled(true);
    for (RECT empty : {RECT{5, 5, 5, 20}, RECT{5, 5, 40, 5}, RECT{20, 20, 10, 10}}) {
        const Picture none(item, empty, 0);
        EXPECT_EQ(none.Count(Picture::kSentinel, RECT{0, 0, empty.right, empty.bottom}),
                  empty.right * empty.bottom);
    }
}

// ---------------------------------------------------------------------------------------------
// Dividers

TEST_F(PaintTest, DividersDrawAnEtchedLineBrokenAroundTheirCaption) {
    for (const char* caption : {"-", "Edit"}) {
        TZylMenuItem* divider = Measured(root_, caption, 20);
        divider->SetDivider(true);
        const Picture picture(divider, RECT{0, 0, 120, 20}, 0);
        const int my = 10;
        int gapLeft = 120, gapRight = 0;
        if (std::string(caption) != "-") {
            const vcl::TextMeasure measure(menu_->DividerFont());
            const int w = measure.Width(caption);
            gapLeft = 60 - w / 2 - 1;
            gapRight = 60 + w / 2 + 1;
        }
        for (int x = 0; x < 120; ++x) {
            const bool line = x < gapLeft || x >= gapRight;
            EXPECT_EQ(picture.At(x, my) == Rgb(vcl::clBtnShadow), line) << caption << " x " << x;
            EXPECT_EQ(picture.At(x, my + 1) == Rgb(vcl::clBtnHighlight), line) << caption << " x " << x;
        }
        // The caption's own pixels are in its font's colour, inside the gap.
        const RECT gap{gapLeft, 0, gapRight, 20};
        EXPECT_EQ(picture.Count(Rgb(menu_->DividerFont()->Color()), RECT{0, 0, 120, 20}) > 0,
                  std::string(caption) != "-");
        EXPECT_EQ(picture.Count(Rgb(menu_->DividerFont()->Color()), gap),
                  picture.Count(Rgb(menu_->DividerFont()->Color()), RECT{0, 0, 120, 20}));
    }
}

// ---------------------------------------------------------------------------------------------
// The image column

TEST_F(PaintTest, TheImageColumnShowsTheImageOfTheItemsState) {
    menu_->SetImages(Images({vcl::clRed, vcl::clBlue, vcl::clGreen, vcl::clBlack}));
    TZylMenuItem* item = Measured(root_, "", 22);
    item->SetImageIndex(0);
    item->SetCheckedIndex(1);
    TZylMenuItem* plain = Measured(root_, "", 22);
    // The column is 20 wide; a 16 x 16 image is centred in it: (2, 3), so its square is (6, 7).
    struct Case {
        const char* what;
        TZylMenuItem* item;
        int disabledIndex;
        int imageIndex;
        UINT state;
        COLORREF square;
    };
    const Case cases[] = {
        {"normal", item, -1, 0, 0, Rgb(vcl::clRed)},
        {"checked uses CheckedIndex", item, -1, 0, ODS_CHECKED, Rgb(vcl::clBlue)},
        {"disabled uses DisabledImageIndex", item, 2, 0, ODS_DISABLED | ODS_GRAYED, Rgb(vcl::clGreen)},
        {"disabled without one embosses black", item, -1, 3, ODS_DISABLED | ODS_GRAYED,
         Rgb(vcl::clBtnShadow)},
        {"disabled without one drops colours", item, -1, 0, ODS_DISABLED | ODS_GRAYED, Rgb(vcl::clMenu)},
        {"greyed alone, as the system menu greys, is disabled", item, 2, 0, ODS_GRAYED, Rgb(vcl::clGreen)},
        {"index out of range shows nothing", plain, -1, 4, 0, Rgb(vcl::clMenu)},
        {"checked without CheckedIndex", plain, -1, 0, ODS_CHECKED, Rgb(vcl::clRed)},
    };
    for (const Case& c : cases) {
        c.item->SetDisabledImageIndex(c.disabledIndex);
        c.item->SetImageIndex(c.imageIndex);
        const Picture picture(c.item, RECT{0, 0, 100, 22}, c.state);
        EXPECT_EQ(picture.At(2 + 4 + 3, 3 + 4 + 3), c.square) << c.what;
        EXPECT_EQ(picture.At(2 + 1, 3 + 1), Rgb(vcl::clMenu)) << c.what;
        EXPECT_EQ(picture.Count(Rgb(vcl::clBtnHighlight), RECT{0, 0, 20, 22}), 0) << c.what;  // no frame
    }
    // A selected item's image is framed: highlight top and left, shadow bottom and right.
    item->SetImageIndex(0);
    const Picture selected(item, RECT{0, 0, 100, 22}, ODS_SELECTED);
    const int ix = 2, iy = 3;
    for (auto [x, y, color] : {std::tuple{ix - 1, iy - 1, vcl::clBtnHighlight},
                               {ix + 17, iy - 1, vcl::clBtnHighlight},
                               {ix - 1, iy + 16, vcl::clBtnHighlight},
                               {ix - 1, iy + 17, vcl::clBtnShadow},
                               {ix + 17, iy + 17, vcl::clBtnShadow},
                               {ix + 17, iy, vcl::clBtnShadow}})
        EXPECT_EQ(selected.At(x, y), Rgb(color)) << x << ", " << y;
}

// ---------------------------------------------------------------------------------------------
// The side bar

class BarTest : public PaintTest {
protected:
    void SetUp() override {
        PaintTest::SetUp();
        look_ = menu_->PopupDetails();
        look_->SetEnabled(true);
        look_->SetBarEnabled(true);
        look_->SetBarWidth(10);
        first_ = Measured(root_, "", 30);
        second_ = Measured(root_, "", 30);
    }

    // The bar's colours down its middle, over the whole submenu.
    std::vector<COLORREF> Bar() {
        std::vector<COLORREF> bar;
        for (TZylMenuItem* item : {first_, second_}) {
            const Picture picture(item, RECT{0, 0, 100, 30}, 0);
            const auto column = picture.Column(5, 0, 30);
            bar.insert(bar.end(), column.begin(), column.end());
        }
        return bar;
    }

    TZylSubMenu* look_ = nullptr;
    TZylMenuItem* first_ = nullptr;
    TZylMenuItem* second_ = nullptr;
};

std::vector<COLORREF> Bands(std::initializer_list<std::pair<int, COLORREF>> runs) {
    std::vector<COLORREF> bands;
    for (auto [length, color] : runs)
        bands.insert(bands.end(), static_cast<size_t>(length), color);
    return bands;
}

TEST_F(BarTest, GradientBandsCoverTheSubmenuWithChannelsOfAtLeastOne) {
    // Two bands over 60 rows: step 30; band 0 covers 0..29, band 1 starts at 45; between them the
    // solid ground shows. Black starts as (1, 1, 1).
    look_->SetBarColor(vcl::clBlack);
    look_->BarAsGradient()->SetFadeToColor(vcl::clWhite);
    look_->BarAsGradient()->SetColorCount(2);
    look_->BarAsGradient()->SetActive(true);
    EXPECT_EQ(Bar(), Bands({{30, RGB(1, 1, 1)}, {15, RGB(0, 0, 0)}, {15, RGB(255, 255, 255)}}));
    // One colour: the bar is BarColor, gradient or not.
    look_->SetBarColor(vcl::clNavy);
    look_->BarAsGradient()->SetColorCount(1);
    EXPECT_EQ(Bar(), Bands({{60, Rgb(vcl::clNavy)}}));
    look_->BarAsGradient()->SetActive(false);
    look_->SetBarColor(vcl::clMaroon);
    EXPECT_EQ(Bar(), Bands({{60, Rgb(vcl::clMaroon)}}));
}

TEST_F(BarTest, EverySettingThatShowsRepaintsTheCachedBar) {
    look_->SetBarColor(vcl::clRed);
    EXPECT_EQ(Bar(), Bands({{60, Rgb(vcl::clRed)}}));
    // Scalar settings leave the cache's owner alone but still show at once.
    look_->SetBarColor(vcl::clTeal);
    EXPECT_EQ(Bar(), Bands({{60, Rgb(vcl::clTeal)}}));
    look_->SetBarWidth(4);
    const Picture narrow(first_, RECT{0, 0, 100, 30}, 0);
    EXPECT_EQ(narrow.At(3, 10), Rgb(vcl::clTeal));
    EXPECT_NE(narrow.At(5, 10), Rgb(vcl::clTeal));
    // A taller submenu gets a taller bar: the caption moves down with its bottom.
    look_->SetBarWidth(20);
    look_->SetBarCaption("Zyl");
    look_->SetBarFontColor(vcl::clYellow);
    const Picture before(second_, RECT{0, 0, 100, 30}, 0);
    second_->SetMeasuredHeight(50);
    const Picture after(second_, RECT{0, 0, 100, 50}, 0);
    EXPECT_GT(before.Count(Rgb(vcl::clYellow), RECT{0, 0, 20, 30}), 0);
    EXPECT_EQ(after.Count(Rgb(vcl::clYellow), RECT{0, 0, 20, 30}), 0);
    EXPECT_GT(after.Count(Rgb(vcl::clYellow), RECT{0, 30, 20, 50}), 0);
}

TEST_F(BarTest, TheCaptionReadsUpwardsAndANonTrueTypeFaceBecomesArial) {
    look_->SetBarWidth(24);
    look_->SetBarColor(vcl::clNavy);
    look_->SetBarFontColor(vcl::clWhite);
    look_->SetBarFontSize(12);
    look_->SetBarCaption("Menu");
    second_->SetMeasuredHeight(120);
    look_->SetBarFontname("Arial");
    const Picture arial(second_, RECT{0, 0, 100, 120}, 0);
    look_->SetBarFontname("Small Fonts");
    const Picture replaced(second_, RECT{0, 0, 100, 120}, 0);
    const RECT bar{0, 0, 24, 120};
    const int caption = arial.Count(Rgb(vcl::clWhite), bar);
    EXPECT_GT(caption, 40);
    EXPECT_EQ(replaced.Count(Rgb(vcl::clWhite), bar), caption);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 24; ++x)
            EXPECT_EQ(replaced.At(x, y), arial.At(x, y)) << x << ", " << y;
    // The text runs up from two pixels above the bottom (150 = 30 + 120) and is taller than wide.
    RECT ink{24, 120, 0, 0};
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 24; ++x)
            if (arial.At(x, y) == Rgb(vcl::clWhite))
                ink = RECT{std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y),
                           std::max<LONG>(ink.right, x + 1), std::max<LONG>(ink.bottom, y + 1)};
    EXPECT_LE(ink.bottom, 150 - 30 - 2 + 1);
    EXPECT_GT(ink.bottom - ink.top, ink.right - ink.left);
}

TEST_F(BarTest, ASecondColumnReadsItsBarFromItsOwnTop) {
    look_->SetBarColor(vcl::clBlack);
    look_->BarAsGradient()->SetFadeToColor(vcl::clWhite);
    look_->BarAsGradient()->SetColorCount(2);
    look_->BarAsGradient()->SetActive(true);
    // A third item starts a second column (breaks are kept while entries are not owner-drawn).
    menu_->SetNewStyles(false);
    TZylMenuItem* third = Measured(root_, "", 30);
    third->SetBreak(mbBreak);
    menu_->SetNewStyles(true);
    // Rows 0..29 of the bar are band 0 in either column, wherever the platform puts the column.
    const Picture column2(third, RECT{130, 3, 230, 33}, 0);
    EXPECT_EQ(column2.Column(135, 3, 33), Bands({{30, RGB(1, 1, 1)}}));
}

// ---------------------------------------------------------------------------------------------
// Selection

TEST_F(PaintTest, SelectionWithoutColourKeepsThePictureAndFramesTheText) {
    TZylSubMenu* look = menu_->PopupDetails();
    look->SetEnabled(true);
    vcl::TBitmap checker;
    checker.SetSize(2, 2);
    for (int i = 0; i < 4; ++i)
        checker.Canvas()->SetPixels(i % 2, i / 2, (i % 3) ? vcl::clSilver : vcl::clWhite);
    look->SetBackground(&checker);
    menu_->SetSelectedColor(vcl::clNone);
    menu_->SelectedFont()->SetColor(vcl::clRed);
    TZylMenuItem* item = Measured(root_, "", 20);
    const Picture normal(item, RECT{0, 0, 90, 20}, 0);
    const Picture selected(item, RECT{0, 0, 90, 20}, ODS_SELECTED);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 90; ++x)
            ASSERT_EQ(selected.At(x, y), normal.At(x, y)) << x << ", " << y;
    // A raised frame goes round the text area (here the whole item: no bar, no images).
    menu_->SetSelectType(selRaised);
    const Picture raised(item, RECT{0, 0, 90, 20}, ODS_SELECTED);
    EXPECT_EQ(raised.At(0, 0), Rgb(vcl::clBtnHighlight));
    EXPECT_EQ(raised.At(88, 0), Rgb(vcl::clBtnHighlight));
    EXPECT_EQ(raised.At(0, 19), Rgb(vcl::clBtnShadow));
    EXPECT_EQ(raised.At(89, 1), Rgb(vcl::clBtnShadow));
    EXPECT_EQ(raised.At(89, 19), Rgb(vcl::clBtnShadow));
    EXPECT_EQ(raised.At(5, 5), normal.At(5, 5));
    // A selection colour fills the text area instead.
    menu_->SetSelectedColor(vcl::clNavy);
    menu_->SetSelectType(selNormal);
    const Picture filled(item, RECT{0, 0, 90, 20}, ODS_SELECTED);
    EXPECT_EQ(filled.Count(Rgb(vcl::clNavy), RECT{0, 0, 90, 20}), 90 * 20);
}

}  // namespace
}  // namespace paint_tests
