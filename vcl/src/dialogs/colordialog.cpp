// The colour dialog: basic and custom colour boxes, and when opened fully a hue/saturation field, a
// luminance bar and the HSL/RGB edits of the colour being defined.
#include <algorithm>
#include <array>

#include "dialogs/dialogs_internal.h"
#include "vcl/forms.h"
#include "win32/virtualkeys.h"

namespace vcl {

using namespace win32;
using namespace dialogs_detail;

namespace {

// The colour dialog measures hue, saturation and luminance from 0 to 240 (hue stops at 239).
constexpr Integer kHlsMax = 240;
constexpr Integer kRgbMax = 255;
constexpr Integer kUndefinedHue = kHlsMax * 2 / 3;

struct Hls {
    Integer hue = 0, lum = 0, sat = 0;
};

Hls RgbToHls(COLORREF color) {
    const Integer r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    const Integer high = std::max({r, g, b}), low = std::min({r, g, b});
    Hls result;
    result.lum = ((high + low) * kHlsMax + kRgbMax) / (2 * kRgbMax);
    if (high == low) {
        result.hue = kUndefinedHue;
        return result;
    }
    const Integer range = high - low;
    if (result.lum <= kHlsMax / 2)
        result.sat = (range * kHlsMax + (high + low) / 2) / (high + low);
    else
        result.sat = (range * kHlsMax + (2 * kRgbMax - high - low) / 2) / (2 * kRgbMax - high - low);
    const Integer rDelta = ((high - r) * (kHlsMax / 6) + range / 2) / range;
    const Integer gDelta = ((high - g) * (kHlsMax / 6) + range / 2) / range;
    const Integer bDelta = ((high - b) * (kHlsMax / 6) + range / 2) / range;
    if (r == high)
        result.hue = bDelta - gDelta;
    else if (g == high)
        result.hue = kHlsMax / 3 + rDelta - bDelta;
    else
        result.hue = 2 * kHlsMax / 3 + gDelta - rDelta;
    if (result.hue < 0) result.hue += kHlsMax;
    if (result.hue >= kHlsMax) result.hue -= kHlsMax;
    return result;
}

Integer HueToValue(Integer low, Integer high, Integer hue) {
    if (hue < 0) hue += kHlsMax;
    if (hue > kHlsMax) hue -= kHlsMax;
    if (hue < kHlsMax / 6) return low + ((high - low) * hue + kHlsMax / 12) / (kHlsMax / 6);
    if (hue < kHlsMax / 2) return high;
    if (hue < kHlsMax * 2 / 3)
        return low + ((high - low) * (kHlsMax * 2 / 3 - hue) + kHlsMax / 12) / (kHlsMax / 6);
    return low;
}

COLORREF HlsToRgb(const Hls& hls) {
    if (hls.sat == 0) {
        const auto grey = static_cast<BYTE>(hls.lum * kRgbMax / kHlsMax);
        return RGB(grey, grey, grey);
    }
    const Integer high = hls.lum <= kHlsMax / 2
                             ? (hls.lum * (kHlsMax + hls.sat) + kHlsMax / 2) / kHlsMax
                             : hls.lum + hls.sat - (hls.lum * hls.sat + kHlsMax / 2) / kHlsMax;
    const Integer low = 2 * hls.lum - high;
    auto channel = [&](Integer hue) {
        return static_cast<BYTE>(
            std::clamp<Integer>((HueToValue(low, high, hue) * kRgbMax + kHlsMax / 2) / kHlsMax, 0, kRgbMax));
    };
    return RGB(channel(hls.hue + kHlsMax / 3), channel(hls.hue), channel(hls.hue - kHlsMax / 3));
}

// The 48 basic colours, row by row, as the system's colour dialog shows them.
constexpr std::array<COLORREF, 48> kBasicColors = {
    RGB(255, 128, 128), RGB(255, 255, 128), RGB(128, 255, 128), RGB(0, 255, 128),   RGB(128, 255, 255),
    RGB(0, 128, 255),   RGB(255, 128, 192), RGB(255, 128, 255), RGB(255, 0, 0),     RGB(255, 255, 0),
    RGB(128, 255, 0),   RGB(0, 255, 64),    RGB(0, 255, 255),   RGB(0, 128, 192),   RGB(128, 128, 192),
    RGB(255, 0, 255),   RGB(128, 64, 64),   RGB(255, 128, 64),  RGB(0, 255, 0),     RGB(0, 128, 128),
    RGB(0, 64, 128),    RGB(128, 128, 255), RGB(128, 0, 64),    RGB(255, 0, 128),   RGB(128, 0, 0),
    RGB(255, 128, 0),   RGB(0, 128, 0),     RGB(0, 128, 64),    RGB(0, 0, 255),     RGB(0, 0, 160),
    RGB(128, 0, 128),   RGB(128, 0, 255),   RGB(64, 0, 0),      RGB(128, 64, 0),    RGB(0, 64, 0),
    RGB(0, 64, 64),     RGB(0, 0, 128),     RGB(0, 0, 64),      RGB(64, 0, 64),     RGB(64, 0, 128),
    RGB(0, 0, 0),       RGB(128, 128, 0),   RGB(128, 128, 64),  RGB(128, 128, 128), RGB(64, 128, 128),
    RGB(192, 192, 192), RGB(64, 0, 64),     RGB(255, 255, 255),
};

constexpr Integer kCustomColorCount = 16;

std::string CustomColorName(Integer index) {
    return std::string("Color") + static_cast<char>('A' + index);
}

// A grid of colour boxes; one may be selected. Arrow keys, Home and End move the selection.
class TColorBoxGrid : public TCustomControl {
    VCL_CLASS(TColorBoxGrid, TCustomControl)
public:
    explicit TColorBoxGrid(TComponent* owner) : TCustomControl(owner) {
        SetTabStop(true);
        SetColor(clBtnFace);
        SetParentColor(false);
    }

