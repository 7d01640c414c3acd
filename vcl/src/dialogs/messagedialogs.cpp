#include "vcl/dialogs.h"

#include <algorithm>

#include "vcl/extctrls.h"
#include "vcl/forms.h"
#include "vcl/stdctrls.h"

namespace vcl {

using namespace win32;

namespace {

struct ButtonInfo {
    const char* name;
    const char* caption;
    TModalResult result;
};

// In TMsgDlgBtn order.
constexpr ButtonInfo kButtons[] = {
    {"Yes", "&Yes", mrYes},
    {"No", "&No", mrNo},
    {"OK", "OK", mrOk},
    {"Cancel", "Cancel", mrCancel},
    {"Abort", "&Abort", mrAbort},
    {"Retry", "&Retry", mrRetry},
    {"Ignore", "&Ignore", mrIgnore},
    {"All", "&All", mrAll},
    {"NoToAll", "N&o to All", mrNoToAll},
    {"YesToAll", "Yes to &All", mrYesToAll},
    {"Help", "&Help", mrNone},
};

constexpr const char* kCaptions[] = {"Warning", "Error", "Information", "Confirm", nullptr};

const char* IconOf(TMsgDlgType type) {
    switch (type) {
        case mtWarning:
            return IDI_EXCLAMATION;
        case mtError:
            return IDI_HAND;
        case mtInformation:
            return IDI_ASTERISK;
        case mtConfirmation:
            return IDI_QUESTION;
        case mtCustom:
            break;
    }
    return nullptr;
}

// Average character width and line height of the font: the base of the dialog's spacing, so that
// dialogs grow with their font as dialog units do.
TPoint DialogUnits(TCanvas* canvas) {
    static constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const TSize size = canvas->TextExtent(std::string(kAlphabet));
    return Point((size.cx / 26 + 1) / 2, size.cy);
}

// A canvas measuring in the form's font.
std::unique_ptr<TBitmap> MeasuringBitmap(TCustomForm* form) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(1, 1);
    bitmap->Canvas()->Font()->Assign(form->Font());
    return bitmap;
}

TModalResult RunAndFree(TForm* form) {
    const ScopeExit release([form] { form->Free(); });
    return form->ShowModal();
}

}  // namespace

