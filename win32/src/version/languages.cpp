// Language names and the default language identifiers.
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "files/files_internal.h"
#include "version/version_internal.h"

namespace win32 {

namespace {

struct Language {
    LANGID id;
    std::string_view name;
    std::string_view locale;
};

constexpr Language kLanguages[] = {
    {0x0401, "Arabic (Saudi Arabia)", "ar_SA"},   {0x0402, "Bulgarian (Bulgaria)", "bg_BG"},
    {0x0403, "Catalan (Catalan)", "ca_ES"},       {0x0404, "Chinese (Traditional, Taiwan)", "zh_TW"},
    {0x0405, "Czech (Czech Republic)", "cs_CZ"},  {0x0406, "Danish (Denmark)", "da_DK"},
    {0x0407, "German (Germany)", "de_DE"},        {0x0408, "Greek (Greece)", "el_GR"},
    {0x0409, "English (United States)", "en_US"}, {0x040A, "Spanish (Spain, Traditional Sort)", "es_ES"},
    {0x040B, "Finnish (Finland)", "fi_FI"},       {0x040C, "French (France)", "fr_FR"},
    {0x040D, "Hebrew (Israel)", "he_IL"},         {0x040E, "Hungarian (Hungary)", "hu_HU"},
    {0x040F, "Icelandic (Iceland)", "is_IS"},     {0x0410, "Italian (Italy)", "it_IT"},
    {0x0411, "Japanese (Japan)", "ja_JP"},        {0x0412, "Korean (Korea)", "ko_KR"},
    {0x0413, "Dutch (Netherlands)", "nl_NL"},     {0x0414, "Norwegian, Bokm\xC3\xA5l (Norway)", "nb_NO"},
    {0x0415, "Polish (Poland)", "pl_PL"},         {0x0416, "Portuguese (Brazil)", "pt_BR"},
    {0x0418, "Romanian (Romania)", "ro_RO"},      {0x0419, "Russian (Russia)", "ru_RU"},
    {0x041A, "Croatian (Croatia)", "hr_HR"},      {0x041B, "Slovak (Slovakia)", "sk_SK"},
    {0x041D, "Swedish (Sweden)", "sv_SE"},        {0x041E, "Thai (Thailand)", "th_TH"},
    {0x041F, "Turkish (Turkey)", "tr_TR"},        {0x0422, "Ukrainian (Ukraine)", "uk_UA"},
    {0x0424, "Slovenian (Slovenia)", "sl_SI"},    {0x0425, "Estonian (Estonia)", "et_EE"},
    {0x0426, "Latvian (Latvia)", "lv_LV"},        {0x0427, "Lithuanian (Lithuania)", "lt_LT"},
    {0x042A, "Vietnamese (Vietnam)", "vi_VN"},    {0x0804, "Chinese (Simplified, PRC)", "zh_CN"},
    {0x0807, "German (Switzerland)", "de_CH"},    {0x0809, "English (United Kingdom)", "en_GB"},
    {0x080A, "Spanish (Mexico)", "es_MX"},        {0x080C, "French (Belgium)", "fr_BE"},
    {0x0810, "Italian (Switzerland)", "it_CH"},   {0x0813, "Dutch (Belgium)", "nl_BE"},
    {0x0816, "Portuguese (Portugal)", "pt_PT"},   {0x0C07, "German (Austria)", "de_AT"},
    {0x0C09, "English (Australia)", "en_AU"},     {0x0C0A, "Spanish (Spain, International Sort)", "es_ES"},
    {0x0C0C, "French (Canada)", "fr_CA"},         {0x1009, "English (Canada)", "en_CA"},
    {0x100C, "French (Switzerland)", "fr_CH"},    {0x1409, "English (New Zealand)", "en_NZ"},
    {0x1809, "English (Ireland)", "en_IE"},
};

std::atomic<LANGID> overriddenLanguage{0};

LANGID LanguageOfEnvironment() {
    const char* value = std::getenv("LC_ALL");
    if (!value || !*value) value = std::getenv("LANG");
    if (!value || !*value) return 0x0409;
    std::string_view locale = value;
    locale = locale.substr(0, locale.find_first_of(".@"));
    for (const auto& language : kLanguages)
        if (language.locale == locale) return language.id;
    // A known language in an unknown country takes that language's first entry.
    const std::string_view primary = locale.substr(0, locale.find('_'));
    if (primary.size() == 2)
        for (const auto& language : kLanguages)
            if (language.locale.substr(0, 2) == primary) return language.id;
    return 0x0409;
}

}  // namespace

DWORD VerLanguageName(DWORD wLang, char* szLang, DWORD cchLang) {
    std::string_view name = "Language Neutral";
    for (const auto& language : kLanguages)
        if (language.id == wLang) name = language.name;
    if (szLang && cchLang > 0) {
        const size_t copied = std::min<size_t>(name.size(), cchLang - 1);
        std::memcpy(szLang, name.data(), copied);
        szLang[copied] = '\0';
        if (copied < name.size()) return static_cast<DWORD>(name.size() + 1);
    }
    return static_cast<DWORD>(name.size());
}

LANGID GetUserDefaultLangID() {
    const LANGID overridden = overriddenLanguage.load();
    return overridden ? overridden : LanguageOfEnvironment();
}

LANGID GetSystemDefaultLangID() {
    return GetUserDefaultLangID();
}

namespace testing {

void SetDefaultLangID(LANGID lang) {
    static const bool registered = [] {
        AddResetHook([] { overriddenLanguage.store(0); });
        return true;
    }();
    (void)registered;
    overriddenLanguage.store(lang);
}

}  // namespace testing

}  // namespace win32
