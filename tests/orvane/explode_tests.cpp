// The exploding outline: the rectangles of each wipe type, the steps of an animation, and a screen
// left as it was after showing and hiding the form.
#include <string>
#include <vector>

#include "orvane/zyltformexplode.h"
#include "system_fixture.h"
#include "win32/gdi.h"
#include "win32/user.h"

namespace explode_tests {

using namespace vcl;
using namespace orvane;
using systemtest::Sides;

class FormExplode : public systemtest::SystemTest {
protected:
    void SetUp() override {
        SystemTest::SetUp();
        form_ = new TForm(Application, 0);
        form_->SetBounds(101, 50, 301, 201);
    }
    TForm* form_ = nullptr;
};

TEST_F(FormExplode, EachWipeTypeGivesItsRectangle) {
    auto* explode = new TZylFormExplode(form_);
    explode->SetCustomLeft(7);
    explode->SetCustomTop(8);
    explode->SetCustomRight(9);
    explode->SetCustomBottom(10);
    // L 101, T 50, W 301, H 201 on 1024 x 768; R(301 / 2) = 150 and R(201 / 2) = 100 (halves to even).
    struct Case {
        TZylWipeType wipe;
        TRect expected;
    };
    const Case cases[] = {
        {wsFormTopBorder, {101, 50, 402, 50}},   {wsFormBottomBorder, {101, 251, 402, 251}},
        {wsFormLeftBorder, {101, 50, 101, 251}}, {wsFormRightBorder, {402, 50, 402, 251}},
        {wsScreenTopBorder, {0, 0, 1024, 0}},    {wsScreenBottomBorder, {0, 768, 1024, 768}},
        {wsScreenLeftBorder, {0, 0, 0, 768}},    {wsScreenRightBorder, {1024, 0, 1024, 768}},
        {wsFormTopLeft, {101, 50, 106, 55}},     {wsFormBottomLeft, {101, 246, 106, 251}},
        {wsFormTopRight, {402, 50, 397, 55}},    {wsFormBottomRight, {402, 251, 397, 246}},
        {wsScreenTopLeft, {0, 0, 5, 5}},         {wsScreenBottomLeft, {0, 763, 5, 768}},
        {wsScreenTopRight, {1024, 0, 1019, 5}},  {wsScreenBottomRight, {1024, 768, 1019, 763}},
        {wsFormMiddle, {249, 148, 253, 152}},    {wsScreenMiddle, {510, 382, 514, 386}},
        {wsCustompoint, {7, 8, 9, 10}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Sides(explode->WipeRect(c.wipe)), Sides(c.expected)) << EnumName(c.wipe);
}

TEST_F(FormExplode, AnAnimationStepsEvenlyAndEndsOnItsTarget) {
    auto* explode = new TZylFormExplode(form_);
    explode->SetNoOfSteps(3);
    const auto outlines = explode->Outlines({0, 0, 10, 10}, {10, 20, 40, 51});
    std::vector<std::array<long, 4>> sides;
    for (const TRect& r : outlines)
        sides.push_back(Sides(r));
    // Steps of (10 / 3, 20 / 3, 30 / 3, 41 / 3) truncated, four outlines, then the target.
    EXPECT_EQ(sides,
              (std::vector<std::array<long, 4>>{
                  {0, 0, 10, 10}, {3, 6, 20, 23}, {6, 12, 30, 36}, {9, 18, 40, 49}, {10, 20, 40, 51}}));
    explode->SetNoOfSteps(0);  // one step
    EXPECT_EQ(explode->Outlines({0, 0, 10, 10}, {10, 20, 40, 51}).size(), 3u);
}

// Compares the screen outside the form before and after.
std::vector<win32::COLORREF> ScreenOutside(const TRect& form) {
    std::vector<win32::COLORREF> pixels;
    win32::HDC dc = win32::GetDC(nullptr);
    for (int y = 0; y < 768; y += 3)
        for (int x = 0; x < 1024; x += 3)
            if (x < form.left || x >= form.right || y < form.top || y >= form.bottom)
                pixels.push_back(win32::GetPixel(dc, x, y));
    win32::ReleaseDC(nullptr, dc);
    return pixels;
}

TEST_F(FormExplode, ShowingAndHidingLeaveTheScreenAsItWas) {
    auto* explode = new TZylFormExplode(form_);
    explode->SetNoOfSteps(6);
    explode->SetOnShowType(wsScreenTopLeft);
    explode->SetOnCloseType(wsCustompoint);
    // Answers differently every time it is asked: the erase pass must not ask again.
    int asked = 0;
    explode->OnGetPoints = [&](TObject*, Integer& left, Integer& top, Integer& right, Integer& bottom) {
        ++asked;
        left = 700 + asked * 37;
        top = 500 + asked * 11;
        right = left + 40;
        bottom = top + 30;
    };
    const auto before = ScreenOutside(form_->BoundsRect());
    // A message waiting in the queue is processed after the first outline: the screen shows it then.
    std::vector<win32::COLORREF> during;
    win32::HWND spy = AllocateHWnd([&](TMessage& message) {
        if (message.Msg == win32::WM_USER + 7)
            during = ScreenOutside(form_->BoundsRect());
        else
            message.Result = win32::DefWindowProc(spy, message.Msg, message.WParam, message.LParam);
    });
    win32::PostMessage(spy, win32::WM_USER + 7, 0, 0);
    form_->Show();
    PumpUntilIdle();
    EXPECT_FALSE(during.empty());
    EXPECT_NE(during, before);
    EXPECT_EQ(ScreenOutside(form_->BoundsRect()), before);
    const TRect shownAt = form_->BoundsRect();
    form_->Hide();
    PumpUntilIdle();
    EXPECT_EQ(asked, 2) << "once per animation";
    EXPECT_EQ(ScreenOutside(shownAt), before);
    DeallocateHWnd(spy);
}

TEST_F(FormExplode, TheFormsOwnHandlersRunAfterTheAnimationAndComeBack) {
    std::vector<std::string> calls;
    form_->OnShow = [&](TObject*) { calls.push_back("show"); };
    form_->OnHide = [&](TObject*) { calls.push_back("hide"); };
    auto* explode = new TZylFormExplode(form_);
    explode->SetNoOfSteps(2);
    explode->OnGetPoints = [&](TObject*, Integer&, Integer&, Integer&, Integer&) {
        calls.push_back("animate");
    };
    explode->SetShowType(onHide);
    form_->Show();
    form_->Hide();
    EXPECT_EQ(calls, (std::vector<std::string>{"show", "animate", "hide"}));
    explode->Free();
    calls.clear();
    form_->Show();
    form_->Hide();
    EXPECT_EQ(calls, (std::vector<std::string>{"show", "hide"}));
    TComponentPtr<TComponent> notAForm(new TComponent(nullptr));
    EXPECT_THROW(TZylFormExplode{notAForm.get()}, EInvalidCast);
}

}  // namespace explode_tests