    void SetLayout(Integer columns, std::vector<COLORREF> colors) {
        columns_ = std::max<Integer>(1, columns);
        colors_ = std::move(colors);
        Invalidate();
    }
    Integer Count() const { return static_cast<Integer>(colors_.size()); }
    COLORREF Colors(Integer index) const { return colors_.at(static_cast<size_t>(index)); }
    void SetColors(Integer index, COLORREF color) {
        colors_.at(static_cast<size_t>(index)) = color;
        Invalidate();
    }
    const std::vector<COLORREF>& AllColors() const { return colors_; }
    Integer ItemIndex() const { return itemIndex_; }
    void SetItemIndex(Integer value) {
        if (value < -1 || value >= Count()) value = -1;
        if (value == itemIndex_) return;
        itemIndex_ = value;
        Invalidate();
    }
    Integer IndexOf(COLORREF color) const {
        const auto found = std::find(colors_.begin(), colors_.end(), color);
        return found == colors_.end() ? -1 : static_cast<Integer>(found - colors_.begin());
    }
    TRect CellRect(Integer index) const {
        const Integer rows = (Count() + columns_ - 1) / columns_;
        const Integer cellWidth = ClientWidth() / columns_;
        const Integer cellHeight = rows > 0 ? ClientHeight() / rows : 0;
        const Integer column = index % columns_, row = index / columns_;
        return Rect(column * cellWidth, row * cellHeight, (column + 1) * cellWidth, (row + 1) * cellHeight);
    }

    // A box chosen by the user (click or key).
    TNotifyEvent OnSelect;

