// Owner-drawn push buttons (WM_DRAWITEM through the parent) and check boxes that show a bitmap
// (BM_SETIMAGE, BS_BITMAP) placed by the caption style bits, or look like push buttons (BS_PUSHLIKE).
#include <gtest/gtest.h>

#include <vector>

#include "support/ui_fixture.h"
#include "vcl/stdctrls.h"
#include "win32/menu.h"

namespace owner_draw_tests {

using namespace vcl;
using namespace win32;

// A push button drawn by its owner: records the draw requests that come back to it.
class TDrawnButton : public TButtonControl {
    VCL_CLASS(TDrawnButton, TButtonControl)
public:
    explicit TDrawnButton(TComponent* owner) : TButtonControl(owner) { SetBounds(0, 0, 60, 24); }
    std::vector<DRAWITEMSTRUCT> requests;

    void WndProc(TMessage& message) override {
        if (message.Msg == CN_DRAWITEM) {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
            requests.push_back(item);
            HBRUSH brush = CreateSolidBrush(RGB(0, 128, 0));
            FillRect(item.hDC, &item.rcItem, brush);
            DeleteObject(brush);
            message.Result = 1;
            return;
        }
        Inherited::WndProc(message);
    }

protected:
    DWORD ButtonStyle() const override { return BS_OWNERDRAW; }
};

// A check box whose style bits the test chooses.
class TStyledCheckBox : public TCheckBox {
    VCL_CLASS(TStyledCheckBox, TCheckBox)
public:
    explicit TStyledCheckBox(TComponent* owner) : TCheckBox(owner) { SetBounds(0, 0, 100, 20); }
    DWORD style = BS_3STATE;

protected:
    DWORD ButtonStyle() const override { return style; }
};

class OwnerDrawTest : public zyltest::UiFixture {
protected:
    // A 10 x 6 red picture.
    static std::unique_ptr<TBitmap> RedPicture() {
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->SetPixelFormat(pf32bit);
        bitmap->SetSize(10, 6);
        bitmap->Canvas()->Brush()->SetColor(clRed);
        bitmap->Canvas()->FillRect(Rect(0, 0, 10, 6));
        bitmap->Dormant();
        return bitmap;
    }
    static TRect RedBounds(TBitmap* bitmap) {
        TRect r{bitmap->Width(), bitmap->Height(), -1, -1};
        for (int y = 0; y < bitmap->Height(); ++y)
            for (int x = 0; x < bitmap->Width(); ++x)
                if (ColorToRGB(bitmap->Canvas()->Pixels(x, y)) == ColorToRGB(clRed)) {
                    r.left = std::min(r.left, x);
                    r.top = std::min(r.top, y);
                    r.right = std::max(r.right, x + 1);
                    r.bottom = std::max(r.bottom, y + 1);
                }
        return r;
    }
};

TEST_F(OwnerDrawTest, EachPaintAsksTheParentWhichHandsTheRequestBackWithTheButtonsState) {
    TForm* form = ShowForm();
    std::vector<UINT> heardByForm;
    auto previous = form->WindowProc();
    form->SetWindowProc([&heardByForm, previous](TMessage& m) {
        if (m.Msg == WM_DRAWITEM) heardByForm.push_back(reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam)->CtlType);
        previous(m);
    });
    auto* button = new TDrawnButton(form);
    button->SetParent(form);
    button->SetEnabled(false);
    auto image = BitmapOf(button);
    ASSERT_FALSE(button->requests.empty());
    EXPECT_EQ(heardByForm, std::vector<UINT>(button->requests.size(), ODT_BUTTON));
    const DRAWITEMSTRUCT& item = button->requests.back();
    EXPECT_EQ(item.hwndItem, button->Handle());
    EXPECT_EQ(item.itemAction, ODA_DRAWENTIRE);
    EXPECT_EQ(item.itemState, ODS_DISABLED);
    EXPECT_EQ(item.rcItem.right, 60);
    EXPECT_EQ(item.rcItem.bottom, 24);
    EXPECT_EQ(ColorToRGB(image->Canvas()->Pixels(30, 12)), RGB(0, 128, 0));

