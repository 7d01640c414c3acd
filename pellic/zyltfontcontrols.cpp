#include "pellic/zyltfontcontrols.h"

#include <algorithm>
#include <array>

#include "vcl/classregistration.h"
#include "win32/fonts.h"
#include "win32/resources.h"
#include "win32/user.h"

namespace pellic {

using vcl::Integer;

namespace zyltfontcontrols {

const vcl::TClassRegistration streamingRegistration{TZylFontBox::StaticClass(), TZylFontCombo::StaticClass()};

// The rows are as high as this unless the box's font says otherwise.
constexpr Integer kDefaultItemHeight = 16;

// One 16 x 16 glyph per font technology, in the order of TZylFontTypes; white is transparent.
struct FontGlyphs {
    FontGlyphs() {
        const win32::HMODULE module = win32::GetModuleHandle("pellic");
        constexpr const char* kNames[] = {"PS", "TTF", "RASTER", "UNKNOWN"};
        for (size_t i = 0; i < bitmaps.size(); ++i) {
            bitmaps[i] = std::make_unique<vcl::TBitmap>();
            if (const win32::HBITMAP handle = win32::LoadBitmap(module, kNames[i]))
                bitmaps[i]->SetHandle(handle);
        }
    }
    vcl::TBitmap* For(TZylFontTypes type) const { return bitmaps[static_cast<size_t>(type)].get(); }

