// The plain-text rich edit.
#include "vcl/comctrls.h"

#include <algorithm>

#include "vcl/forms.h"

namespace vcl {

using namespace win32;

namespace {

const bool richeditClassesRegistered = [] {
    RegisterClasses({TRichEdit::StaticClass()});
    return true;
}();

}  // namespace

// ---------------------------------------------------------------------------------------------
// TTextAttributes

VCL_DEFINE_CLASS(TTextAttributes, TPersistent)

TColor TTextAttributes::Color() const {
    return richEdit_->Font()->Color();
}
void TTextAttributes::SetColor(TColor value) {
    richEdit_->Font()->SetColor(value);
}
std::string TTextAttributes::Name() const {
    return richEdit_->Font()->Name();
}
void TTextAttributes::SetName(const std::string& value) {
    richEdit_->Font()->SetName(value);
}
Integer TTextAttributes::Size() const {
    return richEdit_->Font()->Size();
}
void TTextAttributes::SetSize(Integer value) {
    richEdit_->Font()->SetSize(value);
}
Integer TTextAttributes::Height() const {
    return richEdit_->Font()->Height();
}
void TTextAttributes::SetHeight(Integer value) {
    richEdit_->Font()->SetHeight(value);
}
TFontStyles TTextAttributes::Style() const {
    return richEdit_->Font()->Style();
}
void TTextAttributes::SetStyle(TFontStyles value) {
    richEdit_->Font()->SetStyle(value);
}
TFontPitch TTextAttributes::Pitch() const {
    return richEdit_->Font()->Pitch();
}
void TTextAttributes::SetPitch(TFontPitch value) {
    richEdit_->Font()->SetPitch(value);
}
TFontCharset TTextAttributes::Charset() const {
    return richEdit_->Font()->Charset();
}
void TTextAttributes::SetCharset(TFontCharset value) {
    richEdit_->Font()->SetCharset(value);
}

void TTextAttributes::Assign(const TPersistent* source) {
    if (const auto* font = dynamic_cast<const TFont*>(source)) {
        richEdit_->Font()->Assign(font);
        return;
    }
    if (const auto* attributes = dynamic_cast<const TTextAttributes*>(source)) {
        richEdit_->Font()->Assign(attributes->richEdit_->Font());
        return;
    }
    TPersistent::Assign(source);
}

void TTextAttributes::AssignTo(TPersistent* dest) const {
    if (auto* font = dynamic_cast<TFont*>(dest)) {
        font->Assign(richEdit_->Font());
        return;
    }
    TPersistent::AssignTo(dest);
}

TPersistent* TTextAttributes::GetOwner() const {
    return richEdit_;
}

// ---------------------------------------------------------------------------------------------
// TCustomRichEdit

VCL_DEFINE_CLASS(TCustomRichEdit, TCustomMemo)

TCustomRichEdit::TCustomRichEdit(TComponent* owner)
    : TCustomMemo(owner),
      defAttributes_(std::make_unique<TTextAttributes>(this, atDefaultText)),
      selAttributes_(std::make_unique<TTextAttributes>(this, atSelected)) {}

TCustomRichEdit::~TCustomRichEdit() = default;

Integer TCustomRichEdit::FindText(const std::string& text, Integer startPos, Integer length,
                                  bool matchCase) const {
    const std::string& all = engine_.Text();
    if (text.empty() || startPos < 0 || length < 0 || static_cast<size_t>(startPos) > all.size()) return -1;
    const size_t end = std::min(all.size(), static_cast<size_t>(startPos) + static_cast<size_t>(length));
    const std::string haystack = matchCase ? all.substr(0, end) : AnsiLowerCase(all.substr(0, end));
    const std::string needle = matchCase ? text : AnsiLowerCase(text);
    const size_t found = haystack.find(needle, static_cast<size_t>(startPos));
    return found == std::string::npos ? -1 : static_cast<Integer>(found);
}

}  // namespace vcl
