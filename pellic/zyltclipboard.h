// TZylClipboard: a live view of the clipboard. It joins the clipboard viewer chain while its window
// exists and shows what the clipboard holds in the format ViewFormat names: text in a read-only
// memo, a bitmap in an image, a control (copied in the framework's component format) made again
// inside the viewer. fDefault shows the first of text, OEM text, bitmap, metafile and component
// that is there. Data the viewer cannot show leaves it empty; it never raises.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "vcl/forms.h"

namespace pellic {

enum class TZylClipFormat : uint8_t {
    fDefault,
    fEmpty,
    fUnknown,
    fText,
    fBitmap,
    fMetafile,
    fOemText,
    fPicture,
    fComponent,
    fIcon
};
VCL_ENUM_NAMES(TZylClipFormat, "fDefault", "fEmpty", "fUnknown", "fText", "fBitmap", "fMetafile", "fOemText",
               "fPicture", "fComponent", "fIcon")

class TZylClipboard : public vcl::TScrollBox {
    VCL_DECLARE_CLASS(TZylClipboard, vcl::TScrollBox)
public:
    explicit TZylClipboard(vcl::TComponent* owner);
    ~TZylClipboard() override;

    TZylClipFormat ViewFormat() const { return viewFormat_; }
    // A format the clipboard does not hold becomes fDefault (fDefault, fEmpty and fUnknown always
    // stand).
    void SetViewFormat(TZylClipFormat value);
    // The name of the index-th format on the clipboard, empty beyond the last.
    std::string GetClipboardFormatNames(vcl::Integer index) const;
    // The control showing the clipboard, nullptr while it is empty.
    vcl::TControl* Display() const { return display_; }

    // Fires whenever the clipboard's contents change.
    vcl::TNotifyEvent OnChange;

    void WndProc(vcl::TMessage& message) override;

    static void Publish(vcl::Published<TZylClipboard>& p) {
        PublishAlign(p);
        p.Property("BorderStyle", &TScrollBox::BorderStyle, &TScrollBox::SetBorderStyle, vcl::bsSingle);
        PublishColor(p, vcl::clWindow);
        PublishCtl3D(p);
        PublishEnabled(p);
        PublishVisible(p);
        p.Property("ViewFormat", &TZylClipboard::ViewFormat, &TZylClipboard::SetViewFormat,
                   TZylClipFormat::fDefault);
        p.Event<vcl::TNotifyEvent>("OnChange", &TZylClipboard::OnChange);
    }

protected:
    void CreateWnd() override;
    void DestroyWnd() override;

private:
    // Whether the clipboard holds the format (the three that always stand included).
    static bool Holds(TZylClipFormat format);
    // The format shown: fEmpty for an empty clipboard, the first one there for fDefault.
    TZylClipFormat ShownFormat() const;
    void ClipboardChanged();
    void Rebuild();
    void CentreDisplay();

    TZylClipFormat viewFormat_ = TZylClipFormat::fDefault;
    win32::HWND next_ = nullptr;
    vcl::TControl* display_ = nullptr;
};

}  // namespace pellic
