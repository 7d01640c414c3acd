// Version blocks: building, reading from ELF, RES and PE files, queries, languages, bad blocks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "support/tempdir.h"
#include "win32/files.h"
#include "win32/version.h"

namespace {

using namespace win32;
namespace wt = win32::testing;

const std::filesystem::path kSupport =
    std::filesystem::path(__FILE__).parent_path() / ".." / ".." / "support" / "version";

void WriteBytes(const std::filesystem::path& path, const std::vector<BYTE>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool ToolExists(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

std::string QueryString(const void* block, const std::string& path) {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValue(block, path.c_str(), &value, &length)) return "<missing>";
    const std::string text(static_cast<const char*>(value));
    EXPECT_EQ(length, text.size() + 1) << path;
    return text;
}

// Every field of the sample description, as any correct writer lays it out.
void ExpectSampleFields(const void* block) {
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValue(block, "\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO fixed{};
    std::memcpy(&fixed, value, sizeof fixed);
    EXPECT_EQ(fixed.dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(fixed.dwStrucVersion, VS_FFI_STRUCVERSION);
    EXPECT_EQ(fixed.dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(fixed.dwFileVersionLS, 0x00030004u);
    EXPECT_EQ(fixed.dwProductVersionMS, 0x00010002u);
    EXPECT_EQ(fixed.dwProductVersionLS, 0u);
    EXPECT_EQ(fixed.dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed.dwFileFlags, VS_FF_PRERELEASE);
    EXPECT_EQ(fixed.dwFileOS, VOS_NT_WINDOWS32);
    EXPECT_EQ(fixed.dwFileType, VFT_DLL);
    ASSERT_TRUE(VerQueryValue(block, "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    WORD translation[2];
    std::memcpy(translation, value, sizeof translation);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1252);
    const std::string table = "\\StringFileInfo\\040904E4\\";
    EXPECT_EQ(QueryString(block, table + "CompanyName"), "Zyl Components");
    EXPECT_EQ(QueryString(block, table + "FileDescription"), "Sample library");
    EXPECT_EQ(QueryString(block, table + "FileVersion"), "1.2.3.4");
    EXPECT_EQ(QueryString(block, table + "InternalName"), "sample");
    EXPECT_EQ(QueryString(block, table + "LegalCopyright"), "Copyright (C) 2024 Zyl");
    EXPECT_EQ(QueryString(block, table + "OriginalFilename"), "sample.dll");
    EXPECT_EQ(QueryString(block, table + "ProductName"), "Zyl Sample");
    EXPECT_EQ(QueryString(block, table + "ProductVersion"), "1.2");
}

class VersionFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        description = ParseVersionDescription(zyltest::ReadTextFile(kSupport / "sample.ver"));
        block = BuildVersionResource(description);
        wt::MapDrive('V', temp.Path().string());
    }
    void TearDown() override { wt::ResetPlatform(); }

    std::vector<BYTE> ReadInfo(const char* file) {
        DWORD handle = 7;
        const DWORD size = GetFileVersionInfoSize(file, &handle);
        EXPECT_EQ(handle, 0u);
        if (size == 0) return {};
        std::vector<BYTE> info(size);
        EXPECT_FALSE(GetFileVersionInfo(file, 0, size - 1, info.data()));
        EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
        EXPECT_TRUE(GetFileVersionInfo(file, 0, size, info.data()));
        return info;
    }

    zyltest::TempDir temp;
    VersionDescription description;
    std::vector<BYTE> block;
};

TEST_F(VersionFileTest, BuiltBlockReadsBackFieldByField) {
    std::vector<BYTE> info;
    ASSERT_TRUE(LoadVersionInfo(block.data(), block.size(), info));
    ExpectSampleFields(info.data());
    // The bare block serves queries too.
    EXPECT_EQ(QueryString(block.data(), "\\StringFileInfo\\040904E4\\ProductName"), "Zyl Sample");
}

TEST_F(VersionFileTest, NamesAreMatchedWithoutCase) {
    std::vector<BYTE> info;
    ASSERT_TRUE(LoadVersionInfo(block.data(), block.size(), info));
    EXPECT_EQ(QueryString(info.data(), "\\stringfileinfo\\040904e4\\companyname"), "Zyl Components");
    EXPECT_EQ(QueryString(info.data(), "\\STRINGFILEINFO\\040904E4\\COMPANYNAME"), "Zyl Components");
    void* value = nullptr;
    UINT length = 0;
    EXPECT_FALSE(VerQueryValue(info.data(), "\\StringFileInfo\\040904E4\\Comments", &value, &length));
    EXPECT_FALSE(VerQueryValue(info.data(), "\\StringFileInfo\\04070000\\CompanyName", &value, &length));
}

TEST_F(VersionFileTest, NonAsciiValuesComeBackAsUtf8) {
    description.strings = {{"ProductName",
                            "Gr\xC3\xBC\xC3\x9F"
                            "e \xE2\x82\xAC \xF0\x9F\x98\x80"}};
    block = BuildVersionResource(description);
    std::vector<BYTE> info;
    ASSERT_TRUE(LoadVersionInfo(block.data(), block.size(), info));
    EXPECT_EQ(QueryString(info.data(), "\\StringFileInfo\\040904E4\\ProductName"),
              "Gr\xC3\xBC\xC3\x9F"
              "e \xE2\x82\xAC \xF0\x9F\x98\x80");
}

TEST_F(VersionFileTest, DescriptionErrorsNameTheLine) {
    EXPECT_THROW(ParseVersionDescription("FileVersion = 1.2.x"), std::invalid_argument);
    EXPECT_THROW(ParseVersionDescription("FileVersion = 1.2.3.4.5"), std::invalid_argument);
    EXPECT_THROW(ParseVersionDescription("FileVersion = 70000"), std::invalid_argument);
    EXPECT_THROW(ParseVersionDescription("# ok\nColour = red"), std::invalid_argument);
    try {
        ParseVersionDescription("FileType = 1\nnonsense");
        FAIL();
    } catch (const std::invalid_argument& error) {
        EXPECT_NE(std::string(error.what()).find("line 2"), std::string::npos);
    }
}

TEST_F(VersionFileTest, GeneratorScriptWritesTheSameBlock) {
    if (!ToolExists("python3")) GTEST_SKIP() << "python3 is not installed";
    const auto output = temp.Path() / "block.bin";
    const std::string command = "python3 '" +
                                (std::filesystem::path(__FILE__).parent_path() / ".." / ".." / ".." /
                                 "win32" / "src" / "version" / "zylver.py")
                                    .string() +
                                "' '" + (kSupport / "sample.ver").string() + "' --bin '" + output.string() +
                                "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string written = zyltest::ReadTextFile(output);
    EXPECT_EQ(written, std::string(block.begin(), block.end()));
}

TEST_F(VersionFileTest, ElfSectionIsFound) {
    if (!ToolExists("objcopy")) GTEST_SKIP() << "objcopy is not installed";
    WriteBytes(temp.Path() / "block.bin", block);
    std::filesystem::copy_file("/bin/true", temp.Path() / "program");
    const std::string command = "objcopy --add-section .zylver='" + (temp.Path() / "block.bin").string() +
                                "' '" + (temp.Path() / "program").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const auto info = ReadInfo("V:\\PROGRAM");
    ASSERT_FALSE(info.empty());
    ExpectSampleFields(info.data());
}

TEST_F(VersionFileTest, FilesWithoutABlockSayWhy) {
    std::filesystem::copy_file("/bin/true", temp.Path() / "plain");
    EXPECT_EQ(GetFileVersionInfoSize("V:\\plain", nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
    std::ofstream(temp.Path() / "text.txt") << "just some text, not a module";
    EXPECT_EQ(GetFileVersionInfoSize("V:\\text.txt", nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_BAD_FORMAT);
    EXPECT_EQ(GetFileVersionInfoSize("V:\\missing.dll", nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(VersionFileTest, ResFileFromWindresReadsTheSame) {
    const auto res = temp.Path() / "sample.res";
    const std::string command = "'" + (kSupport / "build_version_res.sh").string() + "' '" +
                                (kSupport / "sample.rc").string() + "' '" + res.string() + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "windres is not installed (Debian package binutils-mingw-w64-x86-64)";
    ASSERT_EQ(status, 0);
    const auto info = ReadInfo("V:\\sample.res");
    ASSERT_FALSE(info.empty());
    ExpectSampleFields(info.data());
    // The builder lays the block out exactly as the resource compiler does.
    std::vector<BYTE> built;
    ASSERT_TRUE(LoadVersionInfo(block.data(), block.size(), built));
    EXPECT_EQ(info, built);
}

// A RES file as resource compilers write it: an empty first entry, then named entries.
std::vector<BYTE> ResFile(const std::vector<BYTE>& versionBlock) {
    std::vector<BYTE> out;
    auto dword = [&](DWORD v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<BYTE>(v >> (8 * i)));
    };
    auto word = [&](WORD v) {
        out.push_back(static_cast<BYTE>(v));
        out.push_back(static_cast<BYTE>(v >> 8));
    };
    auto entry = [&](WORD type, const std::vector<BYTE>& data) {
        dword(static_cast<DWORD>(data.size()));
        dword(32);
        word(0xFFFF), word(type), word(0xFFFF), word(1);
        dword(0), word(0x30), word(0x0409), dword(0), dword(0);
        out.insert(out.end(), data.begin(), data.end());
        while (out.size() % 4)
            out.push_back(0);
    };
    entry(0, {});
    entry(3, std::vector<BYTE>(10, 0xAB));  // an icon before the version
    entry(RT_VERSION_ID, versionBlock);
    return out;
}

TEST_F(VersionFileTest, HandmadeResFileIsRead) {
    WriteBytes(temp.Path() / "made.res", ResFile(block));
    const auto info = ReadInfo("V:\\made.res");
    ASSERT_FALSE(info.empty());
    ExpectSampleFields(info.data());
    auto truncated = ResFile(block);
    truncated.resize(truncated.size() - 40);
    WriteBytes(temp.Path() / "cut.res", truncated);
    EXPECT_EQ(GetFileVersionInfoSize("V:\\cut.res", nullptr), 0u);
}

// The smallest PE file with a resource directory holding one version entry.
std::vector<BYTE> PeFile(const std::vector<BYTE>& versionBlock) {
    std::vector<BYTE> out(0x200, 0);
    auto put16 = [&](size_t at, WORD v) {
        out[at] = static_cast<BYTE>(v), out[at + 1] = static_cast<BYTE>(v >> 8);
    };
    auto put32 = [&](size_t at, DWORD v) {
        for (int i = 0; i < 4; ++i)
            out[at + static_cast<size_t>(i)] = static_cast<BYTE>(v >> (8 * i));
    };
    out[0] = 'M', out[1] = 'Z';
    put32(0x3C, 0x40);
    put32(0x40, 0x4550);
    put16(0x44, 0x14C);  // machine
    put16(0x46, 1);      // sections
    put16(0x54, 224);    // optional header size
    const size_t optional = 0x58;
    put16(optional, 0x10B);
    put16(optional + 68, 2);  // GUI subsystem
    put32(optional + 92, 16);
    const size_t resourceSize = 0x58 + versionBlock.size();
    put32(optional + 96 + 16, 0x1000);
    put32(optional + 96 + 20, static_cast<DWORD>(resourceSize));
    const size_t section = optional + 224;
    std::memcpy(&out[section], ".rsrc", 5);
    put32(section + 8, static_cast<DWORD>(resourceSize));
    put32(section + 12, 0x1000);
    put32(section + 16, static_cast<DWORD>(resourceSize));
    put32(section + 20, 0x200);
    out.resize(0x200 + resourceSize, 0);
    const size_t r = 0x200;
    put16(r + 14, 1);  // type level: one id entry
    put32(r + 16, RT_VERSION_ID);
    put32(r + 20, 0x80000000u | 0x18);
    put16(r + 0x18 + 14, 1);  // name level
    put32(r + 0x18 + 16, 1);
    put32(r + 0x18 + 20, 0x80000000u | 0x30);
    put16(r + 0x30 + 14, 1);  // language level
    put32(r + 0x30 + 16, 0x0409);
    put32(r + 0x30 + 20, 0x48);
    put32(r + 0x48, 0x1000 + 0x58);
    put32(r + 0x48 + 4, static_cast<DWORD>(versionBlock.size()));
    std::memcpy(&out[r + 0x58], versionBlock.data(), versionBlock.size());
    return out;
}

TEST_F(VersionFileTest, PeResourceDirectoryIsRead) {
    WriteBytes(temp.Path() / "module.dll", PeFile(block));
    const auto info = ReadInfo("V:\\module.dll");
    ASSERT_FALSE(info.empty());
    ExpectSampleFields(info.data());
}

class MalformedBlockTest : public ::testing::Test {
protected:
    void SetUp() override {
        block = BuildVersionResource(ParseVersionDescription(zyltest::ReadTextFile(kSupport / "sample.ver")));
    }
    bool Loads() {
        std::vector<BYTE> info;
        SetLastError(0);
        const bool loaded = LoadVersionInfo(block.data(), block.size(), info);
        if (!loaded) {
            EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
        }
        return loaded;
    }
    void SetWord(size_t at, WORD value) {
        block[at] = static_cast<BYTE>(value);
        block[at + 1] = static_cast<BYTE>(value >> 8);
    }
    std::vector<BYTE> block;
};

TEST_F(MalformedBlockTest, IntactBlockLoads) {
    EXPECT_TRUE(Loads());
}

TEST_F(MalformedBlockTest, RootLongerThanTheData) {
    block.resize(block.size() - 1);
    EXPECT_FALSE(Loads());
}

TEST_F(MalformedBlockTest, RootShorterThanItsHeader) {
    SetWord(0, 4);
    EXPECT_FALSE(Loads());
}

TEST_F(MalformedBlockTest, FixedInfoWithoutSignature) {
    block[40] ^= 0xFF;
    EXPECT_FALSE(Loads());
}

TEST_F(MalformedBlockTest, ChildClaimingMoreThanItsParent) {
    const size_t child = 40 + sizeof(VS_FIXEDFILEINFO);  // StringFileInfo
    SetWord(child, 0xFFF0);
    EXPECT_FALSE(Loads());
}

TEST_F(MalformedBlockTest, KeyWithoutTerminator) {
    block.resize(6 + 10);
    SetWord(0, 16);
    for (size_t i = 6; i < 16; ++i)
        block[i] = 'A';
    EXPECT_FALSE(Loads());
}

TEST_F(MalformedBlockTest, TooSmallForAHeader) {
    block.resize(5);
    EXPECT_FALSE(Loads());
    std::vector<BYTE> info;
    EXPECT_FALSE(LoadVersionInfo(nullptr, 0, info));
}

TEST(VersionLanguages, NamesFromTheTable) {
    char name[64];
    EXPECT_EQ(VerLanguageName(0x0409, name, sizeof name), 23u);
    EXPECT_STREQ(name, "English (United States)");
    VerLanguageName(0x0407, name, sizeof name);
    EXPECT_STREQ(name, "German (Germany)");
    VerLanguageName(0x040C, name, sizeof name);
    EXPECT_STREQ(name, "French (France)");
    VerLanguageName(0x7777, name, sizeof name);
    EXPECT_STREQ(name, "Language Neutral");
    char small[8];
    EXPECT_EQ(VerLanguageName(0x0409, small, sizeof small), 24u);
    EXPECT_STREQ(small, "English");
}

TEST(VersionLanguages, DefaultLanguageFollowsTheEnvironment) {
    const char* saved = std::getenv("LANG");
    const std::string savedLang = saved ? saved : "";
    const char* savedAll = std::getenv("LC_ALL");
    const std::string savedAllText = savedAll ? savedAll : "";
    unsetenv("LC_ALL");
    setenv("LANG", "de_DE.UTF-8", 1);
    EXPECT_EQ(GetUserDefaultLangID(), 0x0407);
    setenv("LANG", "de_AT", 1);
    EXPECT_EQ(GetUserDefaultLangID(), 0x0C07);
    setenv("LANG", "fr_LU.UTF-8", 1);
    EXPECT_EQ(GetUserDefaultLangID(), 0x140C);
    setenv("LANG", "fr_SN.UTF-8", 1);
    EXPECT_EQ(GetUserDefaultLangID(), 0x040C);
    setenv("LANG", "C", 1);
    EXPECT_EQ(GetSystemDefaultLangID(), 0x0409);
    wt::SetDefaultLangID(0x0411);
    EXPECT_EQ(GetUserDefaultLangID(), 0x0411);
    wt::ResetPlatform();
    EXPECT_EQ(GetUserDefaultLangID(), 0x0409);
    if (saved) {
        setenv("LANG", savedLang.c_str(), 1);
    } else {
        unsetenv("LANG");
    }
    if (savedAll) setenv("LC_ALL", savedAllText.c_str(), 1);
}

}  // namespace
