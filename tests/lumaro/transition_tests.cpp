// The transition engine: how many frames each effect takes, what its first, middle and last frames
// show (exact pixels where the traversal fixes them, a pinned picture for the rest), and runs at the
// extreme sizes.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "lumaro/painting.h"
#include "lumaro/zylpresentation.h"
#include "vcl/system.h"

namespace transition_tests {

using namespace vcl;
using namespace lumaro;

constexpr TColor kOld = 0x00103050;

// A picture whose every pixel differs from its neighbours and from kOld.
std::unique_ptr<TBitmap> Pattern(Integer w, Integer h) {
    auto picture = ZylNewSlidePicture(w, h, clBlack);
    for (Integer y = 0; y < h; ++y) {
        auto* row = static_cast<uint32_t*>(picture->ScanLine(y));
        for (Integer x = 0; x < w; ++x)
            row[x] = 0x00800000u | static_cast<uint32_t>((x & 0xFF) << 8) | static_cast<uint32_t>(y & 0xFF);
    }
    return picture;
}

uint32_t Pixel(TBitmap* bitmap, Integer x, Integer y) {
    return static_cast<uint32_t*>(bitmap->ScanLine(y))[x] & 0x00FFFFFF;
}

// The pictures of a run, frame by frame.
struct TransitionRun {
    std::unique_ptr<TBitmap> source, target;
    TZylTransition transition;
    Integer done = 0;
    uint32_t old;

