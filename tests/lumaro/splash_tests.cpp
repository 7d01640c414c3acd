// The splash screen: shown for its time on the manual clock, closed early by the program, in front
// of a main form that appears meanwhile, across the tick count's wrap, through an exception in
// OnRun, refusing re-entry, and the picture it paints.
#include <memory>
#include <string>
#include <vector>

#include "lumaro/zylsplash.h"
#include "support/ui_fixture.h"
#include "vcl/extctrls.h"
#include "vcl/streaming.h"

namespace {

using namespace vcl;
using namespace lumaro;

class SplashTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        owner = ShowForm(0, 0, 200, 100);
        splash = new TZylSplashScreen(owner);
        splash->OnSplashDone = [this](TObject* sender) {
            EXPECT_EQ(sender, splash->SplashForm());
            ++done;
        };
        Application->ClearExceptionLog();
    }

    static int SplashFormsOnScreen() {
        int count = 0;
        for (Integer i = 0; i < Screen->FormCount(); ++i)
            if (dynamic_cast<TSplashForm*>(Screen->Forms(i))) ++count;
        return count;
    }

    TForm* owner = nullptr;
    TZylSplashScreen* splash = nullptr;
    int done = 0;
};

TEST_F(SplashTest, ShowsABorderlessWindowForItsTime) {
    splash->SetDelayInMsec(500);
    splash->SetScreencenter(true);
    bool shown = false;
    splash->OnRun = [&](TObject* sender) {
        auto* form = dynamic_cast<TSplashForm*>(sender);
        ASSERT_NE(form, nullptr);
        shown = form->Visible();
        EXPECT_EQ(form->BorderStyle(), bsNone);
        EXPECT_EQ(form->Width(), 300);
        EXPECT_EQ(form->Height(), 200);
        EXPECT_EQ(form->Left(), (1024 - 300) / 2);
        EXPECT_EQ(form->Top(), (768 - 200) / 2);
        EXPECT_EQ(done, 0);
    };
    const auto start = win32::GetTickCount64();
    splash->Execute();
    EXPECT_TRUE(shown);
    EXPECT_EQ(win32::GetTickCount64() - start, 500u);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(splash->SplashForm(), nullptr);
    EXPECT_EQ(SplashFormsOnScreen(), 0);
}

TEST_F(SplashTest, NoDelayClosesRightAfterOnRun) {
    splash->SetDelayInMsec(-5);  // ignored
    EXPECT_EQ(splash->DelayInMsec(), 0);
    const auto start = win32::GetTickCount64();
    splash->Execute();
    EXPECT_EQ(win32::GetTickCount64(), start);
    EXPECT_EQ(done, 1);
}

TEST_F(SplashTest, TheProgramClosesItEarlyWhileTheMainFormAppearsBehind) {
    splash->SetDelayInMsec(5000);
    TForm* mainForm = nullptr;
    TComponentPtr<TTimer> ready(new TTimer(nullptr));
    ready->SetEnabled(false);
    ready->SetInterval(300);
    bool splashInFront = false;
    ready->SetOnTimer([&](TObject*) {
        ready->SetEnabled(false);
        // Meanwhile the application went on: its main form is up, under the splash.
        TSplashForm* form = splash->SplashForm();
        const TPoint centre = form->ClientToScreen(Point(150, 100));
        splashInFront = mainForm->Visible() && win32::WindowFromPoint({centre.x, centre.y}) == form->Handle();
        splash->Close();
    });
    splash->OnRun = [&](TObject*) {
        mainForm = new TForm(Application, 0);
        mainForm->SetBounds(0, 0, 800, 600);
        mainForm->Show();
        ready->SetEnabled(true);
    };
    const auto start = win32::GetTickCount64();
    splash->Execute();
    EXPECT_TRUE(splashInFront);
    const auto elapsed = win32::GetTickCount64() - start;
    EXPECT_GE(elapsed, 300u);
    EXPECT_LT(elapsed, 400u);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(SplashFormsOnScreen(), 0);
    EXPECT_TRUE(mainForm->Visible());
}

TEST_F(SplashTest, TheTickCountsWrapDoesNotShortenOrStretchTheWait) {
    win32::testing::AdvanceClock(0xFFFFFFFFu - 100);
    splash->SetDelayInMsec(300);
    const auto start = win32::GetTickCount64();
    splash->Execute();
    EXPECT_EQ(win32::GetTickCount64() - start, 300u);
    EXPECT_LT(win32::GetTickCount(), 300u);  // the 32-bit count did wrap meanwhile
}

TEST_F(SplashTest, AnExceptionInOnRunClosesTheSplashAndReachesTheApplication) {
    splash->SetDelayInMsec(1000);
    splash->OnRun = [](TObject*) { throw Exception("start-up failed"); };
    EXPECT_NO_THROW(splash->Execute());
    EXPECT_EQ(done, 1);
    EXPECT_EQ(splash->SplashForm(), nullptr);
    EXPECT_EQ(SplashFormsOnScreen(), 0);
    ASSERT_EQ(Application->ExceptionLog().size(), 1u);
    EXPECT_NE(Application->ExceptionLog()[0].find("start-up failed"), std::string::npos);
    // The component is usable again afterwards.
    splash->OnRun = nullptr;
    splash->Execute();
    EXPECT_EQ(done, 2);
}

