#include "gallery.h"

#include <algorithm>
#include <stdexcept>
#include <variant>

#include "vcl/classes.h"
#include "vcl/stdctrls.h"
#include "vcl/streaming.h"
#include "vcl/stringlist.h"
#include "vcl/sysutils.h"
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

namespace inspector {

// The text the inspector shows for a published value: a named value (a colour) by its name, a
// character as itself, a set as its members in
// brackets, an owned object by its class in brackets, a linked component by its name.
std::string InspectorText(const vcl::TPropInfo& info, const vcl::TObject* component) {
    const vcl::TPropValue value = info.get(component);
    if (const auto* text = std::get_if<std::string>(&value)) return *text;
    if (const auto* number = std::get_if<vcl::Int64>(&value)) {
        if (info.typeName == "Char")
            return *number > 32 && *number < 127 ? std::string(1, static_cast<char>(*number))
                                                 : "#" + vcl::IntToStr(*number);
        for (const vcl::TIdentMapEntry& entry : info.idents)
            if (entry.value == *number) return std::string(entry.name);
        if (!info.names.empty() && *number >= 0 && static_cast<size_t>(*number) < info.names.size())
            return std::string(info.names[static_cast<size_t>(*number)]);
        return vcl::IntToStr(*number);
    }
    if (const auto* bits = std::get_if<vcl::SetBits>(&value)) {
        std::string text = "[";
        for (size_t i = 0; i < info.names.size(); ++i) {
            if (!bits->Contains(i)) continue;
            if (text.size() > 1) text += ",";
            text += info.names[i];
        }
        return text + "]";
    }
    if (const auto* number = std::get_if<double>(&value)) return vcl::FloatToStr(*number);
    if (const auto* object = std::get_if<vcl::TObject*>(&value)) {
        if (!*object) return {};
        if (info.isReference) {
            const auto* linked = dynamic_cast<const vcl::TComponent*>(*object);
            return linked ? linked->Name() : std::string();
        }
        return "(" + std::string((*object)->ClassName()) + ")";
    }
    return {};
}

struct Row {
    std::string name;
    std::string value;
    int depth = 0;
};

// The owned object a row stands for, when the inspector unfolds it: a plain persistent, not a list
// or a collection, whose own values are listed below it.
const vcl::TObject* Unfolded(const vcl::TPropInfo& info, const vcl::TObject* object) {
    if (info.kind != vcl::TTypeKind::tkClass || info.isReference) return nullptr;
    const vcl::TPropValue value = info.get(object);
    const auto* sub = std::get_if<vcl::TObject*>(&value);
    if (!sub || !*sub) return nullptr;
    if (dynamic_cast<const vcl::TStrings*>(*sub) || dynamic_cast<const vcl::TCollection*>(*sub) ||
        dynamic_cast<const vcl::TComponent*>(*sub))
        return nullptr;
    return *sub;
}

void CollectRows(const vcl::TObject* object, int depth, std::vector<Row>& rows) {
    for (const vcl::TPropInfo* info : object->ClassType()->Properties()) {
        if (info->kind == vcl::TTypeKind::tkMethod || info->name == "Name" || info->name == "Tag") continue;
        rows.push_back(Row{info->name, InspectorText(*info, object), depth});
        // Two levels at most, as far as one picture can show.
        if (depth < 2)
            if (const vcl::TObject* sub = Unfolded(*info, object)) CollectRows(sub, depth + 1, rows);
    }
}

}  // namespace inspector

// One row per published value of the component, in the inspector's order; owned objects unfolded
// below their row, indented.
void ShootInspector(Album& album, vcl::TComponent* component, const std::string& caption, bool readOnly) {
    constexpr int kRow = 21;
    std::vector<inspector::Row> rows;
    inspector::CollectRows(component, 0, rows);
    vcl::TForm* form = album.NewForm("Object Inspector", 360, static_cast<int>(rows.size()) * kRow + 34);
    auto* title = Place<vcl::TLabel>(form, 8, 8, 344, 16);
    title->SetCaption(component->Name() + ": " + std::string(component->ClassName()));
    title->Font()->SetStyle({vcl::fsBold});
    int top = 30;
    for (const inspector::Row& row : rows) {
        const int indent = row.depth * 12;
        auto* name = Place<vcl::TLabel>(form, 8 + indent, top + 3, 124 - indent, 16);
        name->SetCaption(row.name);
        auto* value = Place<vcl::TEdit>(form, 136, top, 216, kRow - 1);
        value->SetText(row.value);
        value->SetReadOnly(true);
        if (readOnly) value->SetColor(vcl::clBtnFace);
        // Nothing here takes input: no value is shown focused and selected.
        value->SetTabStop(false);
        top += kRow;
    }
    album.Shoot(caption, form, component);
}

}  // namespace gallery
