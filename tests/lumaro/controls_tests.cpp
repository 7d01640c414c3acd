#include <memory>
#include <vector>

#include "lumaro/zylenhanced.h"
#include "painting.h"
#include "vcl/designeditors.h"
#include "vcl/designintf.h"
#include "vcl/streaming.h"

namespace {

using namespace vcl;
using namespace lumaro;

// A background that records its clients and paints in one colour.
class TTestBackground : public TZylBackgroundLink {
    VCL_CLASS(TTestBackground, TZylBackgroundLink)
public:
    explicit TTestBackground(TComponent* owner) : TZylBackgroundLink(owner) {}
    void AddItem(TControl* control) override { items.push_back(control); }
    void RemoveItem(TControl* control) override { std::erase(items, control); }
    void Draw(win32::HDC dc, Integer width, Integer height, bool wholeArea) override {
        drawn = {width, height};
        whole = wholeArea;
        const win32::HBRUSH brush = win32::CreateSolidBrush(ColorToRGB(clOlive));
        const TRect all = Rect(0, 0, width, height);
        win32::FillRect(dc, &all, brush);
        win32::DeleteObject(brush);
    }
    std::vector<TControl*> items;
    TSize drawn{0, 0};
    bool whole = false;
};

// A control of the package that draws one pixel of its own over the base Paint.
class TMarkedControl : public TZylCustomControl {
    VCL_CLASS(TMarkedControl, TZylCustomControl)
public:
    explicit TMarkedControl(TComponent* owner) : TZylCustomControl(owner) {}
    bool fail = false;

protected:
    void Paint() override {
        TZylCustomControl::Paint();
        if (fail) throw Exception("paint failed");
        Canvas()->SetPixels(0, 0, clRed);
    }
};

class TRunnable : public TZylEnhancedExecComponent {
    VCL_CLASS(TRunnable, TZylEnhancedExecComponent)
public:
    explicit TRunnable(TComponent* owner) : TZylEnhancedExecComponent(owner) {}
    void Execute() override { ++runs; }
    int runs = 0;
};

class ControlTest : public lumarotest::PaintingTest {
protected:
    void SetUp() override {
        PaintingTest::SetUp();
        RegisterClasses({TTestBackground::StaticClass(), TMarkedControl::StaticClass()});
    }

