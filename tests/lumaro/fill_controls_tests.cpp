#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lumaro/zylbackgrounds.h"
#include "lumaro/zyleditors.h"
#include "painting.h"
#include "support/ui_fixture.h"
#include "vcl/designhost.h"
#include "vcl/forms.h"
#include "vcl/stdctrls.h"
#include "vcl/streaming.h"

namespace {

using namespace vcl;
using namespace lumaro;
using lumarotest::kGround;

// A fill control that writes down each repaint request.
class TLoggedFill : public TZylFillBackground {
    VCL_CLASS(TLoggedFill, TZylFillBackground)
public:
    explicit TLoggedFill(TComponent* owner) : TZylFillBackground(owner) {}
    void Invalidate() override {
        if (log) log->push_back(Name());
        TZylFillBackground::Invalidate();
    }
    std::vector<std::string>* log = nullptr;
};

// A fill control that checks, when told of its background's removal, that the background is still
// whole enough to be asked about its clients.
class TWatchingFill : public TZylFillBackground {
    VCL_CLASS(TWatchingFill, TZylFillBackground)
public:
    explicit TWatchingFill(TComponent* owner) : TZylFillBackground(owner) {}
    bool toldWhole = false;

protected:
    void Notification(TComponent* component, TOperation operation) override {
        if (operation == TOperation::opRemove && component && component == Background()) {
            auto* whole = dynamic_cast<TZylBackground*>(component);
            toldWhole = whole && std::find(whole->Clients().begin(), whole->Clients().end(), this) !=
                                     whole->Clients().end();
        }
        TZylFillBackground::Notification(component, operation);
    }
};

class FillControlTest : public lumarotest::PaintingTest {
protected:
    void SetUp() override {
        PaintingTest::SetUp();
        RegisterClasses(
            {TZylBackground::StaticClass(), TZylFillBackground::StaticClass(), TLoggedFill::StaticClass()});
        owner.reset(new TComponent(nullptr));
        owner->SetName("Form1");
        background = new TZylBackground(owner.get());
        background->SetName("Back1");
        background->OnChanged = [this](TObject* sender) {
            log.push_back(sender == background ? "OnChanged" : "OnChanged from elsewhere");
        };
    }
    void TearDown() override {
        owner.reset();
        PaintingTest::TearDown();
    }

    TLoggedFill* Fill(const std::string& name) {
        auto* fill = new TLoggedFill(owner.get());
        fill->SetName(name);
        fill->log = &log;
        return fill;
    }

    static std::unique_ptr<TBitmap> Painted(TControl* control) {
        auto surface = Surface(control->Width(), control->Height());
        control->PaintTo(surface->Canvas(), 0, 0);
        return surface;
    }