    std::array<std::unique_ptr<vcl::TBitmap>, 4> bitmaps;
};

TZylFontTypes TypeOfEnumeratedFont(win32::DWORD fontType) {
    if (fontType & win32::TRUETYPE_FONTTYPE) return TZylFontTypes::TTF;
    if (fontType & win32::DEVICE_FONTTYPE) return TZylFontTypes::PS;
    if (fontType & win32::RASTER_FONTTYPE) return TZylFontTypes::RASTER;
    return TZylFontTypes::Other;
}

TZylFilterOption FilterFor(TZylFontTypes type) {
    switch (type) {
        case TZylFontTypes::TTF:
            return TZylFilterOption::ShowTrueType;
        case TZylFontTypes::PS:
            return TZylFilterOption::ShowPostScript;
        case TZylFontTypes::RASTER:
            return TZylFilterOption::ShowRaster;
        default:
            return TZylFilterOption::ShowOther;
    }
}

struct Enumeration {
    vcl::TObject* sender;
    const TZylOnFontValidate& validate;
    TZylFilterOptions filter;
    TZylFontList& list;
};

int AddEnumeratedFamily(const win32::LOGFONT* logFont, const win32::TEXTMETRIC*, win32::DWORD fontType,
                        win32::LPARAM data) {
    auto& enumeration = *reinterpret_cast<Enumeration*>(data);
    const size_t length = std::char_traits<char>::length(logFont->lfFaceName);
    auto font = std::make_unique<TZylFontClass>(
        std::string(logFont->lfFaceName, std::min<size_t>(length, 32)), TypeOfEnumeratedFont(fontType));
    bool accept = true;
    if (enumeration.validate) enumeration.validate(enumeration.sender, font.get(), accept);
    // A refused family's object dies here; an accepted one belongs to the list.
    if (accept && enumeration.filter.Contains(FilterFor(font->FontType())))
        enumeration.list.AddFont(std::move(font));
    return 1;
}

// Clears `list` and fills it with the screen's families that pass the filter and the veto.
void EnumerateFonts(vcl::TObject* sender, const TZylOnFontValidate& validate, TZylFilterOptions filter,
                    TZylFontList& list) {
    list.Clear();
    Enumeration enumeration{sender, validate, filter, list};
    const win32::HDC dc = win32::GetDC(nullptr);
    win32::EnumFontFamilies(dc, nullptr, AddEnumeratedFamily, reinterpret_cast<win32::LPARAM>(&enumeration));
    win32::ReleaseDC(nullptr, dc);
}

// Replaces the rows with the list's names and objects, keeping the chosen family where it is
// still listed and choosing the first one otherwise. The rows are emptied first: they point at
// objects of the list.
void CopyFontsToRows(const TZylFontList& fonts, vcl::TStrings& rows,
                     const std::function<void(Integer)>& select, const std::string& previous) {
    rows.BeginUpdate();
    rows.Clear();
    for (Integer i = 0; i < fonts.Count(); ++i)
        rows.AddObject(fonts.Strings(i), fonts.Objects(i));
    rows.EndUpdate();
    const Integer kept = previous.empty() ? -1 : rows.IndexOf(previous);
    select(kept >= 0 ? kept : (rows.Count() > 0 ? 0 : -1));
}

// A row: the glyph on the row's background, stretched into a square as high as the row, then the
// face name beside it.
void DrawFontRow(vcl::TCanvas& canvas, const FontGlyphs& glyphs, const TZylFontClass* font,
                 const vcl::TRect& rect) {
    canvas.FillRect(rect);
    if (!font) return;
    const Integer size = rect.bottom - rect.top;
    vcl::TBitmap* glyph = glyphs.For(font->FontType());
    if (!glyph->Empty()) {
        vcl::TBitmap tinted;
        tinted.SetSize(glyph->Width(), glyph->Height());
        tinted.Canvas()->Brush()->SetColor(canvas.Brush()->Color());
        const vcl::TRect whole = vcl::Rect(0, 0, glyph->Width(), glyph->Height());
        tinted.Canvas()->BrushCopy(whole, glyph, whole, vcl::clWhite);
        canvas.StretchDraw(vcl::Rect(rect.left, rect.top, rect.left + size, rect.top + size), &tinted);
    }
    // Clipped to the room right of the glyph: an opaque text rectangle would paint over it.
    vcl::TRect textRect = rect;
    textRect.left = std::min(rect.right, rect.left + size + 2);
    canvas.TextRect(textRect, textRect.left, rect.top, font->Name());
}

void UseListFont(vcl::TFont& font) {
    font.SetName("MS Sans Serif");
    font.SetSize(8);
    font.SetStyle(font.Style() - vcl::TFontStyles{vcl::fsBold});
}

}  // namespace zyltfontcontrols

// ---------------------------------------------------------------------------------------------
// The font list

VCL_DEFINE_CLASS(TZylFontClass, vcl::TObject)
VCL_DEFINE_CLASS(TZylFontList, vcl::TStringList)

TZylFontList::TZylFontList() : vcl::TStringList(true) {
    SetSorted(true);
}

void TZylFontList::AddFont(std::unique_ptr<TZylFontClass> font) {
    int index = 0;
    if (Find(font->Name(), index)) return;
    AddObject(font->Name(), font.get());
    font.release();
}

// ---------------------------------------------------------------------------------------------
// What the box and the combo share

template <typename Base>
TZylFontListControl<Base>::TZylFontListControl(vcl::TComponent* owner)
    : Base(owner),
      fonts_(std::make_unique<TZylFontList>()),
      glyphs_(std::make_unique<zyltfontcontrols::FontGlyphs>()) {
    zyltfontcontrols::UseListFont(*this->Font());
    this->SetSorted(true);
    this->SetItemHeight(zyltfontcontrols::kDefaultItemHeight);
}

template <typename Base>
TZylFontListControl<Base>::~TZylFontListControl() = default;

template <typename Base>
void TZylFontListControl<Base>::ReBuild() {
    const std::string previous = FontSelected();
    this->Items()->Clear();
    zyltfontcontrols::EnumerateFonts(this, OnValidateFont, filterOptions_, *fonts_);
    zyltfontcontrols::CopyFontsToRows(
        *fonts_, *this->Items(), [this](Integer index) { this->SetItemIndex(index); }, previous);
}

template <typename Base>
std::string TZylFontListControl<Base>::FontSelected() const {
    const Integer index = this->ItemIndex();
    return index >= 0 && index < this->Items()->Count() ? this->Items()->Strings(index) : std::string();
}

template <typename Base>
void TZylFontListControl<Base>::SetFontSelected(const std::string& value) {
    this->SetItemIndex(this->Items()->IndexOf(value));
}

template <typename Base>
void TZylFontListControl<Base>::Loaded() {
    Base::Loaded();
    // The families were listed when the control was made, before a veto read with the form was bound.
    if (OnValidateFont) ReBuild();
}

template <typename Base>
void TZylFontListControl<Base>::SetFilterOptions(TZylFilterOptions value) {
    if (filterOptions_ == value) return;
    filterOptions_ = value;
    ReBuild();
}

template <typename Base>
void TZylFontListControl<Base>::DrawItem(Integer index, vcl::TRect rect, vcl::TOwnerDrawState state) {
    if (this->OnDrawItem) {
        this->OnDrawItem(this, index, rect, state);
        return;
    }
    const auto* font = index >= 0 && index < this->Items()->Count()
                           ? dynamic_cast<TZylFontClass*>(this->Items()->Objects(index))
                           : nullptr;
    zyltfontcontrols::DrawFontRow(*this->Canvas(), *glyphs_, font, rect);
}

template class TZylFontListControl<vcl::TCustomListBox>;
template class TZylFontListControl<vcl::TCustomComboBox>;

// ---------------------------------------------------------------------------------------------
// The font box and the font combo

VCL_DEFINE_CLASS(TZylFontBox, TZylFontListControl<vcl::TCustomListBox>)

TZylFontBox::TZylFontBox(vcl::TComponent* owner) : TZylFontListControl(owner) {
    SetStyle(vcl::lbOwnerDrawFixed);
    ReBuild();
}

void TZylFontBox::WndProc(vcl::TMessage& message) {
    if (message.Msg == vcl::CM_FONTCHANGED) {
        // The rows follow the font: as high as its text.
        SetItemHeight(vcl::TextMeasure(Font()).Height());
    }
    Inherited::WndProc(message);
}

VCL_DEFINE_CLASS(TZylFontCombo, TZylFontListControl<vcl::TCustomComboBox>)

TZylFontCombo::TZylFontCombo(vcl::TComponent* owner) : TZylFontListControl(owner) {
    SetStyle(vcl::csOwnerDrawFixed);
    ReBuild();
}

void TZylFontCombo::WndProc(vcl::TMessage& message) {
    if (message.Msg == vcl::CM_FONTCHANGED) {
        // The rows keep their height whatever the font: the glyphs are drawn for it.
        const Integer height = ItemHeight();
        Inherited::WndProc(message);
        SetItemHeight(height);
        return;
    }
    Inherited::WndProc(message);
}

}  // namespace pellic
