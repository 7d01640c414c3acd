// The font dialog: face, style and size chosen from lists of the platform's fonts (or typed), the
// effects, and a sample of the result.
#include <algorithm>
#include <array>
#include <cmath>

#include "dialogs/dialogs_internal.h"
#include "vcl/forms.h"
#include "win32/fonts.h"

namespace vcl {

using namespace win32;
using namespace dialogs_detail;

namespace {

struct FaceInfo {
    std::string name;
    DWORD fontType = 0;
    bool fixedPitch = false;
    // The styles the platform has for the face (bit 0 bold, bit 1 italic).
    std::array<bool, 4> styles{};
};

constexpr const char* kStyleNames[] = {"Regular", "Bold", "Italic", "Bold Italic"};

Integer StyleIndex(TFontStyles style) {
    return (style.Contains(fsBold) ? 1 : 0) | (style.Contains(fsItalic) ? 2 : 0);
}

constexpr Integer kScalableSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
constexpr Integer kRasterSizes[] = {8, 10, 12, 14, 18, 24};
// The largest size the system's font dialog takes when no limit is set.
constexpr Integer kLargestSize = 1638;

struct NamedColor {
    const char* name;
    TColor color;
};

constexpr NamedColor kEffectColors[] = {
    {"Black", clBlack},   {"Maroon", clMaroon},   {"Green", clGreen}, {"Olive", clOlive},
    {"Navy", clNavy},     {"Purple", clPurple},   {"Teal", clTeal},   {"Gray", clGray},
    {"Silver", clSilver}, {"Red", clRed},         {"Lime", clLime},   {"Yellow", clYellow},
    {"Blue", clBlue},     {"Fuchsia", clFuchsia}, {"Aqua", clAqua},   {"White", clWhite},
};

int CollectFace(const LOGFONT* logFont, const TEXTMETRIC* metrics, DWORD fontType, LPARAM data) {
    auto* faces = reinterpret_cast<std::vector<FaceInfo>*>(data);
    const char* faceEnd = std::find(logFont->lfFaceName, logFont->lfFaceName + LF_FACESIZE, '\0');
    const std::string name(logFont->lfFaceName, faceEnd);
    auto found = std::find_if(faces->begin(), faces->end(),
                              [&](const FaceInfo& face) { return SameText(face.name, name); });
    if (found == faces->end()) {
        FaceInfo face;
        face.name = name;
        face.fontType = fontType;
        face.fixedPitch = (logFont->lfPitchAndFamily & 0x03) == FIXED_PITCH;
        if ((metrics->tmPitchAndFamily & TMPF_VECTOR) && !(fontType & TRUETYPE_FONTTYPE))
            face.fontType |= 0x100;  // vector: neither raster nor TrueType
        if (logFont->lfCharSet == SYMBOL_CHARSET) face.fontType |= 0x200;
        faces->push_back(face);
        found = faces->end() - 1;
    }
    found->styles[static_cast<size_t>((logFont->lfWeight >= FW_BOLD ? 1 : 0) | (logFont->lfItalic ? 2 : 0))] =
        true;
    return 1;
}

// The faces the options allow, sorted by name.
std::vector<FaceInfo> EnumerateFaces(TFontDialogOptions options) {
    std::vector<FaceInfo> all;
    const HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return all;
    // Each family once, then each family's styles.
    std::vector<FaceInfo> families;
    EnumFontFamilies(dc, nullptr, CollectFace, reinterpret_cast<LPARAM>(&families));
    for (const FaceInfo& family : families)
        EnumFontFamilies(dc, family.name.c_str(), CollectFace, reinterpret_cast<LPARAM>(&all));
    DeleteDC(dc);
    std::vector<FaceInfo> result;
    for (FaceInfo& face : all) {
        const bool trueType = (face.fontType & TRUETYPE_FONTTYPE) != 0;
        const bool raster = (face.fontType & RASTER_FONTTYPE) != 0;
        const bool vector = (face.fontType & 0x100) != 0;
        if (options.Contains(fdTrueTypeOnly) && !trueType) continue;
        if (options.Contains(fdScalableOnly) && raster) continue;
        if (options.Contains(fdFixedPitchOnly) && !face.fixedPitch) continue;
        if (options.Contains(fdAnsiOnly) && (face.fontType & 0x200)) continue;
        if ((options.Contains(fdNoVectorFonts) || options.Contains(fdNoOEMFonts)) && vector) continue;
        result.push_back(std::move(face));
    }
    std::sort(result.begin(), result.end(),
              [](const FaceInfo& a, const FaceInfo& b) { return CompareText(a.name, b.name) < 0; });
    return result;
}

// Sizes may be typed with a fraction ("10.5"); the font takes whole points, halves rounded to even.
bool ParseSize(const std::string& text, Integer& size) {
    const std::string value = Trim(text);
    if (value.empty() || value.size() > 12) return false;
    double number = 0;
    if (!TryStrToFloat(value, number) || !std::isfinite(number)) return false;
    if (number < -1e6 || number > 1e6) return false;
    size = static_cast<Integer>(Round(number));
    return true;
}

// The text in the chosen font, centred on the face colour.
class TFontSample : public TGraphicControl {
    VCL_CLASS(TFontSample, TGraphicControl)
public:
    explicit TFontSample(TComponent* owner)
        : TGraphicControl(owner), sampleFont_(std::make_unique<TFont>()) {}

