// Every package on its palette: each library, loaded alone through LoadPackage, puts exactly the
// components the README's table lists, page by page in the table's order, each with a gallery
// picture that a showcase makes; unloading takes all of it back and unmaps the library.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "vcl/designintf.h"

namespace palettetest {
namespace {

using namespace vcl;

struct Row {
    std::string page;
    std::string component;
    std::string picture;
    std::string works;

    bool operator==(const Row&) const = default;
};

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Trim(std::string_view cell) {
    const size_t first = cell.find_first_not_of(' ');
    const size_t last = cell.find_last_not_of(' ');
    return first == std::string_view::npos ? std::string()
                                           : std::string(cell.substr(first, last - first + 1));
}

// Rows of the component table: | `package` | page | `TClass` | [picture](out/gallery/x.png) | text |
std::map<std::string, std::vector<Row>> ReadmeTable() {
    std::map<std::string, std::vector<Row>> table;
    std::istringstream readme(ReadText(ZYL_SOURCE_DIR "/README.md"));
    static const std::regex row(R"(^\| `(\w+)` \|([^|]*)\| `(\w+)` \|([^|]*)\|(.*)\|$)");
    for (std::string line; std::getline(readme, line);) {
        std::smatch match;
        if (!std::regex_match(line, match, row)) continue;
        table[match[1]].push_back(
            {Trim(match[2].str()), match[3], Trim(match[4].str()), Trim(match[5].str())});
    }
    return table;
}

// The file-name prefixes of the gallery's showcases: package and shown class names in lower case.
std::set<std::string> ShowcasePrefixes() {
    std::set<std::string> prefixes;
    static const std::regex registration(R"re(Registration \w+\{\s*"([^"]*)",\s*"([^"]*)")re");
    for (const auto& entry : std::filesystem::directory_iterator(ZYL_SOURCE_DIR "/apps/gallery")) {
        if (entry.path().extension() != ".cpp") continue;
        const std::string source = ReadText(entry.path());
        for (std::sregex_iterator it(source.begin(), source.end(), registration), end; it != end; ++it) {
            std::string prefix;
            for (const unsigned char c : (*it)[2].str() + (*it)[1].str())
                if (std::isalnum(c)) prefix += static_cast<char>(std::tolower(c));
            prefixes.insert(prefix);
        }
    }
    return prefixes;
}

std::vector<Row> PaletteRows() {
    std::vector<Row> rows;
    for (const TPalettePage& page : Palette())
        for (TClass cls : page.classes)
            rows.push_back({page.name, std::string(cls->name), {}, {}});
    return rows;
}

std::vector<Row> WithoutPictures(std::vector<Row> rows) {
    for (Row& row : rows) {
        row.picture.clear();
        row.works.clear();
    }
    return rows;
}

// lib<package>.so beside the framework's library, where LoadPackage finds it.
std::string LibraryPath(const std::string& package) {
    Dl_info info{};
    dladdr(reinterpret_cast<void*>(&vcl::LoadPackage), &info);
    return (std::filesystem::path(info.dli_fname).parent_path() / ("lib" + package + ".so")).string();
}

class PaletteTable : public ::testing::Test {
protected:
    void TearDown() override {
        for (const std::string& name : LoadedPackages())
            while (PackageLoaded(name))
                UnloadPackage(name);
    }
};

TEST_F(PaletteTable, EachPackageRegistersWhatTheReadmeListsAndTakesItBack) {
    const auto table = ReadmeTable();
    const std::set<std::string> showcases = ShowcasePrefixes();
    const std::vector<Row> before = PaletteRows();
    size_t components = 0;
    for (const char* package : {"pellic", "lumaro", "orvane", "postrel", "quenta", "ribola"}) {
        SCOPED_TRACE(package);
        ASSERT_TRUE(table.contains(package));
        const std::vector<Row>& listed = table.at(package);
        LoadPackage(package);
        std::vector<Row> registered = PaletteRows();
        registered.erase(registered.begin(), registered.begin() + static_cast<std::ptrdiff_t>(before.size()));
        EXPECT_EQ(registered, WithoutPictures(listed));

        for (const Row& row : listed) {
            // A picture the gallery makes, and a word on what works.
            static const std::regex picture(R"(\[picture\]\(out/gallery/([a-z0-9]+)-[a-z0-9-]+\.png\))");
            std::smatch match;
            EXPECT_TRUE(std::regex_match(row.picture, match, picture))
                << row.component << ": " << row.picture;
            if (!match.empty()) {
                EXPECT_TRUE(showcases.contains(match[1])) << row.component << ": " << match[1];
            }
            EXPECT_GE(row.works.size(), 20u) << row.component;
        }
        components += listed.size();

        UnloadPackage(package);
        // The library is gone from the process, not only from the registries.
        EXPECT_EQ(dlopen(LibraryPath(package).c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr);
        EXPECT_EQ(PaletteRows(), before);
        for (const Row& row : listed) {
            EXPECT_EQ(GetClass(row.component), nullptr) << row.component;
            EXPECT_EQ(FindPaletteClass(row.component), nullptr) << row.component;
        }
    }
    EXPECT_GT(components, 100u);
}

TEST_F(PaletteTable, PagesSharedByPackagesKeepEveryPackagesComponents) {
    std::map<std::string, std::vector<std::string>> expected;
    for (const auto& [package, rows] : ReadmeTable())
        for (const Row& row : rows)
            expected[row.page].push_back(row.component);
    ASSERT_FALSE(expected.empty());
    for (const char* package : {"pellic", "lumaro", "orvane", "postrel", "quenta", "ribola"})
        LoadPackage(package);
    std::map<std::string, std::vector<std::string>> pages;
    for (const TPalettePage& page : Palette())
        for (TClass cls : page.classes)
            pages[page.name].emplace_back(cls->name);
    for (auto& [page, classes] : expected) {
        std::vector<std::string> have = pages[page];
        std::sort(have.begin(), have.end());
        std::sort(classes.begin(), classes.end());
        EXPECT_EQ(have, classes) << page;
    }
    // Unloading one package leaves the others' components on a shared page.
    UnloadPackage("quenta");
    const TClass navigator = FindPaletteClass("TZylDBNavigator");
    EXPECT_NE(navigator, nullptr);
    EXPECT_EQ(FindPaletteClass("TZylDBMemoView"), nullptr);
}

}  // namespace
}  // namespace palettetest