    TransitionRun(TZylSlideeffects effect, Integer w, Integer h)
        : source(Pattern(w, h)),
          target(ZylNewSlidePicture(w, h, kOld)),
          transition(Integer(effect), w, h),
          old(Pixel(target.get(), 0, 0)) {}
    void Through(Integer frame) {
        for (; done <= frame; ++done)
            transition.RenderFrame(done, source.get(), target.get());
    }
    bool Shows(Integer x, Integer y) const { return Pixel(target.get(), x, y) == Pixel(source.get(), x, y); }
    bool Old(Integer x, Integer y) const { return Pixel(target.get(), x, y) == old; }
};

TEST(TransitionFrames, EachEffectTakesItsStepsUpToThirtyFrames) {
    // At 29 x 29: rows and columns run 0..29 (30 steps), halves R(30 / 2) + 1, thirds R(30 / 3) + 1.
    const Integer expected[kSlideEffectCount] = {0,  1,  30, 30, 30, 30, 30, 30, 30, 30, 16, 16, 16, 16,
                                                 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30,
                                                 29, 29, 30, 30, 30, 30, 16, 16, 16, 16, 27, 27, 27, 9,
                                                 30, 30, 30, 30, 15, 30, 27, 27, 27, 16, 16, 16, 16};
    for (Integer effect = 1; effect < kSlideEffectCount; ++effect) {
        const TZylTransition transition(effect, 29, 29);
        EXPECT_EQ(transition.FrameCount(), expected[effect])
            << EnumName(static_cast<TZylSlideeffects>(effect));
    }
}

TEST(TransitionFrames, RandomDrawsARealEffectAndUnknownNumbersShowNone) {
    SetRandSeed(1234);
    for (int draw = 0; draw < 200; ++draw) {
        const TZylTransition transition(0, 10, 10);
        EXPECT_NE(transition.Effect(), efRandom);
    }
    for (Integer effect : {-1, 55, 200}) {
        const TZylTransition transition(effect, 10, 10);
        EXPECT_EQ(transition.Effect(), efNone) << effect;
        EXPECT_EQ(transition.FrameCount(), 1);
    }
}

// What the traversal has revealed after `steps` steps at (x, y) of a w x h area, for the effects whose
// order fixes it outright.
using Revealed = std::function<bool(Integer steps, Integer x, Integer y, Integer w, Integer h)>;

// The far end of a traversal that starts at `size` (clamped to the last line) and comes back n steps.
bool FromFarEnd(Integer n, Integer at, Integer size) {
    return at > size - n || (n >= 1 && at == size - 1);
}

struct Geometry {
    TZylSlideeffects effect;
    Revealed revealed;
};

const Geometry kGeometries[] = {
    {efWipeTopToBottom, [](Integer n, Integer, Integer y, Integer, Integer) { return y < n; }},
    {efWipeBottomToTop,
     [](Integer n, Integer, Integer y, Integer, Integer h) { return FromFarEnd(n, y, h); }},
    {efWipeLeftToRight, [](Integer n, Integer x, Integer, Integer, Integer) { return x < n; }},
    {efWipeRightToLeft,
     [](Integer n, Integer x, Integer, Integer w, Integer) { return FromFarEnd(n, x, w); }},
    {efCloseHorizontalCurtain,
     [](Integer n, Integer x, Integer, Integer w, Integer) { return x < n || FromFarEnd(n, x, w); }},
    {efCloseVerticalCurtain,
     [](Integer n, Integer, Integer y, Integer, Integer h) { return y < n || FromFarEnd(n, y, h); }},
    {efLeftTopToRightBottomWipe, [](Integer n, Integer x, Integer y, Integer, Integer) { return x + y < n; }},
    {efRightBottomToLeftTopWipe,
     [](Integer n, Integer x, Integer y, Integer w, Integer h) { return x + y > w + h - 2 - n; }},
    {efLeftBottomToRightTopWipe,
     [](Integer n, Integer x, Integer y, Integer, Integer h) { return x - y < n - (h - 1); }},
    {efLeftRightDoppel,
     [](Integer n, Integer x, Integer y, Integer w, Integer) {
         return n > w + 1 ? (y % 2 == 0 || x < n - (w + 1)) : (y % 2 == 0 && x < n);
     }},
    {efBitBlt,
     [](Integer n, Integer x, Integer y, Integer, Integer) {
         const Integer order[3][3] = {{8, 7, 6}, {1, 0, 5}, {2, 3, 4}};  // [x mod 3][y mod 3]
         return order[x % 3][y % 3] < n;
     }},
    {efScreenOff,
     [](Integer n, Integer x, Integer y, Integer w, Integer h) {
         return std::min({x, y, w - 1 - x, h - 1 - y}) < n;
     }},
    {efFadeDown, [](Integer n, Integer x, Integer y, Integer,
                    Integer h) { return (x + y) % 2 == 0 ? (y < n) : (y < n - h); }},
};

TEST(TransitionFrames, FirstMiddleAndLastFramesFollowTheTraversal) {
    // Not square, so that rows and columns cannot be mistaken for each other; an odd height keeps the
    // even and odd rows of the doppel passes clear of the clamped last line.
    constexpr Integer w = 20, h = 13;
    for (const Geometry& geometry : kGeometries) {
        TransitionRun run(geometry.effect, w, h);
        const Integer frames = run.transition.FrameCount();
        for (Integer frame : {Integer{0}, frames / 2, frames - 1}) {
            run.Through(frame);
            const Integer steps = run.transition.StepsThrough(frame);
            int wrong = 0;
            for (Integer y = 0; y < h; ++y)
                for (Integer x = 0; x < w; ++x) {
                    const bool want = frame == frames - 1 || geometry.revealed(steps, x, y, w, h);
                    if ((want ? run.Shows(x, y) : run.Old(x, y)) || ++wrong > 3) continue;
                    ADD_FAILURE() << EnumName(geometry.effect) << " frame " << frame << " (" << steps
                                  << " steps) at " << x << "," << y << (want ? " not shown" : " shown");
                }
        }
    }
}

TEST(TransitionFrames, StretchesGrowFromTheirEdgeAndDripsSmearTheNewPicture) {
    constexpr Integer w = 60, h = 60;  // two pixels per stretch step
    TransitionRun up(efStretchUp, w, h);
    up.Through(0);
    // Step 0 stretches into an empty band: nothing shows yet.
    EXPECT_TRUE(up.Old(30, 59));
    up.Through(14);
    // 15 steps: the last one stretched the whole picture into the bottom 28 rows.
    EXPECT_TRUE(up.Old(30, 31));
    EXPECT_FALSE(up.Old(30, 32));
    EXPECT_FALSE(up.Old(30, 59));

    TransitionRun drip(efDripVertical, w, h);
    drip.Through(drip.transition.FrameCount() / 2 - 1);
    const Integer lowest = h - drip.transition.StepsThrough(drip.transition.FrameCount() / 2 - 1) + 1;
    // Every row above the lowest source row dripped shows that row; the rows below show themselves.
    EXPECT_EQ(Pixel(drip.target.get(), 5, 0), Pixel(drip.source.get(), 5, lowest));
    EXPECT_EQ(Pixel(drip.target.get(), 5, h - 1), Pixel(drip.source.get(), 5, h - 1));
}

uint64_t Hash(TBitmap* bitmap) {
    uint64_t hash = 1469598103934665603ull;
    for (Integer y = 0; y < bitmap->Height(); ++y)
        for (Integer x = 0; x < bitmap->Width(); ++x) {
            hash ^= Pixel(bitmap, x, y);
            hash *= 1099511628211ull;
        }
    return hash;
}

// The middle frame of each effect at 64 x 48, pinned after its pictures were checked by eye in the
// gallery's contact sheet.
const uint64_t kMiddleFrames[kSlideEffectCount] = {0u,
                                                   1009441208964250499ull,
                                                   7046804338785547971ull,
                                                   18402961824575640259ull,
                                                   11490220051821794787ull,
                                                   10675844576973102723ull,
                                                   12243143797415316099ull,
                                                   8180216057445081731ull,
                                                   3980415159648778883ull,
                                                   10973697911265384067ull,
                                                   13296969437237485187ull,
                                                   8951759036629147907ull,
                                                   3226964229541946755ull,
                                                   11345170975660364675ull,
                                                   6215947835786040723ull,
                                                   10597755262728340996ull,
                                                   10505403106186867495ull,
                                                   6480770509018425030ull,
                                                   18280728964331790472ull,
                                                   12280224984765925520ull,
                                                   15594443672095996835ull,
                                                   2781803600967862339ull,
                                                   10824821268176319299ull,
                                                   13080099110134476611ull,
                                                   6961346685590748611ull,
                                                   1021233621885347523ull,
                                                   8312185634436324211ull,
                                                   9584542989248504739ull,
                                                   5067931660843238862ull,
                                                   15210162333569633552ull,
                                                   15058356030993790276ull,
                                                   18425555372935483483ull,
                                                   15956078778823239748ull,
                                                   13767667328525419787ull,
                                                   4128624705320955595ull,
                                                   10240109338262866563ull,
                                                   282830916748534891ull,
                                                   10814711643789026435ull,
                                                   3292339390493544083ull,
                                                   3860527970130513971ull,
                                                   3860527970130513971ull,
                                                   8561255720848304531ull,
                                                   18039270388729832579ull,
                                                   13685472642756728195ull,
                                                   17776863218291132707ull,
                                                   1566980387255208451ull,
                                                   2295359972819483461ull,
                                                   5319721906363775299ull,
                                                   954662986465261923ull,
                                                   954662986465261923ull,
                                                   954662986465261923ull,
                                                   7090716074394373259ull,
                                                   7517344770088240003ull,
                                                   7705782901332085763ull,
                                                   15730462585329388675ull};

TEST(TransitionFrames, MiddleFramesMatchTheirPinnedPictures) {
    for (Integer effect = 1; effect < kSlideEffectCount; ++effect) {
        const auto e = static_cast<TZylSlideeffects>(effect);
        TransitionRun run(e, 64, 48);
        run.Through(run.transition.FrameCount() / 2);
        EXPECT_EQ(Hash(run.target.get()), kMiddleFrames[effect]) << EnumName(e);
    }
}

TEST(TransitionFrames, EveryEffectEndsOnTheWholePictureAtAnySize) {
    const TSize sizes[] = {{1, 1}, {29, 29}, {3, 40}, {1024, 768}};
    for (const TSize& size : sizes)
        for (Integer effect = 1; effect < kSlideEffectCount; ++effect) {
            const auto e = static_cast<TZylSlideeffects>(effect);
            TransitionRun run(e, size.cx, size.cy);
            ASSERT_GE(run.transition.FrameCount(), 1);
            ASSERT_LE(run.transition.FrameCount(), TZylTransition::kMaxFrames);
            run.Through(run.transition.FrameCount() - 1);
            EXPECT_EQ(Hash(run.target.get()), Hash(run.source.get()))
                << EnumName(e) << " " << size.cx << "x" << size.cy;
        }
}

TEST(TransitionFrames, CaptionsNameTheEffectsInWords) {
    EXPECT_EQ(ZylSlideEffectCaption(efRandom), "Random");
    EXPECT_EQ(ZylSlideEffectCaption(efWipeTopToBottom), "Wipe Top To Bottom");
    EXPECT_EQ(ZylSlideEffectCaption(efLTRBClosingCurtain), "LTRB Closing Curtain");
    EXPECT_EQ(ZylSlideEffectCaption(efWipeEffect4), "Wipe Effect 4");
}

}  // namespace transition_tests
