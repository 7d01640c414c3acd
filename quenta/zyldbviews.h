// The database viewers: a window showing one memo field and a window showing one image field of
// the current record of a dataset.
#pragma once

#include <memory>
#include <string>

#include "quenta/zyldialogs.h"
#include "vcl/db.h"

namespace quenta {

// What both viewers share: a field data link whose source and field they publish, and a free
// notification on the data source, so that a freed source is never used.
class TZylDBViewDialog : public TZylAdvDialogComponent {
    VCL_DECLARE_CLASS(TZylDBViewDialog, TZylAdvDialogComponent)
public:
    ~TZylDBViewDialog() override;

    vcl::TDataSource* DataSource() const { return dataLink_->DataSource(); }
    void SetDataSource(vcl::TDataSource* value);
    const std::string& DataField() const { return dataLink_->FieldName(); }
    void SetDataField(const std::string& value) { dataLink_->SetFieldName(value); }
    vcl::TFieldDataLink* DataLink() const { return dataLink_.get(); }

    static void Publish(vcl::Published<TZylDBViewDialog>& p) {
        p.Property("DataSource", &TZylDBViewDialog::DataSource, &TZylDBViewDialog::SetDataSource);
        p.Property("DataField", &TZylDBViewDialog::DataField, &TZylDBViewDialog::SetDataField, std::string());
    }

protected:
    // The form's window settings start as `caption`, `width` by `height`, centred on the screen.
    TZylDBViewDialog(vcl::TComponent* owner, const std::string& caption, vcl::Integer width,
                     vcl::Integer height);
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;

private:
    std::unique_ptr<vcl::TFieldDataLink> dataLink_;
};

// A modal window "ZylDBMemoView": a 31-pixel top panel with the close button "CloseButton" over the
// data-aware memo "Memo". Afterwards the record is posted when the link can edit it, else its
// changes are cancelled.
class TZylDBMemoView : public TZylDBViewDialog {
    VCL_DECLARE_CLASS(TZylDBMemoView, TZylDBViewDialog)
public:
    explicit TZylDBMemoView(vcl::TComponent* owner);

    bool Readonly() const { return readonly_; }
    void SetReadonly(bool value) { readonly_ = value; }

    // False without a data source; true once the window has closed.
    bool Execute() override;

    static void Publish(vcl::Published<TZylDBMemoView>& p) {
        p.Property("Readonly", &TZylDBMemoView::Readonly, &TZylDBMemoView::SetReadonly, false);
    }

private:
    bool readonly_ = false;
};

// A modal window "ZylDBImageView": the top panel with "CloseButton" over the data-aware image "Image".
class TZylDBImageView : public TZylDBViewDialog {
    VCL_DECLARE_CLASS(TZylDBImageView, TZylDBViewDialog)
public:
    explicit TZylDBImageView(vcl::TComponent* owner);

    // False without a data source; true once the window has closed.
    bool Execute() override;
};

}  // namespace quenta