TEST_F(SplashTest, ExecuteWhileShownIsRefused) {
    int runs = 0;
    splash->OnRun = [&](TObject*) {
        ++runs;
        splash->Execute();
        EXPECT_EQ(SplashFormsOnScreen(), 1);
    };
    splash->Execute();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(done, 1);
}

TEST_F(SplashTest, AHandlerMayFreeTheComponent) {
    splash->SetDelayInMsec(100);
    splash->OnSplashDone = nullptr;
    splash->OnRun = [this](TObject*) { delete splash; };
    splash->Execute();
    EXPECT_EQ(SplashFormsOnScreen(), 0);
}

TEST_F(SplashTest, PictureCentresTheImageBetweenTheFrames) {
    auto image = std::make_unique<TBitmap>();
    image->SetSize(41, 30);
    image->Canvas()->Brush()->SetColor(clRed);
    image->Canvas()->FillRect(Rect(0, 0, 41, 30));
    splash->SetImage(image.get());
    auto picture = splash->PaintSplash();
    ASSERT_EQ(picture->Width(), 300);
    ASSERT_EQ(picture->Height(), 200);
    const auto at = [&](int x, int y) { return ColorToRGB(picture->Canvas()->Pixels(x, y)); };
    // (300 - 41) / 2 = 129.5 rounds to 130, the even neighbour.
    EXPECT_EQ(at(130, 85), ColorToRGB(clRed));
    EXPECT_EQ(at(129, 85), ColorToRGB(clBtnFace));
    EXPECT_EQ(at(170, 114), ColorToRGB(clRed));
    EXPECT_EQ(at(171, 114), ColorToRGB(clBtnFace));
    // A raised frame outside, then two pixels of border, then the lowered frame.
    EXPECT_EQ(at(0, 0), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(at(299, 199), ColorToRGB(clBtnShadow));
    EXPECT_EQ(at(2, 2), ColorToRGB(clBtnFace));
    EXPECT_EQ(at(3, 3), ColorToRGB(clBtnShadow));
    EXPECT_EQ(at(296, 196), ColorToRGB(clBtnHighlight));

    // Larger than the splash: from the top-left corner, clipped.
    image->SetSize(400, 250);
    image->Canvas()->Brush()->SetColor(clBlue);
    image->Canvas()->FillRect(Rect(0, 0, 400, 250));
    splash->SetImage(image.get());
    splash->SetBorderwidth(-1);  // ignored
    EXPECT_EQ(splash->Borderwidth(), 2);
    picture = splash->PaintSplash();
    EXPECT_EQ(at(1, 1), ColorToRGB(clBlue));
    EXPECT_EQ(at(298, 198), ColorToRGB(clBlue));
}

}  // namespace

namespace {

TEST_F(SplashTest, FormFileKeepsTheSettingsAndTheBackgroundLink) {
    owner->SetName("Start");
    auto* fill = new TZylBackground(owner);
    fill->SetName("Fill");
    splash->SetName("Splash");
    splash->SetBackground(fill);
    splash->SetSplashWidth(320);
    splash->SetDelayInMsec(1500);
    splash->SetScreencenter(true);
    splash->InsideFrame()->SetFrameWidth(3);
    const std::string text = ComponentToText(owner);
    EXPECT_EQ(text.find("DesignExecute"), std::string::npos) << text;
    TComponentPtr<TForm> copy(new TForm(nullptr, 0));
    ReadComponentText(text, copy.get());
    auto* reloaded = dynamic_cast<TZylSplashScreen*>(copy->FindComponent("Splash"));
    ASSERT_NE(reloaded, nullptr);
    EXPECT_EQ(reloaded->SplashWidth(), 320);
    EXPECT_EQ(reloaded->SplashHeight(), 200);
    EXPECT_EQ(reloaded->DelayInMsec(), 1500);
    EXPECT_TRUE(reloaded->Screencenter());
    EXPECT_EQ(reloaded->InsideFrame()->FrameStyle(), frameLowered);
    EXPECT_EQ(reloaded->InsideFrame()->FrameWidth(), 3);
    EXPECT_EQ(reloaded->Background(), copy->FindComponent("Fill"));
    // The link lets go of a background that goes away.
    delete fill;
    EXPECT_EQ(splash->Background(), nullptr);
}

}  // namespace

namespace {

TEST_F(SplashTest, AProgramThatQuitsDoesNotWaitForTheRest) {
    splash->SetDelayInMsec(60000);
    splash->OnRun = [](TObject*) { Application->Terminate(); };
    const auto start = win32::GetTickCount64();
    splash->Execute();
    EXPECT_LT(win32::GetTickCount64() - start, 100u);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(SplashFormsOnScreen(), 0);
}

}  // namespace
