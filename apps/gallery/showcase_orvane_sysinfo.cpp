// Showcases of the system package's information components: each one's published facts as the
// property inspector lists them, names on the left and the read-only values, greyed, on the right.
#include <string>
#include <variant>

#include "gallery.h"
#include "orvane/zyltsysteminfo.h"
#include "vcl/graphics.h"
#include "vcl/stdctrls.h"

using namespace vcl;
using namespace orvane;

namespace {

using gallery::Place;

// The text the inspector shows for a published value.
std::string InspectorText(const TPropInfo& info, const TObject* component) {
    const TPropValue value = info.get(component);
    if (const auto* text = std::get_if<std::string>(&value)) return *text;
    if (const auto* number = std::get_if<Int64>(&value)) {
        if (!info.names.empty() && *number >= 0 && static_cast<size_t>(*number) < info.names.size())
            return std::string(info.names[static_cast<size_t>(*number)]);
        return IntToStr(*number);
    }
    return {};
}

// One row per published value of the component, in the inspector's order.
void ShootInspector(gallery::Album& album, TComponent* component, const std::string& caption) {
    constexpr int kRow = 21;
    int rows = 0;
    for (const TPropInfo* info : component->ClassType()->Properties())
        if (info->kind != TTypeKind::tkMethod && info->name != "Name" && info->name != "Tag") ++rows;
    TForm* form = album.NewForm("Object Inspector", 360, rows * kRow + 34);
    auto* title = Place<TLabel>(form, 8, 8, 344, 16);
    title->SetCaption(component->Name() + ": " + std::string(component->ClassName()));
    title->Font()->SetStyle({fsBold});
    int top = 30;
    for (const TPropInfo* info : component->ClassType()->Properties()) {
        if (info->kind == TTypeKind::tkMethod || info->name == "Name" || info->name == "Tag") continue;
        auto* name = Place<TLabel>(form, 8, top + 3, 124, 16);
        name->SetCaption(info->name);
        auto* value = Place<TEdit>(form, 136, top, 216, kRow - 1);
        value->SetText(InspectorText(*info, component));
        value->SetReadOnly(true);
        value->SetColor(clBtnFace);
        // Nothing here takes input: no value is shown focused and selected.
        value->SetTabStop(false);
        top += kRow;
    }
    album.Shoot(caption, form, component);
}

gallery::Registration resourceInfo{
    "TZylResourceInfo", "orvane",
    "Memory, page file, address space and current drive figures, the time and the lock keys of the "
    "machine the gallery ran on, as the inspector lists them: read-only, refreshed every second.",
    [](gallery::Album& album) {
        TComponentPtr<TZylResourceInfo> info(new TZylResourceInfo(nullptr));
        info->SetName("ZylResourceInfo1");
        ShootInspector(album, info.get(), "Resource figures of this machine");
    }};

gallery::Registration systemDetails{
    "TZylSystemDetails", "orvane",
    "Owner, folders, processor, operating system, memory, drive C, screen, user and computer of the "
    "machine the gallery ran on, read-only in the inspector.",
    [](gallery::Album& album) {
        TComponentPtr<TZylSystemDetails> details(new TZylSystemDetails(nullptr));
        details->SetName("ZylSystemDetails1");
        ShootInspector(album, details.get(), "System details of this machine");
    }};

gallery::Registration versionDetails{
    "TZylVersionDetails", "orvane",
    "The strings of the gallery's own version block, compiled into the program by the build, "
    "read-only in the inspector.",
    [](gallery::Album& album) {
        TComponentPtr<TZylVersionDetails> details(new TZylVersionDetails(nullptr));
        details->SetName("ZylVersionDetails1");
        ShootInspector(album, details.get(), "Version details of the gallery");
    }};

}  // namespace
