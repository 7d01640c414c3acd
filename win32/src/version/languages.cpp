// Language names and the default language identifiers.
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

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
    {0x0401, "Arabic (Saudi Arabia)", "ar_SA"},
    {0x0402, "Bulgarian (Bulgaria)", "bg_BG"},
    {0x0403, "Catalan (Catalan)", "ca_ES"},
    {0x0404, "Chinese (Traditional, Taiwan)", "zh_TW"},
    {0x0405, "Czech (Czech Republic)", "cs_CZ"},
    {0x0406, "Danish (Denmark)", "da_DK"},
    {0x0407, "German (Germany)", "de_DE"},
    {0x0408, "Greek (Greece)", "el_GR"},
    {0x0409, "English (United States)", "en_US"},
    {0x040A, "Spanish (Spain, Traditional Sort)", "es_ES"},
    {0x040B, "Finnish (Finland)", "fi_FI"},
    {0x040C, "French (France)", "fr_FR"},
    {0x040D, "Hebrew (Israel)", "he_IL"},
    {0x040E, "Hungarian (Hungary)", "hu_HU"},
    {0x040F, "Icelandic (Iceland)", "is_IS"},
    {0x0410, "Italian (Italy)", "it_IT"},
    {0x0411, "Japanese (Japan)", "ja_JP"},
    {0x0412, "Korean (Korea)", "ko_KR"},
    {0x0413, "Dutch (Netherlands)", "nl_NL"},
    {0x0414, "Norwegian, Bokm\xC3\xA5l (Norway)", "nb_NO"},
    {0x0415, "Polish (Poland)", "pl_PL"},
    {0x0416, "Portuguese (Brazil)", "pt_BR"},
    {0x0418, "Romanian (Romania)", "ro_RO"},
    {0x0419, "Russian (Russia)", "ru_RU"},
    {0x041A, "Croatian (Croatia)", "hr_HR"},
    {0x041B, "Slovak (Slovakia)", "sk_SK"},
    {0x041D, "Swedish (Sweden)", "sv_SE"},
    {0x041E, "Thai (Thailand)", "th_TH"},
    {0x041F, "Turkish (Turkey)", "tr_TR"},
    {0x0422, "Ukrainian (Ukraine)", "uk_UA"},
    {0x0424, "Slovenian (Slovenia)", "sl_SI"},
    {0x0425, "Estonian (Estonia)", "et_EE"},
    {0x0426, "Latvian (Latvia)", "lv_LV"},
    {0x0427, "Lithuanian (Lithuania)", "lt_LT"},
    {0x042A, "Vietnamese (Vietnam)", "vi_VN"},
    {0x0804, "Chinese (Simplified, PRC)", "zh_CN"},
    {0x0807, "German (Switzerland)", "de_CH"},
    {0x0809, "English (United Kingdom)", "en_GB"},
    {0x080A, "Spanish (Mexico)", "es_MX"},
    {0x080C, "French (Belgium)", "fr_BE"},
    {0x0810, "Italian (Switzerland)", "it_CH"},
    {0x0813, "Dutch (Belgium)", "nl_BE"},
    {0x0816, "Portuguese (Portugal)", "pt_PT"},
    {0x0C07, "German (Austria)", "de_AT"},
    {0x0C09, "English (Australia)", "en_AU"},
    {0x0C0A, "Spanish (Spain, International Sort)", "es_ES"},
    {0x0C0C, "French (Canada)", "fr_CA"},
    {0x1009, "English (Canada)", "en_CA"},
    {0x100C, "French (Switzerland)", "fr_CH"},
    {0x1409, "English (New Zealand)", "en_NZ"},
    {0x1809, "English (Ireland)", "en_IE"},
    // The pseudo-languages that stand for a default: no locale names them.
    {0x0400, "Process Default Language", ""},
    {0x0800, "System Default Language", ""},
    {0x0436, "Afrikaans (South Africa)", "af_ZA"},
    {0x041C, "Albanian (Albania)", "sq_AL"},
    {0x0801, "Arabic (Iraq)", "ar_IQ"},
    {0x0C01, "Arabic (Egypt)", "ar_EG"},
    {0x1001, "Arabic (Libya)", "ar_LY"},
    {0x1401, "Arabic (Algeria)", "ar_DZ"},
    {0x1801, "Arabic (Morocco)", "ar_MA"},
    {0x1C01, "Arabic (Tunisia)", "ar_TN"},
    {0x2001, "Arabic (Oman)", "ar_OM"},
    {0x2401, "Arabic (Yemen)", "ar_YE"},
    {0x2801, "Arabic (Syria)", "ar_SY"},
    {0x2C01, "Arabic (Jordan)", "ar_JO"},
    {0x3001, "Arabic (Lebanon)", "ar_LB"},
    {0x3401, "Arabic (Kuwait)", "ar_KW"},
    {0x3801, "Arabic (U.A.E.)", "ar_AE"},
    {0x3C01, "Arabic (Bahrain)", "ar_BH"},
    {0x4001, "Arabic (Qatar)", "ar_QA"},
    {0x042D, "Basque (Basque)", "eu_ES"},
    {0x0423, "Belarusian (Belarus)", "be_BY"},
    {0x0C04, "Chinese (Traditional, Hong Kong S.A.R.)", "zh_HK"},
    {0x1004, "Chinese (Simplified, Singapore)", "zh_SG"},
    {0x1C09, "English (South Africa)", "en_ZA"},
    {0x2009, "English (Jamaica)", "en_JM"},
    {0x2409, "English (Caribbean)", ""},
    {0x2809, "English (Belize)", "en_BZ"},
    {0x2C09, "English (Trinidad and Tobago)", "en_TT"},
    {0x0438, "Faroese (Faroe Islands)", "fo_FO"},
    {0x0429, "Persian (Iran)", "fa_IR"},
    {0x140C, "French (Luxembourg)", "fr_LU"},
    {0x1007, "German (Luxembourg)", "de_LU"},
    {0x1407, "German (Liechtenstein)", "de_LI"},
    {0x0421, "Indonesian (Indonesia)", "id_ID"},
    {0x0812, "Korean (Johab)", ""},
    {0x0814, "Norwegian, Nynorsk (Norway)", "nn_NO"},
    {0x081A, "Serbian (Latin, Serbia)", "sr_RS@latin"},
    {0x0C1A, "Serbian (Cyrillic, Serbia)", "sr_RS"},
    {0x100A, "Spanish (Guatemala)", "es_GT"},
    {0x140A, "Spanish (Costa Rica)", "es_CR"},
    {0x180A, "Spanish (Panama)", "es_PA"},
    {0x1C0A, "Spanish (Dominican Republic)", "es_DO"},
    {0x200A, "Spanish (Venezuela)", "es_VE"},
    {0x240A, "Spanish (Colombia)", "es_CO"},
    {0x280A, "Spanish (Peru)", "es_PE"},
    {0x2C0A, "Spanish (Argentina)", "es_AR"},
    {0x300A, "Spanish (Ecuador)", "es_EC"},
    {0x340A, "Spanish (Chile)", "es_CL"},
    {0x380A, "Spanish (Uruguay)", "es_UY"},
    {0x3C0A, "Spanish (Paraguay)", "es_PY"},
    {0x400A, "Spanish (Bolivia)", "es_BO"},
    {0x440A, "Spanish (El Salvador)", "es_SV"},
    {0x480A, "Spanish (Honduras)", "es_HN"},
    {0x4C0A, "Spanish (Nicaragua)", "es_NI"},
    {0x500A, "Spanish (Puerto Rico)", "es_PR"},
    {0x081D, "Swedish (Finland)", "sv_FI"},
};

