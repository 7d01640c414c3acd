// The animator on a form: the play range on the manual clock, what opens and closes the clip,
// the errors raised in code and the missing clip a form may name, and clips from resources.
#include <gtest/gtest.h>

#include <fstream>

#include "pellic/zyltanimator.h"
#include "support/avi_writer.h"
#include "support/tempdir.h"
#include "support/ui_fixture.h"
#include "vcl/streaming.h"
#include "win32/commctrl.h"
#include "win32/resources.h"

namespace animator_tests {

using namespace pellic;
using namespace vcl;

class AnimatorTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        clip_ = (dir_.Path() / "clip.avi").string();
        const std::vector<uint8_t> bytes = zyltest::MakeAvi(zyltest::ThreeFrameRle8());
        std::ofstream(clip_, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        form_ = ShowForm();
        animator_ = new TZylAnimator(form_);
        animator_->SetParent(form_);
    }
    int Frame() const { return win32::testing::AnimateFrame(animator_->Handle()); }
    std::vector<int> Frames(int ticks) {
        std::vector<int> frames;
        for (int i = 0; i < ticks; ++i) {
            Advance(100);
            frames.push_back(Frame());
        }
        return frames;
    }
    static std::string ErrorOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const EZylAnimatorError& error) {
            return error.Message();
        }
        return "no error";
    }
    zyltest::TempDir dir_;
    std::string clip_;
    TForm* form_ = nullptr;
    TZylAnimator* animator_ = nullptr;
};

TEST_F(AnimatorTest, BusyPlaysTheRangeCyclesTimesOrEndlessly) {
    animator_->SetFilename(clip_);
    animator_->SetAction(TZylState::sBusy);
    EXPECT_EQ(Frames(4), (std::vector<int>{1, 2, 0, 1})) << "PlayTo -1 and Cycles -1: an endless loop";
    // The frame is drawn centred in the 32 x 32 window: frame 2's top row is green, blue, blue, green.
    Advance(100);
    animator_->Update();
    win32::HDC dc = win32::GetDC(animator_->Handle());
    EXPECT_EQ(win32::GetPixel(dc, 15, 15), win32::RGB(0, 0, 255));
    EXPECT_EQ(win32::GetPixel(dc, 17, 16), win32::RGB(0, 0, 255));
    EXPECT_EQ(win32::GetPixel(dc, 14, 16), win32::RGB(255, 0, 0));
    win32::ReleaseDC(animator_->Handle(), dc);

    animator_->SetCycles(1);
    animator_->SetPlayFrom(1);
    animator_->SetPlayTo(2);
    EXPECT_EQ(Frames(3), (std::vector<int>{2, 2, 2})) << "once through 1..2, then it stays";
    EXPECT_FALSE(win32::SendMessage(animator_->Handle(), win32::ACM_ISPLAYING, 0, 0));

    animator_->SetAction(TZylState::sOpen);
    animator_->SetAutoAnimate(false);
    EXPECT_EQ(Frames(2), (std::vector<int>{0, 0})) << "open shows the first frame";
    animator_->SetAction(TZylState::sClosed);
    EXPECT_EQ(Frame(), -1);
}

TEST_F(AnimatorTest, StyleFlagsMakeTheWindowAgainWithTheClip) {
    animator_->SetFilename(clip_);
    animator_->SetAction(TZylState::sOpen);
    const auto style = [&] { return win32::GetWindowLongPtr(animator_->Handle(), win32::GWL_STYLE); };
    EXPECT_EQ(style() & (win32::ACS_CENTER | win32::ACS_TRANSPARENT | win32::ACS_AUTOPLAY),
              win32::ACS_CENTER | win32::ACS_TRANSPARENT | win32::ACS_AUTOPLAY);
    animator_->SetCenter(false);
    animator_->SetAutoAnimate(false);
    EXPECT_EQ(style() & (win32::ACS_CENTER | win32::ACS_AUTOPLAY), 0);
    EXPECT_EQ(Frame(), 0) << "the new window opened the clip";
    EXPECT_EQ(animator_->Width(), 4) << "uncentred, the window takes the clip's size";
}

TEST_F(AnimatorTest, ClipsThatCannotBeReadRaiseInCodeButNotWhileAFormLoads) {
    const std::string missing = (dir_.Path() / "missing.avi").string();
    EXPECT_EQ(ErrorOf([&] { animator_->SetFilename(missing); }), "Unable to open AVI \"" + missing);
    EXPECT_EQ(Frame(), -1);
    TComponentPtr<TZylAnimator> unparented(new TZylAnimator(nullptr));
    EXPECT_EQ(ErrorOf([&] { unparented->SetFilename(missing); }), "Unable to open AVI \"" + missing)
        << "checked before the window exists";
    EXPECT_EQ(ErrorOf([&] { animator_->OpenAVIFile(missing); }), "Unable to open AVI \"" + missing);

    RegisterClass(TZylAnimator::StaticClass());
    TComponentPtr<TForm> form(new TForm(nullptr, 0));
    ReadComponentText(
        "object Form1: TForm\n  object Clip: TZylAnimator\n    Action = sBusy\n    Filename = '" + missing +
            "'\n  end\nend\n",
        form.get());
    auto* read = dynamic_cast<TZylAnimator*>(form->FindComponent("Clip"));
    ASSERT_NE(read, nullptr);
    form->Show();
    PumpUntilIdle();
    EXPECT_EQ(win32::testing::AnimateFrame(read->Handle()), -1) << "the form shows, the animator empty";
}

TEST_F(AnimatorTest, OpensNumberedClipResources) {
    static const std::vector<uint8_t> clip = zyltest::MakeAvi(zyltest::ThreeFrameRle8());
    static const bool registered = [] {
        win32::RegisterResource("", win32::RT_AVI, "#40", clip.data(), clip.size());
        return true;
    }();
    ASSERT_TRUE(registered);
    animator_->SetAction(TZylState::sBusy);
    animator_->SetCycles(1);
    animator_->OpenResource(40);
    EXPECT_EQ(Frames(3), (std::vector<int>{1, 2, 2}));
    EXPECT_EQ(ErrorOf([&] { animator_->OpenResource(41); }), "Unable to open AVI #41");
}

}  // namespace animator_tests
