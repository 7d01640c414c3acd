// Group boxes.
#include "stdctrls/captiontext.h"
#include "vcl/stdctrls_button.h"

namespace vcl {

using namespace win32;
using captiontext::DrawCanvasText;
using captiontext::DrawEmbossableText;

namespace {

const bool groupboxClassesRegistered = [] {
    RegisterClasses({TGroupBox::StaticClass()});
    return true;
}();

}  // namespace

// ---------------------------------------------------------------------------------------------
// TCustomGroupBox

VCL_DEFINE_CLASS(TCustomGroupBox, TCustomControl)

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TCustomControl(owner) {
    controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents,
                                  csSetCaption,      csDoubleClicks, csReplicatable};
    SetBounds(Left(), Top(), 185, 105);
}

void TCustomGroupBox::AdjustClientRect(TRect& rect) const {
    Inherited::AdjustClientRect(rect);
    rect.top += TextMeasure(Font()).Height();
    InflateRect(&rect, -1, -1);
    if (Ctl3D()) InflateRect(&rect, -1, -1);
}

void TCustomGroupBox::Paint() {
    TCanvas* canvas = Canvas();
    canvas->SetFont(Font());
    const Integer textHeight = TextMeasure(Font()).Height();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(ClientRect());
    TRect frame = Rect(0, textHeight / 2 - 1, Width(), Height());
    if (Ctl3D()) {
        DrawEdge(canvas->Handle(), &frame, EDGE_ETCHED, BF_RECT);
    } else {
        canvas->Brush()->SetColor(clWindowFrame);
        canvas->FrameRect(frame);
        canvas->Brush()->SetColor(Color());
    }
    const std::string text = Caption();
    if (text.empty()) return;
    TRect textRect = Rect(8, 0, 0, textHeight);
    DrawCanvasText(canvas, text, textRect, DT_LEFT | DT_SINGLELINE | DT_CALCRECT);
    // The caption interrupts the top line.
    canvas->FillRect(textRect);
    DrawEmbossableText(canvas, text, textRect, DT_LEFT | DT_SINGLELINE, Enabled());
}

void TCustomGroupBox::WndProc(TMessage& message) {
    switch (message.Msg) {
        case CM_DIALOGCHAR:
            if (IsAccel(static_cast<char32_t>(message.WParam), Caption()) && CanFocus()) {
                TWinControl* first = FindNextControl(nullptr, true, true, false);
                if (!first) first = FindNextControl(nullptr, true, false, false);
                if (first) first->SetFocus();
                message.Result = 1;
                return;
            }
            break;
        case CM_TEXTCHANGED:
        case CM_FONTCHANGED:
            Inherited::WndProc(message);
            Realign();
            Invalidate();
            return;
        default:
            break;
    }
    Inherited::WndProc(message);
}

}  // namespace vcl