    static std::unique_ptr<TBitmap> Painted(TControl* control) {
        auto surface = Surface(control->Width(), control->Height());
        control->PaintTo(surface->Canvas(), 0, 0);
        return surface;
    }
};

TEST_F(ControlTest, BackgroundLinkRegistersAndUnregistersTheControl) {
    TComponentPtr<TComponent> form(new TComponent(nullptr));
    auto* first = new TTestBackground(form.get());
    auto* second = new TTestBackground(form.get());
    TComponentPtr<TMarkedControl> control(new TMarkedControl(nullptr));
    control->SetBackground(first);
    EXPECT_EQ(control->Background(), first);
    EXPECT_EQ(first->items, std::vector<TControl*>{control.get()});
    control->SetBackground(second);
    EXPECT_TRUE(first->items.empty());
    EXPECT_EQ(second->items, std::vector<TControl*>{control.get()});
    control->SetBackground(nullptr);
    EXPECT_TRUE(second->items.empty());
    EXPECT_EQ(control->Background(), nullptr);
}

TEST_F(ControlTest, FreeingTheBackgroundClearsTheLink) {
    TComponentPtr<TComponent> form(new TComponent(nullptr));
    auto* background = new TTestBackground(form.get());
    TComponentPtr<TMarkedControl> control(new TMarkedControl(nullptr));
    control->SetBounds(0, 0, 10, 8);
    control->SetBackground(background);
    background->Free();
    EXPECT_EQ(control->Background(), nullptr);
    // Painting afterwards uses the plain fill, not the freed background.
    EXPECT_EQ(At(Painted(control.get()).get(), 5, 5), ColorToRGB(clBtnFace));
}

TEST_F(ControlTest, FreeingTheControlLeavesTheBackgroundsListClean) {
    TComponentPtr<TTestBackground> background(new TTestBackground(nullptr));
    auto* control = new TMarkedControl(nullptr);
    control->SetBackground(background.get());
    control->Free();
    EXPECT_TRUE(background->items.empty());
}

TEST_F(ControlTest, PaintFillsWithButtonFaceOrLetsTheBackgroundPaint) {
    TComponentPtr<TMarkedControl> control(new TMarkedControl(nullptr));
    control->SetBounds(0, 0, 12, 9);
    auto plain = Painted(control.get());
    EXPECT_EQ(At(plain.get(), 0, 0), ColorToRGB(clRed));
    EXPECT_EQ(At(plain.get(), 11, 8), ColorToRGB(clBtnFace));
    TComponentPtr<TTestBackground> background(new TTestBackground(nullptr));
    control->SetBackground(background.get());
    auto painted = Painted(control.get());
    EXPECT_EQ(At(painted.get(), 11, 8), ColorToRGB(clOlive));
    EXPECT_EQ(background->drawn.cx, 12);
    EXPECT_EQ(background->drawn.cy, 9);
    EXPECT_TRUE(background->whole);
    control->SetBackground(nullptr);
}

TEST_F(ControlTest, FailingPaintLeavesTheCanvasUnlockedAndDetached) {
    TComponentPtr<TMarkedControl> control(new TMarkedControl(nullptr));
    control->SetBounds(0, 0, 6, 6);
    control->fail = true;
    auto surface = Surface(6, 6);
    EXPECT_THROW(control->PaintTo(surface->Canvas(), 0, 0), Exception);
    EXPECT_EQ(control->Canvas()->LockCount(), 0);
    control->fail = false;
    EXPECT_EQ(At(Painted(control.get()).get(), 0, 0), ColorToRGB(clRed));
}

TEST_F(ControlTest, BackgroundReferenceStreamsByName) {
    TComponentPtr<TWinControl> form(new TWinControl(nullptr));
    form->SetName("Form1");
    auto* background = new TTestBackground(form.get());
    background->SetName("Back");
    auto* control = new TMarkedControl(form.get());
    control->SetName("Marked");
    control->SetParent(form.get());
    control->SetBackground(background);
    const std::string text = ComponentToText(form.get());
    EXPECT_NE(text.find("Background = Back"), std::string::npos) << text;
    control->SetBackground(nullptr);
}

TEST_F(ControlTest, DesignExecuteIsNeverStoredAndKeepsItsLength) {
    TRunnable runnable(nullptr);
    runnable.SetDesignExecute(std::string(40, 'x'));
    EXPECT_EQ(runnable.DesignExecute().size(), kExecStrLength);
    const TPropInfo* info = TRunnable::StaticClass()->FindProperty("DesignExecute");
    ASSERT_NE(info, nullptr);
    EXPECT_FALSE(info->IsStored(&runnable));
    EXPECT_EQ(info->typeName, "TZylEnhancedExecStr");
}

TEST_F(ControlTest, RegistrationPutsTheTimerOnItsPageAndTheEditorOnDesignExecute) {
    // Through the package registry, so that unloading takes everything back for the next tests.
    RegisterPackage("lumaro", &Register);
    struct Unload {
        ~Unload() { UnloadPackage("lumaro"); }
    } unload;
    EXPECT_EQ(FindPaletteClass("TZylTimer32"), TZylTimer32::StaticClass());
    bool onPage = false;
    for (const TPalettePage& page : Palette())
        if (page.name == "Zyl System")
            for (TClass cls : page.classes)
                onPage = onPage || cls == TZylTimer32::StaticClass();
    EXPECT_TRUE(onPage);
    EXPECT_EQ(GetClass("TZylFont3D"), TZylFont3D::StaticClass());
    EXPECT_EQ(GetClass("TZylFrame"), TZylFrame::StaticClass());

    const TPropInfo* info = TRunnable::StaticClass()->FindProperty("DesignExecute");
    ASSERT_NE(info, nullptr);
    TClass editorClass = GetEditorClass(*info, TRunnable::StaticClass());
    ASSERT_NE(editorClass, nullptr);
    EXPECT_EQ(editorClass->name, "TZylExecEnhancedProperty");
    TRunnable first(nullptr), second(nullptr);
    auto editor = CreatePropertyEditor(editorClass, nullptr, {&first, &second}, info);
    EXPECT_EQ(editor->GetValue(), "(Execute Test)");
    const TPropertyAttributes attributes = editor->GetAttributes();
    EXPECT_TRUE(attributes.Contains(paDialog));
    EXPECT_TRUE(attributes.Contains(paReadOnly));
    editor->Edit();
    EXPECT_EQ(first.runs, 1);
    EXPECT_EQ(second.runs, 0);
}

}  // namespace