    void WndProc(TMessage& message) override {
        switch (message.Msg) {
            case WM_GETDLGCODE:
                message.Result = DLGC_WANTARROWS;
                return;
            case WM_SETFOCUS:
            case WM_KILLFOCUS:
                Invalidate();
                break;
            default:
                break;
        }
        TCustomControl::WndProc(message);
    }

protected:
    void Paint() override {
        TCanvas* canvas = Canvas();
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(ClientRect());
        for (Integer i = 0; i < Count(); ++i) {
            const TRect cell = CellRect(i);
            TRect box = Rect(cell.left + 3, cell.top + 3, cell.right - 3, cell.bottom - 3);
            DrawEdge(canvas->Handle(), &box, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
            canvas->Brush()->SetColor(static_cast<TColor>(colors_[static_cast<size_t>(i)]));
            canvas->FillRect(box);
            if (i == itemIndex_) {
                canvas->Brush()->SetColor(clBlack);
                TRect frame = Rect(cell.left + 1, cell.top + 1, cell.right - 1, cell.bottom - 1);
                canvas->FrameRect(frame);
                frame = Rect(frame.left + 1, frame.top + 1, frame.right - 1, frame.bottom - 1);
                canvas->FrameRect(frame);
            }
        }
        if (Focused()) {
            const TRect cell = CellRect(itemIndex_ >= 0 ? itemIndex_ : 0);
            canvas->Brush()->SetColor(Color());
            canvas->DrawFocusRect(cell);
        }
    }

    void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override {
        if (button == mbLeft) {
            if (CanFocus()) SetFocus();
            for (Integer i = 0; i < Count(); ++i) {
                const TRect cell = CellRect(i);
                if (x >= cell.left && x < cell.right && y >= cell.top && y < cell.bottom) {
                    Choose(i);
                    break;
                }
            }
        }
        TCustomControl::MouseDown(button, shift, x, y);
    }

    void KeyDown(Word& key, TShiftState shift) override {
        TCustomControl::KeyDown(key, shift);
        if (Count() == 0) return;
        const Integer current = itemIndex_;
        Integer next = current;
        switch (key) {
            case VK_LEFT:
                next = current < 0 ? 0 : std::max<Integer>(0, current - 1);
                break;
            case VK_RIGHT:
                next = current < 0 ? 0 : std::min<Integer>(Count() - 1, current + 1);
                break;
            case VK_UP:
                next = current < 0 ? 0 : current - columns_ >= 0 ? current - columns_ : current;
                break;
            case VK_DOWN:
                next = current < 0 ? 0 : current + columns_ < Count() ? current + columns_ : current;
                break;
            case VK_HOME:
                next = 0;
                break;
            case VK_END:
                next = Count() - 1;
                break;
            default:
                return;
        }
        key = 0;
        if (next != current) Choose(next);
    }

private:
    void Choose(Integer index) {
        SetItemIndex(index);
        if (OnSelect) OnSelect(this);
    }

    Integer columns_ = 1;
    std::vector<COLORREF> colors_;
    Integer itemIndex_ = -1;
};

// Hue across, saturation down (full at the top), at half luminance; a cross marks the current pair.
// The luminance bar beside it shows the current hue and saturation from white to black, with an
// arrow at the current luminance. Both follow mouse presses and drags.
class THlsPicker : public TCustomControl {
    VCL_CLASS(THlsPicker, TCustomControl)
public:
    enum class Kind : uint8_t { spectrum, luminance };

    THlsPicker(TComponent* owner, Kind kind) : TCustomControl(owner), kind_(kind) {
        SetColor(clBtnFace);
        SetParentColor(false);
    }

    const Hls& Value() const { return value_; }
    void SetValue(const Hls& value) {
        const bool redrawBar =
            kind_ == Kind::luminance && (value.hue != value_.hue || value.sat != value_.sat);
        value_ = value;
        if (redrawBar) cache_.reset();
        Invalidate();
    }

    TNotifyEvent OnPick;

protected:
    // The part painted with colours: all of the spectrum, the left strip of the luminance bar.
    TRect FieldRect() const {
        TRect rect = ClientRect();
        if (kind_ == Kind::luminance) rect.right = std::max<Integer>(rect.left + 1, rect.right - 10);
        return Rect(rect.left + 2, rect.top + 2, rect.right - 2, rect.bottom - 2);
    }

