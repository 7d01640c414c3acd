// Showcases of the system package's form components, each showing the form in the state the
// component leaves it: sized by the user against an aspect hook or size limits, a title rewritten by
// a message hook, files dropped onto it, a tool window kept above another; and the settings of the
// form saver and the exploding outline.
#include <string>
#include <vector>

#include "gallery.h"
#include "orvane/zylsystem.h"
#include "orvane/zyltapplication.h"
#include "orvane/zyltdroppedfiles.h"
#include "orvane/zyltformexplode.h"
#include "orvane/zyltformsaver.h"
#include "orvane/zyltformsizes.h"
#include "vcl/extctrls.h"
#include "vcl/stdctrls.h"
#include "win32/input.h"
#include "win32/scope.h"
#include "win32/shell.h"
#include "win32/user.h"
#include "win32/virtualkeys.h"

using namespace vcl;
using namespace orvane;

namespace {

using gallery::Place;

// A label along the bottom of the form, anchored there so that it follows sizing.
TLabel* Note(TForm* form, const std::string& text) {
    auto* note = Place<TLabel>(form, 8, form->ClientHeight() - 24, form->ClientWidth() - 16, 16);
    note->SetAnchors({akLeft, akBottom});
    note->SetCaption(text);
    return note;
}

// The form's size as "width x height" of its client part.
std::string ClientSize(TForm* form) {
    return IntToStr(form->ClientWidth()) + " x " + IntToStr(form->ClientHeight());
}

// Sizes the form from the keyboard as its system menu's Size command does: the right edge moved
// `steps` times 8 pixels to the right, then Enter.
void DragRightEdge(TForm* form, int steps) {
    win32::testing::SetModalScript([&steps](std::string_view) {
        if (steps-- > 0) {
            win32::input::PressKey(win32::VK_RIGHT);
        } else {
            win32::input::PressKey(win32::VK_RETURN);
        }
    });
    const win32::ScopeExit unscripted([] { win32::testing::SetModalScript(nullptr); });
    win32::SendMessage(form->Handle(), win32::WM_SYSCOMMAND, win32::SC_SIZE | win32::WMSZ_RIGHT, 0);
    Application->ProcessMessages();
}

gallery::Registration formAspect{
    "TZylFormAspect", "orvane",
    "A sizeable form whose right edge the user dragged 80 pixels: the aspect hook made the height follow "
    "the width.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Photo frame", 200, 190);
        form->SetBorderStyle(bsSizeable);
        form->SetClientWidth(200);
        form->SetClientHeight(190);
        auto* aspect = new TZylFormAspect(form);
        aspect->SetName("ZylFormAspect1");
        aspect->SetRatioWidth(4);
        aspect->SetRatioHeight(3);
        auto* picture = Place<TPanel>(form, 8, 8, 184, 150);
        picture->SetAnchors({akLeft, akTop, akRight, akBottom});
        picture->SetColor(clTeal);
        picture->SetCaption("Picture");
        picture->Font()->SetColor(clWhite);
        form->Show();
        Application->ProcessMessages();
        const std::string before = ClientSize(form);
        DragRightEdge(form, 10);
        Note(form, "Was " + before + ", dragged to " + ClientSize(form));
        album.Shoot("Right edge dragged, height followed", form, aspect);
    }};

gallery::Registration formSizes{
    "TZylFormSizes", "orvane",
    "A sizeable form with a minimum of 260 x 150 and a maximum of 420 x 300 pixels, asked to become "
    "120 x 80: it stays at its minimum size.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Limited", 320, 200);
        form->SetBorderStyle(bsSizeable);
        auto* sizes = new TZylFormSizes(form);
        sizes->SetName("ZylFormSizes1");
        sizes->SetMinWidth(260);
        sizes->SetMinHeight(150);
        sizes->SetMaxWidth(420);
        sizes->SetMaxHeight(300);
        form->Show();
        form->SetBounds(form->Left(), form->Top(), 120, 80);
        Application->ProcessMessages();
        Note(form,
             "Asked for 120 x 80, kept at " + IntToStr(form->Width()) + " x " + IntToStr(form->Height()));
        album.Shoot("Made smaller than its minimum", form, sizes);
    }};

gallery::Registration formHook{
    "TZylFormHook", "orvane",
    "A message hook whose OnMessage puts the program's name before every caption sent to the form's "
    "window.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("", 300, 90);
        auto* hook = new TZylFormHook(form);
        hook->SetName("ZylFormHook1");
        std::string rewritten;
        hook->OnMessage = [&rewritten](TObject*, TMessage& message) {
            if (message.Msg != win32::WM_SETTEXT || !message.LParam) return;
            rewritten = "Planner - " + std::string(reinterpret_cast<const char*>(message.LParam));
            message.LParam = reinterpret_cast<win32::LPARAM>(rewritten.c_str());
        };
        // As any sender does, through the window: the hook sees the message on its way.
        win32::SetWindowText(form->Handle(), "beds.plan");
        auto* label = Place<TLabel>(form, 8, 12, 284, 16);
        label->SetCaption("The window was sent the caption \"beds.plan\".");
        Note(form, "The hook rewrote the WM_SETTEXT on its way.");
        album.Shoot("Caption rewritten on its way", form, hook);
        hook->Free();
    }};