    button->SetEnabled(true);
    button->SetFocus();
    SendMessage(button->Handle(), BM_SETSTATE, 1, 0);
    BitmapOf(button);
    EXPECT_EQ(button->requests.back().itemState, ODS_SELECTED | ODS_FOCUS);

    // Without a parent the button answers itself.
    TDrawnButton alone(nullptr);
    BitmapOf(&alone);
    ASSERT_EQ(alone.requests.size(), 1u);
    EXPECT_EQ(alone.requests[0].hwndItem, nullptr);
}

TEST_F(OwnerDrawTest, SetImageReturnsThePreviousBitmapAndOnlyBitmapsAreTaken) {
    TCheckBox box(nullptr);
    auto first = RedPicture();
    auto second = RedPicture();
    const auto set = [&](UINT type, HBITMAP bitmap) {
        return box.Perform(BM_SETIMAGE, type, reinterpret_cast<LPARAM>(bitmap));
    };
    EXPECT_EQ(set(IMAGE_BITMAP, first->Handle()), 0);
    EXPECT_EQ(set(IMAGE_BITMAP, second->Handle()), reinterpret_cast<LRESULT>(first->Handle()));
    EXPECT_EQ(set(IMAGE_ICON, first->Handle()), 0);
    EXPECT_EQ(box.Perform(BM_GETIMAGE, IMAGE_BITMAP, 0), reinterpret_cast<LRESULT>(second->Handle()));
    EXPECT_EQ(box.Perform(BM_GETIMAGE, IMAGE_ICON, 0), 0);
}

TEST_F(OwnerDrawTest, BitmapOfACheckBoxStandsWhereTheAlignmentBitsPutIt) {
    // The caption area of a 100 x 20 box with its box on the left runs from x = 17 to 100.
    struct Case {
        DWORD bits;
        TRect red;
    };
    const Case cases[] = {
        {0, {17, 7, 27, 13}},
        {BS_RIGHT | BS_TOP, {90, 0, 100, 6}},
        {BS_CENTER | BS_BOTTOM, {53, 14, 63, 20}},
        {BS_LEFTTEXT | BS_RIGHT, {73, 7, 83, 13}},  // the box at the right, the area 0 .. 83
    };
    auto picture = RedPicture();
    for (const Case& c : cases) {
        TStyledCheckBox box(nullptr);
        box.style = BS_3STATE | BS_BITMAP | c.bits;
        box.Perform(BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture->Handle()));
        auto image = BitmapOf(&box);
        const TRect red = RedBounds(image.get());
        EXPECT_EQ(red.left, c.red.left) << c.bits;
        EXPECT_EQ(red.top, c.red.top) << c.bits;
        EXPECT_EQ(red.right, c.red.right) << c.bits;
        EXPECT_EQ(red.bottom, c.red.bottom) << c.bits;
    }
}

TEST_F(OwnerDrawTest, PushLikeCheckBoxIsAButtonThatStaysDownWhileChecked) {
    TStyledCheckBox box(nullptr);
    box.style = BS_3STATE | BS_PUSHLIKE | BS_BITMAP;
    auto picture = RedPicture();
    box.Perform(BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture->Handle()));
    auto up = BitmapOf(&box);
    // Raised: light top-left corner; the picture centred in the face.
    EXPECT_EQ(ColorToRGB(up->Canvas()->Pixels(0, 0)), ColorToRGB(clBtnHighlight));
    const TRect red = RedBounds(up.get());
    EXPECT_EQ(red.left, 45);
    EXPECT_EQ(red.top, 7);
    box.SetCheckedValue(true);
    auto down = BitmapOf(&box);
    EXPECT_NE(ColorToRGB(down->Canvas()->Pixels(0, 0)), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(RedBounds(down.get()).left, 46);  // pushed in by one pixel
    EXPECT_EQ(RedBounds(down.get()).top, 8);
}

}  // namespace owner_draw_tests
