#include "quenta/zyldbviews.h"

#include "vcl/buttons.h"
#include "vcl/dbctrls.h"
#include "vcl/extctrls.h"

namespace quenta {

namespace zyldbviews {

constexpr vcl::Integer kTopPanelHeight = 31;

// The viewer form: the top panel with its close button; the caller adds the client control.
vcl::TForm* CreateViewerForm(const char* name) {
    auto* form = new vcl::TForm(vcl::Application, 0);
    form->SetName(name);
    auto* panel = new vcl::TPanel(form);
    panel->SetName("TopPanel");
    panel->SetParent(form);
    panel->SetCaption("");
    panel->SetHeight(kTopPanelHeight);
    panel->SetAlign(vcl::TAlign::alTop);
    auto* close = new vcl::TSpeedButton(form);
    close->SetName("CloseButton");
    close->SetParent(panel);
    close->SetCaption("Close");
    close->SetBounds(4, 3, 75, 25);
    close->OnClick = [form](vcl::TObject*) { form->Close(); };
    return form;
}

}  // namespace zyldbviews

VCL_DEFINE_CLASS(TZylDBViewDialog, TZylAdvDialogComponent)

TZylDBViewDialog::TZylDBViewDialog(vcl::TComponent* owner, const std::string& caption, vcl::Integer width,
                                   vcl::Integer height)
    : TZylAdvDialogComponent(owner), dataLink_(std::make_unique<vcl::TFieldDataLink>()) {
    SetWindowDefaults(caption, width, height, vcl::poScreenCenter);
}

TZylDBViewDialog::~TZylDBViewDialog() = default;

void TZylDBViewDialog::SetDataSource(vcl::TDataSource* value) {
    vcl::TDataSource* old = dataLink_->DataSource();
    if (value == old) return;
    dataLink_->SetDataSource(value);
    if (old) old->RemoveFreeNotification(this);
    if (value) value->FreeNotification(this);
}

void TZylDBViewDialog::Notification(vcl::TComponent* component, vcl::TOperation operation) {
    TZylAdvDialogComponent::Notification(component, operation);
    if (operation == vcl::TOperation::opRemove && component && component == dataLink_->DataSource())
        dataLink_->SetDataSource(nullptr);
}

// ---------------------------------------------------------------------------------------------

VCL_DEFINE_CLASS(TZylDBMemoView, TZylDBViewDialog)

TZylDBMemoView::TZylDBMemoView(vcl::TComponent* owner)
    : TZylDBViewDialog(owner, "DB Memo Viewer", 535, 367) {}

bool TZylDBMemoView::Execute() {
    if (!DataSource()) return false;
    vcl::TForm* form = zyldbviews::CreateViewerForm("ZylDBMemoView");
    const vcl::ScopeExit release([form] { form->Free(); });
    auto* memo = new vcl::TDBMemo(form);
    memo->SetName("Memo");
    memo->SetParent(form);
    memo->SetAlign(vcl::TAlign::alClient);
    SetFormProperties(form);
    memo->SetReadOnly(readonly_);
    memo->SetDataSource(DataSource());
    memo->SetDataField(DataField());
    form->ShowModal();
    if (vcl::TDataSet* data = DataLink()->DataSet(); data && data->Active()) {
        if (DataLink()->Edit()) {
            data->UpdateRecord();
            data->Post();
        } else {
            data->Cancel();
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------------

VCL_DEFINE_CLASS(TZylDBImageView, TZylDBViewDialog)

TZylDBImageView::TZylDBImageView(vcl::TComponent* owner)
    : TZylDBViewDialog(owner, "DB Image Viewer", 502, 380) {}

bool TZylDBImageView::Execute() {
    if (!DataSource()) return false;
    vcl::TForm* form = zyldbviews::CreateViewerForm("ZylDBImageView");
    const vcl::ScopeExit release([form] { form->Free(); });
    auto* image = new vcl::TDBImage(form);
    image->SetName("Image");
    image->SetParent(form);
    image->SetAlign(vcl::TAlign::alClient);
    SetFormProperties(form);
    image->SetDataSource(DataSource());
    image->SetDataField(DataField());
    form->ShowModal();
    return true;
}

}  // namespace quenta