    void Paint() override {
        TCanvas* canvas = Canvas();
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(ClientRect());
        const TRect field = FieldRect();
        TRect edge = Rect(field.left - 2, field.top - 2, field.right + 2, field.bottom + 2);
        DrawEdge(canvas->Handle(), &edge, EDGE_SUNKEN, BF_RECT);
        const Integer width = field.right - field.left, height = field.bottom - field.top;
        if (width <= 1 || height <= 1) return;
        if (!cache_) cache_ = RenderField(width, height);
        canvas->Draw(field.left, field.top, cache_.get());
        if (kind_ == Kind::spectrum) {
            const Integer x = field.left + MulDiv(value_.hue, width - 1, kHlsMax - 1);
            const Integer y = field.top + MulDiv(kHlsMax - value_.sat, height - 1, kHlsMax);
            canvas->Pen()->SetColor(clBlack);
            canvas->MoveTo(x - 7, y);
            canvas->LineTo(x - 2, y);
            canvas->MoveTo(x + 3, y);
            canvas->LineTo(x + 8, y);
            canvas->MoveTo(x, y - 7);
            canvas->LineTo(x, y - 2);
            canvas->MoveTo(x, y + 3);
            canvas->LineTo(x, y + 8);
        } else {
            const Integer y = field.top + MulDiv(kHlsMax - value_.lum, height - 1, kHlsMax);
            const Integer x = field.right + 3;
            const TPoint arrow[] = {Point(x, y), Point(x + 6, y - 5), Point(x + 6, y + 5)};
            canvas->Pen()->SetColor(clBlack);
            canvas->Brush()->SetColor(clBlack);
            canvas->Polygon(arrow);
        }
    }

    void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override {
        TCustomControl::MouseDown(button, shift, x, y);
        if (button != mbLeft) return;
        tracking_ = true;
        Pick(x, y);
    }
    void MouseMove(TShiftState shift, Integer x, Integer y) override {
        TCustomControl::MouseMove(shift, x, y);
        if (tracking_ && shift.Contains(ssLeft)) Pick(x, y);
    }
    void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override {
        TCustomControl::MouseUp(button, shift, x, y);
        tracking_ = false;
    }

private:
    std::unique_ptr<TBitmap> RenderField(Integer width, Integer height) const {
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->SetPixelFormat(pf32bit);
        bitmap->SetSize(width, height);
        for (Integer y = 0; y < height; ++y) {
            auto* row = static_cast<uint8_t*>(bitmap->ScanLine(y));
            for (Integer x = 0; x < width; ++x) {
                Hls hls = value_;
                if (kind_ == Kind::spectrum) {
                    hls.hue = MulDiv(x, kHlsMax - 1, width - 1);
                    hls.sat = kHlsMax - MulDiv(y, kHlsMax, height - 1);
                    hls.lum = kHlsMax / 2;
                } else {
                    hls.lum = kHlsMax - MulDiv(y, kHlsMax, height - 1);
                }
                const COLORREF color = HlsToRgb(hls);
                row[x * 4 + 0] = GetBValue(color);
                row[x * 4 + 1] = GetGValue(color);
                row[x * 4 + 2] = GetRValue(color);
                row[x * 4 + 3] = 0;
            }
        }
        return bitmap;
    }

    void Pick(Integer x, Integer y) {
        const TRect field = FieldRect();
        const Integer width = field.right - field.left, height = field.bottom - field.top;
        if (width <= 1 || height <= 1) return;
        const Integer cx = std::clamp<Integer>(x - field.left, 0, width - 1);
        const Integer cy = std::clamp<Integer>(y - field.top, 0, height - 1);
        Hls next = value_;
        if (kind_ == Kind::spectrum) {
            next.hue = MulDiv(cx, kHlsMax - 1, width - 1);
            next.sat = kHlsMax - MulDiv(cy, kHlsMax, height - 1);
        } else {
            next.lum = kHlsMax - MulDiv(cy, kHlsMax, height - 1);
        }
        if (next.hue == value_.hue && next.sat == value_.sat && next.lum == value_.lum) return;
        SetValue(next);
        if (OnPick) OnPick(this);
    }

    Kind kind_;
    Hls value_;
    bool tracking_ = false;
    mutable std::unique_ptr<TBitmap> cache_;
};

// The colour being defined, in a sunken frame.
class TColorSample : public TGraphicControl {
    VCL_CLASS(TColorSample, TGraphicControl)
public:
    explicit TColorSample(TComponent* owner) : TGraphicControl(owner) {}

