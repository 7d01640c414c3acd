// The transition engine: for each effect the steps it reveals a new picture in, how many there are,
// and what a run of consecutive steps does to the pixels; and the player that shows the frames on a
// control at a steady pace.
#include <algorithm>
#include <cctype>
#include <cstdint>

#include "lumaro/zylpresentation.h"
#include "win32/gdi.h"
#include "win32/kernel.h"

namespace lumaro {

using namespace vcl;

namespace zyltransition {

// R(numerator / denominator) for a non-negative numerator: to nearest, halves to even.
Integer RoundRatio(Integer numerator, Integer denominator) {
    Integer whole = numerator / denominator;
    const Integer twice = 2 * (numerator % denominator);
    if (twice > denominator || (twice == denominator && whole % 2 != 0)) ++whole;
    return whole;
}

// The 32-bit pixels of a bitmap, row by row.
struct Plane {
    uint32_t* first = nullptr;
    ptrdiff_t stride = 0;

    explicit Plane(TBitmap* bitmap) {
        if (bitmap->Empty()) return;
        first = static_cast<uint32_t*>(bitmap->ScanLine(0));
        stride = bitmap->Height() > 1 ? static_cast<uint32_t*>(bitmap->ScanLine(1)) - first : bitmap->Width();
    }
    uint32_t* Row(Integer y) const { return first + stride * y; }
};

// Applies steps of one effect. Pixel coordinates are clamped into the area, so that the inclusive
// ranges of the traversals (0..W, 0..H) stay inside it.
class StepRenderer {
public:
    StepRenderer(TZylSlideeffects effect, TBitmap* source, TBitmap* target)
        : effect_(effect),
          source_(source),
          target_(target),
          from_(source),
          to_(target),
          w_(target->Width()),
          h_(target->Height()) {}

    void Run(Integer first, Integer last);

private:
    void Put(Integer x, Integer y) const {
        x = std::clamp(x, 0, w_ - 1);
        y = std::clamp(y, 0, h_ - 1);
        to_.Row(y)[x] = from_.Row(y)[x];
    }
    void Row(Integer y, Integer firstX = 0, Integer stepX = 1) const {
        for (Integer x = firstX; x <= w_; x += stepX)
            Put(x, y);
    }
    void Column(Integer x, Integer firstY = 0, Integer stepY = 1) const {
        for (Integer y = firstY; y <= h_; y += stepY)
            Put(x, y);
    }
    void CopyAll() const {
        for (Integer y = 0; y < h_; ++y)
            std::copy_n(from_.Row(y), w_, to_.Row(y));
    }
    void Stretch(Integer left, Integer top, Integer right, Integer bottom) const;
    void Diagonal(Integer sum) const;
    void AntiDiagonal(Integer difference) const;
    void Ring(Integer inset) const;
    void DripRows(Integer highest, Integer lowest) const;
    void DripColumns(Integer highest, Integer lowest) const;

    void Doppel(Integer step, bool columns, bool reverse);
    void DoppelInOut(Integer step, bool columns, bool reverseFirst);
    void Stretches(Integer last);
    void QuadOrDoppelVertical(Integer step);
    void QuadOrDoppelHorizontal(Integer step);
    void HalvesVertical(Integer step);
    void HalvesHorizontal(Integer step);
    void ThirdsAcross(Integer step, bool columns);

