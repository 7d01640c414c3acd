// The clipboard viewer: what it shows for text, bitmaps and components, its place in the viewer
// chain as viewers come and go, and the format names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "pellic/zyltclipboard.h"
#include "support/ui_fixture.h"
#include "vcl/clipbrd.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"

namespace clipboard_viewer_tests {

using namespace pellic;
using namespace vcl;

class ClipboardViewer : public zyltest::UiFixture {
protected:
    TZylClipboard* MakeViewer(TForm* form, int top = 10) {
        auto* viewer = new TZylClipboard(form);
        viewer->SetParent(form);
        viewer->SetBounds(10, top, 200, 120);
        viewer->OnChange = [this](TObject*) { ++changes_; };
        viewer->HandleNeeded();
        return viewer;
    }
    int changes_ = 0;
};

TEST_F(ClipboardViewer, ShowsTextInAMemoAndBitmapsInAnImage) {
    TForm* form = ShowForm();
    TZylClipboard* viewer = MakeViewer(form);
    EXPECT_EQ(viewer->Display(), nullptr) << "an empty clipboard shows nothing";
    Clipboard()->SetAsText("Copied line");
    auto* memo = dynamic_cast<TMemo*>(viewer->Display());
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->Text(), "Copied line");
    EXPECT_TRUE(memo->ReadOnly());
    EXPECT_EQ(viewer->ViewFormat(), TZylClipFormat::fDefault);
    viewer->SetViewFormat(TZylClipFormat::fBitmap);
    EXPECT_EQ(viewer->ViewFormat(), TZylClipFormat::fDefault) << "no bitmap on the clipboard";

    TBitmap picture;
    picture.SetSize(40, 20);
    picture.Canvas()->Brush()->SetColor(clRed);
    picture.Canvas()->FillRect(Rect(0, 0, 40, 20));
    Clipboard()->Assign(&picture);
    auto* image = dynamic_cast<TImage*>(viewer->Display());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Width(), 40);
    const TRect client = viewer->ClientRect();
    EXPECT_EQ(image->Left(), (client.right - 40) / 2) << "centred";
    EXPECT_EQ(image->Picture()->Bitmap()->Canvas()->Pixels(5, 5), clRed);

    viewer->SetViewFormat(TZylClipFormat::fUnknown);
    memo = dynamic_cast<TMemo*>(viewer->Display());
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->Text(), "Unknown Object on the Clipboard");
    Clipboard()->Clear();
    EXPECT_EQ(viewer->ViewFormat(), TZylClipFormat::fEmpty);
    EXPECT_EQ(viewer->Display(), nullptr);
    EXPECT_GE(changes_, 3);
}

TEST_F(ClipboardViewer, MakesOnlyRegisteredControlsFromTheComponentFormat) {
    RegisterClasses({TButton::StaticClass(), TTimer::StaticClass()});
    TForm* form = ShowForm();
    TZylClipboard* viewer = MakeViewer(form);
    TComponentPtr<TButton> button(new TButton(nullptr));
    button->SetName("Copied");
    button->SetCaption("Copied button");
    button->SetBounds(0, 0, 90, 25);
    Clipboard()->SetComponent(button.get());
    auto* shown = dynamic_cast<TButton*>(viewer->Display());
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->Caption(), "Copied button");
    EXPECT_EQ(shown->Parent(), viewer);

    TComponentPtr<TTimer> timer(new TTimer(nullptr));
    timer->SetName("NoControl");
    Clipboard()->SetComponent(timer.get());
    EXPECT_EQ(viewer->Display(), nullptr) << "a component that is no control is not shown";
    EXPECT_EQ(viewer->ComponentCount(), 0);
    EXPECT_THROW(Clipboard()->GetComponent(nullptr, TControl::StaticClass()), EClassNotFound);

    const std::string damaged = "object X: TButton\n  Caption = 'unterminated\n";
    Clipboard()->Open();
    Clipboard()->Clear();
    win32::HGLOBAL memory = win32::GlobalAlloc(win32::GMEM_MOVEABLE, damaged.size());
    std::memcpy(win32::GlobalLock(memory), damaged.data(), damaged.size());
    win32::GlobalUnlock(memory);
    win32::SetClipboardData(TClipboard::ComponentFormat(), memory);
    Clipboard()->Close();
    EXPECT_EQ(viewer->Display(), nullptr) << "damaged data leaves the viewer empty";
    EXPECT_THROW(Clipboard()->GetComponent(nullptr, TControl::StaticClass()), EReadError);
}

TEST_F(ClipboardViewer, LeavesTheChainWholeWhicheverViewerGoesFirst) {
    TForm* form = ShowForm(100, 100, 300, 460);
    TZylClipboard* first = MakeViewer(form, 10);
    TZylClipboard* second = MakeViewer(form, 140);
    TZylClipboard* third = MakeViewer(form, 270);  // the chain: third, second, first
    delete second;                                 // third's next becomes first
    changes_ = 0;
    Clipboard()->SetAsText("after the middle left");
    EXPECT_EQ(changes_, 2) << "third and first still hear of it";
    delete first;  // the last one leaves: third's next becomes none
    changes_ = 0;
    Clipboard()->SetAsText("after the last left");
    EXPECT_EQ(changes_, 1);
    EXPECT_EQ(win32::GetClipboardViewer(), third->Handle());
}

TEST_F(ClipboardViewer, NamesTheFormatsOnTheClipboard) {
    TForm* form = ShowForm();
    TZylClipboard* viewer = MakeViewer(form);
    Clipboard()->Open();
    Clipboard()->SetAsText("x");
    TComponentPtr<TButton> button(new TButton(nullptr));
    Clipboard()->SetComponent(button.get());
    Clipboard()->Close();
    std::vector<std::string> names;
    for (int i = 0; i < 8; ++i)
        names.push_back(viewer->GetClipboardFormatNames(i));
    EXPECT_EQ(names.front(), "Text");
    EXPECT_NE(std::find(names.begin(), names.end(), "Zyl Component"), names.end());
    EXPECT_EQ(names.back(), "") << "beyond the formats";
    EXPECT_EQ(viewer->GetClipboardFormatNames(-1), "");
}

}  // namespace clipboard_viewer_tests
