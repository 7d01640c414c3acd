#include "pellic/zyltlanguagecombo.h"

#include <algorithm>
#include <set>

#include "vcl/classregistration.h"
#include "vcl/sysutils.h"
#include "win32/version.h"

namespace pellic {

using vcl::Integer;
using vcl::Word;

namespace zyltlanguagecombo {

const vcl::TClassRegistration streamingRegistration{TZylLanguageCombo::StaticClass()};

// The identifiers the combo knows, in list order.
constexpr Word kLanguageTable[] = {
    0x0800, 0x0400, 0x0436, 0x041C, 0x0401, 0x0801, 0x0C01, 0x1001, 0x1401, 0x1801, 0x1C01, 0x2001,
    0x2401, 0x2801, 0x2C01, 0x3001, 0x3401, 0x3801, 0x3C01, 0x4001, 0x042D, 0x0423, 0x0402, 0x0403,
    0x0404, 0x0404, 0x0804, 0x0C04, 0x1004, 0x041A, 0x0405, 0x0406, 0x0413, 0x0813, 0x0409, 0x0809,
    0x0C09, 0x1009, 0x1409, 0x1809, 0x1C09, 0x2009, 0x2409, 0x2809, 0x2C09, 0x0425, 0x0438, 0x0429,
    0x040B, 0x040C, 0x080C, 0x0C0C, 0x100C, 0x140C, 0x0407, 0x0807, 0x0C07, 0x1007, 0x1407, 0x0408,
    0x040D, 0x040E, 0x040F, 0x0421, 0x0410, 0x0810, 0x0411, 0x0412, 0x0812, 0x0426, 0x0414, 0x0814,
    0x0415, 0x0816, 0x0416, 0x0418, 0x0419, 0x041A, 0x081A, 0x0C1A, 0x041B, 0x0424, 0x040A, 0x080A,
    0x0C0A, 0x100A, 0x140A, 0x180A, 0x1C0A, 0x200A, 0x240A, 0x280A, 0x2C0A, 0x300A, 0x340A, 0x380A,
    0x3C0A, 0x400A, 0x440A, 0x480A, 0x4C0A, 0x500A, 0x041D, 0x081D, 0x041E, 0x041F, 0x0422, 0x042A,
};
static_assert(std::size(kLanguageTable) == 108);

// The default languages stand for whatever the system or process uses: they need no locale.
constexpr Word kSystemDefault = 0x0800, kProcessDefault = 0x0400;

// Language names are at most this long.
constexpr size_t kLanguageNameRoom = 80;

// EnumSystemLocales hands its identifiers to a plain function; the combo collects them here, on the
// user-interface thread only.
std::set<Word>* collectedLanguages = nullptr;

win32::BOOL CollectLocale(char* localeString) {
    Integer value = 0;
    if (collectedLanguages && vcl::TryStrToInt("$" + std::string(localeString), value))
        collectedLanguages->insert(win32::LANGIDFROMLCID(static_cast<win32::LCID>(value)));
    return win32::TRUE;
}

std::set<Word> InstalledLanguages() {
    std::set<Word> installed;
    const vcl::ScopedValue collecting(collectedLanguages, &installed);
    win32::EnumSystemLocales(CollectLocale, win32::LCID_INSTALLED);
    return installed;
}

std::string LanguageName(Word language) {
    char name[kLanguageNameRoom] = {};
    win32::VerLanguageName(language, name, sizeof name);
    return name;
}

}  // namespace zyltlanguagecombo

VCL_DEFINE_CLASS(TZylLanguageCombo, vcl::TCustomComboBox)

TZylLanguageCombo::TZylLanguageCombo(vcl::TComponent* owner) : vcl::TCustomComboBox(owner) {
    SetStyle(vcl::csDropDownList);
    SetWidth(200);
    // Listed from the start, so that LangID can be set before the window exists.
    ListLanguages();
}

void TZylLanguageCombo::ListLanguages() {
    using namespace zyltlanguagecombo;
    const std::set<Word> installed = InstalledLanguages();
    languages_.clear();
    Items()->BeginUpdate();
    Items()->Clear();
    for (Word language : kLanguageTable) {
        const bool available =
            language == kSystemDefault || language == kProcessDefault || installed.contains(language);
        // The table names two languages twice; a row each is enough.
        if (!available || std::ranges::find(languages_, language) != languages_.end()) continue;
        languages_.push_back(language);
        Items()->Add(LanguageName(language));
    }
    Items()->EndUpdate();
}

void TZylLanguageCombo::CreateWnd() {
    Inherited::CreateWnd();
    // The user's language is chosen once; a window made again keeps what was chosen since. A
    // language the combo does not list selects nothing.
    if (userLanguageChosen_) return;
    userLanguageChosen_ = true;
    if (ItemIndex() >= 0) return;
    const Word user = win32::GetUserDefaultLangID();
    if (std::ranges::find(languages_, user) != languages_.end()) SetLangID(user);
}

Word TZylLanguageCombo::LangID() const {
    const Integer index = ItemIndex();
    return index >= 0 && static_cast<size_t>(index) < languages_.size()
               ? languages_[static_cast<size_t>(index)]
               : Word{0};
}

void TZylLanguageCombo::SetLangID(Word value) {
    const auto found = std::ranges::find(languages_, value);
    if (found == languages_.end()) throw vcl::Exception("Unknown language specifier");
    SetItemIndex(static_cast<Integer>(found - languages_.begin()));
}

std::string TZylLanguageCombo::LangIdAsString() const {
    return vcl::IntToHex(LangID(), 4);
}

}  // namespace pellic