    void SetSample(const TFont* font) {
        sampleFont_->Assign(font);
        Invalidate();
    }

protected:
    void Paint() override {
        TCanvas* canvas = Canvas();
        TRect rect = ClientRect();
        DrawEdge(canvas->Handle(), &rect, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        canvas->Brush()->SetColor(clBtnFace);
        canvas->FillRect(rect);
        canvas->Font()->Assign(sampleFont_.get());
        const std::string text = "AaBbYyZz";
        const TSize extent = canvas->TextExtent(text);
        canvas->TextRect(rect, (rect.left + rect.right - extent.cx) / 2,
                         (rect.top + rect.bottom - extent.cy) / 2, text);
    }

private:
    std::unique_ptr<TFont> sampleFont_;
};

class FontSession {
public:
    FontSession(TFontDialog* dialog, TForm* form) : dialog_(dialog), form_(form) {
        options_ = dialog->Options();
        original_ = std::make_unique<TFont>();
        original_->Assign(dialog->Font());
        faces_ = EnumerateFaces(options_);
        Build();
    }

    // Checks what was typed; shows the problem and returns false when something is wrong.
    bool BuildResult(TFont* result) {
        result->Assign(original_.get());
        const std::string face = Trim(faceEdit_->Text());
        if (!face.empty()) {
            const FaceInfo* known = FindFace(face);
            if (!known && options_.Contains(fdForceFontExist)) {
                Complain("There is no font with that name.\nChoose a font from the list of fonts.",
                         faceEdit_);
                return false;
            }
            result->SetName(known ? known->name : face);
        }
        const std::string styleText = Trim(styleEdit_->Text());
        if (!styleText.empty()) {
            Integer style = MatchStyle(styleText);
            if (style < 0) {
                if (options_.Contains(fdForceFontExist)) {
                    Complain("There is no font with that style.\nChoose a style from the list of styles.",
                             styleEdit_);
                    return false;
                }
                const std::string lower = LowerCase(styleText);
                style = (lower.find("bold") != std::string::npos ? 1 : 0) |
                        (lower.find("italic") != std::string::npos ? 2 : 0);
            }
            TFontStyles styles = result->Style();
            (style & 1) ? styles.Include(fsBold) : styles.Exclude(fsBold);
            (style & 2) ? styles.Include(fsItalic) : styles.Exclude(fsItalic);
            result->SetStyle(styles);
        }
        const std::string sizeText = Trim(sizeEdit_->Text());
        if (!sizeText.empty()) {
            Integer size = 0;
            if (!ParseSize(sizeText, size)) {
                Complain("Size must be a number.", sizeEdit_);
                return false;
            }
            Integer low = 1, high = kLargestSize;
            if (options_.Contains(fdLimitSize)) {
                if (dialog_->MinFontSize() > 0) low = dialog_->MinFontSize();
                if (dialog_->MaxFontSize() > 0) high = dialog_->MaxFontSize();
            }
            if (size < low || size > high) {
                Complain(Format("Size must be between %d and %d points.", {low, high}), sizeEdit_);
                return false;
            }
            if (size != original_->Size()) result->SetSize(size);
        }
        if (options_.Contains(fdEffects)) {
            TFontStyles styles = result->Style();
            strikeout_->Checked() ? styles.Include(fsStrikeOut) : styles.Exclude(fsStrikeOut);
            underline_->Checked() ? styles.Include(fsUnderline) : styles.Exclude(fsUnderline);
            result->SetStyle(styles);
            const Integer colorIndex = colorCombo_->ItemIndex();
            if (colorIndex >= 0 && colorIndex != initialColorIndex_)
                result->SetColor(colorValues_[static_cast<size_t>(colorIndex)]);
        }
        return true;
    }

private:
    void Build() {
        faceEdit_ = AddPart<TEdit>(form_, "FaceEdit", 6, 22, 150, 21);
        faceList_ = AddPart<TDialogListBox>(form_, "FaceList", 6, 44, 150, 108);
        AddLabel(form_, "FaceLabel", "&Font:", 6, 6, faceEdit_);
        styleEdit_ = AddPart<TEdit>(form_, "StyleEdit", 164, 22, 110, 21);
        styleList_ = AddPart<TDialogListBox>(form_, "StyleList", 164, 44, 110, 108);
        AddLabel(form_, "StyleLabel", "Font st&yle:", 164, 6, styleEdit_);
        sizeEdit_ = AddPart<TEdit>(form_, "SizeEdit", 282, 22, 60, 21);
        sizeList_ = AddPart<TDialogListBox>(form_, "SizeList", 282, 44, 60, 108);
        AddLabel(form_, "SizeLabel", "&Size:", 282, 6, sizeEdit_);

        TButton* ok = AddButton(form_, "OK", "OK", 352, 22, mrNone);
        ok->SetDefault(true);
        ok->OnClick = [this](TObject*) {
            auto result = std::make_unique<TFont>();
            if (BuildResult(result.get())) {
                result_ = std::move(result);
                form_->SetModalResult(mrOk);
            }
        };
        AddButton(form_, "Cancel", "Cancel", 352, 51, mrCancel)->SetCancel(true);
        Integer buttonTop = 80;
        if (options_.Contains(fdApplyButton)) {
            TButton* apply = AddButton(form_, "Apply", "&Apply", 352, buttonTop, mrNone);
            apply->OnClick = [this](TObject*) { ApplyNow(); };
            buttonTop += 29;
        }
        if (options_.Contains(fdShowHelp)) AddHelpButton(form_, dialog_, 352, buttonTop);

        Integer sampleLeft = 6;
        if (options_.Contains(fdEffects)) {
            auto* effects = AddPart<TGroupBox>(form_, "Effects", 6, 160, 150, 112);
            effects->SetCaption("Effects");
            strikeout_ = AddPart<TCheckBox>(effects, "Strikeout", 10, 18, 120, 17);
            strikeout_->SetCaption("Stri&keout");
            strikeout_->SetChecked(original_->Style().Contains(fsStrikeOut));
            strikeout_->OnClick = [this](TObject*) { UpdateSample(); };
            underline_ = AddPart<TCheckBox>(effects, "Underline", 10, 38, 120, 17);
            underline_->SetCaption("&Underline");
            underline_->SetChecked(original_->Style().Contains(fsUnderline));
            underline_->OnClick = [this](TObject*) { UpdateSample(); };
            colorCombo_ = AddPart<TComboBox>(effects, "ColorCombo", 10, 76, 128, 22);
            AddLabel(effects, "ColorLabel", "&Color:", 10, 60, colorCombo_);
            colorCombo_->SetStyle(csOwnerDrawFixed);
            FillColors();
            colorCombo_->OnDrawItem = [this](TWinControl*, Integer index, TRect rect, TOwnerDrawState state) {
                DrawColorItem(index, rect, state);
            };
            colorCombo_->OnChange = [this](TObject*) { UpdateSample(); };
            sampleLeft = 164;
        }
        auto* sampleGroup = AddPart<TGroupBox>(form_, "SampleGroup", sampleLeft, 160, 178, 74);
        sampleGroup->SetCaption("Sample");
        sample_ = AddPart<TFontSample>(sampleGroup, "Sample", 8, 18, 162, 48);

        for (const FaceInfo& face : faces_)
            faceList_->Items()->Add(face.name);
        faceList_->OnClick = [this](TObject*) { FaceChosen(); };
        styleList_->OnClick = [this](TObject*) {
            if (styleList_->ItemIndex() >= 0)
                SetEditQuietly(styleEdit_, styleList_->Items()->Strings(styleList_->ItemIndex()));
            UpdateSample();
        };
        sizeList_->OnClick = [this](TObject*) {
            if (sizeList_->ItemIndex() >= 0)
                SetEditQuietly(sizeEdit_, sizeList_->Items()->Strings(sizeList_->ItemIndex()));
            UpdateSample();
        };
        faceEdit_->OnChange = [this](TObject*) { FaceTyped(); };
        styleEdit_->OnChange = [this](TObject*) {
            if (quiet_) return;
            styleList_->SetItemIndex(IndexOfText(styleList_, Trim(styleEdit_->Text())));
            UpdateSample();
        };
        sizeEdit_->OnChange = [this](TObject*) {
            if (quiet_) return;
            sizeList_->SetItemIndex(IndexOfText(sizeList_, Trim(sizeEdit_->Text())));
            UpdateSample();
        };

        if (!options_.Contains(fdNoFaceSel)) SetEditQuietly(faceEdit_, original_->Name());
        faceList_->SetItemIndex(IndexOfText(faceList_, original_->Name()));
        FillStylesAndSizes();
        if (!options_.Contains(fdNoStyleSel)) {
            const std::string style = kStyleNames[StyleIndex(original_->Style())];
            SetEditQuietly(styleEdit_, style);
            styleList_->SetItemIndex(IndexOfText(styleList_, style));
        }
        if (!options_.Contains(fdNoSizeSel)) {
            const std::string size = std::to_string(original_->Size());
            SetEditQuietly(sizeEdit_, size);
            sizeList_->SetItemIndex(IndexOfText(sizeList_, size));
        }
        form_->SetActiveControl(faceEdit_);
        faceEdit_->SelectAll();
        UpdateSample();
    }

