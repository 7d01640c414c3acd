#include "pellic/zyltautocombo.h"

#include <algorithm>

#include "vcl/classregistration.h"
#include "win32/virtualkeys.h"

namespace pellic {

using vcl::Integer;

namespace zyltautocombo {

const vcl::TClassRegistration streamingRegistration{TZylAutoCombo::StaticClass()};

size_t CodePoints(const std::string& text) {
    return static_cast<size_t>(
        std::ranges::count_if(text, [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool StartsWithIgnoringLetterCase(const std::string& item, const std::string& typed) {
    if (item.size() < typed.size()) return false;
    return std::equal(typed.begin(), typed.end(), item.begin(),
                      [](char a, char b) { return AsciiUpper(a) == AsciiUpper(b); });
}

}  // namespace zyltautocombo

VCL_DEFINE_CLASS(TZylAutoCombo, vcl::TComboBox)

void TZylAutoCombo::KeyDown(vcl::Word& key, vcl::TShiftState shift) {
    // The key is remembered after OnKeyDown may have changed it, but before the edit part acts on
    // it: Delete edits the text (and so completes) inside the inherited handling.
    if (OnKeyDown) OnKeyDown(this, key, shift);
    lastKey_ = key;
    if (key == 0) return;
    const vcl::ScopedValue handled(OnKeyDown, vcl::TKeyEvent());
    Inherited::KeyDown(key, shift);
}

bool TZylAutoCombo::ShouldComplete(const std::string& typed) const {
    if (!complete_ || (Style() != vcl::csDropDown && Style() != vcl::csSimple)) return false;
    if (lastKey_ == win32::VK_BACK || lastKey_ == win32::VK_DELETE) return false;
    // An empty text would match every item.
    const size_t needed = std::max<size_t>(1, minComplete_);
    return zyltautocombo::CodePoints(typed) >= needed && Items()->Count() > 0;
}

Integer TZylAutoCombo::FirstMatch(const std::string& typed) const {
    const Integer count = Items()->Count();
    for (Integer i = 0; i < count; ++i)
        if (zyltautocombo::StartsWithIgnoringLetterCase(Items()->Strings(i), typed)) return i;
    return -1;
}

void TZylAutoCombo::Change() {
    Inherited::Change();
    const std::string typed = Text();
    if (!ShouldComplete(typed)) return;
    const Integer match = FirstMatch(typed);
    if (match < 0) return;
    const std::string item = Items()->Strings(match);
    bool changeSelection = true;
    if (OnComplete) OnComplete(this, lastKey_, item, changeSelection);
    if (!changeSelection) return;
    SetText(item);
    // The completed part stays selected: typing on replaces it.
    SetSelStart(static_cast<Integer>(typed.size()));
    SetSelLength(static_cast<Integer>(item.size() - typed.size()));
}

}  // namespace pellic