gallery::Registration droppedFiles{
    "TZylDroppedFiles", "orvane",
    "Three files dragged onto the form from the shell, collected by name and listed by OnDrop.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Drop files here", 300, 150);
        auto* list = Place<TListBox>(form, 8, 8, 284, 110);
        auto* dropped = new TZylDroppedFiles(form);
        dropped->SetName("ZylDroppedFiles1");
        dropped->SetCollectBy(dFullName);
        dropped->OnDrop = [list](TObject*, const std::string& item) { list->Items()->Add(item); };
        dropped->SetActive(true);
        form->Show();
        Application->ProcessMessages();
        const std::vector<std::string> files{"C:\\Photos\\beach.jpg", "C:\\Photos\\alps.jpg",
                                             "C:\\Documents\\route.txt"};
        win32::testing::MakeDrop(files, {20, 20}, true, form->Handle());
        Application->ProcessMessages();
        Note(form, IntToStr(dropped->DroppedCount()) + " files dropped");
        album.Shoot("Three files dropped", form, dropped);
    }};

gallery::Registration topMost{
    "TZylTopMost", "orvane",
    "A tool window kept above the others: the editor below was brought to the front, and the tool "
    "window still covers its corner.",
    [](gallery::Album& album) {
        TForm* editor = album.NewForm("Editor", 320, 200);
        auto* text = Place<TMemo>(editor, 8, 8, 304, 184);
        text->SetText(
            "The tool window stays above this editor even when the editor is brought to the front.");
        TForm* tools = album.NewForm("Tools", 120, 80);
        tools->SetBorderStyle(bsToolWindow);
        tools->SetBounds(220, 140, tools->Width(), tools->Height());
        auto* pen = Place<TButton>(tools, 8, 8, 104, 26);
        pen->SetCaption("Pen");
        auto* eraser = Place<TButton>(tools, 8, 42, 104, 26);
        eraser->SetCaption("Eraser");
        auto* top = new TZylTopMost(tools);
        top->SetName("ZylTopMost1");
        tools->Show();
        top->SetActive(false);
        top->SetActive(true);
        editor->Show();
        album.Shoot("Editor in front, tools above it", editor, top);
    }};

gallery::Registration formSaver{
    "TZylFormSaver", "orvane",
    "The form saver keeping the size, place, state and visibility of the forms and their controls in "
    "the registry; its store unfolded.",
    [](gallery::Album& album) {
        TComponentPtr<TForm> owner(new TForm(nullptr, 0));
        auto* saver = new TZylFormSaver(owner.get());
        saver->SetName("ZylFormSaver1");
        saver->FormStore()->Registry()->SetPath("Software\\Garden Planner");
        saver->FormStore()->Registry()->SetSection("Windows");
        saver->SetStoreVisible(false);
        gallery::ShootInspector(album, saver, "Kept in the registry, visibility not", false);
    }};

gallery::Registration formExplode{
    "TZylFormExplode", "orvane",
    "The exploding outline: the outlines the component computes for showing a form from its middle "
    "(12 steps), drawn as it draws them on the screen (inverted, black pen, no fill), over a teal "
    "desktop; and its settings.",
    [](gallery::Album& album) {
        TForm* desktop = album.NewForm("Desktop", 420, 300);
        desktop->Show();
        Application->ProcessMessages();
        const TPoint origin = desktop->ClientToScreen(Point(0, 0));
        // The form to show, never shown here: its animation is computed, not run, since a run draws
        // on the screen and takes every outline off again before it returns.
        TComponentPtr<TForm> owner(new TForm(nullptr, 0));
        owner->SetBounds(origin.x + 110, origin.y + 75, 200, 150);
        auto* explode = new TZylFormExplode(owner.get());
        explode->SetName("ZylFormExplode1");
        explode->SetNoOfSteps(12);
        explode->SetOnShowType(wsFormMiddle);
        explode->SetOnCloseType(wsScreenBottomRight);
        const std::vector<TRect> outlines =
            explode->Outlines(explode->WipeRect(wsFormMiddle),
                              TRect{owner->Left(), owner->Top(), owner->Left() + owner->Width(),
                                    owner->Top() + owner->Height()});
        auto* screen = Place<TPaintBox>(desktop, 0, 0, 420, 300);
        screen->OnPaint = [screen, outlines, origin](TObject*) {
            TCanvas* canvas = screen->Canvas();
            canvas->Brush()->SetColor(clTeal);
            canvas->FillRect(screen->ClientRect());
            canvas->Brush()->SetStyle(bsClear);
            canvas->Pen()->SetColor(clBlack);
            canvas->Pen()->SetMode(pmNotXor);
            for (const TRect& r : outlines)
                canvas->Rectangle(r.left - origin.x, r.top - origin.y, r.right - origin.x,
                                  r.bottom - origin.y);
            canvas->Pen()->SetMode(pmCopy);
        };
        album.Shoot("Outlines from the middle out to the form", desktop, explode);
        gallery::ShootInspector(album, explode, "Outlines from the middle, away to the corner", false);
    }};

}  // namespace
