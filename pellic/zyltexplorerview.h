// The explorer view: the framework's file list drawn with the shell's small icons, folders with
// the Windows folder's icon. Names are shown in CharCase (lower case unless set otherwise).
#pragma once

#include <memory>

#include "vcl/filectrl.h"
#include "vcl/graphics.h"

namespace pellic {

class TZylExplorerView : public vcl::TFileListBox {
    VCL_DECLARE_CLASS(TZylExplorerView, vcl::TFileListBox)
public:
    explicit TZylExplorerView(vcl::TComponent* owner);
    ~TZylExplorerView() override;

    vcl::TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(vcl::TEditCharCase value);

    static void Publish(vcl::Published<TZylExplorerView>& p) {
        p.Property("CharCase", &TZylExplorerView::CharCase, &TZylExplorerView::SetCharCase, vcl::ecLowerCase);
        p.Property("Columns", &vcl::TCustomListBox::Columns, &vcl::TCustomListBox::SetColumns, 1);
        p.Property("Directory", &vcl::TFileListBox::Directory, &vcl::TFileListBox::SetDirectory)
            .Stored(false);
        p.Property("IntegralHeight", &vcl::TCustomListBox::IntegralHeight,
                   &vcl::TCustomListBox::SetIntegralHeight, false);
        p.Property("ItemHeight", &vcl::TCustomListBox::ItemHeight, &vcl::TCustomListBox::SetItemHeight, 18);
        PublishFileListProperties(p);
        p.Event<vcl::TDrawItemEvent>("OnDrawItem", &vcl::TCustomListBox::OnDrawItem);
        p.Event<vcl::TMeasureItemEvent>("OnMeasureItem", &vcl::TCustomListBox::OnMeasureItem);
    }

protected:
    void ReadFileNames() override;
    void DrawItem(vcl::Integer index, vcl::TRect rect, vcl::TOwnerDrawState state) override;

private:
    std::unique_ptr<vcl::TBitmap> folderBitmap_;
    vcl::TEditCharCase charCase_ = vcl::ecLowerCase;
};

}  // namespace pellic
