// The animation control and its clip reader: RLE8 deltas and key frames, refused clips, playing on
// the manual clock with the parent told, transparency, and clips from files and resources.
#include <fstream>

#include "recorder.h"
#include "support/avi_writer.h"
#include "support/tempdir.h"
#include "win32/avi.h"
#include "win32/commctrl.h"
#include "win32/gdi.h"
#include "win32/resources.h"

namespace usertest {
namespace {

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

std::vector<uint32_t> Frame(AviClip& clip, int index) {
    EXPECT_TRUE(clip.Seek(index));
    return clip.Pixels();
}

TEST(AviClip, Rle8DeltasDrawOverTheFrameBeforeAndKeyFramesStartAfresh) {
    auto clip = AviClip::Parse(zyltest::MakeAvi(zyltest::ThreeFrameRle8()));
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->Width(), 4);
    EXPECT_EQ(clip->Height(), 2);
    EXPECT_EQ(clip->FrameCount(), 3);
    EXPECT_EQ(clip->MicrosecondsPerFrame(), 100'000u);
    const std::vector<uint32_t> first = {kGreen, kGreen, kGreen, kGreen, kRed, kRed, kRed, kRed};
    const std::vector<uint32_t> second = {kGreen, kBlue, kBlue, kGreen, kRed, kRed, kRed, kRed};
    const std::vector<uint32_t> third = {kGreen, kBlue, kBlue, kGreen, kRed, kRed, kRed, kBlue};
    EXPECT_EQ(Frame(*clip, 0), first);
    EXPECT_EQ(Frame(*clip, 2), third) << "frame 1 is decoded on the way";
    EXPECT_EQ(Frame(*clip, 1), second) << "going back decodes again from the key frame";
    EXPECT_FALSE(clip->Seek(3));
    EXPECT_EQ(clip->CurrentFrame(), 1);

    // Frame 2 as a key frame: what its delta leaves out is black, not frame 1.
    zyltest::AviLayout keyed = zyltest::ThreeFrameRle8();
    keyed.keys = {true, false, true};
    clip = AviClip::Parse(zyltest::MakeAvi(keyed));
    ASSERT_TRUE(clip);
    EXPECT_EQ(Frame(*clip, 2), (std::vector<uint32_t>{0, 0, 0, 0, 0, 0, 0, kBlue}));

    // A delta cut short leaves the frame before whole.
    zyltest::AviLayout cut = zyltest::ThreeFrameRle8();
    cut.frames[1] = {0, 2, 1, 1, 2};
    clip = AviClip::Parse(zyltest::MakeAvi(cut));
    ASSERT_TRUE(clip);
    EXPECT_EQ(Frame(*clip, 1), first);
}

TEST(AviClip, UncompressedFramesAreReadBottomRowFirst) {
    zyltest::AviLayout layout;
    layout.compression = 0;
    layout.frames = {{1, 1, 2, 3, 3, 3, 0, 0}};  // rows of four bytes: bottom, then top
    auto clip = AviClip::Parse(zyltest::MakeAvi(layout));
    ASSERT_TRUE(clip);
    EXPECT_EQ(Frame(*clip, 0), (std::vector<uint32_t>{kBlue, kBlue, 0, 0, kRed, kRed, kGreen, kBlue}));
}

TEST(AviClip, RefusesSoundOtherCodecsAndLyingOrTruncatedFiles) {
    std::string error;
    zyltest::AviLayout sound = zyltest::ThreeFrameRle8();
    sound.streamType = "auds";
    EXPECT_FALSE(AviClip::Parse(zyltest::MakeAvi(sound), &error));
    EXPECT_EQ(error, "the clip has sound");
    zyltest::AviLayout jpeg = zyltest::ThreeFrameRle8();
    jpeg.compression = 0x47504A4D;  // "MJPG"
    EXPECT_FALSE(AviClip::Parse(zyltest::MakeAvi(jpeg), &error));
    EXPECT_EQ(error, "the clip's frame format is unreadable: unsupported compression");
    EXPECT_FALSE(AviClip::Parse({'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}, &error));
    EXPECT_EQ(error, "not an AVI clip");

    const std::vector<uint8_t> whole = zyltest::MakeAvi(zyltest::ThreeFrameRle8());
    std::vector<uint8_t> lying = whole;
    lying[16] = 0xFF;  // the header list claims more than the file holds
    EXPECT_FALSE(AviClip::Parse(lying, &error));
    EXPECT_EQ(error, "a chunk of the clip runs past its end");
    // Every cut of the file is refused or read with the frames it still holds.
    for (size_t size = 0; size < whole.size(); ++size) {
        auto clip =
            AviClip::Parse(std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<long>(size)));
        if (!clip) continue;
        EXPECT_LE(clip->FrameCount(), 3);
        for (int i = clip->FrameCount() - 1; i >= 0; --i)
            EXPECT_TRUE(clip->Seek(i));
    }
}

class Animate : public UserTest {
protected:
    void SetUp() override {
        UserTest::SetUp();
        InitCommonControls();
        path_ = dir_.Path() / "clip.avi";
        const std::vector<uint8_t> bytes = zyltest::MakeAvi(zyltest::ThreeFrameRle8());
        std::ofstream(path_, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        parent_ = Top(100, 100, 300, 200);
    }
    HWND Make(DWORD style, int width = 40, int height = 30) {
        return CreateWindowEx(0, ANIMATE_CLASS, "", WS_CHILD | WS_VISIBLE | style, 10, 10, width, height,
                              parent_, MakeHandle<HMENU>(UINT_PTR{7}), nullptr, nullptr);
    }
    BOOL Open(HWND animate, const std::string& name) {
        return static_cast<BOOL>(SendMessage(animate, ACM_OPEN, 0, reinterpret_cast<LPARAM>(name.c_str())));
    }
    // The codes of the WM_COMMAND notifications the parent heard from control 7.
    std::vector<WORD> Notifications() {
        std::vector<WORD> codes;
        for (const Entry& e : Log())
            if (e.hwnd == parent_ && e.message == WM_COMMAND && LOWORD(e.wParam) == 7)
                codes.push_back(HIWORD(e.wParam));
        return codes;
    }
    static COLORREF PixelAt(HWND window, int x, int y) {
        UpdateWindow(window);
        HDC dc = GetDC(window);
        COLORREF color = GetPixel(dc, x, y);
        ReleaseDC(window, dc);
        return color;
    }
    zyltest::TempDir dir_;
    std::filesystem::path path_;
    HWND parent_ = nullptr;
};

TEST_F(Animate, PlaysTheRangeOnTheClockAndTellsTheParent) {
    HWND animate = Make(ACS_CENTER);
    ASSERT_TRUE(Open(animate, path_.string()));
    EXPECT_EQ(win32::testing::AnimateFrame(animate), 0);
    ASSERT_TRUE(SendMessage(animate, ACM_PLAY, static_cast<WPARAM>(-1), MAKELONG(0, 0xFFFF)));
    EXPECT_TRUE(SendMessage(animate, ACM_ISPLAYING, 0, 0));
    std::vector<int> frames;
    for (int tick = 0; tick < 5; ++tick) {
        win32::testing::AdvanceClock(100);
        Pump();
        frames.push_back(win32::testing::AnimateFrame(animate));
    }
    EXPECT_EQ(frames, (std::vector<int>{1, 2, 0, 1, 2})) << "an endless loop";
    // Centred in 40 x 30: the frame's top row is row 14, its pixels at 18..21.
    EXPECT_EQ(PixelAt(animate, 19, 14), RGB(0, 0, 255));
    EXPECT_EQ(PixelAt(animate, 21, 15), RGB(0, 0, 255));
    EXPECT_EQ(PixelAt(animate, 18, 15), RGB(255, 0, 0));

    // Once through frames 1 and 2: it stops on the last and says so.
    ASSERT_TRUE(SendMessage(animate, ACM_PLAY, 1, MAKELONG(1, 2)));
    EXPECT_EQ(win32::testing::AnimateFrame(animate), 1);
    for (int tick = 0; tick < 3; ++tick) {
        win32::testing::AdvanceClock(100);
        Pump();
    }
    EXPECT_EQ(win32::testing::AnimateFrame(animate), 2);
    EXPECT_FALSE(SendMessage(animate, ACM_ISPLAYING, 0, 0));
    EXPECT_EQ(Notifications(), (std::vector<WORD>{ACN_START, ACN_STOP, ACN_START, ACN_STOP}));

    EXPECT_FALSE(SendMessage(animate, ACM_PLAY, 1, MAKELONG(2, 1)));
    EXPECT_FALSE(SendMessage(animate, ACM_PLAY, 1, MAKELONG(0, 3)));
}

TEST_F(Animate, TransparentPixelsShowTheParentsBrushAndUncentredWindowsTakeTheClipsSize) {
    HBRUSH yellow = CreateSolidBrush(RGB(255, 255, 0));
    Handlers()[parent_] = [&](HWND, UINT message, WPARAM, LPARAM, LRESULT* result) {
        if (message != WM_CTLCOLORSTATIC) return false;
        *result = reinterpret_cast<LRESULT>(yellow);
        return true;
    };
    HWND animate = Make(ACS_TRANSPARENT);
    ASSERT_TRUE(Open(animate, path_.string()));
    RECT rect;
    GetClientRect(animate, &rect);
    EXPECT_EQ(rect.right, 4);
    EXPECT_EQ(rect.bottom, 2);
    EXPECT_EQ(PixelAt(animate, 0, 0), RGB(255, 255, 0)) << "the first frame's corner colour is transparent";
    EXPECT_EQ(PixelAt(animate, 0, 1), RGB(255, 0, 0));
    DestroyWindow(animate);
    DeleteObject(yellow);
}

TEST_F(Animate, OpensNumberedResourcesClosesAndRefusesWhatItCannotRead) {
    HWND animate = Make(ACS_CENTER | ACS_AUTOPLAY);
    HMODULE module = GetModuleHandle("zyltest");
    ASSERT_TRUE(SendMessage(animate, ACM_OPEN, reinterpret_cast<WPARAM>(module),
                            reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(12))));
    EXPECT_TRUE(SendMessage(animate, ACM_ISPLAYING, 0, 0)) << "auto-play starts at once";
    EXPECT_FALSE(SendMessage(animate, ACM_OPEN, reinterpret_cast<WPARAM>(module),
                             reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(13))));
    EXPECT_EQ(win32::testing::AnimateFrame(animate), -1) << "a failed open leaves no clip";
    EXPECT_FALSE(Open(animate, (dir_.Path() / "missing.avi").string()));
    ASSERT_TRUE(Open(animate, path_.string()));
    EXPECT_TRUE(SendMessage(animate, ACM_OPEN, 0, 0));
    EXPECT_EQ(win32::testing::AnimateFrame(animate), -1);
    EXPECT_FALSE(SendMessage(animate, ACM_ISPLAYING, 0, 0));
}

}  // namespace
}  // namespace usertest
