#include "pellic/zyltclipboard.h"

#include <algorithm>

#include "vcl/clipbrd.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"

namespace pellic {

using namespace win32;

VCL_DEFINE_CLASS(TZylClipboard, vcl::TScrollBox)

namespace {

UINT FormatOf(TZylClipFormat format) {
    switch (format) {
        case TZylClipFormat::fText:
            return CF_TEXT;
        case TZylClipFormat::fBitmap:
        case TZylClipFormat::fPicture:
            return CF_BITMAP;
        case TZylClipFormat::fMetafile:
            return CF_METAFILEPICT;
        case TZylClipFormat::fOemText:
            return CF_OEMTEXT;
        case TZylClipFormat::fComponent:
            return vcl::TClipboard::ComponentFormat();
        default:  // the icon format has no clipboard format of its own: never held

            return 0;
    }
}

constexpr const char* kUnknownObject = "Unknown Object on the Clipboard";

}  // namespace

TZylClipboard::TZylClipboard(vcl::TComponent* owner) : vcl::TScrollBox(owner) {
    SetBounds(Left(), Top(), 185, 41);
    SetColor(vcl::clWindow);
    SetCtl3D(true);
    SetBorderStyle(vcl::bsSingle);
}

TZylClipboard::~TZylClipboard() {
    // The window goes here, while DestroyWnd is still this class's: the viewer leaves the chain.
    DestroyHandle();
}

void TZylClipboard::CreateWnd() {
    vcl::TScrollBox::CreateWnd();
    if (!Designing()) next_ = SetClipboardViewer(Handle());
}

void TZylClipboard::DestroyWnd() {
    if (!Designing()) ChangeClipboardChain(Handle(), next_);
    next_ = nullptr;
    vcl::TScrollBox::DestroyWnd();
}

bool TZylClipboard::Holds(TZylClipFormat format) {
    if (format == TZylClipFormat::fDefault || format == TZylClipFormat::fEmpty ||
        format == TZylClipFormat::fUnknown)
        return true;
    return IsClipboardFormatAvailable(FormatOf(format)) != FALSE;
}

TZylClipFormat TZylClipboard::ShownFormat() const {
    if (CountClipboardFormats() == 0) return TZylClipFormat::fEmpty;
    if (viewFormat_ != TZylClipFormat::fDefault) return viewFormat_;
    for (TZylClipFormat format : {TZylClipFormat::fText, TZylClipFormat::fOemText, TZylClipFormat::fBitmap,
                                  TZylClipFormat::fMetafile, TZylClipFormat::fComponent})
        if (Holds(format)) return format;
    return TZylClipFormat::fUnknown;
}

void TZylClipboard::SetViewFormat(TZylClipFormat value) {
    viewFormat_ = Holds(value) ? value : TZylClipFormat::fDefault;
    Rebuild();
}

void TZylClipboard::ClipboardChanged() {
    if (OnChange) OnChange(this);
    Rebuild();
}

void TZylClipboard::Rebuild() {
    delete display_;
    display_ = nullptr;
    if (Designing() || IsLoading() || CountClipboardFormats() == 0) return;
    const TZylClipFormat shown = ShownFormat();
    switch (shown) {
        case TZylClipFormat::fComponent:
            try {
                // Only registered controls are made; anything else leaves the viewer empty.
                vcl::TComponent* made = vcl::Clipboard()->GetComponent(this, vcl::TControl::StaticClass());
                if (auto* control = dynamic_cast<vcl::TControl*>(made)) {
                    control->SetParent(this);
                    control->SetBounds(1, 1, control->Width(), control->Height());
                    display_ = control;
                } else {
                    delete made;
                }
            } catch (const vcl::Exception&) {
            }
            break;
        case TZylClipFormat::fBitmap:
        case TZylClipFormat::fMetafile:
        case TZylClipFormat::fPicture:
        case TZylClipFormat::fIcon: {
            auto* image = new vcl::TImage(this);
            image->SetAutoSize(true);
            image->SetParent(this);
            if (shown != TZylClipFormat::fIcon)
                if (std::unique_ptr<vcl::TBitmap> bitmap = vcl::Clipboard()->GetBitmap())
                    image->Picture()->Assign(bitmap.get());
            display_ = image;
            break;
        }
        default: {
            auto* memo = new vcl::TMemo(this);
            memo->SetParent(this);
            memo->SetBorderStyle(vcl::bsNone);
            memo->SetReadOnly(true);
            memo->SetScrollBars(vcl::TScrollStyle::ssBoth);
            memo->SetAlign(vcl::alClient);
            if (shown == TZylClipFormat::fOemText) memo->Font()->SetName("Terminal");
            memo->SetText(IsClipboardFormatAvailable(CF_TEXT) ? vcl::Clipboard()->AsText() : kUnknownObject);
            display_ = memo;
            break;
        }
    }
    CentreDisplay();
}

void TZylClipboard::CentreDisplay() {
    if (!display_ || display_->Align() == vcl::alClient) return;
    const vcl::TRect client = ClientRect();
    display_->SetBounds(std::max(0, (client.right - display_->Width()) / 2),
                        std::max(0, (client.bottom - display_->Height()) / 2), display_->Width(),
                        display_->Height());
}

std::string TZylClipboard::GetClipboardFormatNames(vcl::Integer index) const {
    UINT format = 0;
    try {
        format = vcl::Clipboard()->Formats(index);
    } catch (const vcl::EListError&) {
        return {};
    }
    static constexpr const char* kNames[] = {"",         "Text",      "Bitmap",   "Metafile picture", "SYLK",
                                             "DIF",      "Tag Image", "OEM Text", "DIB Bitmap",       nullptr,
                                             "Pen Data", "RIFF File", "Wave"};
    if (format < std::size(kNames) && kNames[format]) return kNames[format];
    char name[256] = {};
    const int length = GetClipboardFormatName(format, name, sizeof name);
    return std::string(name, static_cast<size_t>(std::max(0, length)));
}

void TZylClipboard::WndProc(vcl::TMessage& message) {
    switch (message.Msg) {
        case WM_CHANGECBCHAIN: {
            const auto removed = reinterpret_cast<HWND>(message.WParam);
            // Our next viewer leaving is replaced by its own next; any other change goes on down.
            if (removed == next_)
                next_ = reinterpret_cast<HWND>(message.LParam);
            else if (next_)
                SendMessage(next_, WM_CHANGECBCHAIN, message.WParam, message.LParam);
            message.Result = 0;
            return;
        }
        case WM_DRAWCLIPBOARD:
            if (next_) SendMessage(next_, WM_DRAWCLIPBOARD, message.WParam, message.LParam);
            // A clipboard that fills again after being empty shows what it holds, not "empty".
            if (CountClipboardFormats() == 0)
                viewFormat_ = TZylClipFormat::fEmpty;
            else if (!Holds(viewFormat_) || viewFormat_ == TZylClipFormat::fEmpty)
                viewFormat_ = TZylClipFormat::fDefault;
            ClipboardChanged();
            break;
        case WM_DESTROYCLIPBOARD:
            viewFormat_ = TZylClipFormat::fEmpty;
            ClipboardChanged();
            break;
        case WM_SIZE:
            vcl::TScrollBox::WndProc(message);
            CentreDisplay();
            return;
        default:
            break;
    }
    vcl::TScrollBox::WndProc(message);
}

}  // namespace pellic
