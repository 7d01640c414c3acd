#include "pellic/zyltofficeedit.h"

#include "pellic/zyltdbofficeedit.h"
#include "vcl/forms.h"

namespace pellic {

using namespace win32;

VCL_DEFINE_CLASS(TZylOfficeEdit, TZylOfficeEditCore<vcl::TCustomEdit>)
VCL_DEFINE_CLASS(TZylDBOfficeEdit, TZylOfficeEditCore<vcl::TDBEdit>)

namespace {
constexpr int kFrame = 3;
}  // namespace

template <typename Base>
TZylOfficeEditCore<Base>::TZylOfficeEditCore(vcl::TComponent* owner) : Base(owner) {
    this->SetAutoSize(false);
    this->SetCtl3D(false);
    this->SetBorderStyle(vcl::bsNone);
    this->SetControlStyle(this->ControlStyle() - vcl::TControlStyle{vcl::csFramed});
    this->SetBounds(this->Left(), this->Top(), this->Width(), 19);
}

template <typename Base>
bool TZylOfficeEditCore<Base>::Hot() const {
    if (this->Designing()) return this->Enabled();
    const vcl::TWinControl* focused = vcl::FindControl(GetFocus());
    if (focused == this) return true;
    return mouseOver_ && !SameKind(focused);
}

template <typename Base>
void TZylOfficeEditCore<Base>::Loaded() {
    Base::Loaded();
    if (!this->Designing()) FitHeight();
}

template <typename Base>
void TZylOfficeEditCore<Base>::FitHeight() {
    vcl::TBitmap measure;
    measure.Canvas()->Font()->Assign(this->Font());
    this->SetHeight(measure.Canvas()->TextHeight("Wg") + 6);
}

template <typename Base>
void TZylOfficeEditCore<Base>::DrawFrame() {
    if (!this->HandleAllocated()) return;
    HDC dc = GetWindowDC(this->Handle());
    if (!dc) return;
    RECT rect{0, 0, this->Width(), this->Height()};
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    if (Hot()) {
        DrawEdge(dc, &rect, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    } else {
        FrameRect(dc, &rect, face);
        InflateRect(&rect, -1, -1);
    }
    FrameRect(dc, &rect, face);
    InflateRect(&rect, -1, -1);
    HBRUSH window = CreateSolidBrush(vcl::ColorToRGB(this->Color()));
    FrameRect(dc, &rect, window);
    DeleteObject(window);
    ReleaseDC(this->Handle(), dc);
}

template <typename Base>
void TZylOfficeEditCore<Base>::WndProc(vcl::TMessage& message) {
    switch (message.Msg) {
        case WM_NCCALCSIZE: {
            // The frame's 3 pixels on every side lie outside the client area.
            auto* rect = message.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(message.LParam)->rgrc[0]
                                        : reinterpret_cast<RECT*>(message.LParam);
            InflateRect(rect, -kFrame, -kFrame);
            if (rect->right < rect->left) rect->right = rect->left;
            if (rect->bottom < rect->top) rect->bottom = rect->top;
            message.Result = 0;
            return;
        }
        case WM_NCPAINT:
            DrawFrame();
            message.Result = 0;
            return;
        default:
            break;
    }
    Base::WndProc(message);
    switch (message.Msg) {
        case vcl::CM_MOUSEENTER:
        case vcl::CM_MOUSELEAVE:
            mouseOver_ = message.Msg == vcl::CM_MOUSEENTER;
            DrawFrame();
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            if (!this->Designing()) DrawFrame();
            break;
        case vcl::CM_FONTCHANGED:
            if (!this->IsLoading()) FitHeight();
            break;
        case vcl::CM_ENABLEDCHANGED:
            this->SetColor(this->Enabled() ? vcl::clWindow : vcl::clBtnFace);
            DrawFrame();
            break;
        default:
            break;
    }
}

template class TZylOfficeEditCore<vcl::TCustomEdit>;
template class TZylOfficeEditCore<vcl::TDBEdit>;

}  // namespace pellic