    void FillColors() {
        const COLORREF rgb = ColorToRGB(original_->Color());
        for (const NamedColor& color : kEffectColors) {
            colorCombo_->Items()->Add(color.name);
            colorValues_.push_back(color.color);
            if (initialColorIndex_ < 0 && static_cast<COLORREF>(color.color) == rgb)
                initialColorIndex_ = static_cast<Integer>(colorValues_.size()) - 1;
        }
        // A colour outside the list stays choosable rather than being replaced by the nearest.
        if (initialColorIndex_ < 0) {
            colorCombo_->Items()->Add("Custom");
            colorValues_.push_back(original_->Color());
            initialColorIndex_ = static_cast<Integer>(colorValues_.size()) - 1;
        }
        colorCombo_->SetItemIndex(initialColorIndex_);
    }

    void DrawColorItem(Integer index, TRect rect, TOwnerDrawState state) {
        TCanvas* canvas = colorCombo_->Canvas();
        const bool selected = state.Contains(odSelected) && !state.Contains(odComboBoxEdit);
        canvas->Brush()->SetColor(selected ? clHighlight : clWindow);
        canvas->FillRect(rect);
        if (index < 0 || index >= static_cast<Integer>(colorValues_.size())) return;
        const TRect swatch = Rect(rect.left + 2, rect.top + 2, rect.left + 24, rect.bottom - 2);
        canvas->Brush()->SetColor(colorValues_[static_cast<size_t>(index)]);
        canvas->FillRect(swatch);
        canvas->Brush()->SetColor(clBlack);
        canvas->FrameRect(swatch);
        canvas->Brush()->SetStyle(bsClear);
        canvas->Font()->SetColor(selected ? clHighlightText : clWindowText);
        const std::string text = colorCombo_->Items()->Strings(index);
        canvas->TextOut(swatch.right + 4,
                        rect.top + std::max(0, (rect.bottom - rect.top - canvas->TextHeight(text)) / 2),
                        text);
        canvas->Brush()->SetStyle(bsSolid);
    }

