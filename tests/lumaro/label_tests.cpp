// The enhanced labels' painting (text rectangles, background order, transparency, accelerators),
// their background links, sub-object setters and streaming, and the caption editor.
#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "lumaro/zyleditors.h"
#include "lumaro/zyllabels.h"
#include "painting.h"
#include "support/ui_fixture.h"
#include "vcl/designhost.h"
#include "vcl/streaming.h"

namespace {

using namespace vcl;
using namespace lumaro;
using lumarotest::kGround;

// A label that writes down every rectangle and flag set its caption is drawn with.
template <typename Base>
class Recording : public Base {
public:
    using Base::Base;
    struct Call {
        TRect rect;
        win32::UINT flags;
        std::string text;
    };
    std::vector<Call> calls;

protected:
    void DoDrawText(TRect& rect, win32::UINT flags) override {
        if (!(flags & win32::DT_CALCRECT)) calls.push_back({rect, flags, this->Caption()});
        Base::DoDrawText(rect, flags);
    }
};

// A background that keeps the client bookkeeping of the real one but paints its top-left quarter
// olive, and notes every call.
class TRecordingBackground : public TZylBackground {
    VCL_CLASS(TRecordingBackground, TZylBackground)
public:
    explicit TRecordingBackground(TComponent* owner) : TZylBackground(owner) {}
    void AddItem(TControl* control) override {
        log.push_back("add " + control->Name());
        TZylBackground::AddItem(control);
    }
    void RemoveItem(TControl* control) override {
        log.push_back("remove " + control->Name());
        if (journal) journal->push_back("remove " + control->Name());
        TZylBackground::RemoveItem(control);
    }
    void Draw(win32::HDC dc, Integer width, Integer height, bool forward) override {
        log.push_back("draw " + std::to_string(width) + "x" + std::to_string(height) +
                      (forward ? "" : " back"));
        const win32::HBRUSH brush = win32::CreateSolidBrush(ColorToRGB(clOlive));
        const TRect quarter = Rect(0, 0, width / 2, height / 2);
        win32::FillRect(dc, &quarter, brush);
        win32::DeleteObject(brush);
    }
    std::vector<std::string> log;
    // Outlives the background, for what happens while it is freed.
    std::vector<std::string>* journal = nullptr;
};

std::string Show(const TRect& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

class LabelTest : public lumarotest::PaintingTest {
protected:
    static std::unique_ptr<TBitmap> Painted(TControl* control, TColor ground = kGround) {
        auto bitmap = Surface(control->Width(), control->Height(), ground);
        control->PaintTo(bitmap->Canvas(), 0, 0);
        return bitmap;
    }

    static int CountColour(TBitmap* bitmap, TColor colour) {
        int count = 0;
        for (int y = 0; y < bitmap->Height(); ++y)
            for (int x = 0; x < bitmap->Width(); ++x)
                count += At(bitmap, x, y) == ColorToRGB(colour);
        return count;
    }

    // The columns and rows between the first and last pixel of `colour`, as a rectangle.
    static TRect InkBounds(TBitmap* bitmap, TColor colour) {
        TRect r{bitmap->Width(), bitmap->Height(), -1, -1};
        for (int y = 0; y < bitmap->Height(); ++y)
            for (int x = 0; x < bitmap->Width(); ++x)
                if (At(bitmap, x, y) == ColorToRGB(colour)) {
                    r.left = std::min(r.left, x);
                    r.top = std::min(r.top, y);
                    r.right = std::max(r.right, x + 1);
                    r.bottom = std::max(r.bottom, y + 1);
                }
        return r;
    }
};

// ---------------------------------------------------------------------------------------------
// Text rectangles

struct FrameCase {
    TZylFrameStyle style;
    Byte width;
    TRect label, dbLabel, fileLabel;  // on a 100 x 40 client
};

const FrameCase kFrameCases[] = {
    {frameRaised, 1, {1, 2, 98, 38}, {2, 2, 98, 38}, {1, 1, 99, 39}},
    {frameRaised, 2, {2, 4, 96, 36}, {4, 4, 96, 36}, {2, 2, 98, 38}},
    {frameFramedUp, 1, {2, 3, 96, 37}, {4, 4, 96, 36}, {2, 2, 98, 38}},
    {frameFramedUp, 2, {4, 6, 92, 34}, {8, 8, 92, 32}, {4, 4, 96, 36}},
    {frameNone, 2, {0, 2, 100, 38}, {0, 0, 100, 40}, {0, 0, 100, 40}},
    {frameLowered, 1, {1, 2, 98, 38}, {2, 2, 98, 38}, {1, 1, 99, 39}},
};

template <typename L>
TRect RecordedRect(const FrameCase& c) {
    Recording<L> label(nullptr);
    label.SetBounds(0, 0, 100, 40);
    label.Frame()->SetFrameStyle(c.style);
    label.Frame()->SetFrameWidth(c.width);
    if constexpr (std::is_same_v<L, TZylFileLabel3D>)
        label.SetFilename("a.txt");
    else
        label.SetCaption("Text");
    TBitmap bitmap;
    bitmap.SetSize(100, 40);
    label.PaintTo(bitmap.Canvas(), 0, 0);
    EXPECT_EQ(label.calls.size(), 1u);
    return label.calls.empty() ? TRect{} : label.calls.front().rect;
}

TEST_F(LabelTest, EachKindLaysItsTextOutInsideTheFrameByItsOwnRule) {
    for (const FrameCase& c : kFrameCases) {
        const std::string name = std::string(EnumName(c.style)) + " " + std::to_string(c.width);
        EXPECT_EQ(Show(RecordedRect<TZylLabel>(c)), Show(c.label)) << name;
        EXPECT_EQ(Show(RecordedRect<TZylDBLabel>(c)), Show(c.dbLabel)) << name;
        EXPECT_EQ(Show(RecordedRect<TZylFileLabel3D>(c)), Show(c.fileLabel)) << name;
    }
}

TEST_F(LabelTest, FlagsFollowAlignmentAndWordWrapButTheDataLabelAlwaysWraps) {
    using namespace win32;
    const std::tuple<TAlignment, bool, UINT, UINT> cases[] = {
        {TAlignment::taLeftJustify, false, DT_LEFT | DT_EXPANDTABS, DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK},
        {TAlignment::taRightJustify, false, DT_RIGHT | DT_EXPANDTABS,
         DT_RIGHT | DT_EXPANDTABS | DT_WORDBREAK},
        {TAlignment::taCenter, true, DT_CENTER | DT_EXPANDTABS | DT_WORDBREAK,
         DT_CENTER | DT_EXPANDTABS | DT_WORDBREAK},
    };
    for (auto [alignment, wrap, labelFlags, dbFlags] : cases) {
        Recording<TZylLabel> label(nullptr);
        Recording<TZylDBLabel> dbLabel(nullptr);
        Recording<TZylFileLabel3D> fileLabel(nullptr);
        TBitmap bitmap;
        bitmap.SetSize(80, 20);
        for (TCustomLabel* l : std::initializer_list<TCustomLabel*>{&label, &dbLabel, &fileLabel}) {
            l->SetAlignment(alignment);
            l->SetWordWrap(wrap);
            l->PaintTo(bitmap.Canvas(), 0, 0);
        }
        ASSERT_EQ(label.calls.size(), 1u);
        ASSERT_EQ(dbLabel.calls.size(), 1u);
        ASSERT_EQ(fileLabel.calls.size(), 1u);
        EXPECT_EQ(label.calls[0].flags, labelFlags);
        EXPECT_EQ(dbLabel.calls[0].flags, dbFlags);
        EXPECT_EQ(fileLabel.calls[0].flags, labelFlags);
        // No flag ever turns prefix processing off.
        EXPECT_FALSE(dbLabel.calls[0].flags & DT_NOPREFIX);
    }
}

TEST_F(LabelTest, RaisedFrameOfWidthTwoIsDrawnOverTextInsetTwoFourFourFour) {
    TZylLabel label(nullptr);
    label.SetBounds(0, 0, 90, 36);
    label.SetCaption("Wg");
    label.SetColor(clYellow);
    label.Font()->SetColor(clNavy);
    label.Frame()->SetFrameStyle(frameRaised);
    label.Frame()->SetFrameWidth(2);
    // A wide relief reaches into the frame's rings, so the order of the two shows.
    label.Font3D()->SetStyle3D(fontRaised);
    label.Font3D()->SetOffset(4);
    label.Font3D()->SetHighlight(clRed);
    auto got = Painted(&label);

    // Colour first, then the text at the inset rectangle, then the frame over both.
    auto reference = [&](Integer dx) {
        auto want = Surface(90, 36, clYellow);
        label.Font3D()->Write(label.Font(), want->Canvas()->Handle(), Rect(2 + dx, 4, 86 + dx, 32), "Wg",
                              win32::DT_LEFT | win32::DT_EXPANDTABS, true);
        TRect client = Rect(0, 0, 90, 36);
        label.Frame()->Draw(want->Canvas()->Handle(), client);
        return want;
    };
    EXPECT_EQ(Differences(got.get(), reference(0).get()), "");
    EXPECT_EQ(At(got.get(), 1, 12), ColorToRGB(clBtnHighlight));
    // The comparison sees a text one pixel off.
    EXPECT_NE(Differences(got.get(), reference(1).get()), "");
}

// ---------------------------------------------------------------------------------------------
// Background and transparency

TEST_F(LabelTest, OpaqueLabelsFillWithColourAndTheBackgroundInTheirOwnOrder) {
    TRecordingBackground background(nullptr);
    TZylLabel label(nullptr);
    TZylFileLabel3D fileLabel(nullptr);
    for (TZylCustomLabel* l : std::initializer_list<TZylCustomLabel*>{&label, &fileLabel}) {
        l->SetBounds(0, 0, 40, 20);
        l->SetColor(clRed);
        l->SetBackground(&background);
    }
    auto plain = Painted(&label);
    // The background paints over the colour.
    EXPECT_EQ(At(plain.get(), 1, 1), ColorToRGB(clOlive));
    EXPECT_EQ(At(plain.get(), 39, 19), ColorToRGB(clRed));
    // The file label leaves the colour out when a background is linked ...
    auto file = Painted(&fileLabel);
    EXPECT_EQ(At(file.get(), 1, 1), ColorToRGB(clOlive));
    EXPECT_EQ(At(file.get(), 39, 19), kGround);
    // ... and fills with it when none is.
    fileLabel.SetBackground(nullptr);
    auto unlinked = Painted(&fileLabel);
    EXPECT_EQ(At(unlinked.get(), 39, 19), ColorToRGB(clRed));
    EXPECT_EQ(CountColour(unlinked.get(), clOlive), 0);
    std::vector<std::string> draws;
    for (const std::string& entry : background.log)
        if (entry.starts_with("draw")) draws.push_back(entry);
    EXPECT_EQ(draws, (std::vector<std::string>{"draw 40x20", "draw 40x20"}));
}

TEST_F(LabelTest, TransparentLabelsPaintOnlyFrameAndText) {
    TRecordingBackground background(nullptr);
    TZylLabel label(nullptr);
    TZylDBLabel dbLabel(nullptr);
    TZylFileLabel3D fileLabel(nullptr);
    label.SetCaption("Mm");
    fileLabel.SetFilename("Mm");
    for (TZylCustomLabel* l : std::initializer_list<TZylCustomLabel*>{&label, &dbLabel, &fileLabel}) {
        l->SetBounds(0, 0, 60, 30);
        l->SetColor(clRed);
        l->SetBackground(&background);
        l->SetTransparent(true);
        l->Frame()->SetFrameStyle(frameSolid);
        l->Frame()->SetSolid(clBlue);
        l->Font()->SetColor(clLime);
        l->Font3D()->SetThreeDimensional(false);
    }
    dbLabel.SetName("Shown");
    dbLabel.SetDesigning(true);  // shows its name for want of a field
    for (TZylCustomLabel* l : std::initializer_list<TZylCustomLabel*>{&label, &dbLabel, &fileLabel}) {
        auto got = Painted(l);
        EXPECT_EQ(CountColour(got.get(), clRed), 0) << l->ClassName();
        EXPECT_EQ(CountColour(got.get(), clOlive), 0) << l->ClassName();
        EXPECT_GT(CountColour(got.get(), clLime), 0) << l->ClassName();
        EXPECT_EQ(At(got.get(), 0, 0), ColorToRGB(clBlue)) << l->ClassName();
        EXPECT_EQ(At(got.get(), 59, 29), ColorToRGB(clBlue)) << l->ClassName();
        EXPECT_EQ(At(got.get(), 58, 28), kGround) << l->ClassName();
    }
    for (const std::string& entry : background.log)
        EXPECT_FALSE(entry.starts_with("draw")) << entry;
}

TEST_F(LabelTest, AmpersandMarksTheAcceleratorWhateverShowAccelCharSays) {
    auto paint = [&](const std::string& caption, bool showAccel) {
        TZylLabel label(nullptr);
        label.SetBounds(0, 0, 80, 30);
        label.SetCaption(caption);
        label.SetShowAccelChar(showAccel);
        label.Font3D()->SetThreeDimensional(false);
        label.Font()->SetColor(clBlack);
        label.SetColor(clWhite);
        return Painted(&label);
    };
    auto hidden = paint("&Ab", false);
    auto shown = paint("&Ab", true);
    auto plain = paint("Ab", false);
    EXPECT_EQ(Differences(hidden.get(), shown.get()), "");
    // No ampersand glyph: the ink spans the columns of "Ab", and the underline adds to it.
    const TRect withPrefix = InkBounds(hidden.get(), clBlack), without = InkBounds(plain.get(), clBlack);
    EXPECT_LE(withPrefix.right - withPrefix.left, without.right - without.left + 2);
    EXPECT_GT(CountColour(hidden.get(), clBlack), CountColour(plain.get(), clBlack));

    // The data-aware label turns ShowAccelChar off, yet its text is processed the same way.
    TZylDBLabel dbLabel(nullptr);
    EXPECT_FALSE(dbLabel.ShowAccelChar());
    Recording<TZylDBLabel> recorded(nullptr);
    recorded.SetName("R");
    recorded.SetDesigning(true);
    TBitmap bitmap;
    bitmap.SetSize(40, 20);
    recorded.PaintTo(bitmap.Canvas(), 0, 0);
    ASSERT_FALSE(recorded.calls.empty());
    EXPECT_FALSE(recorded.calls[0].flags & win32::DT_NOPREFIX);
}

TEST_F(LabelTest, DisabledTextIsEngravedExceptThroughAFontBackground) {
    TZylBackground fill(nullptr);
    fill.SetBackgroundStyle(bSolidcolor);
    fill.SetSolidColor(clFuchsia);
    auto paint = [&](bool enabled, TZylBackground* letters) {
        TZylLabel label(nullptr);
        label.SetBounds(0, 0, 80, 30);
        label.SetCaption("Hm");
        label.SetEnabled(enabled);
        label.SetFontBackground(letters);
        auto image = Painted(&label);
        label.SetFontBackground(nullptr);
        return image;
    };
    EXPECT_NE(Differences(paint(false, nullptr).get(), paint(true, nullptr).get()), "");
    auto filled = paint(true, &fill);
    EXPECT_NE(Differences(filled.get(), paint(true, nullptr).get()), "");
    EXPECT_EQ(Differences(paint(false, &fill).get(), filled.get()), "");
}

// ---------------------------------------------------------------------------------------------
// Links and sub-objects

TEST_F(LabelTest, BackgroundLinksMoveTheClientEntryAndSurviveSharing) {
    TComponentPtr<TForm> owner(new TForm(nullptr, 0));
    auto* first = new TRecordingBackground(owner.get());
    auto* second = new TRecordingBackground(owner.get());
    auto* label = new TZylLabel(owner.get());
    label->SetName("L");
    label->SetBackground(first);
    label->SetBackground(second);
    label->SetBackground(second);  // no change, no calls
    EXPECT_EQ(first->log, (std::vector<std::string>{"add L", "remove L"}));
    EXPECT_EQ(second->log, (std::vector<std::string>{"add L"}));
    // Both links on one background: one entry each, and dropping one keeps the other working.
    label->SetFontBackground(second);
    label->SetBackground(nullptr);
    EXPECT_EQ(second->Clients(), (std::vector<TControl*>{label}));
    second->Free();
    EXPECT_EQ(label->FontBackground(), nullptr);
    // Freeing the label unlinks it from both of its backgrounds.
    label->SetBackground(first);
    label->SetFontBackground(first);
    EXPECT_EQ(first->Clients(), (std::vector<TControl*>{label, label}));
    label->Free();
    EXPECT_TRUE(first->Clients().empty());
    EXPECT_EQ(first->log,
              (std::vector<std::string>{"add L", "remove L", "add L", "add L", "remove L", "remove L"}));
}

TEST_F(LabelTest, AFreedBackgroundIsDroppedWithoutBeingCalled) {
    TComponentPtr<TForm> owner(new TForm(nullptr, 0));
    auto* background = new TRecordingBackground(owner.get());
    auto* letters = new TRecordingBackground(owner.get());
    auto* label = new TZylFileLabel3D(owner.get());
    label->SetName("F");
    label->SetBounds(0, 0, 50, 20);
    label->SetFilename("x");
    label->SetBackground(background);
    label->SetFontBackground(letters);
    std::vector<std::string> journal;
    background->journal = &journal;
    letters->journal = &journal;
    background->Free();
    EXPECT_EQ(label->Background(), nullptr);
    EXPECT_EQ(label->FontBackground(), letters);
    letters->Free();
    EXPECT_EQ(label->FontBackground(), nullptr);
    EXPECT_EQ(journal, std::vector<std::string>{});
    // Still paints, now with its colour.
    label->SetColor(clRed);
    EXPECT_EQ(At(Painted(label).get(), 49, 19), ColorToRGB(clRed));
}

TEST_F(LabelTest, Font3DAndFrameSettersCopyTheirValues) {
    TComponentPtr<TZylLabel> label(new TZylLabel(nullptr));
    TZylFont3D font3D;
    font3D.SetStyle3D(fontRaised);
    font3D.SetOffset(3);
    TZylFrame frame;
    frame.SetFrameStyle(framePanelDown);
    frame.SetFrameWidth(3);
    label->SetFont3D(&font3D);
    label->SetFrame(&frame);
    EXPECT_NE(label->Font3D(), &font3D);
    EXPECT_EQ(label->Font3D()->Style3D(), fontRaised);
    EXPECT_EQ(label->Font3D()->Offset(), 3);
    EXPECT_EQ(label->Frame()->FrameStyle(), framePanelDown);
    EXPECT_EQ(label->Frame()->FrameWidth(), 3);
    // Copies, not shares.
    frame.SetFrameWidth(1);
    font3D.SetStyle3D(fontInset);
    EXPECT_EQ(label->Frame()->FrameWidth(), 3);
    EXPECT_EQ(label->Font3D()->Style3D(), fontRaised);
    label->SetFrame(nullptr);
    EXPECT_EQ(label->Frame()->FrameStyle(), framePanelDown);
}

TEST_F(LabelTest, ConstructionGivesTheDocumentedLook) {
    TZylLabel label(nullptr);
    TZylDBLabel dbLabel(nullptr);
    TZylFileLabel3D fileLabel(nullptr);
    TFont standard;
    const std::tuple<TZylCustomLabel*, Integer, bool> cases[] = {
        {&label, 12, true}, {&dbLabel, 12, false}, {&fileLabel, standard.Size(), true}};
    for (auto [l, size, accel] : cases) {
        EXPECT_EQ(l->Font()->Size(), size) << l->ClassName();
        EXPECT_EQ(l->Font()->Style(), TFontStyles{fsBold}) << l->ClassName();
        EXPECT_FALSE(l->AutoSize()) << l->ClassName();
        EXPECT_TRUE(l->ControlStyle().Contains(csReplicatable)) << l->ClassName();
        EXPECT_EQ(l->Frame()->FrameStyle(), frameNone) << l->ClassName();
        EXPECT_EQ(l->ShowAccelChar(), accel) << l->ClassName();
        EXPECT_FALSE(l->Transparent()) << l->ClassName();
        EXPECT_EQ(l->Color(), clWindow) << l->ClassName();
    }
    // Drag properties are absent from the framework; the rest of the table is there.
    EXPECT_NE(TZylFileLabel3D::StaticClass()->FindProperty("Separator"), nullptr);
    EXPECT_EQ(TZylFileLabel3D::StaticClass()->FindProperty("Caption"), nullptr);
    EXPECT_NE(TZylDBLabel::StaticClass()->FindProperty("Caption"), nullptr);
    EXPECT_EQ(TZylDBLabel::StaticClass()->FindProperty("ParentFont"), nullptr);
    EXPECT_EQ(TZylLabel::StaticClass()->FindProperty("AutoSize"), nullptr);
}

// ---------------------------------------------------------------------------------------------
// Streaming

TEST_F(LabelTest, FormTextKeepsTheLabelsLookAndLinks) {
    RegisterClasses({TZylBackground::StaticClass()});
    TComponentPtr<TForm> form(new TForm(nullptr, 0));
    form->SetName("Sample");
    auto* background = new TZylBackground(form.get());
    background->SetName("Back");
    auto* label = new TZylLabel(form.get());
    label->SetName("Title");
    label->SetParent(form.get());
    label->SetCaption("Hello");
    label->Frame()->SetFrameStyle(frameRaised);
    label->Font3D()->SetStyle3D(fontInset);
    label->SetBackground(background);
    label->SetFontBackground(background);
    auto* file = new TZylFileLabel3D(form.get());
    file->SetName("Path");
    file->SetParent(form.get());
    file->SetBounds(0, 40, 60, 20);
    file->SetSeparator('/');
    file->SetFilename("/usr/share/doc/zyl/readme.txt");

    const std::string text = ComponentToText(form.get());
    EXPECT_NE(text.find("Frame.FrameStyle = frameRaised"), std::string::npos) << text;
    EXPECT_NE(text.find("Font3D.Style3D = fontInset"), std::string::npos) << text;

    TComponentPtr<TForm> copy(new TForm(nullptr, 0));
    ReadComponentText(text, copy.get());
    auto* title = dynamic_cast<TZylLabel*>(copy->FindComponent("Title"));
    auto* path = dynamic_cast<TZylFileLabel3D*>(copy->FindComponent("Path"));
    auto* back = dynamic_cast<TZylBackground*>(copy->FindComponent("Back"));
    ASSERT_TRUE(title && path && back);
    EXPECT_EQ(title->Caption(), "Hello");
    EXPECT_EQ(title->Frame()->FrameStyle(), frameRaised);
    EXPECT_EQ(title->Font3D()->Style3D(), fontInset);
    EXPECT_EQ(title->Background(), back);
    EXPECT_EQ(title->FontBackground(), back);
    EXPECT_EQ(back->Clients(), (std::vector<TControl*>{title, title}));
    EXPECT_EQ(path->Filename(), "/usr/share/doc/zyl/readme.txt");
    EXPECT_EQ(path->Separator(), '/');
    EXPECT_EQ(path->Caption(), file->Caption());
    EXPECT_NE(path->Caption(), path->Filename());
}

// ---------------------------------------------------------------------------------------------
// Caption editor

class CaptionEditorTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        host = std::make_unique<TDesignerHost>();
        host->NewForm(TForm::StaticClass());
        label = static_cast<TZylLabel*>(host->DropComponent("TZylLabel"));
        plain = static_cast<TZylLabel*>(host->DropComponent("TZylLabel"));
        label->SetCaption("Old text");
        plain->SetCaption("Other");
    }
    void TearDown() override {
        host.reset();
        UiFixture::TearDown();
    }

