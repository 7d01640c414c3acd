// Keyboard shortcuts: a virtual-key code in the low byte plus modifier bits, and their menu text.
#pragma once

#include <string>
#include <string_view>

#include "vcl/objects.h"

namespace vcl {

using TShortCut = Word;

inline constexpr TShortCut scNone = 0;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;

enum class TShiftStateFlag : uint8_t { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
VCL_ENUM_NAMES(TShiftStateFlag, "ssShift", "ssAlt", "ssCtrl", "ssLeft", "ssRight", "ssMiddle", "ssDouble")
using TShiftState = Set<TShiftStateFlag>;
using enum TShiftStateFlag;

// 0 for a key code above 0xFF; mouse flags in shift are ignored.
TShortCut ShortCut(Word key, TShiftState shift);
void ShortCutToKey(TShortCut shortCut, Word& key, TShiftState& shift);

// "Shift+", "Ctrl+" and "Alt+" in that order, then the key's name; empty for a key without one.
std::string ShortCutToText(TShortCut shortCut);
// The inverse, ignoring case; modifiers may come in any order and "^" stands for "Ctrl+".
// Text that names no key gives 0.
TShortCut TextToShortCut(std::string_view text);

}  // namespace vcl