    COLORREF Sample() const { return sample_; }
    void SetSample(COLORREF value) {
        if (value == sample_) return;
        sample_ = value;
        Invalidate();
    }

protected:
    void Paint() override {
        TCanvas* canvas = Canvas();
        TRect rect = ClientRect();
        DrawEdge(canvas->Handle(), &rect, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        canvas->Brush()->SetColor(static_cast<TColor>(sample_));
        canvas->FillRect(rect);
    }

private:
    COLORREF sample_ = 0;
};

// The running dialog: its controls and the colour being chosen.
class ColorSession {
public:
    ColorSession(TColorDialog* dialog, TForm* form, COLORREF color, std::vector<COLORREF> customColors)
        : dialog_(dialog), form_(form), current_(color), hls_(RgbToHls(color)) {
        Build(std::move(customColors));
    }

    COLORREF Current() const { return current_; }
    std::vector<COLORREF> CustomColors() const { return custom_->AllColors(); }

private:
    static constexpr Integer kMargin = 6;
    static constexpr Integer kPaneWidth = 240;
    static constexpr Integer kClosedWidth = kMargin + kPaneWidth + kMargin;
    static constexpr Integer kFullWidth = 486;
    static constexpr Integer kRightPane = kClosedWidth;

    void Build(std::vector<COLORREF> customColors) {
        const TColorDialogOptions options = dialog_->Options();

        basic_ = AddPart<TColorBoxGrid>(form_, "BasicColors", kMargin, 22, kPaneWidth, 132);
        basic_->SetLayout(8, std::vector<COLORREF>(kBasicColors.begin(), kBasicColors.end()));
        AddLabel(form_, "BasicLabel", "&Basic colors:", kMargin, 6, basic_);
        custom_ = AddPart<TColorBoxGrid>(form_, "CustomColors", kMargin, 178, kPaneWidth, 44);
        custom_->SetLayout(8, std::move(customColors));
        AddLabel(form_, "CustomLabel", "&Custom colors:", kMargin, 162, custom_);
        defineCustom_ = AddPart<TButton>(form_, "DefineCustom", kMargin, 230, kPaneWidth, kButtonHeight);
        defineCustom_->SetCaption("&Define Custom Colors >>");
        defineCustom_->SetEnabled(!options.Contains(cdPreventFullOpen));
        defineCustom_->OnClick = [this](TObject*) { OpenFully(); };

        TButton* ok = AddButton(form_, "OK", "OK", kMargin, 262, mrOk);
        ok->SetDefault(true);
        AddButton(form_, "Cancel", "Cancel", kMargin + 81, 262, mrCancel)->SetCancel(true);
        if (options.Contains(cdShowHelp)) AddHelpButton(form_, dialog_, kMargin + 162, 262);

        basic_->OnSelect = [this](TObject*) {
            customTarget_ = -1;
            custom_->SetItemIndex(-1);
            ChooseColor(basic_->Colors(basic_->ItemIndex()));
        };
        custom_->OnSelect = [this](TObject*) {
            customTarget_ = custom_->ItemIndex();
            basic_->SetItemIndex(-1);
            ChooseColor(custom_->Colors(custom_->ItemIndex()));
        };

        BuildDefinePane();
        // The given colour is found among the basic colours first, then among the custom ones.
        if (const Integer index = basic_->IndexOf(current_); index >= 0)
            basic_->SetItemIndex(index);
        else if (const Integer custom = custom_->IndexOf(current_); custom >= 0) {
            custom_->SetItemIndex(custom);
            customTarget_ = custom;
        }
        form_->SetActiveControl(basic_->ItemIndex() >= 0 || custom_->ItemIndex() < 0 ? basic_ : custom_);
        if (options.Contains(cdFullOpen) && !options.Contains(cdPreventFullOpen)) OpenFully();
    }