    const FaceInfo* FindFace(const std::string& name) const {
        for (const FaceInfo& face : faces_)
            if (SameText(face.name, name)) return &face;
        return nullptr;
    }

    static Integer IndexOfText(TListBox* list, const std::string& text) {
        for (Integer i = 0; i < list->Items()->Count(); ++i)
            if (SameText(list->Items()->Strings(i), text)) return i;
        return -1;
    }

    Integer MatchStyle(const std::string& text) const {
        for (Integer i = 0; i < styleList_->Items()->Count(); ++i)
            if (SameText(styleList_->Items()->Strings(i), text))
                return static_cast<Integer>(
                    std::find_if(std::begin(kStyleNames), std::end(kStyleNames),
                                 [&](const char* name) { return SameText(name, text); }) -
                    std::begin(kStyleNames));
        return -1;
    }

    void SetEditQuietly(TEdit* edit, const std::string& text) {
        const ScopedValue quiet(quiet_, true);
        edit->SetText(text);
    }

    void FaceChosen() {
        const Integer index = faceList_->ItemIndex();
        if (index < 0) return;
        SetEditQuietly(faceEdit_, faceList_->Items()->Strings(index));
        FillStylesAndSizes();
        UpdateSample();
    }

    // The list follows the typed text to the first face it begins.
    void FaceTyped() {
        if (quiet_) return;
        const std::string typed = faceEdit_->Text();
        Integer match = -1;
        if (!typed.empty())
            for (Integer i = 0; i < faceList_->Items()->Count(); ++i) {
                const std::string name = faceList_->Items()->Strings(i);
                if (name.size() >= typed.size() &&
                    SameText(std::string_view(name).substr(0, typed.size()), typed)) {
                    match = i;
                    break;
                }
            }
        if (match != faceList_->ItemIndex()) {
            faceList_->SetItemIndex(match);
            if (match >= 0) faceList_->SetTopIndex(match);
            FillStylesAndSizes();
        }
        UpdateSample();
    }

