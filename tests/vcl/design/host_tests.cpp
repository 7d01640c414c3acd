// The headless designer: dropping components, selection and design windows, component editors,
// and a designed form read back at run time.
#include "design_fixture.h"
#include "support/tempdir.h"
#include "vcl/dialogs.h"
#include "vcl/extctrls.h"
#include "vcl/streaming.h"

namespace designtest {
namespace {

using HostTest = DesignTest;

// Events none of which a double-click prefers.
class TDsgTicker : public TComponent {
    VCL_CLASS(TDsgTicker, TComponent)
public:
    explicit TDsgTicker(TComponent* owner) : TComponent(owner) {}
    TNotifyEvent OnTick;
    TNotifyEvent OnStop;
    static void Publish(Published<TDsgTicker>& p) {
        p.Event("OnTick", &TDsgTicker::OnTick);
        p.Event("OnStop", &TDsgTicker::OnStop);
    }
};

TEST_F(HostTest, DroppedComponentsGetUniqueNamesAndCaptions) {
    std::vector<std::string> names;
    for (const char* cls : {"TLabel", "TLabel", "TButton", "tlabel"})
        names.push_back(host->DropComponent(cls)->Name());
    EXPECT_EQ(names, (std::vector<std::string>{"Label1", "Label2", "Button1", "Label3"}));
    auto* label2 = static_cast<TLabel*>(host->GetComponent("label2"));
    ASSERT_NE(label2, nullptr);
    EXPECT_EQ(label2->Caption(), "Label2");
    EXPECT_EQ(form->Name(), "Form1");
    EXPECT_EQ(static_cast<TForm*>(form)->Caption(), "Form1");
    EXPECT_TRUE(label2->Designing());

    host->DeleteComponent(label2);
    EXPECT_EQ(host->GetComponent("Label2"), nullptr);
    EXPECT_EQ(host->DropComponent("TLabel")->Name(), "Label2");  // the gap is filled again
    EXPECT_EQ(host->UniqueName("Form"), "Form2");                // the root's name counts too

    EXPECT_EQ(MessageOf<EDesignError>([&] { host->DropComponent("TNoSuchThing"); }),
              "Class TNoSuchThing is not on the palette");
    EXPECT_THROW(host->DeleteComponent(form), EDesignError);
}

TEST_F(HostTest, ComponentsFindTheDesignerOfTheirRoot) {
    TComponent* label = host->DropComponent("TLabel");
    EXPECT_EQ(FindRootDesigner(label), host.get());
    EXPECT_EQ(FindRootDesigner(form), host.get());
    TComponentPtr<TForm> elsewhere(new TForm(nullptr, 0));
    auto* other = new TLabel(elsewhere.get());
    EXPECT_EQ(FindRootDesigner(other), nullptr);
    EXPECT_EQ(FindRootDesigner(nullptr), nullptr);
    host.reset();
    EXPECT_EQ(FindRootDesigner(other), nullptr);
}

TEST_F(HostTest, ControlsGoIntoTheirParentAndOthersKeepTheirPosition) {
    auto* panel = static_cast<TPanel*>(host->DropComponent("TPanel", nullptr, 10, 20, 200, 100));
    auto* button = static_cast<TButton*>(host->DropComponent("TButton", panel, 5, 6, 80, -1));
    EXPECT_EQ(panel->Parent(), form);
    EXPECT_EQ(button->Parent(), panel);
    EXPECT_EQ(button->Owner(), form);  // the root owns everything
    EXPECT_EQ(button->Left(), 5);
    EXPECT_EQ(button->Width(), 80);
    EXPECT_EQ(button->Height(), TButton(nullptr).Height());

    TDsgWidget* widget = static_cast<TDsgWidget*>(host->DropComponent("TDsgWidget", nullptr, 48, 300));
    EXPECT_EQ(widget->DesignInfo() & 0xFFFF, 48);
    EXPECT_EQ(widget->DesignInfo() >> 16, 300);
    EXPECT_EQ(MessageOf<EDesignError>([&] { host->DropComponent("TLabel", widget); }),
              "DsgWidget1 cannot hold the control Label1");
    EXPECT_EQ(host->GetComponent("Label1"), nullptr);  // the refused control is gone
}

TEST_F(HostTest, DesignWindowsHearSelectionChangesDeletionAndClosing) {
    auto* window = TDesignWindow::ShowFor<TDsgLogWindow>(host.get(), nullptr);
    auto* button = host->DropComponent("TButton");
    auto* label = host->DropComponent("TLabel");
    host->SetSelections({button, label, button});
    host->SetProperty(label, "Caption", "Hi");
    host->DeleteComponent(label);
    EXPECT_EQ(window->log, (std::vector<std::string>{"modified", "selected Button1", "modified",
                                                     "selected Label1", "selected Button1 Label1", "modified",
                                                     "deleted Label1", "selected Button1", "modified"}));
    window->log.clear();
    host->CloseForm();
    EXPECT_EQ(host->GetRoot(), nullptr);
    EXPECT_TRUE(host->DesignWindows().empty());  // freed with the form
}

TEST_F(HostTest, OneDesignWindowPerComponentComesForward) {
    auto* first = host->DropComponent("TDsgWidget");
    auto* second = host->DropComponent("TDsgWidget");
    auto* a = TDesignWindow::ShowFor<TDsgLogWindow>(host.get(), first);
    auto* b = TDesignWindow::ShowFor<TDsgLogWindow>(host.get(), second);
    EXPECT_NE(a, b);
    a->Hide();
    EXPECT_EQ(TDesignWindow::ShowFor<TDsgLogWindow>(host.get(), first), a);
    EXPECT_TRUE(a->Visible());
    EXPECT_EQ(host->DesignWindows().size(), 2u);
    EXPECT_EQ(a->Designer(), host.get());

    // Deleting a component closes the windows editing it, and only those.
    host->DeleteComponent(first);
    EXPECT_EQ(host->DesignWindows(), (std::vector<TDesignWindow*>{b}));
    EXPECT_EQ(b->log.back(), "modified");
    b->Free();
    EXPECT_TRUE(host->DesignWindows().empty());
}

TEST_F(HostTest, DoubleClickOpensTheMostRelevantEventCreatingItOnce) {
    RegisterClass(TDsgTicker::StaticClass());
    auto* button = host->DropComponent("TButton");
    auto* edit = host->DropComponent("TEdit");
    host->EditComponent(button);
    host->EditComponent(edit);
    host->EditComponent(form);
    EXPECT_EQ(host->ShownMethods(), (std::vector<std::string>{"Button1Click", "Edit1Change", "FormCreate"}));
    EXPECT_EQ(button->EventMethodName("OnClick"), "Button1Click");
    EXPECT_TRUE(bool(static_cast<TButton*>(button)->OnClick));
    EXPECT_EQ(form->EventMethodName("OnCreate"), "FormCreate");

    // An event already bound is shown, not replaced.
    host->SetProperty(button, "OnClick", "SharedClick");
    host->EditComponent(button);
    EXPECT_EQ(host->ShownMethods().back(), "SharedClick");
    EXPECT_EQ(button->EventMethodName("OnClick"), "SharedClick");

    // OnChange comes before OnClick; without a preferred event the first one is taken.
    auto* widget = host->DropComponent("TDsgWidget");
    host->EditComponent(widget);
    EXPECT_EQ(widget->EventMethodName("OnChange"), "DsgWidget1Change");
    EXPECT_EQ(widget->EventMethodName("OnClick"), "");
    auto* ticker = host->DropComponent("TDsgTicker");
    host->EditComponent(ticker);
    EXPECT_EQ(ticker->EventMethodName("OnTick"), "DsgTicker1Tick");
    EXPECT_EQ(ticker->EventMethodName("OnStop"), "");
}

// A component with verbs, the way packages give their components editors.
class TDsgVerbEditor : public TComponentEditor {
    VCL_CLASS(TDsgVerbEditor, TComponentEditor)
public:
    int GetVerbCount() const override { return 2; }
    std::string GetVerb(int index) const override {
        if (index == 0) return "&Reset Title";
        if (index == 1) return "Ask Title...";
        VerbIndexError(index);
    }
    void ExecuteVerb(int index) override {
        auto* widget = static_cast<TDsgWidget*>(Component());
        if (index == 0) {
            widget->SetTitle("reset");
        } else if (index == 1) {
            std::string title = widget->Title();
            if (InputQuery("Title", "New title", title)) widget->SetTitle(title);
        } else {
            VerbIndexError(index);
        }
        Designer()->Modified();
    }
};

TEST_F(HostTest, ComponentEditorVerbsRunAndAnswerTheirDialogs) {
    RegisterComponentEditor(TDsgSpecialWidget::StaticClass(), TDsgVerbEditor::StaticClass());
    auto* widget = static_cast<TDsgWidget*>(host->DropComponent("TDsgSpecialWidget"));
    EXPECT_EQ(host->Verbs(widget), (std::vector<std::string>{"&Reset Title", "Ask Title..."}));
    int modified = host->ModifiedCount();
    host->ExecuteVerb(widget, "Reset Title");
    EXPECT_EQ(widget->Title(), "reset");
    EXPECT_EQ(host->ModifiedCount(), modified + 1);

    host->AnswerModal("InputQuery", [](TCustomForm& dialog) {
        auto* edit = dynamic_cast<TEdit*>(dialog.FindComponent("Edit"));
        ASSERT_NE(edit, nullptr);
        edit->SetText("typed");
        dialog.SetModalResult(mrOk);
    });
    host->ExecuteVerb(widget, "ask title...");
    EXPECT_EQ(widget->Title(), "typed");
    EXPECT_EQ(host->PendingAnswers(), 0u);

    // The double-click runs the first verb.
    host->EditComponent(widget);
    EXPECT_EQ(widget->Title(), "reset");
    EXPECT_EQ(MessageOf<EDesignError>([&] { host->ExecuteVerb(widget, "Explode"); }),
              "TDsgSpecialWidget has no verb 'Explode'");
    // Plain widgets keep the default editor.
    EXPECT_TRUE(host->Verbs(host->DropComponent("TDsgWidget")).empty());
}

// A form class with code behind it: the methods events are bound to at run time.
class TDsgMainForm : public TForm {
    VCL_CLASS(TDsgMainForm, TForm)
public:
    explicit TDsgMainForm(TComponent* owner) : TForm(owner, 0) {
        RegisterMethod<TNotifyEvent>("OkClick", [this](TObject* sender) { clicks.push_back(sender); });
        RegisterMethod<TNotifyEvent>("FormShow", [this](TObject*) { ++shows; });
    }
    std::vector<TObject*> clicks;
    int shows = 0;
};

TEST_F(HostTest, ADesignedFormLoadsAtRunTimeAsDesigned) {
    RegisterClass(TDsgMainForm::StaticClass());
    RegisterClasses({TPanel::StaticClass()});
    host->NewForm(TDsgMainForm::StaticClass(), "MainForm");
    TComponent* root = host->GetRoot();
    host->SetProperty(root, "Caption", "Designed");
    host->SetProperty(root, "OnShow", "FormShow");
    auto* panel = host->DropComponent("TPanel", nullptr, 0, 0, 300, 120);
    host->SetProperty(panel, "Color", "clNavy");
    host->SetProperty(panel, "Align", "alTop");
    auto* ok = host->DropComponent("TButton", panel, 10, 10, 75, 25);
    host->SetProperty(ok, "Name", "OkButton");
    host->SetProperty(ok, "Caption", "&OK");
    host->SetProperty(ok, "Font.Style.fsBold", "True");
    host->SetProperty(ok, "Font.Color", "$00336699");
    host->SetProperty(ok, "OnClick", "OkClick");
    auto* widget = host->DropComponent("TDsgWidget", nullptr, 16, 32);
    host->SetProperty(widget, "Buddy", "");
    host->SetProperty(widget, "Parts", "[dpTop,dpBottom]");
    auto* other = host->DropComponent("TDsgWidget");
    host->SetProperty(widget, "Buddy", other->Name());
    host->SetProperty(other, "OnClick", "OkClick");  // one method, two events

    zyltest::TempDir dir;
    const std::string file = dir.File("main.zfm");
    host->SaveForm(file);
    const std::string text = host->FormText();
    EXPECT_NE(text.find("OnClick = OkClick"), std::string::npos) << text;
    host->CloseForm();

    auto* runtime = new TDsgMainForm(nullptr);
    ReadComponentFile(file, runtime);
    EXPECT_FALSE(runtime->Designing());
    EXPECT_EQ(runtime->Name(), "MainForm");
    EXPECT_EQ(runtime->Caption(), "Designed");
    auto* button = dynamic_cast<TButton*>(runtime->FindComponent("OkButton"));
    auto* runPanel = dynamic_cast<TPanel*>(runtime->FindComponent("Panel1"));
    auto* runWidget = dynamic_cast<TDsgWidget*>(runtime->FindComponent("DsgWidget1"));
    auto* runOther = dynamic_cast<TDsgWidget*>(runtime->FindComponent("DsgWidget2"));
    ASSERT_TRUE(button && runPanel && runWidget && runOther);
    EXPECT_FALSE(button->Designing());
    EXPECT_EQ(button->Parent(), runPanel);
    EXPECT_EQ(button->Caption(), "&OK");
    EXPECT_EQ(button->Font()->Style(), TFontStyles{fsBold});
    EXPECT_EQ(button->Font()->Color(), 0x336699);
    EXPECT_EQ(runPanel->Color(), clNavy);
    EXPECT_EQ(runPanel->Align(), alTop);
    EXPECT_EQ(runWidget->Parts(), (TDsgParts{TDsgPart::dpTop, TDsgPart::dpBottom}));
    EXPECT_EQ(runWidget->Buddy(), runOther);
    EXPECT_EQ(runWidget->DesignInfo(), (32 << 16) | 16);

    // Events stay bound by name to the form's own methods.
    EXPECT_EQ(button->EventMethodName("OnClick"), "OkClick");
    button->Click();
    runOther->OnClick(runOther);
    EXPECT_EQ(runtime->clicks, (std::vector<TObject*>{button, runOther}));
    runtime->Show();
    EXPECT_EQ(runtime->shows, 1);
    runtime->Free();
}

TEST_F(HostTest, AFormOpensForDesignFromItsText) {
    RegisterClass(TDsgMainForm::StaticClass());
    host->NewForm(TDsgMainForm::StaticClass(), "MainForm");
    auto* button = host->DropComponent("TButton");
    host->SetProperty(button, "OnClick", "OkClick");
    const std::string text = host->FormText();

    TComponent* root = host->OpenForm(text);
    EXPECT_TRUE(root->Designing());
    TComponent* reopened = host->GetComponent("Button1");
    ASSERT_NE(reopened, nullptr);
    EXPECT_TRUE(reopened->Designing());
    // The bound method is offered for other events of its type.
    EXPECT_EQ(host->FindEditor({host->GetRoot()}, "OnShow")->Values(), (std::vector<std::string>{"OkClick"}));
    EXPECT_EQ(host->FormText(), text);
    EXPECT_THROW(host->OpenForm("object X: TNoSuchForm\nend\n"), EClassNotFound);
    EXPECT_EQ(host->GetRoot(), root);  // a failed open keeps the form that was open
}

}  // namespace
}  // namespace designtest