std::atomic<LANGID> overriddenLanguage{0};

// The language of messages, in the order POSIX gives the variables.
LANGID LanguageOfEnvironment() {
    const char* value = nullptr;
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        value = std::getenv(variable);
        if (value && *value) break;
    }
    if (!value || !*value) return 0x0409;
    std::string_view locale = value;
    locale = locale.substr(0, locale.find_first_of(".@"));
    for (const auto& language : kLanguages)
        if (!language.locale.empty() && language.locale == locale) return language.id;
    // A known language in an unknown country takes that language's first entry.
    const std::string_view primary = locale.substr(0, locale.find('_'));
    if (primary.size() == 2)
        for (const auto& language : kLanguages)
            if (language.locale.substr(0, 2) == primary) return language.id;
    return 0x0409;
}

}  // namespace

namespace version {

std::vector<LANGID> LanguagesOfLocale(std::string_view name) {
    // "sr_RS.utf8@latin": the code set never matters, a modifier may ("sr_RS@latin" is Latin script).
    const size_t at = name.find('@');
    const std::string_view modifier = at == std::string_view::npos ? std::string_view() : name.substr(at);
    const std::string_view base = name.substr(0, std::min(at, name.find('.')));
    std::vector<LANGID> found;
    auto collect = [&](std::string_view code) {
        for (const auto& language : kLanguages)
            if (!language.locale.empty() && language.locale == code) found.push_back(language.id);
    };
    if (!modifier.empty()) collect(std::string(base) + std::string(modifier));
    if (found.empty()) collect(base);
    return found;
}

}  // namespace version

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
