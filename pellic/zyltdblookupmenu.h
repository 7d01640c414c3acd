// The data-aware lookup menu: the lookup menu bound to one field like the data-aware lookup edit.
// The menu opens, an entry is taken and ItemIndex changes only while the control has the focus
// and the dataset can be edited; the first click on the button of an unfocused menu only focuses
// it. ItemIndex starts at -1.
#pragma once

#include "pellic/zyltdblookupedit.h"
#include "pellic/zyltlookupmenu.h"

namespace pellic {

class TZylDBLookupMenu : public TZylDBLookupCore<TZylCustomLookupMenu> {
    VCL_DECLARE_CLASS(TZylDBLookupMenu, TZylDBLookupCore<TZylCustomLookupMenu>)
public:
    explicit TZylDBLookupMenu(vcl::TComponent* owner);

    static void Publish(vcl::Published<TZylDBLookupMenu>& p) {
        PublishLookupEditProperties(p);
        PublishMenuProperties(p);
        PublishDataProperties(p);
        PublishMouseEvents(p);
        PublishDragEvents(p);
        PublishFocusEvents(p);
        PublishKeyEvents(p);
    }

protected:
    bool CanChoose() override;
    void EditButton1Click(vcl::TObject* Sender) override;
};

}  // namespace pellic
