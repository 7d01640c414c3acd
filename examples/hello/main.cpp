// A form with an enhanced label and a button, shown on the headless screen; the picture of the
// form is saved as PNG, then the button is clicked as a user would.
#include <cstdio>
#include <memory>
#include <string>

#include "lumaro/zyllabels.h"
#include "vcl/forms.h"
#include "vcl/stdctrls.h"
#include "win32/gdi.h"
#include "win32/input.h"

using namespace vcl;

int main(int argc, char** argv) {
    const std::string picture = argc > 1 ? argv[1] : "hello.png";

    TForm* form = Application->CreateForm<TForm>();
    form->SetCaption("Hello");
    form->SetClientWidth(260);
    form->SetClientHeight(110);

    auto* label = new lumaro::TZylLabel(form);
    label->SetParent(form);
    label->SetBounds(12, 12, 236, 40);
    label->Font()->SetSize(14);
    label->SetCaption("Hello from Zyl");
    label->Frame()->SetFrameStyle(lumaro::frameLowered);

    auto* button = new TButton(form);
    button->SetParent(form);
    button->SetBounds(92, 68, 75, 25);
    button->SetCaption("Click me");
    int clicks = 0;
    button->OnClick = [&clicks](TObject*) { ++clicks; };

    form->Show();
    Application->ProcessMessages();

    const std::unique_ptr<TBitmap> image = form->GetFormImage();
    if (!win32::testing::SaveBitmapAsPNG(image->Handle(), picture)) {
        std::fprintf(stderr, "hello: cannot write %s\n", picture.c_str());
        return 1;
    }
    std::printf("%s: %dx%d\n", picture.c_str(), image->Width(), image->Height());

    const TPoint centre = button->ClientToScreen(Point(37, 12));
    win32::input::Click(centre.x, centre.y);
    Application->ProcessMessages();
    if (clicks != 1) {
        std::fprintf(stderr, "hello: the click did not reach the button\n");
        return 1;
    }
    return 0;
}
