// The gallery: showcase forms of every component, each rendered in its representative states to PNG
// through the framework's off-screen painting, with an HTML index of pictures and property values.
//
// A component family adds its showcase in its own source file:
//
//     static gallery::Registration buttons{"TButton", "framework", "Push buttons", [](gallery::Album& a) {
//         auto* form = a.NewForm("Buttons", 200, 80);
//         ...
//         a.Shoot("Normal", form, button);
//     }};
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vcl/controls.h"
#include "vcl/forms.h"

namespace gallery {

// One picture: a form in one state, and the property values of the component it shows.
struct Shot {
    std::string caption;
    std::string imageFile;  // relative to the index
    std::string properties;
    int width = 0;
    int height = 0;
};

// Collects the shots of one showcase. Forms made through NewForm are freed when the showcase ends.
class Album {
public:
    Album(std::string outDir, std::string prefix) : outDir_(std::move(outDir)), prefix_(std::move(prefix)) {}
    ~Album();
    Album(const Album&) = delete;
    Album& operator=(const Album&) = delete;

    // A dialog-like form of the given client size at the screen's top-left, shown and painted.
    vcl::TForm* NewForm(const std::string& caption, int clientWidth, int clientHeight);
    // Pumps the messages (painting included), paints `form` with its frame and writes a PNG; the
    // properties shown are those `subject` stores (all of the form's when subject is null).
    void Shoot(const std::string& caption, vcl::TCustomForm* form, vcl::TComponent* subject = nullptr);
    // The same for a window of the platform's own (a common dialog of the platform) and the
    // component that showed it.
    void ShootWindow(const std::string& caption, win32::HWND window, vcl::TComponent* subject);

    const std::vector<Shot>& Shots() const { return shots_; }

private:
    std::string outDir_;
    std::string prefix_;
    std::vector<Shot> shots_;
    std::vector<vcl::TForm*> forms_;
};

// The first free name of the form "<class name without its T><number>" among owner's components.
std::string DesignerName(vcl::TComponent* owner, std::string_view className);

struct Showcase {
    std::string component;    // the class or family shown, e.g. "TButton"
    std::string package;      // "framework" or the package's name
    std::string description;  // one line
    std::function<void(Album&)> build;
};

std::vector<Showcase>& Showcases();

// Makes a control owned by the parent's owner (the form), named as the designer names it (Edit1,
// Edit2, ...), placed on `parent` at the given bounds.
template <typename T>
T* Place(vcl::TWinControl* parent, int left, int top, int width, int height) {
    vcl::TComponent* owner = parent->Owner() ? parent->Owner() : parent;
    auto* control = new T(owner);
    control->SetName(DesignerName(owner, control->ClassName()));
    control->SetParent(parent);
    control->SetBounds(left, top, width, height);
    return control;
}

// The component's published values as the property inspector lists them (names on the left, the
// values on the right, greyed when they are read-only facts), shot under `caption`.
void ShootInspector(Album& album, vcl::TComponent* component, const std::string& caption,
                    bool readOnly = true);

// Black text at (x, y) over what is there: the label of a picture drawn on a paint box.
void Caption(vcl::TCanvas* canvas, int x, int y, const std::string& text);

// Registers a showcase at start-up.
struct Registration {
    explicit Registration(Showcase showcase) { Showcases().push_back(std::move(showcase)); }
    Registration(std::string component, std::string package, std::string description,
                 std::function<void(Album&)> build)
        : Registration(
              Showcase{std::move(component), std::move(package), std::move(description), std::move(build)}) {}
};

}  // namespace gallery
