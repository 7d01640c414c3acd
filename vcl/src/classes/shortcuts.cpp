#include "vcl/shortcuts.h"

#include <array>

#include "win32/virtualkeys.h"

namespace vcl {

namespace {

using namespace win32;

// The menu text of each virtual key; keys without a name stay empty. Every name is unique, so
// that TextToShortCut finds the key ShortCutToText named.
constexpr std::array<std::string_view, 256> kKeyNames = [] {
    std::array<std::string_view, 256> names{};
    names[VK_BACK] = "BkSp";
    names[VK_TAB] = "Tab";
    names[VK_RETURN] = "Enter";
    names[VK_SHIFT] = "Shift";
    names[VK_CONTROL] = "Ctrl";
    names[VK_MENU] = "Alt";
    names[VK_PAUSE] = "Pause";
    names[VK_CAPITAL] = "Caps Lock";
    names[VK_ESCAPE] = "Esc";
    names[VK_SPACE] = "Space";
    names[VK_PRIOR] = "PgUp";
    names[VK_NEXT] = "PgDn";
    names[VK_END] = "End";
    names[VK_HOME] = "Home";
    names[VK_LEFT] = "Left";
    names[VK_UP] = "Up";
    names[VK_RIGHT] = "Right";
    names[VK_DOWN] = "Down";
    names[VK_SNAPSHOT] = "Print Screen";
    names[VK_INSERT] = "Ins";
    names[VK_DELETE] = "Del";
    constexpr std::string_view kDigits[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    constexpr std::string_view kPadDigits[] = {"Num 0", "Num 1", "Num 2", "Num 3", "Num 4",
                                               "Num 5", "Num 6", "Num 7", "Num 8", "Num 9"};
    for (int i = 0; i < 10; ++i) {
        names[static_cast<size_t>(VK_0 + i)] = kDigits[i];
        names[static_cast<size_t>(VK_NUMPAD0 + i)] = kPadDigits[i];
    }
    constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (size_t i = 0; i < kLetters.size(); ++i)
        names[VK_A + i] = kLetters.substr(i, 1);
    names[VK_LWIN] = "Left Windows";
    names[VK_RWIN] = "Right Windows";
    names[VK_APPS] = "Application";
    names[VK_MULTIPLY] = "Num *";
    names[VK_ADD] = "Num +";
    names[VK_SUBTRACT] = "Num -";
    names[VK_DECIMAL] = "Num Del";
    names[VK_DIVIDE] = "Num /";
    constexpr std::string_view kFunctionKeys[] = {"F1",  "F2",  "F3",  "F4",  "F5",  "F6",  "F7",  "F8",
                                                  "F9",  "F10", "F11", "F12", "F13", "F14", "F15", "F16",
                                                  "F17", "F18", "F19", "F20", "F21", "F22", "F23", "F24"};
    for (int i = 0; i < 24; ++i)
        names[static_cast<size_t>(VK_F1 + i)] = kFunctionKeys[i];
    names[VK_NUMLOCK] = "Num Lock";
    names[VK_SCROLL] = "Scroll Lock";
    names[VK_OEM_1] = ";";
    names[VK_OEM_PLUS] = "=";
    names[VK_OEM_COMMA] = ",";
    names[VK_OEM_MINUS] = "-";
    names[VK_OEM_PERIOD] = ".";
    names[VK_OEM_2] = "/";
    names[VK_OEM_3] = "`";
    names[VK_OEM_4] = "[";
    names[VK_OEM_5] = "\\";
    names[VK_OEM_6] = "]";
    names[VK_OEM_7] = "'";
    return names;
}();

constexpr std::string_view kShiftText = "Shift+";
constexpr std::string_view kCtrlText = "Ctrl+";
constexpr std::string_view kAltText = "Alt+";

// Removes front from the start of text when it is there, ignoring case.
bool ConsumeFront(std::string_view& text, std::string_view front) {
    if (text.size() < front.size() || !SameText(text.substr(0, front.size()), front)) return false;
    text.remove_prefix(front.size());
    return true;
}

}  // namespace

TShortCut ShortCut(Word key, TShiftState shift) {
    if (key > 0xFF) return 0;
    TShortCut result = key;
    if (shift.Contains(ssShift)) result |= scShift;
    if (shift.Contains(ssCtrl)) result |= scCtrl;
    if (shift.Contains(ssAlt)) result |= scAlt;
    return result;
}

void ShortCutToKey(TShortCut shortCut, Word& key, TShiftState& shift) {
    key = static_cast<Word>(shortCut & ~(scShift | scCtrl | scAlt));
    shift = {};
    if (shortCut & scShift) shift.Include(ssShift);
    if (shortCut & scCtrl) shift.Include(ssCtrl);
    if (shortCut & scAlt) shift.Include(ssAlt);
}

std::string ShortCutToText(TShortCut shortCut) {
    std::string_view name = kKeyNames[shortCut & 0xFF];
    if (name.empty()) return {};
    std::string result;
    if (shortCut & scShift) result += kShiftText;
    if (shortCut & scCtrl) result += kCtrlText;
    if (shortCut & scAlt) result += kAltText;
    result += name;
    return result;
}

TShortCut TextToShortCut(std::string_view text) {
    TShortCut shift = 0;
    for (;;) {
        if (ConsumeFront(text, kShiftText))
            shift |= scShift;
        else if (ConsumeFront(text, "^") || ConsumeFront(text, kCtrlText))
            shift |= scCtrl;
        else if (ConsumeFront(text, kAltText))
            shift |= scAlt;
        else
            break;
    }
    if (text.empty()) return 0;
    for (size_t key = 0; key < kKeyNames.size(); ++key)
        if (!kKeyNames[key].empty() && SameText(text, kKeyNames[key]))
            return static_cast<TShortCut>(key | shift);
    return 0;
}

}  // namespace vcl