    TZylSlideeffects effect_;
    TBitmap* source_;
    TBitmap* target_;
    Plane from_, to_;
    Integer w_, h_;
};

void StepRenderer::Stretch(Integer left, Integer top, Integer right, Integer bottom) const {
    if (right <= left || bottom <= top) return;
    win32::HDC dc = target_->Canvas()->Handle();
    win32::SetStretchBltMode(dc, win32::COLORONCOLOR);
    win32::StretchBlt(dc, left, top, right - left, bottom - top, source_->Canvas()->Handle(), 0, 0, w_, h_,
                      win32::SRCCOPY);
}

void StepRenderer::Diagonal(Integer sum) const {
    for (Integer x = std::min(sum, w_ - 1); x >= 0 && sum - x < h_; --x)
        Put(x, sum - x);
}

void StepRenderer::AntiDiagonal(Integer difference) const {
    for (Integer x = std::max(difference, 0); x < w_ && x - difference < h_; ++x)
        Put(x, x - difference);
}

void StepRenderer::Ring(Integer inset) const {
    const Integer left = inset, top = inset, right = w_ - 1 - inset, bottom = h_ - 1 - inset;
    for (Integer x = left; x <= right; ++x)
        Put(x, top);
    for (Integer y = top; y <= bottom; ++y)
        Put(right, y);
    for (Integer x = right; x >= left; --x)
        Put(x, bottom);
    for (Integer y = bottom; y >= top; --y)
        Put(left, y);
}

// The drip steps s = highest down to lowest: step s copies source row s into every row 0..s, so row r
// ends up with source row max(r, lowest).
void StepRenderer::DripRows(Integer highest, Integer lowest) const {
    highest = std::min(highest, h_ - 1);
    lowest = std::min(lowest, h_ - 1);
    for (Integer y = 0; y <= highest; ++y)
        std::copy_n(from_.Row(std::max(y, lowest)), w_, to_.Row(y));
}

void StepRenderer::DripColumns(Integer highest, Integer lowest) const {
    highest = std::min(highest, w_ - 1);
    lowest = std::min(lowest, w_ - 1);
    for (Integer y = 0; y < h_; ++y) {
        const uint32_t* from = from_.Row(y);
        uint32_t* to = to_.Row(y);
        for (Integer x = 0; x <= highest; ++x)
            to[x] = from[std::max(x, lowest)];
    }
}

// Two passes over the lines (columns or rows), the first with the even pixels, the second with the odd.
void StepRenderer::Doppel(Integer step, bool columns, bool reverse) {
    const Integer lines = (columns ? w_ : h_) + 1;
    const Integer offset = step / lines;
    Integer line = step % lines;
    if (reverse) line = lines - 1 - line;
    if (columns)
        Column(line, offset, 2);
    else
        Row(line, offset, 2);
}

// One pass with the odd pixels of each line, then one the other way with the even pixels.
void StepRenderer::DoppelInOut(Integer step, bool columns, bool reverseFirst) {
    const Integer lines = (columns ? w_ : h_) + 1;
    const bool second = step >= lines;
    Integer line = step % lines;
    if (reverseFirst != second) line = lines - 1 - line;
    if (columns)
        Column(line, second ? 0 : 1, 2);
    else
        Row(line, second ? 0 : 1, 2);
}

// Only the last stretch of a run shows: each one covers the rectangles of the steps before it.
void StepRenderer::Stretches(Integer last) {
    const bool vertical = effect_ == efStretchUp || effect_ == efStretchDown;
    const Integer extent = vertical ? h_ : w_;
    const Integer size = std::max(extent / 30, 1);
    const Integer stretches = (extent + size - 1) / size;
    if (last >= stretches) {
        CopyAll();
        return;
    }
    const Integer k = last * size;
    switch (effect_) {
        case efStretchUp:
            Stretch(0, h_ - k, w_, h_);
            break;
        case efStretchDown:
            Stretch(0, 0, w_, k);
            break;
        case efStretchLeft:
            Stretch(w_ - k, 0, w_, h_);
            break;
        default:
            Stretch(0, 0, k, h_);
            break;
    }
}

void StepRenderer::QuadOrDoppelVertical(Integer step) {
    const Integer y = step;
    if (effect_ == efQuadVerticalInterlace) {
        const Integer q = RoundRatio(w_ + 1, 4);
        for (Integer x = 0; x <= q; ++x) {
            Put(x, y);
            Put(x + q, h_ - y);
            Put(x + 2 * q, y);
            Put(x + 3 * q, h_ - y - 1);
        }
    } else {
        const Integer q = RoundRatio(w_ + 1, 2);
        for (Integer x = 0; x <= q; ++x) {
            Put(x, y);
            Put(x + q, h_ - y);
        }
    }
}

void StepRenderer::QuadOrDoppelHorizontal(Integer step) {
    const Integer x = step;
    if (effect_ == efQuadHorizontalInterlace) {
        const Integer q = RoundRatio(h_ + 1, 4);
        for (Integer y = 0; y <= q; ++y) {
            Put(x, y);
            Put(w_ - x, y + q);
            Put(x, y + 2 * q);
            Put(w_ - x, y + 3 * q);
        }
    } else {
        const Integer q = RoundRatio(h_ + 1, 2);
        for (Integer y = 0; y <= q; ++y) {
            Put(x, y);
            Put(w_ - x, y + q);
        }
    }
}

// The four quarters of the vertical quad and doppel effects, one row of each per step.
void StepRenderer::HalvesVertical(Integer step) {
    const Integer a = RoundRatio(w_ + 1, 2), b = RoundRatio(h_ + 1, 2);
    const bool down = effect_ == efVeticalQuadDown || effect_ == efVerticalDoppelUp;
    const Integer t = down ? b - step : step;
    const bool quad = effect_ == efVerticalQuadUp || effect_ == efVeticalQuadDown;
    for (Integer x = 0; x <= a; ++x) {
        if (quad) {
            Put(x, t);
            Put(x, b + t);
            Put(x + a, h_ - t - b);
            Put(x + a, h_ - t);
        } else {
            Put(x, t);
            Put(x + a, t);
            Put(w_ - x - a, b + t);
            Put(w_ - x, b + t);
        }
    }
}

void StepRenderer::HalvesHorizontal(Integer step) {
    const Integer a = RoundRatio(h_ + 1, 2), b = RoundRatio(w_ + 1, 2);
    const bool back = effect_ == efHorizontalQuadRight || effect_ == efHorizontalDoppelLeft;
    const Integer t = back ? b - step : step;
    const bool quad = effect_ == efHorizontalQuadLeft || effect_ == efHorizontalQuadRight;
    for (Integer y = 0; y <= a; ++y) {
        if (quad) {
            Put(t, y);
            Put(b + t, y);
            Put(w_ - t - b, y + a);
            Put(w_ - t, y + a);
        } else {
            Put(t, y);
            Put(t, y + a);
            Put(b + t, h_ - y - a);
            Put(b + t, h_ - y);
        }
    }
}

// Wipe effects 1 to 6: the middle third opens (or closes) across, then the outer thirds grow away
// from it (or close towards it). `columns` is true for 1 to 3, whose thirds are bands of rows.
void StepRenderer::ThirdsAcross(Integer step, bool columns) {
    const Integer across = columns ? w_ : h_, along = columns ? h_ : w_;
    const Integer c = RoundRatio(along + 1, 3), a = RoundRatio(across + 1, 2);
    const auto kind = static_cast<Integer>(effect_);
    const Integer variant =
        columns ? kind - static_cast<Integer>(efWipeEffect1) : kind - static_cast<Integer>(efWipeEffect4);
    auto put = [&](Integer acrossAt, Integer alongAt) {
        if (columns)
            Put(acrossAt, alongAt);
        else
            Put(alongAt, acrossAt);
    };
    if (step <= a) {
        const Integer t = variant == 0 ? step : a - step;
        for (Integer i = c; i <= 2 * c; ++i) {
            put(a - t, i);
            put(a + t, i);
        }
        return;
    }
    const Integer outer = step - a - 1;
    const Integer t = variant == 2 ? c - outer : outer;
    for (Integer i = 0; i <= across; ++i) {
        put(i, c - t - 1);
        put(i, 2 * c + t - 1);
    }
}

void StepRenderer::Run(Integer first, Integer last) {
    if (w_ <= 0 || h_ <= 0 || first > last) return;
    switch (effect_) {
        case efStretchUp:
        case efStretchDown:
        case efStretchLeft:
        case efStretchRight:
            Stretches(last);
            return;
        case efDripVertical:
            DripRows(h_ - first, h_ - last);
            return;
        case efDripHorizontal:
            DripColumns(w_ - first, w_ - last);
            return;
        default:
            break;
    }
    for (Integer step = first; step <= last; ++step) {
        switch (effect_) {
            case efWipeTopToBottom:
                Row(step);
                break;
            case efWipeBottomToTop:
                Row(h_ - step);
                break;
            case efWipeLeftToRight:
                Column(step);
                break;
            case efWipeRightToLeft:
                Column(w_ - step);
                break;
            case efCloseHorizontalCurtain:
            case efOpenHorizontalCurtain: {
                const Integer j = effect_ == efCloseHorizontalCurtain ? step : RoundRatio(w_ + 1, 2) - step;
                Column(w_ - j);
                Column(j);
                break;
            }
            case efCloseVerticalCurtain:
            case efOpenVerticalCurtain: {
                const Integer j = effect_ == efCloseVerticalCurtain ? step : RoundRatio(h_ + 1, 2) - step;
                Row(j);
                Row(h_ - j);
                break;
            }
            case efVerticalInterlace:
                for (Integer k = 0; k <= h_; k += 2) {
                    Put(step, k - 1);
                    if (k < h_) Put(w_ - step, k);
                }
                break;
            case efHorizontalInterlace:
                for (Integer k = 0; k <= w_; k += 2) {
                    Put(k - 1, step);
                    if (k < w_) Put(k, h_ - step);
                }
                break;
            case efLeftRightDoppel:
                Doppel(step, true, false);
                break;
            case efTopBottomDoppel:
                Doppel(step, false, false);
                break;
            case efRightLeftDoppel:
                Doppel(step, true, true);
                break;
            case efBottomTopDoppel:
                Doppel(step, false, true);
                break;
            case efLeftRightDoppelInOut:
                DoppelInOut(step, true, false);
                break;
            case efTopBottomDoppelInOut:
                DoppelInOut(step, false, false);
                break;
            case efRightLeftDoppelInOut:
                DoppelInOut(step, true, true);
                break;
            case efBottomTopDoppelInOut:
                DoppelInOut(step, false, true);
                break;
            case efLeftTopToRightBottomWipe:
                Diagonal(step);
                break;
            case efLeftBottomToRightTopWipe:
                AntiDiagonal(step - (h_ - 1));
                break;
            case efRightTopToLeftBottomWipe:
                AntiDiagonal(w_ - 1 - step);
                break;
            case efRightBottomToLeftTopWipe:
                Diagonal(w_ + h_ - 2 - step);
                break;
            case efLTRBClosingCurtain:
                Diagonal(step);
                Diagonal(w_ + h_ - 2 - step);
                break;
            case efRTLBClosingCurtain:
                AntiDiagonal(w_ - 1 - step);
                AntiDiagonal(step - (h_ - 1));
                break;
            case efQuadVerticalInterlace:
            case efDoppelVerticalInterlace:
                QuadOrDoppelVertical(step);
                break;
            case efQuadHorizontalInterlace:
            case efDoppelHorizontalInterlace:
                QuadOrDoppelHorizontal(step);
                break;
            case efVerticalQuadUp:
            case efVerticalDoppelDown:
            case efVeticalQuadDown:
            case efVerticalDoppelUp:
                HalvesVertical(step);
                break;
            case efWipeEffect1:
            case efWipeEffect2:
            case efWipeEffect3:
                ThirdsAcross(step, true);
                break;
            case efWipeEffect4:
            case efWipeEffect5:
            case efWipeEffect6:
                ThirdsAcross(step, false);
                break;
            case efBitBlt: {
                // Centre first, then around the cell.
                static constexpr Integer kCells[9][2] = {{1, 1}, {1, 0}, {2, 0}, {2, 1}, {2, 2},
                                                         {1, 2}, {0, 2}, {0, 1}, {0, 0}};
                for (Integer y = kCells[step][1]; y < h_; y += 3)
                    for (Integer x = kCells[step][0]; x < w_; x += 3)
                        Put(x, y);
                break;
            }
            case efStepWipeVertical: {
                const Integer evens = w_ / 2 + 1;
                Column(step < evens ? 2 * step : 2 * (step - evens) + 1);
                break;
            }
            case efStepWipeHorizontal: {
                const Integer evens = h_ / 2 + 1;
                Row(step < evens ? 2 * step : 2 * (step - evens) + 1);
                break;
            }
            case efScreenOff:
                Ring(step);
                break;
            case efFadeDown: {
                const Integer y = step % h_;
                const Integer parity = step < h_ ? 0 : 1;
                for (Integer x = (y + parity) % 2; x < w_; x += 2)
                    Put(x, y);
                break;
            }
            case efHorizontalQuadLeft:
            case efHorizontalDoppelRight:
            case efHorizontalQuadRight:
            case efHorizontalDoppelLeft:
                HalvesHorizontal(step);
                break;
            default:
                CopyAll();
                break;
        }
    }
}

Integer StepCountOf(TZylSlideeffects effect, Integer w, Integer h) {
    if (w <= 0 || h <= 0) return 0;
    switch (effect) {
        case efWipeLeftToRight:
        case efWipeRightToLeft:
        case efVerticalInterlace:
        case efQuadHorizontalInterlace:
        case efDoppelHorizontalInterlace:
        case efStepWipeVertical:
            return w + 1;
        case efWipeTopToBottom:
        case efWipeBottomToTop:
        case efHorizontalInterlace:
        case efQuadVerticalInterlace:
        case efDoppelVerticalInterlace:
        case efStepWipeHorizontal:
        case efDripVertical:
            return h + 1;
        case efDripHorizontal:
            return w + 1;
        case efStretchUp:
        case efStretchDown:
            return (h + std::max(h / 30, 1) - 1) / std::max(h / 30, 1) + 1;
        case efStretchLeft:
        case efStretchRight:
            return (w + std::max(w / 30, 1) - 1) / std::max(w / 30, 1) + 1;
        case efCloseHorizontalCurtain:
        case efOpenHorizontalCurtain:
            return RoundRatio(w + 1, 2) + 1;
        case efCloseVerticalCurtain:
        case efOpenVerticalCurtain:
            return RoundRatio(h + 1, 2) + 1;
        case efLeftRightDoppel:
        case efRightLeftDoppel:
        case efLeftRightDoppelInOut:
        case efRightLeftDoppelInOut:
            return 2 * (w + 1);
        case efTopBottomDoppel:
        case efBottomTopDoppel:
        case efTopBottomDoppelInOut:
        case efBottomTopDoppelInOut:
            return 2 * (h + 1);
        case efLeftTopToRightBottomWipe:
        case efLeftBottomToRightTopWipe:
        case efRightTopToLeftBottomWipe:
        case efRightBottomToLeftTopWipe:
            return w + h - 1;
        case efLTRBClosingCurtain:
        case efRTLBClosingCurtain:
            return (w + h) / 2;
        case efVerticalQuadUp:
        case efVerticalDoppelDown:
        case efVeticalQuadDown:
        case efVerticalDoppelUp:
            return RoundRatio(h + 1, 2) + 1;
        case efHorizontalQuadLeft:
        case efHorizontalDoppelRight:
        case efHorizontalQuadRight:
        case efHorizontalDoppelLeft:
            return RoundRatio(w + 1, 2) + 1;
        case efWipeEffect1:
        case efWipeEffect2:
        case efWipeEffect3:
            return RoundRatio(w + 1, 2) + 1 + RoundRatio(h + 1, 3) + 1;
        case efWipeEffect4:
        case efWipeEffect5:
        case efWipeEffect6:
            return RoundRatio(h + 1, 2) + 1 + RoundRatio(w + 1, 3) + 1;
        case efBitBlt:
            return 9;
        case efScreenOff:
            return (std::min(w, h) + 1) / 2;
        case efFadeDown:
            return 2 * h;
        default:
            return 1;
    }
}

TZylSlideeffects ChooseEffect(Integer effect) {
    if (effect == static_cast<Integer>(efRandom)) return static_cast<TZylSlideeffects>(Random(54) + 1);
    if (effect < 0 || effect >= kSlideEffectCount) return efNone;
    return static_cast<TZylSlideeffects>(effect);
}

}  // namespace zyltransition

// ---------------------------------------------------------------------------------------------
// TZylTransition

TZylTransition::TZylTransition(Integer effect, Integer width, Integer height)
    : effect_(zyltransition::ChooseEffect(effect)),
      width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      steps_(zyltransition::StepCountOf(effect_, width_, height_)),
      frames_(std::min(steps_, kMaxFrames)) {}

Integer TZylTransition::StepsThrough(Integer frame) const {
    if (frame < 0 || frames_ == 0) return 0;
    if (frame >= frames_ - 1) return steps_;
    return static_cast<Integer>(static_cast<int64_t>(frame + 1) * steps_ / frames_);
}

void TZylTransition::RenderFrame(Integer frame, TBitmap* source, TBitmap* target) const {
    if (frame < 0 || frame >= frames_) return;
    if (source->Width() != width_ || source->Height() != height_ || target->Width() != width_ ||
        target->Height() != height_)
        throw EInvalidOperation("The pictures of a transition must have its size");
    zyltransition::StepRenderer renderer(effect_, source, target);
    renderer.Run(StepsThrough(frame - 1), StepsThrough(frame) - 1);
    // Whatever a traversal's rounding leaves out, the last frame shows the whole picture.
    if (frame == frames_ - 1)
        win32::BitBlt(target->Canvas()->Handle(), 0, 0, width_, height_, source->Canvas()->Handle(), 0, 0,
                      win32::SRCCOPY);
}

std::unique_ptr<TBitmap> ZylNewSlidePicture(Integer width, Integer height, TColor color) {
    auto picture = std::make_unique<TBitmap>();
    picture->SetPixelFormat(pf32bit);
    picture->SetSize(std::max(width, 0), std::max(height, 0));
    picture->Canvas()->Brush()->SetStyle(bsSolid);
    picture->Canvas()->Brush()->SetColor(color);
    picture->Canvas()->FillRect(Rect(0, 0, picture->Width(), picture->Height()));
    return picture;
}

bool ZylPlayTransition(Integer effect, TBitmap* source, TBitmap* shown, TCanvas* target,
                       const std::function<bool()>& afterFrame, const std::function<bool()>& finish) {
    const TZylTransition transition(effect, shown->Width(), shown->Height());
    const win32::ULONGLONG start = win32::GetTickCount64();
    for (Integer frame = 0; frame < transition.FrameCount(); ++frame) {
        const bool hurry = frame > 0 && finish && finish();
        if (hurry) {
            for (; frame < transition.FrameCount(); ++frame)
                transition.RenderFrame(frame, source, shown);
            --frame;
        } else {
            transition.RenderFrame(frame, source, shown);
        }
        if (target)
            win32::BitBlt(target->Handle(), 0, 0, shown->Width(), shown->Height(), shown->Canvas()->Handle(),
                          0, 0, win32::SRCCOPY);
        if (afterFrame && !afterFrame()) return false;
        if (hurry) break;
        // The next frame waits for its time; a late frame does not wait at all.
        const win32::ULONGLONG due =
            start + static_cast<win32::ULONGLONG>(frame + 1) * 1000 / TZylTransition::kFramesPerSecond;
        const win32::ULONGLONG now = win32::GetTickCount64();
        if (frame + 1 < transition.FrameCount() && due > now)
            win32::Sleep(static_cast<win32::DWORD>(due - now));
    }
    return true;
}

std::string ZylSlideEffectCaption(TZylSlideeffects effect) {
    // The name without its "ef", a word starting at each capital that follows a small letter, at the
    // last capital of an abbreviation ("LTRB Closing") and at a number.
    const std::string name(EnumName(effect));
    auto at = [&name](size_t i) { return static_cast<unsigned char>(name[i]); };
    std::string words;
    for (size_t i = 2; i < name.size(); ++i) {
        if (i > 2) {
            const bool capital = std::isupper(at(i)) != 0, afterSmall = std::islower(at(i - 1)) != 0;
            const bool endsAbbreviation =
                capital && std::isupper(at(i - 1)) && i + 1 < name.size() && std::islower(at(i + 1));
            const bool number = std::isdigit(at(i)) && !std::isdigit(at(i - 1));
            if ((capital && afterSmall) || endsAbbreviation || number) words += ' ';
        }
        words += name[i];
    }
    return words;
}

}  // namespace lumaro