    void BuildDefinePane() {
        spectrum_ = new THlsPicker(form_, THlsPicker::Kind::spectrum);
        spectrum_->SetName("Spectrum");
        spectrum_->SetBounds(kRightPane, 6, 184, 164);
        spectrum_->SetParent(form_);
        luminance_ = new THlsPicker(form_, THlsPicker::Kind::luminance);
        luminance_->SetName("Luminance");
        luminance_->SetBounds(kRightPane + 194, 6, 28, 164);
        luminance_->SetParent(form_);
        preview_ = AddPart<TColorSample>(form_, "Preview", kRightPane, 178, 60, 42);
        previewLabel_ = AddLabel(form_, "PreviewLabel", "Color|Sol&id", kRightPane + 2, 224);

        const char* names[] = {"Hue", "Sat", "Lum", "Red", "Green", "Blue"};
        const char* captions[] = {"Hu&e:", "&Sat:", "&Lum:", "&Red:", "&Green:", "Bl&ue:"};
        for (Integer i = 0; i < 6; ++i) {
            const Integer column = i / 3, row = i % 3;
            const Integer left = kRightPane + 72 + column * 78;
            edits_[i] = AddPart<TEdit>(form_, names[i], left + 42, 176 + row * 24, 30, 21);
            edits_[i]->SetMaxLength(3);
            labels_[i] = AddLabel(form_, std::string(names[i]) + "Label", captions[i], left, 180 + row * 24,
                                  edits_[i]);
            edits_[i]->OnChange = [this, i](TObject*) { EditChanged(i); };
            edits_[i]->OnExit = [this, i](TObject*) { WriteEdit(i); };
        }
        addToCustom_ = AddPart<TButton>(form_, "AddToCustom", kRightPane, 262,
                                        kFullWidth - kRightPane - kMargin, kButtonHeight);
        addToCustom_->SetCaption("&Add to Custom Colors");
        addToCustom_->OnClick = [this](TObject*) { AddToCustom(); };

        spectrum_->OnPick = [this](TObject*) {
            Hls hls = hls_;
            hls.hue = spectrum_->Value().hue;
            hls.sat = spectrum_->Value().sat;
            SetHls(hls);
        };
        luminance_->OnPick = [this](TObject*) {
            Hls hls = hls_;
            hls.lum = luminance_->Value().lum;
            SetHls(hls);
        };
        ShowDefinePane(false);
        ShowValues(-1);
    }

    void ShowDefinePane(bool show) {
        for (TControl* control : {static_cast<TControl*>(spectrum_), static_cast<TControl*>(luminance_),
                                  static_cast<TControl*>(preview_), static_cast<TControl*>(previewLabel_),
                                  static_cast<TControl*>(addToCustom_)})
            control->SetVisible(show);
        for (Integer i = 0; i < 6; ++i) {
            edits_[i]->SetVisible(show);
            labels_[i]->SetVisible(show);
        }
    }

    void OpenFully() {
        if (fullOpen_) return;
        fullOpen_ = true;
        form_->SetClientWidth(kFullWidth);
        ShowDefinePane(true);
        // The focus must not stay on the button being disabled.
        if (defineCustom_->Focused()) form_->SetActiveControl(edits_[0]);
        defineCustom_->SetEnabled(false);
    }

    void ChooseColor(COLORREF color) {
        current_ = color;
        hls_ = RgbToHls(color);
        ShowValues(-1);
    }

    void SetHls(const Hls& hls) {
        hls_ = hls;
        current_ = HlsToRgb(hls);
        basic_->SetItemIndex(-1);
        custom_->SetItemIndex(-1);
        ShowValues(-1);
    }

    Integer ValueOf(Integer field) const {
        switch (field) {
            case 0:
                return hls_.hue;
            case 1:
                return hls_.sat;
            case 2:
                return hls_.lum;
            case 3:
                return GetRValue(current_);
            case 4:
                return GetGValue(current_);
            default:
                return GetBValue(current_);
        }
    }

    // Every view of the colour but the edit being typed in.
    void ShowValues(Integer skipEdit) {
        const ScopedValue quiet(updating_, true);
        spectrum_->SetValue(hls_);
        luminance_->SetValue(hls_);
        preview_->SetSample(current_);
        for (Integer i = 0; i < 6; ++i)
            if (i != skipEdit) edits_[i]->SetText(std::to_string(ValueOf(i)));
    }

    void WriteEdit(Integer field) {
        if (updating_) return;
        const ScopedValue quiet(updating_, true);
        edits_[field]->SetText(std::to_string(ValueOf(field)));
    }

