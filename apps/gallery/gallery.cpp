#include "gallery.h"

#include <algorithm>
#include <stdexcept>

#include "vcl/streaming.h"
#include "win32/gdi.h"
#include "win32/user.h"

namespace gallery {

std::vector<Showcase>& Showcases() {
    static std::vector<Showcase> showcases;
    return showcases;
}

std::string DesignerName(vcl::TComponent* owner, std::string_view className) {
    const std::string base(className.substr(className.starts_with('T') ? 1 : 0));
    int number = 1;
    while (owner->FindComponent(base + std::to_string(number)))
        ++number;
    return base + std::to_string(number);
}

void Caption(vcl::TCanvas* canvas, int x, int y, const std::string& text) {
    canvas->Brush()->SetStyle(vcl::bsClear);
    canvas->Font()->SetColor(vcl::clBlack);
    canvas->TextOut(x, y, text);
}

Album::~Album() {
    for (auto it = forms_.rbegin(); it != forms_.rend(); ++it)
        (*it)->Free();
}

vcl::TForm* Album::NewForm(const std::string& caption, int clientWidth, int clientHeight) {
    auto* form = new vcl::TForm(nullptr);
    forms_.push_back(form);
    form->SetBorderStyle(vcl::bsDialog);
    form->SetCaption(caption);
    form->SetBounds(0, 0, clientWidth, clientHeight);
    form->SetClientWidth(clientWidth);
    form->SetClientHeight(clientHeight);
    return form;
}

namespace {

std::string SafeName(const std::string& text) {
    std::string name;
    for (const unsigned char c : text) {
        if (std::isalnum(c)) {
            name += static_cast<char>(std::tolower(c));
        } else if (!name.empty() && name.back() != '-') {
            name += '-';
        }
    }
    while (!name.empty() && name.back() == '-')
        name.pop_back();
    return name.empty() ? "shot" : name;
}

}  // namespace

void Album::Shoot(const std::string& caption, vcl::TCustomForm* form, vcl::TComponent* subject) {
    // The form is shown in front on the headless screen, which composes it with its frame (and any
    // drop-down or menu open over it); the picture is the screen under the form's window.
    if (!form->Visible()) form->Show();
    form->BringToFront();
    vcl::Application->ProcessMessages();
    ShootWindow(caption, form->Handle(), subject ? subject : form);
}

void Album::ShootWindow(const std::string& caption, win32::HWND window, vcl::TComponent* subject) {
    win32::RECT frame{};
    win32::GetWindowRect(window, &frame);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    vcl::TBitmap bitmap;
    bitmap.SetSize(width, height);
    const win32::HDC screen = win32::GetDC(nullptr);
    win32::BitBlt(bitmap.Canvas()->Handle(), 0, 0, width, height, screen, frame.left, frame.top,
                  win32::SRCCOPY);
    win32::ReleaseDC(nullptr, screen);

    Shot shot;
    shot.caption = caption;
    shot.width = width;
    shot.height = height;
    shot.imageFile = prefix_ + "-" + SafeName(caption) + ".png";
    const std::string path = outDir_ + "/" + shot.imageFile;
    if (!win32::testing::SaveBitmapAsPNG(bitmap.Handle(), path))
        throw std::runtime_error("cannot write " + path);
    shot.properties = vcl::ComponentToText(subject);
    shots_.push_back(std::move(shot));
}

}  // namespace gallery