    TComponentPtr<TComponent> owner;
    TZylBackground* background = nullptr;
    std::vector<std::string> log;
};

// ---------------------------------------------------------------------------------------------
// Linked controls and changes

TEST_F(FillControlTest, EveryChangeRepaintsTheClientsInLinkOrderThenSignalsOnce) {
    TLoggedFill* a = Fill("A");
    TLoggedFill* b = Fill("B");
    TLoggedFill* c = Fill("C");
    for (TLoggedFill* fill : {b, c, a})
        fill->SetBackground(background);
    // Linking again keeps the place.
    b->SetBackground(background);
    EXPECT_EQ(background->Clients(), (std::vector<TControl*>{b, c, a}));

    TZylTexture texture;
    TZylGradient gradient;
    TZylBrushFill brushFill;
    TStringList lines;
    lines.Add("clRed");
    lines.Add("clBlue");
    TBitmap image;
    image.SetSize(4, 4);
    struct Change {
        const char* what;
        std::function<void()> make;
    };
    const Change changes[] = {
        {"SolidColor", [&] { background->SetSolidColor(clRed); }},
        {"SolidColor unchanged", [&] { background->SetSolidColor(clRed); }},
        {"BackgroundStyle", [&] { background->SetBackgroundStyle(bTexture); }},
        {"Texture", [&] { background->SetTexture(&texture); }},
        {"Gradient", [&] { background->SetGradient(&gradient); }},
        {"BrushFill", [&] { background->SetBrushFill(&brushFill); }},
        {"Gradient.BeginColor", [&] { background->Gradient()->SetBeginColor(clLime); }},
        {"Gradient.EndColor", [&] { background->Gradient()->SetEndColor(clLime); }},
        {"Gradient.FillStyle", [&] { background->Gradient()->SetFillStyle(TZylFillStyle::Circle); }},
        {"Gradient.ColorCount", [&] { background->Gradient()->SetColorCount(12); }},
        {"Gradient.ColorCount refused", [&] { background->Gradient()->SetColorCount(300); }},
        {"Gradient.ColorsInBetween", [&] { background->Gradient()->SetColorsInBetween(&lines); }},
        {"Gradient.ColorsInBetween line", [&] { background->Gradient()->ColorsInBetween()->Add("clAqua"); }},
        {"Texture.Image", [&] { background->Texture()->SetImage(&image); }},
        {"Texture.Image drawn on", [&] { background->Texture()->Image()->Canvas()->SetPixels(1, 1, clRed); }},
        {"Texture.ImageStyle", [&] { background->Texture()->SetImageStyle(isCenter); }},
        {"Texture.TransparentColor", [&] { background->Texture()->SetTransparentColor(clRed); }},
        {"Texture.TransparentBackground", [&] { background->Texture()->SetTransparentBackground(clRed); }},
        {"BrushFill.BrushStyle", [&] { background->BrushFill()->SetBrushStyle(bsCross); }},
        {"BrushFill.BrushColor", [&] { background->BrushFill()->SetBrushColor(clRed); }},
    };
    for (const Change& change : changes) {
        log.clear();
        change.make();
        EXPECT_EQ(log, (std::vector<std::string>{"B", "C", "A", "OnChanged"})) << change.what;
    }
    c->SetBackground(nullptr);
    log.clear();
    background->SetSolidColor(clBlue);
    EXPECT_EQ(log, (std::vector<std::string>{"B", "A", "OnChanged"}));
}

TEST_F(FillControlTest, AControlLinkedTwiceIsRepaintedOnceAndStaysForItsOtherLink) {
    TLoggedFill* a = Fill("A");
    background->AddItem(a);
    background->AddItem(a);
    log.clear();
    background->SetSolidColor(clRed);
    EXPECT_EQ(log, (std::vector<std::string>{"A", "OnChanged"}));
    background->RemoveItem(a);
    EXPECT_EQ(background->Clients(), std::vector<TControl*>{a});
    background->RemoveItem(a);
    background->RemoveItem(a);
    EXPECT_TRUE(background->Clients().empty());
}

// Three clients of two kinds: the package's windowed base and the fill control.
struct Clients {
    TZylCustomControl* windowed;
    TZylFillBackground* first;
    TWatchingFill* second;
};

TEST_F(FillControlTest, DestroyedBackgroundLeavesItsClientsUnlinked) {
    // Free() tells the clients while the background is whole; a plain delete must be as safe.
    for (bool plainDelete : {false, true}) {
        background = new TZylBackground(owner.get());
        background->SetBackgroundStyle(bSolidcolor);
        background->SetSolidColor(clRed);
        Clients clients{new TZylCustomControl(owner.get()), new TZylFillBackground(owner.get()),
                        new TWatchingFill(owner.get())};
        clients.windowed->SetBounds(0, 0, 8, 8);
        clients.windowed->SetBackground(background);
        clients.first->SetBackground(background);
        clients.second->SetBackground(background);
        EXPECT_EQ(At(Painted(clients.first).get(), 4, 4), ColorToRGB(clRed));
        if (plainDelete)
            delete background;
        else
            background->Free();
        EXPECT_EQ(clients.windowed->Background(), nullptr) << plainDelete;
        EXPECT_EQ(clients.first->Background(), nullptr) << plainDelete;
        EXPECT_EQ(clients.second->Background(), nullptr) << plainDelete;
        EXPECT_TRUE(clients.second->toldWhole) << plainDelete;
        // Their plain looks: the button face, and nothing at all.
        EXPECT_EQ(At(Painted(clients.windowed).get(), 4, 4), ColorToRGB(clBtnFace)) << plainDelete;
        EXPECT_EQ(At(Painted(clients.first).get(), 4, 4), ColorToRGB(kGround)) << plainDelete;
        // Linking elsewhere afterwards touches nothing of the old background.
        TComponentPtr<TZylBackground> other(new TZylBackground(nullptr));
        clients.second->SetBackground(other.get());
        clients.second->SetBackground(nullptr);
        clients.windowed->Free();
        clients.first->Free();
        clients.second->Free();
    }
}

TEST_F(FillControlTest, BackgroundLeavingItsOwnerIsForgottenOnBothSides) {
    TLoggedFill* a = Fill("A");
    a->SetBackground(background);
    TComponentPtr<TZylBackground> kept(background);
    owner->RemoveComponent(background);
    EXPECT_EQ(a->Background(), nullptr);
    EXPECT_TRUE(background->Clients().empty());
    a->Free();
    log.clear();
    background->SetSolidColor(clRed);
    EXPECT_EQ(log, std::vector<std::string>{"OnChanged"});
}

TEST_F(FillControlTest, FreedClientLeavesTheList) {
    TLoggedFill* a = Fill("A");
    TLoggedFill* b = Fill("B");
    a->SetBackground(background);
    b->SetBackground(background);
    a->Free();
    EXPECT_EQ(background->Clients(), std::vector<TControl*>{b});
    delete b;
    EXPECT_TRUE(background->Clients().empty());
}

// ---------------------------------------------------------------------------------------------
// TZylFillBackground

TEST_F(FillControlTest, FillPaintsItsBackgroundOrNothing) {
    TComponentPtr<TZylFillBackground> fill(new TZylFillBackground(nullptr));
    EXPECT_EQ(fill->Width(), 150);
    EXPECT_EQ(fill->Height(), 150);
    fill->SetBounds(0, 0, 12, 7);
    auto bare = Painted(fill.get());
    EXPECT_EQ(Differences(bare.get(), Surface(12, 7).get()), "");

    background->SetBackgroundStyle(bBrushFillSolidColor);
    background->BrushFill()->SetBrushStyle(bsSolid);
    background->BrushFill()->SetBrushColor(clTeal);
    fill->SetBackground(background);
    auto painted = Painted(fill.get());
    EXPECT_EQ(At(painted.get(), 0, 0), ColorToRGB(clTeal));
    EXPECT_EQ(At(painted.get(), 11, 6), ColorToRGB(clTeal));

    fill->SetAutoSize(true);
    EXPECT_TRUE(fill->AutoSize());
    EXPECT_EQ(fill->Width(), 12);
    fill->SetBackground(nullptr);
}

TEST_F(FillControlTest, FormTextKeepsTheLinkAndTheFill) {
    TComponentPtr<TForm> form(new TForm(nullptr, 0));
    form->SetName("Form2");
    background = new TZylBackground(form.get());
    background->SetName("Back1");
    background->SetBackgroundStyle(bTexture);
    background->Texture()->SetImageStyle(isCenter);
    background->Gradient()->ColorsInBetween()->Add("clRed");
    auto* fill = new TZylFillBackground(form.get());
    fill->SetName("Fill1");
    fill->SetParent(form.get());
    fill->SetBackground(background);
    fill->SetAutoSize(true);
    const std::string text = ComponentToText(form.get());
    EXPECT_NE(text.find("Background = Back1"), std::string::npos) << text;
    EXPECT_NE(text.find("BackgroundStyle = bTexture"), std::string::npos) << text;
    EXPECT_NE(text.find("Texture.ImageStyle = isCenter"), std::string::npos) << text;

    TComponentPtr<TForm> copy(new TForm(nullptr, 0));
    ReadComponentText(text, copy.get());
    auto* readBack = dynamic_cast<TZylBackground*>(copy->FindComponent("Back1"));
    auto* readFill = dynamic_cast<TZylFillBackground*>(copy->FindComponent("Fill1"));
    ASSERT_NE(readBack, nullptr);
    ASSERT_NE(readFill, nullptr);
    EXPECT_EQ(readFill->Background(), readBack);
    EXPECT_EQ(readBack->Clients(), std::vector<TControl*>{readFill});
    EXPECT_EQ(readBack->BackgroundStyle(), bTexture);
    EXPECT_EQ(readBack->Texture()->ImageStyle(), isCenter);
    EXPECT_EQ(readBack->Gradient()->ColorsInBetween()->Text(), "clRed\r\n");
    EXPECT_TRUE(readFill->AutoSize());
}

// ---------------------------------------------------------------------------------------------
// TZylScreenCanvas

class ScreenCanvasTest : public zyltest::UiFixture {
protected:
    static bool NeedsPaint(TForm* form) {
        win32::RECT r{};
        return win32::GetUpdateRect(form->Handle(), &r, win32::FALSE) != 0;
    }
};

TEST_F(ScreenCanvasTest, EndPaintRestoresTheScreenOnlyAfterPainting) {
    TForm* form = ShowForm();
    TComponentPtr<TZylScreenCanvas> screen(new TZylScreenCanvas(nullptr));
    screen->SetAutoRestore(true);
    EXPECT_FALSE(screen->Active());
    screen->EndPaint();
    EXPECT_FALSE(NeedsPaint(form));

    TCanvas* canvas = screen->Canvas();
    ASSERT_NE(canvas, nullptr);
    EXPECT_TRUE(screen->Active());
    EXPECT_EQ(screen->Canvas(), canvas);
    canvas->Brush()->SetColor(clRed);
    canvas->FillRect(Rect(0, 0, 3, 3));
    EXPECT_EQ(ColorToRGB(canvas->Pixels(1, 1)), ColorToRGB(clRed));
    screen->EndPaint();
    EXPECT_FALSE(screen->Active());
    EXPECT_TRUE(NeedsPaint(form));
    PumpUntilIdle();

    screen->SetAutoRestore(false);
    screen->BeginPaint();
    screen->EndPaint();
    EXPECT_FALSE(NeedsPaint(form));
    screen->RestoreScreen();
    EXPECT_TRUE(NeedsPaint(form));
    EXPECT_EQ(screen->Width(), Screen->Width());
    EXPECT_EQ(screen->Height(), Screen->Height());
    // Freed while painting: the DC goes back with it.
    screen->BeginPaint();
}

// ---------------------------------------------------------------------------------------------
// The colour list editor

class ColorListEditorTest : public zyltest::UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        RegisterClasses({TZylBackground::StaticClass()});
        host = std::make_unique<TDesignerHost>();
        host->NewForm(TForm::StaticClass());
        background = static_cast<TZylBackground*>(host->DropComponent("TZylBackground"));
        gradient = background->Gradient();
        gradient->ColorsInBetween()->Add("clRed");
        gradient->ColorsInBetween()->Add("$00123456");
        gradient->ColorsInBetween()->Add("clLime");
        background->OnChanged = [this](TObject*) { ++changes; };
        const TPropInfo* info = TZylGradient::StaticClass()->FindProperty("ColorsInBetween");
        editor =
            CreatePropertyEditor(TZylColorInBetweenProperty::StaticClass(), host.get(), {gradient}, info);
    }
    void TearDown() override {
        editor.reset();
        host.reset();
        UiFixture::TearDown();
    }

    template <typename T>
    static T* Part(TCustomForm& form, const char* name) {
        auto* part = dynamic_cast<T*>(form.FindComponent(name));
        EXPECT_NE(part, nullptr) << name;
        return part;
    }
    static void Press(TCustomForm& form, const char* button) { Part<TButton>(form, button)->Click(); }

    std::unique_ptr<TDesignerHost> host;
    TZylBackground* background = nullptr;
    TZylGradient* gradient = nullptr;
    TPropertyEditorPtr editor;
    int changes = 0;
};

