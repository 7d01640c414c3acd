// The slide list and the presentation: names after deletion and moves, copies, the order of the
// show's events with and without looping, slide composition, pacing on the manual clock, and handlers
// that stop, shrink or free the show while a transition runs, and the slides editor.
#include <memory>
#include <string>
#include <vector>

#include "lumaro/zylpresentation.h"
#include "support/ui_fixture.h"
#include "vcl/designhost.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"
#include "vcl/streaming.h"

namespace presentation_tests {

using namespace vcl;
using namespace lumaro;
namespace platform = win32::testing;

constexpr Integer kLimit = 5000;

class PresentationTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        form = ShowForm(100, 100, 300, 200);
        show = new TZylPresentation(form);
        show->SetParent(form);
        show->SetBounds(10, 10, 40, 30);
        show->SetColor(clBlack);
        show->OnSlideDone = [this](TObject*) {
            events.push_back("slide " + std::to_string(show->NextSlide()));
        };
        show->OnLoopDone = [this](TObject*) { events.push_back("loop"); };
    }
    void TearDown() override {
        while (CheckSynchronize(0)) {
        }
        UiFixture::TearDown();
    }

    // Slides of one colour each (picture slides, stretched), shown with efWipeTopToBottom.
    void AddSlides(const std::vector<TColor>& colors) {
        for (TColor color : colors) {
            TZylSlide* slide = show->Slides()->Add();
            auto picture = ZylNewSlidePicture(4, 4, color);
            slide->SetBitmap(picture.get());
            slide->SetStyle(2);
            slide->SetStretch(true);
            slide->SetEffect(Integer(efWipeTopToBottom));
        }
    }

    // What the control shows on screen at (x, y).
    win32::COLORREF ScreenAt(Integer x, Integer y) { return ColorToRGB(show->Canvas()->Pixels(x, y)); }

    static std::vector<std::string> Ids(TZylSlides* slides) {
        std::vector<std::string> ids;
        for (int i = 0; i < slides->Count(); ++i)
            ids.push_back(slides->Items(i)->ID());
        return ids;
    }

    TForm* form = nullptr;
    TZylPresentation* show = nullptr;
    std::vector<std::string> events;
};

TEST_F(PresentationTest, DeletingRenumbersAndMovingSwapsContents) {
    AddSlides({clRed, clLime, clBlue, clYellow});
    EXPECT_EQ(Ids(show->Slides()),
              (std::vector<std::string>{"Slide - 0", "Slide - 1", "Slide - 2", "Slide - 3"}));
    show->Slides()->Items(0)->SetText("first");
    show->Slides()->Delete(1);
    EXPECT_EQ(Ids(show->Slides()), (std::vector<std::string>{"Slide - 0", "Slide - 1", "Slide - 2"}));
    show->Slides()->Items(2)->SetID("Last");
    show->Slides()->Move(0, 2);
    EXPECT_EQ(Ids(show->Slides()), (std::vector<std::string>{"Last", "Slide - 1", "Slide - 0"}));
    EXPECT_EQ(show->Slides()->Items(2)->Text(), "first");
    EXPECT_THROW(show->Slides()->Move(0, 3), EListError);
}

TEST_F(PresentationTest, AssignCopiesEveryValueAndStretchToo) {
    AddSlides({clRed});
    TZylSlide* from = show->Slides()->Items(0);
    from->SetText("text");
    from->SetEffect(7);
    TZylSlide copy(nullptr);
    copy.Assign(from);
    EXPECT_TRUE(copy.Stretch());
    EXPECT_EQ(copy.Style(), 2);
    EXPECT_EQ(copy.Effect(), 7);
    EXPECT_EQ(copy.Text(), "text");
    EXPECT_EQ(copy.ID(), "Slide - 0");
    EXPECT_EQ(copy.Bitmap()->Width(), 4);
}

TEST_F(PresentationTest, SpeedIgnoresNegativesAndClampsTheTimerInterval) {
    show->SetSpeed(-1);
    EXPECT_EQ(show->Speed(), 1000);
    show->SetSpeed(70000);
    EXPECT_EQ(show->Speed(), 70000);
    EXPECT_EQ(show->Timer()->Interval(), 65535);
    show->SetSpeed(250);
    EXPECT_EQ(show->Timer()->Interval(), 250);
}

TEST_F(PresentationTest, EventsComeInShowOrderAndTheShowStopsAfterOneLoop) {
    AddSlides({clRed, clLime, clBlue});
    for (int tick = 0; tick < 3; ++tick)
        show->RunSlides();
    // OnSlideDone sees the slide just shown as the next one still.
    EXPECT_EQ(events, (std::vector<std::string>{"slide 0", "slide 1", "slide 2", "loop"}));
    EXPECT_EQ(show->NextSlide(), 0);
    EXPECT_FALSE(show->Timer()->Enabled());
    EXPECT_EQ(ScreenAt(20, 15), ColorToRGB(clBlue));
}

