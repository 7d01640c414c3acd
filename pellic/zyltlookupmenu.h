// The lookup menu: a lookup edit whose one button pops up a menu of fixed text items; choosing
// one puts it into the edit. An item "-" starts a new menu column and cannot be chosen. ItemIndex
// -1 shows NonSelected; other values outside the items are ignored. OnChange is raised whenever
// ItemIndex and the text are set. A typed space is swallowed.
#pragma once

#include <memory>
#include <string>

#include "pellic/zyltlookupedit.h"
#include "vcl/stringlist.h"

namespace pellic {

class TZylCustomLookupMenu : public TZylCustomLookupEdit {
    VCL_DECLARE_CLASS(TZylCustomLookupMenu, TZylCustomLookupEdit)
public:
    explicit TZylCustomLookupMenu(vcl::TComponent* owner);
    ~TZylCustomLookupMenu() override;

    vcl::TStrings* Items() const { return items_.get(); }
    void SetItems(const vcl::TStrings* value);
    vcl::Integer ItemIndex() const { return itemIndex_; }
    void SetItemIndex(vcl::Integer value);
    const std::string& NonSelected() const { return nonSelected_; }
    void SetNonSelected(const std::string& value);
    bool ItemChecked() const { return itemChecked_; }
    void SetItemChecked(bool value) { itemChecked_ = value; }

    // Pops the menu up under the edit; nothing happens without items.
    void OpenMenu();

    vcl::TNotifyEvent OnChange;

    void WndProc(vcl::TMessage& message) override;

    template <typename T>
    static void PublishMenuProperties(vcl::Published<T>& p) {
        p.Property("EditButton1", &TZylCustomLookupEdit::EditButton1);
        p.Property("ItemChecked", &TZylCustomLookupMenu::ItemChecked, &TZylCustomLookupMenu::SetItemChecked,
                   false);
        p.Property("Items", &TZylCustomLookupMenu::Items, &TZylCustomLookupMenu::SetItems);
        p.Property("NonSelected", &TZylCustomLookupMenu::NonSelected, &TZylCustomLookupMenu::SetNonSelected,
                   std::string("Non-Selected"));
        p.Property("ItemIndex", &TZylCustomLookupMenu::ItemIndex, &TZylCustomLookupMenu::SetItemIndex, -1);
        p.template Event<vcl::TNotifyEvent>("OnChange", &TZylCustomLookupMenu::OnChange);
    }

protected:
    // Whether the menu may open, an entry be chosen or ItemIndex change now.
    virtual bool CanChoose() { return true; }
    void EditButton1Click(vcl::TObject* Sender) override;
    void KeyPress(char32_t& key) override;

private:
    void ApplyItemIndex(vcl::Integer value);
    bool IsChoosable(vcl::Integer index) const;

    std::unique_ptr<vcl::TStringList> items_;
    vcl::Integer itemIndex_ = -1;
    std::string nonSelected_ = "Non-Selected";
    bool itemChecked_ = false;
};

class TZylLookupMenu : public TZylCustomLookupMenu {
    VCL_DECLARE_CLASS(TZylLookupMenu, TZylCustomLookupMenu)
public:
    explicit TZylLookupMenu(vcl::TComponent* owner);

    static void Publish(vcl::Published<TZylLookupMenu>& p) {
        PublishLookupEditProperties(p);
        PublishMenuProperties(p);
        PublishMouseEvents(p);
        PublishDragEvents(p);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
    }
};

}  // namespace pellic