TEST_F(ColorListEditorTest, ShowsExtraColorsAndOnlyOpensTheDialog) {
    EXPECT_EQ(editor->GetValue(), "(Extra Colors)");
    EXPECT_EQ(editor->GetAttributes(), (TPropertyAttributes{paDialog, paReadOnly}));
}

TEST_F(ColorListEditorTest, DialogEditsTheListAndTheGradientTakesItWhenItCloses) {
    std::vector<std::string> captions;
    std::string before;
    host->AnswerModal("ExtraColorsDlg", [&](TCustomForm& form) {
        captions.push_back(form.Caption());
        for (const char* name : {"AddColor", "DeleteColor", "MoveUp", "MoveDown", "Close"})
            captions.push_back(Part<TButton>(form, name)->Caption());
        auto* list = Part<TListBox>(form, "ColorList");
        before = list->Items()->Text();
        list->SetItemIndex(1);
        Press(form, "MoveUp");  // $00123456, clRed, clLime
        Press(form, "MoveUp");  // nothing above the first line
        list->SetItemIndex(1);
        Press(form, "MoveDown");  // $00123456, clLime, clRed
        Press(form, "MoveDown");  // nothing below the last line
        Press(form, "AddColor");  // answered with OK on the current colour
        Press(form, "AddColor");  // cancelled
        list->SetItemIndex(0);
        Press(form, "DeleteColor");  // clLime, clRed, clBlack
        list->SetItemIndex(-1);
        Press(form, "DeleteColor");
        Press(form, "MoveUp");
        EXPECT_EQ(gradient->ColorsInBetween()->Count(), 3) << "changed before the dialog closed";
        Press(form, "Close");
    });
    host->AnswerModal("ColorDlg", [](TCustomForm& form) { form.SetModalResult(mrOk); });
    host->AnswerModal("ColorDlg", [](TCustomForm& form) { form.SetModalResult(mrCancel); });
    const int modified = host->ModifiedCount();
    editor->Edit();
    EXPECT_EQ(host->PendingAnswers(), 0u);
    EXPECT_EQ(captions, (std::vector<std::string>{"Add more Colors....", "&Add Color", "&Delete Color",
                                                  "Move Color Up", "Move Color Down", "&Close"}));
    EXPECT_EQ(before, "clRed\r\n$00123456\r\nclLime\r\n");
    EXPECT_EQ(gradient->ColorsInBetween()->Text(), "clLime\r\nclRed\r\nclBlack\r\n");
    EXPECT_EQ(changes, 1);
    EXPECT_GT(host->ModifiedCount(), modified);
}

TEST_F(ColorListEditorTest, ClosingWithEscapeStillTakesTheLines) {
    host->AnswerModal("ExtraColorsDlg", [&](TCustomForm& form) {
        auto* list = Part<TListBox>(form, "ColorList");
        list->SetItemIndex(2);
        Press(form, "DeleteColor");
        form.SetModalResult(mrCancel);
    });
    editor->Edit();
    EXPECT_EQ(gradient->ColorsInBetween()->Text(), "clRed\r\n$00123456\r\n");
}

TEST_F(ColorListEditorTest, UnansweredDialogLeavesTheListAlone) {
    host->AnswerModal("SomethingElse", [](TCustomForm&) {});
    EXPECT_THROW(editor->Edit(), Exception);
    EXPECT_EQ(gradient->ColorsInBetween()->Text(), "clRed\r\n$00123456\r\nclLime\r\n");
    EXPECT_EQ(changes, 0);
}

}  // namespace