TForm* CreateMessageDialog(const std::string& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons) {
    if (buttons.Empty()) buttons.Include(mbOK);
    // Owned by nobody, so that a dialog opened from another's handler does not clash by name.
    auto* form = new TForm(nullptr, 0);
    try {
        form->SetName("MessageDlg");
        form->SetBorderStyle(bsDialog);
        form->SetPosition(poScreenCenter);
        form->SetBorderIcons(TBorderIcons{biSystemMenu});
        const char* caption = kCaptions[static_cast<size_t>(dlgType)];
        form->SetCaption(caption ? caption : (Application ? Application->Title() : std::string()));

        auto measure = MeasuringBitmap(form);
        TCanvas* canvas = measure->Canvas();
        const TPoint units = DialogUnits(canvas);
        const Integer horzMargin = MulDiv(8, units.x, 4);
        const Integer vertMargin = MulDiv(8, units.y, 8);
        const Integer horzSpacing = MulDiv(10, units.x, 4);
        const Integer vertSpacing = MulDiv(10, units.y, 8);
        const Integer buttonSpacing = MulDiv(4, units.x, 4);
        Integer buttonWidth = MulDiv(50, units.x, 4);
        const Integer buttonHeight = MulDiv(14, units.y, 8);

        // The text wraps at half the screen's width.
        const Integer wrapWidth = (Screen ? Screen->Width() : GetSystemMetrics(SM_CXSCREEN)) / 2;
        // An empty message measures as nothing (DrawText would leave the rectangle as it is).
        TRect textRect = Rect(0, 0, msg.empty() ? 0 : wrapWidth, 0);
        if (!msg.empty())
            DrawText(canvas->Handle(), msg.data(), static_cast<int>(msg.size()), &textRect,
                     DT_EXPANDTABS | DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        // A word longer than a line widens the measured rectangle: it is clipped instead.
        const Integer textWidth = std::min<Integer>(textRect.right - textRect.left, wrapWidth);
        const Integer textHeight = textRect.bottom - textRect.top;

        int buttonCount = 0;
        for (size_t i = 0; i < std::size(kButtons); ++i) {
            if (!buttons.Contains(static_cast<TMsgDlgBtn>(i))) continue;
            ++buttonCount;
            const std::string text = StripHotkey(kButtons[i].caption);
            buttonWidth = std::max(buttonWidth, canvas->TextWidth(text) + 8);
        }
        const Integer buttonGroupWidth = buttonWidth * buttonCount + buttonSpacing * (buttonCount - 1);

        Integer iconWidth = 0, iconHeight = 0;
        TImage* image = nullptr;
        if (const char* iconName = IconOf(dlgType)) {
            image = new TImage(form);
            image->SetName("Image");
            image->Picture()->Icon()->SetHandle(CopyIcon(LoadIcon(nullptr, iconName)));
            iconWidth = std::max(32, image->Picture()->Icon()->Width());
            iconHeight = std::max(32, image->Picture()->Icon()->Height());
            image->SetBounds(horzMargin, vertMargin, iconWidth, iconHeight);
            image->SetParent(form);
        }
        const Integer textLeft = horzMargin + (image ? iconWidth + horzSpacing : 0);

        auto* label = new TLabel(form);
        label->SetName("Message");
        label->SetAutoSize(false);
        label->SetWordWrap(true);
        label->SetShowAccelChar(false);
        label->SetCaption(msg);
        label->SetBounds(textLeft, vertMargin, textWidth, textHeight);
        label->SetParent(form);

        const Integer contentWidth =
            std::max(textLeft + textWidth, horzMargin + buttonGroupWidth) + horzMargin;
        const Integer buttonTop = vertMargin + std::max(iconHeight, textHeight) + vertSpacing;
        form->SetClientWidth(contentWidth);
        form->SetClientHeight(buttonTop + buttonHeight + vertMargin);

        const bool hasCancel = buttons.Contains(mbCancel);
        const TMsgDlgBtn cancelButton = hasCancel ? mbCancel : buttons.Contains(mbNo) ? mbNo : mbOK;
        Integer x = (contentWidth - buttonGroupWidth) / 2;
        bool first = true;
        for (size_t i = 0; i < std::size(kButtons); ++i) {
            const auto kind = static_cast<TMsgDlgBtn>(i);
            if (!buttons.Contains(kind)) continue;
            auto* button = new TButton(form);
            button->SetName(kButtons[i].name);
            button->SetCaption(kButtons[i].caption);
            button->SetModalResult(kButtons[i].result);
            if (first) button->SetDefault(true);
            if (kind == cancelButton && buttons.Contains(cancelButton)) button->SetCancel(true);
            if (kind == mbHelp)
                button->OnClick = [form](TObject*) {
                    if (Application) Application->HelpContext(form->HelpContext());
                };
            button->SetBounds(x, buttonTop, buttonWidth, buttonHeight);
            button->SetParent(form);
            if (first) form->SetActiveControl(button);
            first = false;
            x += buttonWidth + buttonSpacing;
        }
    } catch (...) {
        form->Free();
        throw;
    }
    return form;
}

Integer MessageDlgPos(const std::string& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, Integer helpCtx,
                      Integer x, Integer y) {
    TForm* form = CreateMessageDialog(msg, dlgType, buttons);
    form->SetHelpContext(helpCtx);
    if (x >= 0 && y >= 0) {
        form->SetPosition(poDesigned);
        form->SetLeft(x);
        form->SetTop(y);
    }
    return RunAndFree(form);
}

Integer MessageDlg(const std::string& msg, TMsgDlgType dlgType, TMsgDlgButtons buttons, Integer helpCtx) {
    return MessageDlgPos(msg, dlgType, buttons, helpCtx, -1, -1);
}

void ShowMessagePos(const std::string& msg, Integer x, Integer y) {
    MessageDlgPos(msg, mtCustom, TMsgDlgButtons{mbOK}, 0, x, y);
}

void ShowMessage(const std::string& msg) {
    ShowMessagePos(msg, -1, -1);
}

void ShowMessageFmt(std::string_view format, std::initializer_list<TVarRec> args) {
    ShowMessage(Format(format, args));
}

bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
    auto* form = new TForm(nullptr, 0);
    const ScopeExit release([form] { form->Free(); });
    TEdit* edit = nullptr;
    {
        form->SetName("InputQuery");
        form->SetBorderStyle(bsDialog);
        form->SetPosition(poScreenCenter);
        form->SetBorderIcons(TBorderIcons{biSystemMenu});
        form->SetCaption(caption);
        auto measure = MeasuringBitmap(form);
        const TPoint units = DialogUnits(measure->Canvas());
        form->SetClientWidth(MulDiv(180, units.x, 4));

        auto* label = new TLabel(form);
        label->SetName("Prompt");
        label->SetCaption(prompt);
        label->SetLeft(MulDiv(8, units.x, 4));
        label->SetTop(MulDiv(8, units.y, 8));
        label->SetParent(form);

        edit = new TEdit(form);
        edit->SetName("Edit");
        edit->SetBounds(label->Left(), label->Top() + label->Height() + 5, MulDiv(164, units.x, 4),
                        edit->Height());
        edit->SetMaxLength(255);
        edit->SetText(value);
        edit->SetParent(form);
        label->SetFocusControl(edit);

        const Integer buttonTop = edit->Top() + edit->Height() + 15;
        const Integer buttonWidth = MulDiv(50, units.x, 4);
        const Integer buttonHeight = MulDiv(14, units.y, 8);
        auto* ok = new TButton(form);
        ok->SetName("OK");
        ok->SetCaption("OK");
        ok->SetModalResult(mrOk);
        ok->SetDefault(true);
        ok->SetBounds(MulDiv(38, units.x, 4), buttonTop, buttonWidth, buttonHeight);
        ok->SetParent(form);
        auto* cancel = new TButton(form);
        cancel->SetName("Cancel");
        cancel->SetCaption("Cancel");
        cancel->SetModalResult(mrCancel);
        cancel->SetCancel(true);
        cancel->SetBounds(MulDiv(92, units.x, 4), buttonTop, buttonWidth, buttonHeight);
        cancel->SetParent(form);
        form->SetClientHeight(buttonTop + buttonHeight + 13);
        form->SetActiveControl(edit);
        edit->SelectAll();
    }
    const bool accepted = form->ShowModal() == mrOk;
    if (accepted) value = edit->Text();
    return accepted;
}

std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& defaultValue) {
    std::string value = defaultValue;
    InputQuery(caption, prompt, value);
    return value;
}

}  // namespace vcl