    // Typed numbers take effect at once, clamped to their range; text that is no number waits.
    void EditChanged(Integer field) {
        if (updating_) return;
        Integer value = 0;
        if (!TryStrToInt(Trim(edits_[field]->Text()), value)) return;
        const Integer limit = field == 0 ? kHlsMax - 1 : field < 3 ? kHlsMax : kRgbMax;
        value = std::clamp<Integer>(value, 0, limit);
        if (field < 3) {
            Hls hls = hls_;
            (field == 0 ? hls.hue : field == 1 ? hls.sat : hls.lum) = value;
            hls_ = hls;
            current_ = HlsToRgb(hls);
        } else {
            BYTE r = GetRValue(current_), g = GetGValue(current_), b = GetBValue(current_);
            (field == 3 ? r : field == 4 ? g : b) = static_cast<BYTE>(value);
            current_ = RGB(r, g, b);
            hls_ = RgbToHls(current_);
        }
        basic_->SetItemIndex(-1);
        custom_->SetItemIndex(-1);
        ShowValues(field);
    }

    // Into the custom box chosen last, else the next in turn.
    void AddToCustom() {
        const Integer slot = customTarget_ >= 0 ? customTarget_ : nextCustom_;
        custom_->SetColors(slot, current_);
        nextCustom_ = (slot + 1) % kCustomColorCount;
        customTarget_ = -1;
        custom_->SetItemIndex(-1);
    }

    TColorDialog* dialog_;
    TForm* form_;
    COLORREF current_;
    Hls hls_;
    TColorBoxGrid* basic_ = nullptr;
    TColorBoxGrid* custom_ = nullptr;
    TButton* defineCustom_ = nullptr;
    THlsPicker* spectrum_ = nullptr;
    THlsPicker* luminance_ = nullptr;
    TColorSample* preview_ = nullptr;
    TLabel* previewLabel_ = nullptr;
    std::array<TEdit*, 6> edits_{};
    std::array<TLabel*, 6> labels_{};
    TButton* addToCustom_ = nullptr;
    Integer nextCustom_ = 0;
    Integer customTarget_ = -1;
    bool fullOpen_ = false;
    bool updating_ = false;
};

COLORREF ParseCustomColor(const std::string& text) {
    const std::string value = Trim(text);
    if (value.empty() || value.size() > 8) return RGB(255, 255, 255);
    uint32_t result = 0;
    for (char c : value) {
        const auto u = static_cast<unsigned char>(c);
        uint32_t digit = 0;
        if (u >= '0' && u <= '9')
            digit = u - '0';
        else if (u >= 'a' && u <= 'f')
            digit = u - 'a' + 10;
        else if (u >= 'A' && u <= 'F')
            digit = u - 'A' + 10;
        else
            return RGB(255, 255, 255);
        result = result << 4 | digit;
    }
    return result & 0x00FFFFFF;
}

}  // namespace

VCL_DEFINE_CLASS(TColorDialog, TCommonDialog)

TColorDialog::TColorDialog(TComponent* owner)
    : TCommonDialog(owner), customColors_(std::make_unique<TStringList>()) {}

TColorDialog::~TColorDialog() = default;

void TColorDialog::SetCustomColors(const TStrings* value) {
    customColors_->Assign(value);
}

bool TColorDialog::Execute() {
    std::vector<COLORREF> custom(kCustomColorCount);
    for (Integer i = 0; i < kCustomColorCount; ++i)
        custom[static_cast<size_t>(i)] = ParseCustomColor(customColors_->Values(CustomColorName(i)));
    TForm* form = NewDialogForm("ColorDlg", "Color", 252, 291, Ctl3D());
    std::unique_ptr<ColorSession> session;
    try {
        session = std::make_unique<ColorSession>(this, form, ColorToRGB(color_), std::move(custom));
    } catch (...) {
        form->Free();
        throw;
    }
    return RunDialog(form, [&] {
        color_ = static_cast<TColor>(session->Current());
        const std::vector<COLORREF> chosen = session->CustomColors();
        customColors_->BeginUpdate();
        const ScopeExit endUpdate([this] { customColors_->EndUpdate(); });
        customColors_->Clear();
        for (Integer i = 0; i < kCustomColorCount; ++i)
            customColors_->Add(CustomColorName(i) + "=" + IntToHex(chosen[static_cast<size_t>(i)], 6));
    });
}

}  // namespace vcl
