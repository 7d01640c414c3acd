// The file label: how a path is cut into parts, and how it is shortened to the label's width, measured
// in a fixed-pitch font so that widths count characters.
#include <memory>
#include <string>
#include <vector>

#include "lumaro/zyllabels.h"
#include "painting.h"
#include "vcl/forms.h"
#include "vcl/streaming.h"

namespace {

using namespace vcl;
using namespace lumaro;

class FileLabelTest : public lumarotest::PaintingTest {
protected:
    void SetUp() override {
        PaintingTest::SetUp();
        label.reset(new TZylFileLabel3D(nullptr));
        label->Font()->SetName("Courier New");
        label->Font()->SetSize(10);
        TBitmap measure;
        measure.Canvas()->SetFont(label->Font());
        advance = measure.Canvas()->TextWidth("M");
        // Every character the cases use is as wide as the others.
        ASSERT_GT(advance, 0);
        ASSERT_EQ(measure.Canvas()->TextWidth(".:\\/il"), 6 * advance);
    }

    // The caption at a width of `characters` character cells.
    std::string At(const std::string& path, int characters, char separator = '\\') {
        label->SetSeparator(separator);
        label->SetFilename(path);
        label->SetBounds(0, 0, characters * advance, 20);
        return label->Caption();
    }

    TComponentPtr<TZylFileLabel3D> label;
    int advance = 0;
};

// ---------------------------------------------------------------------------------------------
// Splitting

struct SplitCase {
    std::string path;
    char separator;
    std::vector<std::string> parts;
    bool drive;
};

TEST_F(FileLabelTest, PathsAreCutAtEverySeparator) {
    const SplitCase cases[] = {
        {"C:\\Program Files\\Tool\\readme.txt", '\\', {"C:", "Program Files", "Tool", "readme.txt"}, true},
        {"C:\\readme.txt", '\\', {"C:", "readme.txt"}, true},
        {"C:", '\\', {"C:"}, true},
        {":\\x", '\\', {":", "x"}, false},
        {"dir\\", '\\', {"dir", ""}, false},
        {"\\\\server\\share", '\\', {"", "", "server", "share"}, false},
        {"/usr/lib", '/', {"", "usr", "lib"}, false},
        {"http://host/a", '/', {"http:", "", "host", "a"}, true},
        {"C:\\no\\slash", '/', {"C:\\no\\slash"}, false},
        {"", '\\', {""}, false},
        {std::string("a\0b\\c", 5), '\\', {std::string("a\0b", 3), "c"}, false},
    };
    for (const SplitCase& c : cases) {
        label->SetSeparator(c.separator);
        label->SetFilename(c.path);
        EXPECT_EQ(label->Parts(), c.parts) << c.path;
        EXPECT_EQ(label->HasDrive(), c.drive) << c.path;
    }
}

TEST_F(FileLabelTest, PathsLongerThan255CharactersSplitWhole) {
    std::string path = "D:";
    for (int i = 0; i < 40; ++i)
        path += "\\directory" + std::to_string(10 + i);
    path += "\\" + std::string(300, 'f') + ".txt";
    ASSERT_GT(path.size(), 700u);
    label->SetFilename(path);
    ASSERT_EQ(label->Parts().size(), 42u);
    EXPECT_EQ(label->Parts()[40], "directory49");
    EXPECT_EQ(label->Parts().back(), std::string(300, 'f') + ".txt");
    EXPECT_TRUE(label->HasDrive());
}

// ---------------------------------------------------------------------------------------------
// Shortening

struct ShortCase {
    int width;  // in character cells
    const char* caption;
};

TEST_F(FileLabelTest, ADrivePathKeepsDriveAndAsManyTrailingDirectoriesAsFit) {
    const std::string path = "C:\\Program Files\\Tool\\readme.txt";  // 32 characters
    const ShortCase cases[] = {
        {40, "C:\\Program Files\\Tool\\readme.txt"},
        {32, "C:\\Program Files\\Tool\\readme.txt"},
        {31, "C:\\...\\Tool\\readme.txt"},
        {22, "C:\\...\\Tool\\readme.txt"},
        {21, "C:\\...\\readme.txt"},
        {18, "C:\\...\\readme.txt"},
        {17, "...\\readme.txt"},
        {15, "...\\readme.txt"},
        {14, "readme.txt"},
        {2, "readme.txt"},
        {0, "readme.txt"},
    };
    for (const ShortCase& c : cases)
        EXPECT_EQ(At(path, c.width), c.caption) << c.width;
}

TEST_F(FileLabelTest, AFileInTheRootShowsWholeOrOnlyItsName) {
    // "...\" is as wide as "C:\" here, so the ellipsis never saves room.
    const ShortCase cases[] = {
        {13, "C:\\readme.txt"}, {12, "readme.txt"}, {10, "readme.txt"}, {3, "readme.txt"}};
    for (const ShortCase& c : cases)
        EXPECT_EQ(At("C:\\readme.txt", c.width), c.caption) << c.width;
}

TEST_F(FileLabelTest, ForwardSlashesAndRelativePathsShortenTheSameWay) {
    const ShortCase unix[] = {
        {25, "/usr/share/doc/readme.txt"}, {24, ".../share/doc/readme.txt"}, {23, ".../doc/readme.txt"},
        {18, ".../doc/readme.txt"},        {17, ".../readme.txt"},           {14, "readme.txt"},
    };
    for (const ShortCase& c : unix)
        EXPECT_EQ(At("/usr/share/doc/readme.txt", c.width, '/'), c.caption) << c.width;
    // The first directory of a relative path never comes back.
    EXPECT_EQ(At("docs\\guide\\intro.txt", 20), "docs\\guide\\intro.txt");
    EXPECT_EQ(At("docs\\guide\\intro.txt", 19), "...\\guide\\intro.txt");
    EXPECT_EQ(At("docs\\guide\\intro.txt", 18), "...\\intro.txt");
    EXPECT_EQ(At("a\\b\\c\\d.txt", 10), "...\\d.txt");
    EXPECT_EQ(At("a\\b\\c\\d.txt", 9), "d.txt");
}

TEST_F(FileLabelTest, FallbacksForMissingSeparatorsEmptyPathsAndTinyLabels) {
    // A separator that does not occur leaves one part: the whole path.
    EXPECT_EQ(At("C:\\Program Files\\readme.txt", 5, '/'), "C:\\Program Files\\readme.txt");
    EXPECT_EQ(At("", 0), "");
    EXPECT_EQ(At("", 5), "");
    // A path ending in the separator has an empty last part.
    EXPECT_EQ(At("C:\\Program Files\\", 4), "");
    EXPECT_EQ(At("C:\\Program Files\\", 5), "...\\");
    EXPECT_EQ(At("C:\\Program Files\\", 8), "C:\\...\\");
    // Narrower than the ellipsis alone.
    EXPECT_EQ(At("C:\\a\\b\\c.txt", 2), "c.txt");
    EXPECT_EQ(At("C:\\", 1), "");
    EXPECT_EQ(At("C:\\", 2), "");
}

TEST_F(FileLabelTest, PathsLongerThan255CharactersShortenCorrectly) {
    std::string path = "C:";
    for (int i = 0; i < 30; ++i)
        path += "\\folder" + std::to_string(10 + i);  // 9 characters with the separator
    path += "\\file.txt";
    ASSERT_GT(path.size(), 255u);
    // 3 + 4 + 8 characters are fixed; 45 more take exactly five directories.
    EXPECT_EQ(At(path, 60), "C:\\...\\folder35\\folder36\\folder37\\folder38\\folder39\\file.txt");
    EXPECT_EQ(At(path, 59), "C:\\...\\folder36\\folder37\\folder38\\folder39\\file.txt");
    EXPECT_EQ(At(path, static_cast<int>(path.size())), path);

    // A file name of 300 characters is kept whole.
    const std::string name = std::string(300, 'n') + ".txt";
    EXPECT_EQ(At("C:\\dir\\" + name, 50), name);
}

TEST_F(FileLabelTest, ResizingSeparatorAndFontChangesShortenAtOnce) {
    const std::string path = "C:\\Program Files\\Tool\\readme.txt";
    EXPECT_EQ(At(path, 40), path);
    label->SetWidth(21 * advance);
    EXPECT_EQ(label->Caption(), "C:\\...\\readme.txt");
    label->SetBounds(5, 5, 31 * advance, 30);
    EXPECT_EQ(label->Caption(), "C:\\...\\Tool\\readme.txt");
    label->SetWidth(32 * advance);
    EXPECT_EQ(label->Caption(), path);
    // The same path with another separator is one part and shown whole.
    label->SetWidth(21 * advance);
    label->SetSeparator('/');
    EXPECT_EQ(label->Caption(), path);
    label->SetSeparator('\\');
    EXPECT_EQ(label->Caption(), "C:\\...\\readme.txt");
    // A smaller font fits more.
    label->Font()->SetSize(5);
    EXPECT_EQ(label->Caption(), path);
}

TEST_F(FileLabelTest, AReadFormShowsTheShortenedPath) {
    TComponentPtr<TForm> form(new TForm(nullptr, 0));
    form->SetName("Files");
    label.reset();
    auto* original = new TZylFileLabel3D(form.get());
    original->SetName("Current");
    original->SetParent(form.get());
    original->Font()->SetName("Courier New");
    original->Font()->SetSize(10);
    original->SetBounds(0, 0, 21 * advance, 20);
    original->SetFilename("C:\\Program Files\\Tool\\readme.txt");
    EXPECT_EQ(original->Caption(), "C:\\...\\readme.txt");
    const std::string text = ComponentToText(form.get());
    EXPECT_EQ(text.find("Caption"), std::string::npos) << text;

    TComponentPtr<TForm> copy(new TForm(nullptr, 0));
    ReadComponentText(text, copy.get());
    auto* reloaded = dynamic_cast<TZylFileLabel3D*>(copy->FindComponent("Current"));
    ASSERT_NE(reloaded, nullptr);
    EXPECT_EQ(reloaded->Filename(), "C:\\Program Files\\Tool\\readme.txt");
    EXPECT_EQ(reloaded->Caption(), "C:\\...\\readme.txt");
}

TEST_F(FileLabelTest, TheShortenedPathIsWhatIsPainted) {
    const std::string path = "C:\\Program Files\\Tool\\readme.txt";
    At(path, 21);
    label->Font3D()->SetThreeDimensional(false);
    label->Font()->SetColor(clBlack);
    label->SetColor(clWhite);
    auto got = Surface(label->Width(), label->Height());
    label->PaintTo(got->Canvas(), 0, 0);
    auto want = Surface(label->Width(), label->Height(), clWhite);
    want->Canvas()->Font()->Assign(label->Font());
    want->Canvas()->Brush()->SetStyle(bsClear);
    want->Canvas()->TextOut(0, 0, "C:\\...\\readme.txt");
    EXPECT_EQ(Differences(got.get(), want.get()), "");
}

}  // namespace
