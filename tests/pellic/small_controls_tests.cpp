// The form divider, the file label and the office edits: the divider following its form through a
// shared message hook, the file label's shortening and picture, and the office edits' frame.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "pellic/zyltdbofficeedit.h"
#include "pellic/zyltfilelabel.h"
#include "pellic/zyltformdivider.h"
#include "pellic/zyltofficeedit.h"
#include "support/tempdir.h"
#include "support/ui_fixture.h"
#include "vcl/streaming.h"
#include "win32/files.h"

namespace small_controls_tests {

using namespace pellic;
using namespace vcl;

using SmallControls = zyltest::UiFixture;

TEST_F(SmallControls, DividerSpansItsFormThroughResizesAndComesOffInAnyOrder) {
    TForm* form = ShowForm();
    form->SetWidth(400);
    auto* first = new TZylFormDivider(form);
    first->SetParent(form);
    auto* second = new TZylFormDivider(form);
    second->SetParent(form);
    second->SetSideSpace(10);
    EXPECT_EQ(first->Left(), 20);
    EXPECT_EQ(first->Width(), 351);
    delete first;  // the older hook goes first: the newer one still hears the form
    form->SetWidth(500);
    PumpUntilIdle();
    EXPECT_EQ(second->Left(), 10);
    EXPECT_EQ(second->Width(), 471);
    second->SetSideSpace(300);
    EXPECT_EQ(second->Width(), 0) << "never negative";
    second->SetAlignWidth(false);
    second->SetWidth(200);
    form->SetWidth(600);
    EXPECT_EQ(second->Width(), 200);

    // Owned by something that is no control: it draws where it is put.
    TComponentPtr<TComponent> owner(new TComponent(nullptr));
    auto* loose = new TZylFormDivider(owner.get());
    loose->SetParent(form);
    loose->SetBounds(5, 5, 120, 17);
    PumpUntilIdle();
    EXPECT_EQ(loose->Width(), 120);
    loose->SetParent(nullptr);
}

TEST_F(SmallControls, DividerDrawsItsLinesBesideTheCaptionGap) {
    TForm* form = ShowForm();
    auto* divider = new TZylFormDivider(form);
    divider->SetParent(form);
    divider->SetAlignWidth(false);
    divider->SetBounds(0, 0, 200, 17);
    divider->SetCaption("Totals");
    const auto shadow = static_cast<TColor>(win32::GetSysColor(win32::COLOR_BTNSHADOW));
    // Band: rows 8 - 1 = 7 to 11; an etched bottom edge puts its shadow on row 9, its light on row 10.
    auto pixel = [&](int x, int y) { return BitmapOf(divider)->Canvas()->Pixels(x, y); };
    EXPECT_EQ(pixel(10, 9), shadow);
    EXPECT_EQ(pixel(190, 9), shadow);
    EXPECT_NE(pixel(100, 9), shadow) << "the caption's gap";
    EXPECT_NE(pixel(10, 7), shadow) << "a single line";
    divider->SetBorderStyle(TZylDivBorder::frmSunken);
    EXPECT_EQ(pixel(10, 7), shadow) << "a frame style draws the band's top as well";
    EXPECT_NE(pixel(10, 12), shadow);
}

TEST_F(SmallControls, FileLabelKeepsTheDriveAndTheNearestFoldersThatFit) {
    TForm* form = ShowForm();
    auto* label = new TZylFileLabel(form);
    label->SetParent(form);
    const std::string path = "C:\\Program Files\\Company\\Product\\Data\\report.txt";
    label->SetFilename(path);
    EXPECT_EQ(label->Width(), 150);
    const std::string shown = label->Caption();
    EXPECT_EQ(shown.rfind("C:\\...\\", 0), 0u) << shown;
    EXPECT_TRUE(shown.ends_with("\\Data\\report.txt") || shown == "C:\\...\\report.txt") << shown;
    label->SetWidth(1000);
    EXPECT_EQ(label->Caption(), path);
    label->SetWidth(60);
    EXPECT_EQ(label->Caption(), "report.txt") << "nothing but the last part fits";
    label->SetSeparator('/');
    label->SetWidth(1000);
    label->SetFilename("docs/2025/summer/notes.txt");
    label->SetWidth(130);
    EXPECT_EQ(label->Caption().rfind(".../", 0), 0u) << "no drive: the dots lead";
    label->SetFilename("");
    EXPECT_EQ(label->Caption(), "");
}

TEST_F(SmallControls, FileLabelShowsAPictureOnlyForWhatExists) {
    zyltest::TempDir dir;
    std::filesystem::create_directory(dir.Path() / "Reports");
    std::ofstream(dir.Path() / "note.txt") << "n";
    win32::testing::MapDrive('R', dir.Path().string());
    TForm* form = ShowForm();
    auto* label = new TZylFileLabel(form);
    label->SetParent(form);
    auto corner = [&] {
        auto bitmap = BitmapOf(label);
        int coloured = 0;
        for (int y = 1; y < 17; ++y)
            for (int x = 1; x < 17; ++x)
                coloured += bitmap->Canvas()->Pixels(x, y) != clWhite;
        return coloured;
    };
    label->SetFilename("R:\\missing");
    EXPECT_EQ(corner(), 0);
    label->SetFilename("R:\\Reports");
    EXPECT_GT(corner(), 40) << "the folder picture";
    label->SetFilename("R:\\note.txt");
    EXPECT_GT(corner(), 20) << "the file's icon";
}

TEST_F(SmallControls, OfficeEditIsFlatUntilFocusedOrHovered) {
    TForm* form = ShowForm();
    auto* edit = new TZylOfficeEdit(form);
    edit->SetParent(form);
    edit->SetBounds(10, 10, 120, 19);
    auto* other = new TZylOfficeEdit(form);
    other->SetParent(form);
    other->SetBounds(10, 40, 120, 19);
    auto* plain = new TEdit(form);
    plain->SetParent(form);
    plain->SetBounds(10, 70, 120, 21);
    PumpUntilIdle();
    const win32::COLORREF shadow = win32::GetSysColor(win32::COLOR_BTNSHADOW);
    auto corner = [&] {
        win32::HDC dc = win32::GetWindowDC(edit->Handle());
        const win32::COLORREF color = win32::GetPixel(dc, 0, 0);
        win32::ReleaseDC(edit->Handle(), dc);
        return color;
    };
    win32::RECT client;
    win32::GetClientRect(edit->Handle(), &client);
    EXPECT_EQ(client.right, 114) << "3 pixels of frame on every side";
    EXPECT_NE(corner(), shadow);
    edit->SetFocus();
    PumpUntilIdle();
    EXPECT_TRUE(edit->Hot());
    EXPECT_EQ(corner(), shadow);
    plain->SetFocus();
    MoveMouseTo(edit, 20, 8);
    EXPECT_TRUE(edit->Hot()) << "hovered while a plain edit has the focus";
    EXPECT_EQ(corner(), shadow);
    other->SetFocus();
    PumpUntilIdle();
    EXPECT_FALSE(edit->Hot()) << "another office edit has the focus";
    MoveMouseTo(form, 250, 150);
    EXPECT_NE(corner(), shadow);

    edit->SetEnabled(false);
    EXPECT_EQ(edit->Color(), clBtnFace);
    edit->SetEnabled(true);
    EXPECT_EQ(edit->Color(), clWindow);
}

TEST_F(SmallControls, OfficeEditsTakeTheirHeightFromTheFontWhenLoaded) {
    RegisterClasses({TZylOfficeEdit::StaticClass(), TZylDBOfficeEdit::StaticClass()});
    TComponentPtr<TForm> form(new TForm(nullptr, 0));
    ReadComponentText(
        "object Form1: TForm\n  object Name: TZylOfficeEdit\n    Height = 40\n    Font.Height = -20\n  end\n"
        "  object Db: TZylDBOfficeEdit\n  end\nend\n",
        form.get());
    auto* edit = dynamic_cast<TZylOfficeEdit*>(form->FindComponent("Name"));
    ASSERT_NE(edit, nullptr);
    TBitmap measure;
    measure.Canvas()->Font()->Assign(edit->Font());
    EXPECT_EQ(edit->Height(), measure.Canvas()->TextHeight("Wg") + 6);
    auto* db = dynamic_cast<TZylDBOfficeEdit*>(form->FindComponent("Db"));
    ASSERT_NE(db, nullptr);
    EXPECT_FALSE(db->Ctl3D());
}

}  // namespace small_controls_tests
