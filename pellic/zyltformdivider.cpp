#include "pellic/zyltformdivider.h"

#include <algorithm>

namespace pellic {

using namespace win32;

VCL_DEFINE_CLASS(TZylFormDivider, vcl::TCustomLabel)

namespace {
// The frame of the owner's window that its width counts and the line leaves out.
constexpr int kOwnerFrame = 9;
}  // namespace

TZylFormDivider::TZylFormDivider(vcl::TComponent* owner) : vcl::TCustomLabel(owner) {
    SetAutoSize(false);
    SetTransparent(true);
    SetAlignment(vcl::TAlignment::taCenter);
    SetBounds(Left(), Top(), 150, 17);
    if (auto* form = dynamic_cast<vcl::TWinControl*>(owner)) {
        ownerHook_ = vcl::TWindowProcHook(form, [this](vcl::TMessage& message, const vcl::TWndMethod& pass) {
            pass(message);
            // Only a resize asks for a new paint: the form's own paint already draws the divider,
            // and asking again from it would paint for ever.
            if (message.Msg == WM_SIZE) {
                AlignToOwner();
                Invalidate();
            }
        });
    }
    AlignToOwner();
}

void TZylFormDivider::SetAlignWidth(bool value) {
    alignWidth_ = value;
    AlignToOwner();
}

void TZylFormDivider::SetBorderStyle(TZylDivBorder value) {
    if (borderStyle_ == value) return;
    borderStyle_ = value;
    Invalidate();
}

void TZylFormDivider::SetSideSpace(vcl::Integer value) {
    sideSpace_ = value;
    AlignToOwner();
}

void TZylFormDivider::AlignToOwner() {
    auto* owner = dynamic_cast<vcl::TControl*>(Owner());
    if (!alignWidth_ || !owner || IsLoading()) return;
    SetBounds(sideSpace_, Top(), std::max(0, owner->Width() - 2 * sideSpace_ - kOwnerFrame), Height());
}

void TZylFormDivider::Loaded() {
    vcl::TCustomLabel::Loaded();
    AlignToOwner();
}

void TZylFormDivider::Paint() {
    // The width follows the form when the form is resized, never from here: a paint that moved
    // the divider would paint again.
    vcl::TCustomLabel::Paint();
    vcl::TCanvas* canvas = Canvas();
    const vcl::TRect client = ClientRect();
    const int middle = static_cast<int>(vcl::Round((client.bottom - client.top) / 2.0));
    RECT band{client.left, middle - 1, client.right, middle + 3};
    canvas->Font()->Assign(Font());
    const int textWidth = canvas->TextWidth(" " + Caption() + " ");
    const int centre = static_cast<int>(vcl::Round((client.right - client.left) / 2.0));
    const int half = static_cast<int>(vcl::Round(textWidth / 2.0));
    UINT edge = EDGE_ETCHED;
    if (borderStyle_ == TZylDivBorder::bdrSunken || borderStyle_ == TZylDivBorder::frmSunken)
        edge = EDGE_SUNKEN;
    if (borderStyle_ == TZylDivBorder::bdrRaised || borderStyle_ == TZylDivBorder::frmRaised)
        edge = EDGE_RAISED;
    const bool doubleLine = borderStyle_ >= TZylDivBorder::frmSunken;
    const UINT sides = doubleLine ? BF_TOP | BF_BOTTOM : BF_BOTTOM;
    RECT left = band, right = band;
    left.right = std::max(band.left, centre - half);
    right.left = std::min(static_cast<LONG>(client.right), static_cast<LONG>(centre + half));
    right.right = Width();
    HDC dc = canvas->Handle();
    if (left.right > left.left) DrawEdge(dc, &left, edge, sides);
    if (right.right > right.left) DrawEdge(dc, &right, edge, sides);
}

}  // namespace pellic
