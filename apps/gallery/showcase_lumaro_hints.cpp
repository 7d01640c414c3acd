// Showcase of the speech-bubble hints: the bubble opening in each of its four directions with its tail,
// dotted shadow, 3D text and gradient inside, and the square box without a tail.
#include <string>

#include "gallery.h"
#include "lumaro/zylbuttons.h"
#include "lumaro/zylhints.h"
#include "win32/input.h"

using namespace vcl;
using namespace lumaro;

namespace {

using gallery::Place;

// Points at (x, y) of the control and shows its hint at once instead of waiting for the pause.
void HintAt(TControl* control, int x, int y) {
    const TPoint p = control->ClientToScreen(Point(x, y));
    win32::input::MoveMouse(p.x, p.y);
    Application->ProcessMessages();
    Application->ActivateHint(p);
    Application->ProcessMessages();
}

gallery::Registration bubbleHints{
    "TZylHint", "lumaro",
    "Speech-bubble hints over a form: the bubble opens up-right, up-left, down-right and down-left of the "
    "mouse pointer with its tail pointing at it, a dotted shadow to the right and below, 3D text and a "
    "gradient inside; then the square box that Speechbubble False gives.",
    [](gallery::Album& album) {
        // The bubbles serve the hints of the application's main form; make one when there is none.
        TForm* mainForm = Application->MainForm() ? nullptr : Application->CreateForm<TForm>();
        TForm* form = album.NewForm("Speech-bubble hints", 420, 260);
        form->SetColor(clTeal);
        auto* inside = new TZylBackground(form);
        inside->SetName("Inside");
        inside->Gradient()->SetBeginColor(clWhite);
        inside->Gradient()->SetEndColor(0x80FFFF);
        inside->Gradient()->SetFillStyle(TZylFillStyle::Vertical);

        auto* hint = new TZylHint(form);  // at run time it belongs to the main form
        hint->SetName("ZylHint1");
        hint->SetSpeechbubble(true);
        hint->SetBackground(inside);
        hint->HintFont()->SetName("Arial");
        hint->HintFont()->SetSize(10);
        hint->HintFont()->SetColor(clNavy);

        const char* captions[] = {"Open", "Save", "Print", "Close"};
        const char* hints[] = {"Opens a document", "Saves every change", "Prints the pages",
                               "Closes the window"};
        TZylButton* buttons[4];
        for (int i = 0; i < 4; ++i) {
            buttons[i] = Place<TZylButton>(form, i % 2 == 0 ? 20 : 300, i < 2 ? 20 : 200, 100, 30);
            buttons[i]->SetCaption(captions[i]);
            buttons[i]->SetHint(hints[i]);
            buttons[i]->SetShowHint(true);
        }
        form->Show();
        Application->ProcessMessages();

        struct Shot {
            int button;
            TZylDirectionB direction;
            const char* caption;
        };
        const Shot shots[] = {{2, dUpRight, "Up-right of the pointer"},
                              {3, dUpLeft, "Up-left of the pointer"},
                              {0, dDownRight, "Down-right of the pointer"},
                              {1, dDownLeft, "Down-left of the pointer"}};
        for (const Shot& shot : shots) {
            hint->SetHintDirection(shot.direction);
            HintAt(buttons[shot.button], 50, 15);
            album.Shoot(shot.caption, form, hint);
            Application->CancelHint();
        }
        hint->SetSpeechbubble(false);
        hint->SetHintDirection(dUpRight);
        HintAt(buttons[2], 50, 15);
        album.Shoot("Speechbubble False: a square box without a tail", form, hint);
        Application->CancelHint();

        hint->Free();
        if (mainForm) mainForm->Free();
    }};

}  // namespace