    TPropertyEditorPtr Editor() {
        const TPropInfo* info = TZylLabel::StaticClass()->FindProperty("Caption");
        return CreatePropertyEditor(TZylCaptionProperty::StaticClass(), host.get(), {label, plain}, info);
    }

    std::unique_ptr<TDesignerHost> host;
    TZylLabel* label = nullptr;
    TZylLabel* plain = nullptr;
};

TEST_F(CaptionEditorTest, OffersADialogForSeveralControlsAndFollowsTyping) {
    auto editor = Editor();
    EXPECT_EQ(editor->GetAttributes(), (TPropertyAttributes{paDialog, paMultiSelect, paAutoUpdate}));
    EXPECT_EQ(editor->GetValue(), "Old text");
    editor->SetValue("Typed");
    EXPECT_EQ(label->Caption(), "Typed");
    EXPECT_EQ(plain->Caption(), "Typed");
}

TEST_F(CaptionEditorTest, OkPutsTheEditedTextIntoEverySelectedControl) {
    std::string shownCaption, shownText, selected, okCaption, cancelCaption;
    host->AnswerModal("CaptionEditor", [&](TCustomForm& dialog) {
        shownCaption = dialog.Caption();
        auto* edit = dynamic_cast<TEdit*>(dialog.FindComponent("Edit"));
        auto* ok = dynamic_cast<TButton*>(dialog.FindComponent("OkButton"));
        auto* cancel = dynamic_cast<TButton*>(dialog.FindComponent("CancelButton"));
        ASSERT_TRUE(edit && ok && cancel);
        shownText = edit->Text();
        selected = edit->SelText();
        okCaption = ok->Caption();
        cancelCaption = cancel->Caption();
        EXPECT_EQ(ok->ModalResult(), mrOk);
        EXPECT_EQ(cancel->ModalResult(), mrCancel);
        edit->SetText("New && improved");
        ok->Click();
    });
    const int modified = host->ModifiedCount();
    Editor()->Edit();
    EXPECT_EQ(host->PendingAnswers(), 0u);
    EXPECT_EQ(shownCaption, "Caption Editor");
    EXPECT_EQ(shownText, "Old text");
    EXPECT_EQ(selected, "Old text");
    EXPECT_EQ(okCaption, "Ok");
    EXPECT_EQ(cancelCaption, "Cancel");
    EXPECT_EQ(label->Caption(), "New && improved");
    EXPECT_EQ(plain->Caption(), "New && improved");
    EXPECT_EQ(host->ModifiedCount(), modified + 1);
}

TEST_F(CaptionEditorTest, CancelLeavesEveryCaptionAlone) {
    host->AnswerModal("CaptionEditor", [](TCustomForm& dialog) {
        auto* edit = dynamic_cast<TEdit*>(dialog.FindComponent("Edit"));
        ASSERT_NE(edit, nullptr);
        edit->SetText("Discarded");
        dialog.SetModalResult(mrCancel);
    });
    const int modified = host->ModifiedCount();
    Editor()->Edit();
    EXPECT_EQ(label->Caption(), "Old text");
    EXPECT_EQ(plain->Caption(), "Other");
    EXPECT_EQ(host->ModifiedCount(), modified);
}

}  // namespace
