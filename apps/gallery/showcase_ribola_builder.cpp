// Showcase of the menu builder: the design window a designed main menu opens, with its tree of
// items, and an item just added with its label open for editing.
#include "gallery.h"
#include "ribola/zylmenubuilder.h"
#include "vcl/designhost.h"

using namespace vcl;
using namespace ribola;

namespace {

TZylMenuItem* DesignedItem(TDesignerHost& host, TZylMenuItem* parent, const std::string& caption) {
    auto* item =
        static_cast<TZylMenuItem*>(host.CreateComponent(TZylMenuItem::StaticClass(), nullptr, 0, 0, -1, -1));
    item->SetCaption(caption);
    parent->Add(item);
    return item;
}

gallery::Registration menuBuilder{
    "TZylMenuBuilder", "ribola",
    "The design window of the menu components: a designed main menu as a tree under the menu's "
    "name, the buttons that add, remove and insert items and pop the menu up, and a new item with "
    "its caption selected for editing in place.",
    [](gallery::Album& album) {
        TDesignerHost host;
        host.LoadPackage("ribola");
        host.NewForm(TForm::StaticClass(), "MainForm");
        auto* menu = static_cast<TZylMenu*>(host.DropComponent("TZylMainMenu"));
        TZylMenuItem* file = DesignedItem(host, menu->Items(), "&File");
        for (const char* caption : {"&New", "&Open...", "&Save", "-", "E&xit"})
            DesignedItem(host, file, caption);
        TZylMenuItem* edit = DesignedItem(host, menu->Items(), "&Edit");
        for (const char* caption : {"Cu&t", "&Copy", "&Paste"})
            DesignedItem(host, edit, caption);
        DesignedItem(host, menu->Items(), "&Help");

        TZylMenuBuilder* builder = OpenMenuBuilder(menu);
        builder->SetBounds(0, 0, builder->Width(), builder->Height());
        builder->ZylMenuTree->FullExpand();
        builder->ZylMenuTree->SetSelected(builder->NodeOf(file->Items(1)));
        album.Shoot("Tree", builder, builder);

        builder->ZylMenuTree->SetSelected(builder->NodeOf(edit));
        builder->AddItem();
        album.Shoot("New item", builder, builder);
        builder->Free();
    }};

}  // namespace
