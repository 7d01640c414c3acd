// Captions whose letters are filled with a background: the relief of the 3D text first, then the
// fill copied through the exact shape of the letters.
#include <climits>

#include "lumaro/zylbackgrounds.h"
#include "lumaro/zylbackgrounds_internal.h"

namespace lumaro {

using namespace vcl;
using win32::HDC;

namespace {

// Ternary raster operation "destination AND NOT source".
constexpr win32::DWORD kDestinationAndNotSource = 0x00220326;

// A font selected into a DC and drawn transparently, the DC's previous font back at the end.
class TextPass {
public:
    TextPass(HDC dc, TFont& font, const std::string& text, win32::UINT format)
        : dc_(dc), text_(text), format_(format), previousFont_(win32::SelectObject(dc, font.Handle())) {
        win32::SetBkMode(dc_, win32::TRANSPARENT);
    }
    ~TextPass() {
        if (previousFont_) win32::SelectObject(dc_, previousFont_);
    }
    TextPass(const TextPass&) = delete;
    TextPass& operator=(const TextPass&) = delete;

    void Draw(const TRect& at, TColor color) {
        win32::SetTextColor(dc_, ColorToRGB(color));
        TRect r = at;
        // Text beyond what an int counts would be cut anyway by any device; say so instead of wrapping.
        const int length = text_.size() > size_t{INT_MAX} ? INT_MAX : static_cast<int>(text_.size());
        win32::DrawTextEx(dc_, text_.data(), length, &r, format_, nullptr);
    }

private:
    HDC dc_;
    const std::string& text_;
    win32::UINT format_;
    win32::HGDIOBJ previousFont_;
};

// The extrusion and the highlight, shadow or outline copies; `r` ends where the letters go.
void DrawRelief(TextPass& pass, const TZylFont3D& effect, TRect& r) {
    const Integer n = effect.Repetitionwidth();
    if (effect.Repetition() == repeatOnShadow) {
        r = Moved(r, n, n);
        for (Integer i = 0; i < n; ++i) {
            pass.Draw(r, effect.RepetitionColor());
            r = Moved(r, -1, -1);
        }
    } else if (effect.Repetition() == repeatOnHighLight) {
        for (Integer i = 0; i < n; ++i) {
            pass.Draw(r, effect.RepetitionColor());
            r = Moved(r, 1, 1);
        }
    }
    const Integer o = effect.Offset();
    switch (effect.Style3D()) {
        case fontRaised:
            pass.Draw(Moved(r, -o, -o), effect.Highlight());
            pass.Draw(Moved(r, o, o), effect.Shadow());
            break;
        case fontInset:
            pass.Draw(Moved(r, -o, -o), effect.Shadow());
            pass.Draw(Moved(r, o, o), effect.Highlight());
            break;
        case fontOnlyShadow:
            pass.Draw(Moved(r, o, o), effect.Shadow());
            break;
        case fontOnlyHighlight:
            pass.Draw(Moved(r, -o, -o), effect.Highlight());
            break;
        case fontOutLineShadow:
            pass.Draw(Moved(r, -1, -1), effect.Shadow());
            pass.Draw(Moved(r, 1, -1), effect.Shadow());
            pass.Draw(Moved(r, 1, 1), effect.Shadow());
            pass.Draw(Moved(r, -1, 1), effect.Shadow());
            break;
    }
}

}  // namespace

void TZylBackground::Write(TZylFont3D* font3D, TFont* font, TCanvas* canvas, const TRect& rect,
                           const std::string& text, win32::UINT format) {
    if (!canvas || rect.right <= rect.left || rect.bottom <= rect.top || rect.right <= 0 || rect.bottom <= 0)
        return;
    // The working picture starts at the canvas origin and reaches the far corner of `rect`, so that
    // letters laid out at the right or bottom of an inset rectangle are not cut at its edge.
    const Integer width = rect.right, height = rect.bottom;
    const HDC target = canvas->Handle();
    TFont letters;
    if (font) letters.Assign(font);

    TBitmap picture;
    detail::PrepareSheet(picture, width, height);
    const HDC p = picture.Canvas()->Handle();
    win32::BitBlt(p, 0, 0, width, height, target, 0, 0, win32::SRCCOPY);
    TRect r = rect;
    if (font3D) {
        r.left += font3D->Repetitionwidth();
        r.right -= font3D->Repetitionwidth();
    }
    if (font3D && font3D->ThreeDimensional()) {
        TextPass relief(p, letters, text, format);
        DrawRelief(relief, *font3D, r);
    }

    // The letters' shape as an explicit mask (white letters on black) rather than a colour key, so
    // that no colour of the fill or of the picture can punch holes into the letters.
    TBitmap shape, fill;
    detail::PrepareSheet(shape, width, height);
    detail::PrepareSheet(fill, width, height);
    const HDC s = shape.Canvas()->Handle();
    win32::PatBlt(s, 0, 0, width, height, win32::BLACKNESS);
    {
        TextPass outline(s, letters, text, format);
        outline.Draw(r, clWhite);
    }
    const HDC f = fill.Canvas()->Handle();
    Draw(f, width, height, true);
    win32::BitBlt(f, 0, 0, width, height, s, 0, 0, win32::SRCAND);
    win32::BitBlt(p, 0, 0, width, height, s, 0, 0, kDestinationAndNotSource);
    win32::BitBlt(p, 0, 0, width, height, f, 0, 0, win32::SRCPAINT);

    win32::BitBlt(target, 0, 0, width, height, p, 0, 0, win32::SRCCOPY);
}

}  // namespace lumaro