    // The styles and sizes of the face in the list (a typed face without a list entry gets the
    // scalable ones), keeping what is typed in their edits selected where it still exists.
    void FillStylesAndSizes() {
        const Integer index = faceList_->ItemIndex();
        const FaceInfo* face = index >= 0 ? &faces_[static_cast<size_t>(index)] : nullptr;
        const bool raster = face && (face->fontType & RASTER_FONTTYPE);

        styleList_->Items()->BeginUpdate();
        styleList_->Items()->Clear();
        for (size_t i = 0; i < 4; ++i)
            if (!face || !options_.Contains(fdNoSimulations) || face->styles[i])
                styleList_->Items()->Add(kStyleNames[i]);
        styleList_->Items()->EndUpdate();
        styleList_->SetItemIndex(IndexOfText(styleList_, Trim(styleEdit_->Text())));

        sizeList_->Items()->BeginUpdate();
        sizeList_->Items()->Clear();
        const bool limited = options_.Contains(fdLimitSize);
        auto addSize = [&](Integer size) {
            if (limited && dialog_->MinFontSize() > 0 && size < dialog_->MinFontSize()) return;
            if (limited && dialog_->MaxFontSize() > 0 && size > dialog_->MaxFontSize()) return;
            sizeList_->Items()->Add(std::to_string(size));
        };
        if (raster)
            std::for_each(std::begin(kRasterSizes), std::end(kRasterSizes), addSize);
        else
            std::for_each(std::begin(kScalableSizes), std::end(kScalableSizes), addSize);
        sizeList_->Items()->EndUpdate();
        sizeList_->SetItemIndex(IndexOfText(sizeList_, Trim(sizeEdit_->Text())));
    }