TEST_F(PresentationTest, KeepLoopingStartsOverOnTheTimer) {
    AddSlides({clRed, clLime});
    show->SetKeepLooping(true);
    show->SetSpeed(100);
    show->LoopSlides();
    for (int tick = 0; tick < 3; ++tick) {
        ASSERT_TRUE(platform::WaitForClockWaiters(1, kLimit));
        platform::AdvanceClock(100);
        ASSERT_TRUE(CheckSynchronize(kLimit));
    }
    EXPECT_EQ(events, (std::vector<std::string>{"slide 0", "slide 1", "loop", "slide 0"}));
    EXPECT_TRUE(show->Timer()->Enabled());
    EXPECT_EQ(ScreenAt(20, 15), ColorToRGB(clRed));
    show->Stop();
    EXPECT_FALSE(show->Timer()->Enabled());
}

TEST_F(PresentationTest, FramesArePacedOnThePlatformClock) {
    AddSlides({clRed});
    int frames = 0;
    auto* counter = new TTimer(form);
    counter->SetInterval(1);
    counter->SetOnTimer([&frames](TObject*) { ++frames; });
    const auto before = win32::GetTickCount64();
    show->DoOneSlide(0);
    // 31 rows in 30 frames of 1/60 s: the last frame is due at 29 * 1000 / 60 ms.
    EXPECT_EQ(win32::GetTickCount64() - before, 483u);
    EXPECT_GE(frames, 29);
    EXPECT_EQ(ScreenAt(0, 29), ColorToRGB(clRed));
}

TEST_F(PresentationTest, SlidesComposeOverTheBackgroundOrTheColor) {
    // Style 0: only the background (here the colour).
    TZylSlide* empty = show->Slides()->Add();
    empty->SetEffect(Integer(efNone));
    show->DoOneSlide(0);
    EXPECT_EQ(ScreenAt(5, 5), ColorToRGB(clBlack));
    // A picture larger than the control, not stretched, shows its top-left corner.
    TZylSlide* big = show->Slides()->Add();
    auto picture = ZylNewSlidePicture(100, 100, clYellow);
    picture->Canvas()->SetPixels(0, 0, clRed);
    big->SetBitmap(picture.get());
    big->SetStyle(2);
    big->SetEffect(Integer(efNone));
    show->DoOneSlide(1);
    EXPECT_EQ(ScreenAt(0, 0), ColorToRGB(clRed));
    EXPECT_EQ(ScreenAt(39, 29), ColorToRGB(clYellow));
    // A small picture is centred: 40 / 2 - 10 / 2 = 15, 30 / 2 - 10 / 2 = 10.
    auto small = ZylNewSlidePicture(10, 10, clLime);
    big->SetBitmap(small.get());
    show->DoOneSlide(1);
    EXPECT_EQ(ScreenAt(14, 10), ColorToRGB(clBlack));
    EXPECT_EQ(ScreenAt(15, 10), ColorToRGB(clLime));
    EXPECT_EQ(ScreenAt(24, 19), ColorToRGB(clLime));
    EXPECT_EQ(ScreenAt(25, 19), ColorToRGB(clBlack));
    // The slide stays on screen when the control repaints.
    show->Invalidate();
    PumpUntilIdle();
    EXPECT_EQ(ScreenAt(15, 10), ColorToRGB(clLime));
}

TEST_F(PresentationTest, TheNextSlideWrapsWhenTheListShrank) {
    AddSlides({clRed, clLime, clBlue});
    show->RunSlides();
    show->RunSlides();
    ASSERT_EQ(show->NextSlide(), 2);
    show->Slides()->Delete(2);
    show->Slides()->Delete(1);
    events.clear();
    show->RunSlides();
    EXPECT_EQ(events, (std::vector<std::string>{"slide 0", "loop"}));
    EXPECT_EQ(ScreenAt(20, 15), ColorToRGB(clRed));
    // Nothing to show: no event, no failure.
    show->Slides()->Clear();
    events.clear();
    show->RunSlides();
    show->DoOneSlide(5);
    EXPECT_TRUE(events.empty());
}

// A handler that runs from the messages a transition processes between its frames.
class DuringTransitionTest : public PresentationTest {
protected:
    void Meanwhile(std::function<void()> action) {
        auto* timer = new TTimer(form);
        timer->SetInterval(40);
        timer->SetOnTimer([timer, action = std::move(action)](TObject*) {
            timer->SetEnabled(false);
            action();
        });
    }
};

