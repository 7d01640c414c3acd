// The form slide: real forms slid into a host control, given back or freed when replaced, forms
// freed elsewhere, and refused or failing calls.
#include <string>

#include "lumaro/zylpresentation.h"
#include "support/ui_fixture.h"
#include "vcl/extctrls.h"

namespace formslide_tests {

std::string Text(const vcl::TRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

using namespace vcl;
using namespace lumaro;

// A form whose client area is one colour.
class TColorForm : public TForm {
    VCL_CLASS(TColorForm, TForm)
public:
    explicit TColorForm(TComponent* owner) : TForm(owner, 0) { SetColor(clLime); }
};

class FormSlideTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        RegisterClass<TColorForm>();
        host = ShowForm(100, 100, 300, 200);
        auto* panel = new TPanel(host);
        panel->SetParent(host);
        panel->SetBounds(10, 10, 200, 150);
        slide = new TZylFormSlide(host);
        slide->SetParent(panel);
        slide->SetBounds(5, 5, 120, 90);
        slide->SetSlideEffect(efWipeLeftToRight);
        PumpUntilIdle();
    }

    TForm* NewForm(TColor color) {
        auto* form = new TForm(Application, 0);
        form->SetColor(color);
        form->SetBounds(400, 300, 200, 100);
        return form;
    }

    win32::COLORREF At(Integer x, Integer y) { return ColorToRGB(slide->Canvas()->Pixels(x, y)); }

    TForm* host = nullptr;
    TZylFormSlide* slide = nullptr;
};

TEST_F(FormSlideTest, AFormSlidesInAndTheOneBeforeIsGivenBack) {
    TForm* first = NewForm(clRed);
    TForm* second = NewForm(clBlue);
    slide->Show(first);
    EXPECT_EQ(first->Parent(), slide);
    EXPECT_EQ(Text(first->BoundsRect()), Text(Rect(0, 0, 120, 90)));
    EXPECT_EQ(first->BorderStyle(), bsNone);
    EXPECT_TRUE(first->Visible());
    PumpUntilIdle();
    EXPECT_EQ(At(60, 45), ColorToRGB(clRed));

    slide->Show(second);
    EXPECT_EQ(slide->Form(), second);
    EXPECT_EQ(first->Parent(), nullptr);
    EXPECT_FALSE(first->Visible());
    PumpUntilIdle();
    EXPECT_EQ(At(119, 89), ColorToRGB(clBlue));
    EXPECT_FALSE(slide->Busy());
    // The form already shown: nothing happens.
    slide->Show(second);
    EXPECT_EQ(slide->Form(), second);
}

TEST_F(FormSlideTest, AFormTheControlMadeIsFreedWhenReplaced) {
    TCustomForm* made = slide->ShowInstance<TColorForm>();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Owner(), slide);
    PumpUntilIdle();
    EXPECT_EQ(At(60, 45), ColorToRGB(clLime));
    const int before = slide->ComponentCount();
    slide->Show(NewForm(clRed));
    EXPECT_EQ(slide->ComponentCount(), before - 1);
    EXPECT_THROW(slide->ShowInstance(TPanel::StaticClass()), EInvalidOperation);
}

TEST_F(FormSlideTest, AMissingFormIsRefusedAndAFreedOneDropped) {
    EXPECT_THROW(slide->Show(nullptr), EInvalidOperation);
    TForm* form = NewForm(clRed);
    slide->Show(form);
    form->Free();
    EXPECT_EQ(slide->Form(), nullptr);
    // Without a form the control shows the picture the last form left.
    slide->Invalidate();
    PumpUntilIdle();
    EXPECT_EQ(At(60, 45), ColorToRGB(clRed));
    slide->Show(NewForm(clBlue));
    PumpUntilIdle();
    EXPECT_EQ(At(60, 45), ColorToRGB(clBlue));
}

TEST_F(FormSlideTest, AFailingShowLeavesTheControlReady) {
    TForm* failing = NewForm(clRed);
    failing->OnShow = [](TObject*) { throw Exception("cannot show"); };
    try {
        slide->Show(failing);
    } catch (const Exception&) {
    }
    EXPECT_FALSE(slide->Busy());
    TForm* next = NewForm(clBlue);
    slide->Show(next);
    EXPECT_EQ(slide->Form(), next);
}

TEST_F(FormSlideTest, AFormFreedWhileItSlidesOutIsNotTouchedAgain) {
    TForm* first = NewForm(clRed);
    slide->Show(first);
    auto* timer = new TTimer(host);
    timer->SetInterval(30);
    timer->SetOnTimer([timer, first](TObject*) {
        timer->SetEnabled(false);
        first->Free();
    });
    slide->Show(NewForm(clBlue));
    EXPECT_FALSE(slide->Busy());
    EXPECT_NE(slide->Form(), nullptr);
}

}  // namespace formslide_tests
