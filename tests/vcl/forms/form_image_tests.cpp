// Off-screen pictures of a form (GetFormImage, PaintTo) against what the screen shows, pixel for
// pixel: scroll bars, borders of each style and client edges included.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/ui_fixture.h"
#include "vcl/extctrls.h"
#include "vcl/forms.h"
#include "vcl/stdctrls.h"
#include "win32/gdi.h"

namespace form_image_test {

using namespace vcl;

class FormImage : public zyltest::UiFixture {
protected:
    TForm* ShowForm() {
        auto* form = new TForm(Application, 0);
        form->SetBounds(20, 20, 420, 300);
        form->SetColor(clBtnFace);
        return form;
    }

    // The form's client area as the screen shows it.
    static std::unique_ptr<TBitmap> ScreenImage(TForm* form) {
        auto bitmap = std::make_unique<TBitmap>();
        const TRect client = form->ClientRect();
        bitmap->SetSize(client.right, client.bottom);
        const TPoint origin = form->ClientToScreen(Point(0, 0));
        const win32::HDC screen = win32::GetDC(nullptr);
        win32::BitBlt(bitmap->Canvas()->Handle(), 0, 0, client.right, client.bottom, screen, origin.x,
                      origin.y, win32::SRCCOPY);
        win32::ReleaseDC(nullptr, screen);
        return bitmap;
    }

    // The first pixel where the two pictures differ, or "" when they are equal.
    static std::string FirstDifference(TBitmap* a, TBitmap* b) {
        if (a->Width() != b->Width() || a->Height() != b->Height()) return "sizes differ";
        for (int y = 0; y < a->Height(); ++y)
            for (int x = 0; x < a->Width(); ++x)
                if (a->Canvas()->Pixels(x, y) != b->Canvas()->Pixels(x, y))
                    return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
        return "";
    }

    template <typename T>
    static T* Add(TForm* form, int x, int y, int width, int height) {
        auto* control = new T(form);
        control->SetParent(form);
        control->SetBounds(x, y, width, height);
        return control;
    }
};

TEST_F(FormImage, EqualsTheScreenWithScrollBarsBordersAndEdges) {
    TForm* form = ShowForm();
    auto* list = Add<TListBox>(form, 8, 8, 120, 90);  // client edge and a vertical scroll bar
    for (int i = 0; i < 30; ++i)
        list->Items()->Add("Item " + std::to_string(i));
    auto* memo = Add<TMemo>(form, 136, 8, 150, 90);  // both scroll bars and the corner box
    memo->SetScrollBars(TScrollStyle::ssBoth);
    memo->Lines()->SetText("one\ntwo\nthree\nfour\nfive\nsix\nseven\neight\nnine\nten");
    auto* flat = Add<TListBox>(form, 294, 8, 110, 90);  // no border at all
    flat->SetBorderStyle(bsNone);
    flat->Items()->Add("Flat");
    auto* single = Add<TPanel>(form, 8, 110, 120, 60);  // WS_BORDER
    single->SetBorderStyle(bsSingle);
    single->SetCaption("Single");
    auto* nested = Add<TListBox>(form, 0, 0, 80, 40);  // a scroll bar inside a bordered parent
    nested->SetParent(single);
    nested->SetBounds(4, 4, 80, 40);
    for (int i = 0; i < 10; ++i)
        nested->Items()->Add(std::to_string(i));
    Add<TEdit>(form, 136, 110, 150, 21)->SetText("Edit");
    auto* button = Add<TButton>(form, 294, 110, 90, 25);
    button->SetCaption("Button");
    form->Show();
    form->SetActiveControl(button);
    PumpUntilIdle();

    const auto onScreen = ScreenImage(form);
    const auto image = form->GetFormImage();
    EXPECT_EQ(FirstDifference(image.get(), onScreen.get()), "");

    // The scroll bar's arrow is drawn, not left as a plain strip: its top button differs from
    // the track below it.
    const TPoint arrow = Point(8 + 120 - 2 - 8, 8 + 2 + 8);
    const TPoint track = Point(arrow.x, 8 + 45);
    EXPECT_NE(image->Canvas()->Pixels(arrow.x, arrow.y), image->Canvas()->Pixels(track.x, track.y));
}

TEST_F(FormImage, PaintToOfOneControlDrawsItsFrame) {
    TForm* form = ShowForm();
    auto* list = Add<TListBox>(form, 10, 10, 100, 80);
    for (int i = 0; i < 30; ++i)
        list->Items()->Add("Item " + std::to_string(i));
    form->Show();
    PumpUntilIdle();

    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(list->Width(), list->Height());
    list->PaintTo(bitmap->Canvas(), 0, 0);
    const auto onScreen = ScreenImage(form);
    for (int y = 0; y < list->Height(); ++y)
        for (int x = 0; x < list->Width(); ++x)
            ASSERT_EQ(bitmap->Canvas()->Pixels(x, y), onScreen->Canvas()->Pixels(10 + x, 10 + y))
                << x << ", " << y;
}

// Forms keep the screen under them: freeing one puts back the form below as it was, without
// painting it again.
TEST_F(FormImage, FreeingAFormGivesBackTheFormBelowWithoutRepaint) {
    TForm* below = ShowForm();
    auto* list = Add<TListBox>(below, 8, 8, 120, 90);
    for (int i = 0; i < 30; ++i)
        list->Items()->Add("Item " + std::to_string(i));
    Add<TLabel>(below, 136, 8, 80, 16)->SetCaption("Label");
    Add<TButton>(below, 136, 40, 90, 25)->SetCaption("Button");
    int paints = 0;
    auto* box = Add<TPaintBox>(below, 240, 8, 100, 100);
    box->OnPaint = [&](TObject*) { ++paints; };
    below->Show();
    PumpUntilIdle();
    const auto before = ScreenImage(below);

    auto* above = new TForm(Application, 0);
    above->SetBounds(60, 40, 300, 200);
    Add<TEdit>(above, 8, 8, 100, 21);
    above->Show();
    PumpUntilIdle();
    paints = 0;
    delete above;
    PumpUntilIdle();
    EXPECT_EQ(paints, 0);
    EXPECT_EQ(FirstDifference(ScreenImage(below).get(), before.get()), "");
}

}  // namespace form_image_test