    // The sample shows what OK would give, ignoring what cannot be read yet.
    void UpdateSample() {
        if (!sample_) return;
        auto font = std::make_unique<TFont>();
        font->Assign(original_.get());
        const std::string face = Trim(faceEdit_->Text());
        if (!face.empty()) font->SetName(face);
        TFontStyles styles = font->Style();
        const std::string styleText = Trim(styleEdit_->Text());
        if (const Integer style = MatchStyle(styleText); style >= 0) {
            (style & 1) ? styles.Include(fsBold) : styles.Exclude(fsBold);
            (style & 2) ? styles.Include(fsItalic) : styles.Exclude(fsItalic);
        }
        if (options_.Contains(fdEffects)) {
            strikeout_->Checked() ? styles.Include(fsStrikeOut) : styles.Exclude(fsStrikeOut);
            underline_->Checked() ? styles.Include(fsUnderline) : styles.Exclude(fsUnderline);
            const Integer colorIndex = colorCombo_->ItemIndex();
            if (colorIndex >= 0) font->SetColor(colorValues_[static_cast<size_t>(colorIndex)]);
        }
        font->SetStyle(styles);
        Integer size = 0;
        if (ParseSize(sizeEdit_->Text(), size) && size >= 1 && size <= kLargestSize) font->SetSize(size);
        sample_->SetSample(font.get());
    }

    void ApplyNow() {
        auto result = std::make_unique<TFont>();
        if (!BuildResult(result.get())) return;
        dialog_->Font()->Assign(result.get());
        CallApply(dialog_, form_->Handle());
    }

    static void CallApply(TFontDialog* dialog, HWND wnd);

    void Complain(const std::string& message, TEdit* edit) {
        MessageDlg(message, mtWarning, TMsgDlgButtons{mbOK}, 0);
        if (edit->CanFocus()) {
            form_->SetActiveControl(edit);
            edit->SelectAll();
        }
    }

public:
    TFont* Result() const { return result_.get(); }

private:
    TFontDialog* dialog_;
    TForm* form_;
    TFontDialogOptions options_;
    std::unique_ptr<TFont> original_;
    std::unique_ptr<TFont> result_;
    std::vector<FaceInfo> faces_;
    TEdit* faceEdit_ = nullptr;
    TListBox* faceList_ = nullptr;
    TEdit* styleEdit_ = nullptr;
    TListBox* styleList_ = nullptr;
    TEdit* sizeEdit_ = nullptr;
    TListBox* sizeList_ = nullptr;
    TCheckBox* strikeout_ = nullptr;
    TCheckBox* underline_ = nullptr;
    TComboBox* colorCombo_ = nullptr;
    std::vector<TColor> colorValues_;
    Integer initialColorIndex_ = -1;
    TFontSample* sample_ = nullptr;
    bool quiet_ = false;
};

// The session reaches the protected Apply through a class derived from the dialog.
class ApplyAccess : public TFontDialog {
public:
    static void Call(TFontDialog* dialog, HWND wnd) { (dialog->*(&ApplyAccess::Apply))(wnd); }
};

void FontSession::CallApply(TFontDialog* dialog, HWND wnd) {
    ApplyAccess::Call(dialog, wnd);
}

}  // namespace

VCL_DEFINE_CLASS(TFontDialog, TCommonDialog)

TFontDialog::TFontDialog(TComponent* owner) : TCommonDialog(owner), font_(std::make_unique<TFont>()) {}

TFontDialog::~TFontDialog() = default;

void TFontDialog::SetFont(const TFont* value) {
    font_->Assign(value);
}

void TFontDialog::Apply(HWND wnd) {
    if (OnApply) OnApply(this, wnd);
}

bool TFontDialog::Execute() {
    TForm* form = NewDialogForm("FontDlg", "Font", 433, 280, Ctl3D());
    std::unique_ptr<FontSession> session;
    try {
        session = std::make_unique<FontSession>(this, form);
    } catch (...) {
        form->Free();
        throw;
    }
    return RunDialog(form, [&] {
        if (session->Result()) font_->Assign(session->Result());
    });
}

}  // namespace vcl