TEST_F(DuringTransitionTest, StopEndsTheTransitionOnTheWholeSlide) {
    AddSlides({clRed, clLime});
    const auto before = win32::GetTickCount64();
    Meanwhile([this] { show->Stop(); });
    show->LoopSlides();
    show->RunSlides();
    EXPECT_LT(win32::GetTickCount64() - before, 200u);
    EXPECT_EQ(ScreenAt(20, 29), ColorToRGB(clRed));
    EXPECT_FALSE(show->Timer()->Enabled());
    EXPECT_FALSE(show->Busy());
    EXPECT_EQ(events, (std::vector<std::string>{"slide 0"}));
}

TEST_F(DuringTransitionTest, DeletingTheSlidesLetsTheTransitionFinish) {
    AddSlides({clRed, clLime});
    Meanwhile([this] { show->Slides()->Clear(); });
    show->RunSlides();
    EXPECT_EQ(ScreenAt(20, 29), ColorToRGB(clRed));
    EXPECT_EQ(show->NextSlide(), 0);
    EXPECT_EQ(events, (std::vector<std::string>{"slide 0", "loop"}));
}

TEST_F(DuringTransitionTest, FreeingTheShowEndsTheRunQuietly) {
    AddSlides({clRed, clLime});
    Application->ClearExceptionLog();
    Meanwhile([this] {
        show->Free();
        show = nullptr;
    });
    TZylPresentation* running = show;
    running->RunSlides();
    EXPECT_EQ(show, nullptr);
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(Application->ExceptionLog().empty());
}

TEST_F(PresentationTest, SlidesRoundTripThroughAFormFile) {
    AddSlides({clRed});
    show->SetName("Show");
    show->SetSpeed(1000);
    show->SetKeepLooping(true);
    show->Slides()->Items(0)->SetText("Hello");
    const std::string text = ComponentToText(show);
    EXPECT_EQ(text.find("Speed"), std::string::npos) << text;
    TComponentPtr<TZylPresentation> copy(new TZylPresentation(nullptr));
    ReadComponentText(text, copy.get());
    ASSERT_EQ(copy->Slides()->Count(), 1);
    TZylSlide* slide = copy->Slides()->Items(0);
    EXPECT_EQ(slide->Text(), "Hello");
    EXPECT_TRUE(slide->Stretch());
    EXPECT_EQ(slide->Style(), 2);
    EXPECT_EQ(slide->Effect(), Integer(efWipeTopToBottom));
    EXPECT_EQ(slide->Bitmap()->Width(), 4);
    EXPECT_TRUE(copy->KeepLooping());
}

}  // namespace presentation_tests

namespace presentation_tests {

// The "Slide Configuration" editor works on the live slides: added, written, moved and deleted slides
// stay as they are when the dialog is closed with Escape from the memo.
class SlidesEditorTest : public zyltest::UiFixture {};

TEST_F(SlidesEditorTest, TheDialogEditsTheLiveSlides) {
    TDesignerHost host;
    host.LoadPackage("lumaro");
    host.NewForm(TForm::StaticClass(), "Designed");
    auto* designed = static_cast<TZylPresentation*>(host.DropComponent("TZylPresentation"));
    std::vector<std::string> listed;
    host.AnswerModal("SlideConfiguration", [&](TCustomForm& dialog) {
        auto click = [&](const char* name) { static_cast<TButton*>(dialog.FindComponent(name))->Click(); };
        auto* memo = static_cast<TMemo*>(dialog.FindComponent("SlideText"));
        click("AddSlide");
        memo->SetText("Welcome");
        click("AddSlide");
        EXPECT_EQ(memo->Text(), "");  // the new slide is selected
        click("MoveUp");
        auto* list = static_cast<TListBox*>(dialog.FindComponent("SlideList"));
        EXPECT_EQ(list->ItemIndex(), 0);
        for (int i = 0; i < list->Count(); ++i)
            listed.push_back(list->Items()->Strings(i));
        memo->SetText("Agenda");
        dialog.SetModalResult(mrCancel);
    });
    host.EditProperty(designed, "Slides");
    TZylSlides* slides = designed->Slides();
    ASSERT_EQ(slides->Count(), 2);
    EXPECT_EQ(listed, (std::vector<std::string>{slides->Items(0)->ID(), slides->Items(1)->ID()}));
    EXPECT_EQ(slides->Items(0)->Text(), "Agenda");
    EXPECT_EQ(slides->Items(1)->Text(), "Welcome");

    host.AnswerModal("SlideConfiguration", [&](TCustomForm& dialog) {
        EXPECT_EQ(static_cast<TMemo*>(dialog.FindComponent("SlideText"))->Text(), "Agenda");
        static_cast<TButton*>(dialog.FindComponent("DeleteSlide"))->Click();
        dialog.SetModalResult(mrOk);
    });
    host.EditProperty(designed, "Slides");
    ASSERT_EQ(slides->Count(), 1);
    EXPECT_EQ(slides->Items(0)->Text(), "Welcome");
}

}  // namespace presentation_tests
