// The system's locales as identifiers: compiled folders and archive names, the supported list,
// damaged archives, and the default language from the environment.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/locale_folder.h"
#include "support/tempdir.h"
#include "win32/kernel.h"
#include "win32/version.h"

namespace {

using namespace win32;
namespace wt = win32::testing;

std::vector<std::string>* enumeratedLocales = nullptr;

BOOL RememberLocale(char* locale) {
    enumeratedLocales->push_back(locale);
    return TRUE;
}

std::vector<std::string> EnumeratedLocales(DWORD flags) {
    std::vector<std::string> result;
    enumeratedLocales = &result;
    EXPECT_TRUE(EnumSystemLocales(RememberLocale, flags));
    enumeratedLocales = nullptr;
    return result;
}

class LocalesTest : public ::testing::Test {
protected:
    void TearDown() override { wt::ResetPlatform(); }
    zyltest::TempDir temp;
};

TEST_F(LocalesTest, InstalledLocalesFromFoldersAndTheArchive) {
    const auto folder = temp.Path() / "locale";
    zyltest::WriteLocaleFolder(folder, {"de_DE.utf8", "C.utf8", "sr_RS@latin", "de_DE@euro", "xx_YY"},
                               {"ja_JP.utf8", "es_ES.utf8"});
    // A folder without the identification file is no compiled locale.
    std::filesystem::create_directories(folder / "fr_FR.utf8");
    wt::SetLocaleSources(folder.string(), "");
    // Once each, ascending; Spanish of Spain is both sorts, Serbian keeps its Latin script.
    EXPECT_EQ(EnumeratedLocales(LCID_INSTALLED),
              (std::vector<std::string>{"00000407", "0000040A", "00000411", "0000081A", "00000C0A"}));
}

TEST_F(LocalesTest, SupportedLocalesFromTheList) {
    const std::string list = temp.File("SUPPORTED");
    zyltest::WriteTextFile(
        list, "# comment\nfr_FR.UTF-8 UTF-8\n  it_CH ISO-8859-1\nzz_ZZ UTF-8\n\nsv_FI@euro ISO-8859-15\n");
    wt::SetLocaleSources(temp.Path().string(), list);
    EXPECT_EQ(EnumeratedLocales(LCID_SUPPORTED),
              (std::vector<std::string>{"0000040C", "00000810", "0000081D"}));
    EXPECT_TRUE(EnumeratedLocales(LCID_INSTALLED).empty());
    SetLastError(0);
    EXPECT_FALSE(EnumSystemLocales(RememberLocale, 3));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(EnumSystemLocales(nullptr, LCID_INSTALLED));
}

TEST_F(LocalesTest, DamagedArchivesNameNothing) {
    const auto folder = temp.Path() / "locale";
    std::filesystem::create_directories(folder);
    wt::SetLocaleSources(folder.string(), "");
    const std::string good = zyltest::LocaleArchive({"de_DE.utf8", "it_IT.utf8"});
    auto write = [&](const std::string& bytes) {
        zyltest::WriteTextFile(folder / "locale-archive", bytes);
        return EnumeratedLocales(LCID_INSTALLED);
    };
    EXPECT_EQ(write(good).size(), 2u);
    EXPECT_TRUE(write(good.substr(0, 20)).empty()) << "a header cut short";
    std::string badMagic = good;
    badMagic[0] ^= 1;
    EXPECT_TRUE(write(badMagic).empty());
    std::string hashOutside = good;
    hashOutside[3 * 4 + 4 + 2] = 0x7F;  // the name hash's size, far beyond the file
    EXPECT_TRUE(write(hashOutside).empty());
    std::string unterminated = good.substr(0, good.size() - 1);
    // The string area now reaches past the file: refused as a whole.
    EXPECT_TRUE(write(unterminated).empty());
    std::string nameOutside = good;
    nameOutside[14 * 4 + 4] = static_cast<char>(0xF0);  // the first name's offset leaves the string area
    EXPECT_EQ(write(nameOutside), (std::vector<std::string>{"00000410"}));
}

TEST_F(LocalesTest, UserLanguageFollowsMessagesBeforeLang) {
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::string saved[3];
    bool had[3];
    for (int i = 0; i < 3; ++i) {
        const char* value = std::getenv(names[i]);
        had[i] = value != nullptr;
        saved[i] = value ? value : "";
    }
    unsetenv("LC_ALL");
    setenv("LANG", "de_DE.UTF-8", 1);
    setenv("LC_MESSAGES", "fr_LU.UTF-8", 1);
    EXPECT_EQ(GetUserDefaultLangID(), 0x140C);
    setenv("LC_MESSAGES", "fr_SN", 1);
    EXPECT_EQ(GetUserDefaultLangID(), 0x040C) << "an unknown country takes the language's first entry";
    setenv("LC_ALL", "sv_FI", 1);
    EXPECT_EQ(GetUserDefaultLangID(), 0x081D);
    for (int i = 0; i < 3; ++i) {
        if (had[i])
            setenv(names[i], saved[i].c_str(), 1);
        else
            unsetenv(names[i]);
    }
}

TEST(LocaleNames, EveryTableLanguageHasItsName) {
    char name[80];
    const std::pair<LANGID, const char*> cases[] = {
        {0x0800, "System Default Language"},  {0x0400, "Process Default Language"},
        {0x081A, "Serbian (Latin, Serbia)"},  {0x500A, "Spanish (Puerto Rico)"},
        {0x0436, "Afrikaans (South Africa)"},
    };
    for (const auto& [language, expected] : cases) {
        VerLanguageName(language, name, sizeof name);
        EXPECT_STREQ(name, expected);
    }
}

}  // namespace
