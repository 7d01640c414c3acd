// The "Mail Messages" design window and the mail package's design-time editors.
#include "zylmaileditors.h"

#include "vcl/graphics.h"

namespace postrel {

using vcl::Integer;

namespace zylmaileditors {

// The one open window of each class.
TInetMailConfig* openInet = nullptr;
TMapiMailConfig* openMapi = nullptr;

template <typename Control>
Control* Place(vcl::TWinControl* parent, const char* name, Integer left, Integer top, Integer width,
               Integer height) {
    auto* control = new Control(parent);
    control->SetName(name);
    control->SetParent(parent);
    control->SetBounds(left, top, width, height);
    return control;
}

vcl::TLabel* Heading(vcl::TWinControl* parent, const char* name, Integer left, Integer top, Integer width,
                     const char* caption) {
    auto* label = Place<vcl::TLabel>(parent, name, left, top, width, 13);
    label->SetCaption(caption);
    label->Font()->SetHeight(-12);
    label->Font()->SetStyle({vcl::fsBold});
    return label;
}

// The collection a class property of the editor's first instance holds.
vcl::TPersistent* PropertyObject(const vcl::TPropertyEditor& editor) {
    const vcl::TPropInfo* info = editor.GetPropInfo();
    if (!info || !info->get) return nullptr;
    const vcl::TPropValue value = info->get(editor.GetComponent(0));
    const auto* object = std::get_if<vcl::TObject*>(&value);
    return object ? dynamic_cast<vcl::TPersistent*>(*object) : nullptr;
}

void OpenFor(vcl::TComponent* component) {
    if (auto* host = dynamic_cast<TZylMailHost*>(component))
        ConfigureInetMail(host->Messages());
    else if (auto* mapi = dynamic_cast<TZylMapiMail*>(component))
        ConfigureMapiMail(mapi->Messages());
}

}  // namespace zylmaileditors

// ---------------------------------------------------------------------------------------------
// The window

VCL_DEFINE_CLASS(TZylMailConfigWindow, vcl::TDesignWindow)

TZylMailConfigWindow::TZylMailConfigWindow(vcl::TComponent* owner) : TDesignWindow(owner) {
    using zylmaileditors::Place;
    SetCaption("Mail Messages");
    SetBorderStyle(vcl::bsToolWindow);
    SetPosition(vcl::poScreenCenter);
    SetClientWidth(235);
    SetClientHeight(324);
    Font()->SetName("MS Sans Serif");
    auto* frame = Place<vcl::TBevel>(this, "Bevel1", 3, 3, 229, 30);
    frame->SetShape(vcl::bsFrame);
    SpeedButton1 = Place<vcl::TSpeedButton>(this, "SpeedButton1", 7, 7, 23, 23);
    SpeedButton4 = Place<vcl::TSpeedButton>(this, "SpeedButton4", 7, 7, 23, 23);
    ExecuteButton = Place<vcl::TSpeedButton>(this, "ExecuteButton", 33, 7, 59, 23);
    ExecuteButton->SetCaption(">>");
    CloseButton = Place<vcl::TSpeedButton>(this, "CloseButton", 205, 7, 23, 23);
    CloseButton->SetCaption("X");
    for (vcl::TSpeedButton* select : {SpeedButton1, SpeedButton4}) {
        select->SetCaption("^");
        select->OnClick = [this](vcl::TObject*) { Select(mail_); };
    }
    ExecuteButton->OnClick = [this](vcl::TObject*) {
        if (auto* mail = dynamic_cast<TZylMailsComponent*>(mail_)) mail->Execute();
    };
    CloseButton->OnClick = [this](vcl::TObject*) { Release(); };

    zylmaileditors::Heading(this, "MessagesLabel", 4, 33, 105, "Mail Messages ");
    MessageList = Place<vcl::TListBox>(this, "MessageList", 4, 49, 145, 113);
    AddMessageButton = Place<vcl::TButton>(this, "AddMessageButton", 156, 49, 75, 24);
    AddMessageButton->SetCaption("&Add");
    DeleteMessageButton = Place<vcl::TButton>(this, "DeleteMessageButton", 156, 76, 75, 26);
    DeleteMessageButton->SetCaption("&Delete");
    auto* line = Place<vcl::TBevel>(this, "Bevel2", 4, 167, 225, 10);
    line->SetShape(vcl::bsTopLine);
    zylmaileditors::Heading(this, "AttachmentsLabel", 4, 168, 99, "File Attachments ");
    AttachmentList = Place<vcl::TListBox>(this, "AttachmentList", 4, 184, 225, 105);
    AddAttachmentButton = Place<vcl::TButton>(this, "AddAttachmentButton", 4, 297, 75, 25);
    AddAttachmentButton->SetCaption("&Add");
    DeleteAttachmentButton = Place<vcl::TButton>(this, "DeleteAttachmentButton", 80, 297, 75, 25);
    DeleteAttachmentButton->SetCaption("&Delete");
    SaveAttachmentButton = Place<vcl::TButton>(this, "SaveAttachmentButton", 156, 297, 75, 25);
    SaveAttachmentButton->SetCaption("&Save to ...");

    OpenDialog1 = new vcl::TOpenDialog(this);
    OpenDialog1->SetName("OpenDialog1");
    OpenDialog1->SetTitle("Select your File Attachment");
    OpenDialog1->SetFilter("All Files|*.*");
    OpenDialog1->SetDefaultExt("*.*");
    SaveDialog1 = new vcl::TSaveDialog(this);
    SaveDialog1->SetName("SaveDialog1");
    SaveDialog1->SetTitle("Save Attachment as");

    MessageList->OnClick = [this](vcl::TObject*) { FillAttachments(); };
    MessageList->OnMouseDown = [this](vcl::TObject*, vcl::TMouseButton button, vcl::TShiftState, Integer,
                                      Integer) {
        if (button == vcl::mbRight) return;
        if (CurrentMessage())
            Select(CurrentMessage());
        else
            Select(MessageList->ItemIndex() >= 0 ? static_cast<vcl::TPersistent*>(Collection()) : mail_);
    };
    AttachmentList->OnMouseDown = [this](vcl::TObject*, vcl::TMouseButton button, vcl::TShiftState, Integer,
                                         Integer) {
        if (button == vcl::mbRight) return;
        Select(CurrentAttachment() ? static_cast<vcl::TPersistent*>(CurrentAttachment()) : CurrentMessage());
    };
    AddMessageButton->OnClick = [this](vcl::TObject*) { AddMessage(); };
    DeleteMessageButton->OnClick = [this](vcl::TObject*) { DeleteMessage(); };
    AddAttachmentButton->OnClick = [this](vcl::TObject*) { AddAttachment(); };
    DeleteAttachmentButton->OnClick = [this](vcl::TObject*) { DeleteAttachment(); };
    SaveAttachmentButton->OnClick = [this](vcl::TObject*) { SaveAttachment(); };
}

void TZylMailConfigWindow::Fill(vcl::TComponent* mail) {
    mail_ = mail;
    MessageList->Items()->Clear();
    AttachmentList->Items()->Clear();
    const bool incoming = Incoming();
    AddMessageButton->SetEnabled(!incoming);
    ExecuteButton->SetVisible(!incoming);
    SpeedButton1->SetVisible(!incoming);
    if (SpeedButton4) SpeedButton4->SetVisible(incoming);
    SaveAttachmentButton->SetVisible(incoming);
    const std::string entry = incoming ? "Incoming Message" : "Outgoing Message";
    for (int i = 0; i < Collection()->Count(); ++i)
        MessageList->Items()->Add(entry);
    ExecuteButton->SetEnabled(Collection()->Count() > 0);
    if (Collection()->Count() > 0) SelectMessage(0);
    Show();
    BringToFront();
}

vcl::TCollectionItem* TZylMailConfigWindow::CurrentMessage() const {
    const Integer index = MessageList->ItemIndex();
    return index >= 0 && index < Collection()->Count() ? Collection()->Items(index) : nullptr;
}

vcl::TCollectionItem* TZylMailConfigWindow::CurrentAttachment() const {
    vcl::TCollectionItem* message = CurrentMessage();
    const Integer index = AttachmentList->ItemIndex();
    if (!message || index < 0) return nullptr;
    vcl::TCollection* attachments = AttachmentsOf(message);
    return index < attachments->Count() ? attachments->Items(index) : nullptr;
}

void TZylMailConfigWindow::FillAttachments() {
    AttachmentList->Items()->Clear();
    vcl::TCollectionItem* message = CurrentMessage();
    if (!message) return;
    vcl::TCollection* attachments = AttachmentsOf(message);
    for (int i = 0; i < attachments->Count(); ++i)
        AttachmentList->Items()->Add(AttachmentName(attachments->Items(i)));
}

void TZylMailConfigWindow::Select(vcl::TPersistent* instance) {
    if (Designer() && instance) Designer()->SetSelections({instance});
}

void TZylMailConfigWindow::SelectMessage(int index) {
    MessageList->SetItemIndex(index);
    FillAttachments();
    Select(CurrentMessage() ? static_cast<vcl::TPersistent*>(CurrentMessage()) : mail_);
}

void TZylMailConfigWindow::SelectAttachment(int index) {
    AttachmentList->SetItemIndex(index);
    Select(CurrentAttachment() ? static_cast<vcl::TPersistent*>(CurrentAttachment()) : CurrentMessage());
}

void TZylMailConfigWindow::AddMessage() {
    if (Incoming()) return;
    Collection()->Add();
    MessageList->Items()->Add("Outgoing Message");
    SelectMessage(Collection()->Count() - 1);
    ExecuteButton->SetEnabled(true);
    if (Designer()) Designer()->Modified();
}

void TZylMailConfigWindow::DeleteMessage() {
    const Integer index = MessageList->ItemIndex();
    if (index < 0 || index >= Collection()->Count()) return;
    // The inspector lets go of the message before it is freed.
    Select(mail_);
    Collection()->Delete(index);
    MessageList->Items()->Delete(index);
    AttachmentList->Items()->Clear();
    if (MessageList->Items()->Count() > 0)
        SelectMessage(0);
    else
        ExecuteButton->SetEnabled(false);
    if (Designer()) Designer()->Modified();
}

void TZylMailConfigWindow::AddAttachment() {
    vcl::TCollectionItem* message = CurrentMessage();
    if (!message || !OpenDialog1->Execute()) return;
    const int messageId = message->ID();
    // The dialog's loop may have let the designer change the collection meanwhile.
    message = Collection()->FindItemID(messageId);
    if (!message) return;
    AddAttachmentFile(message, OpenDialog1->FileName());
    FillAttachments();
    SelectAttachment(AttachmentList->Items()->Count() - 1);
    if (Designer()) Designer()->Modified();
}

void TZylMailConfigWindow::DeleteAttachment() {
    vcl::TCollectionItem* attachment = CurrentAttachment();
    if (!attachment) return;
    const Integer index = AttachmentList->ItemIndex();
    Select(CurrentMessage());
    AttachmentsOf(CurrentMessage())->Delete(index);
    AttachmentList->Items()->Delete(index);
    SelectAttachment(AttachmentList->Items()->Count() > 0 ? 0 : -1);
    if (Designer()) Designer()->Modified();
}

void TZylMailConfigWindow::SaveAttachment() {
    vcl::TCollectionItem* attachment = CurrentAttachment();
    if (!attachment) return;
    const int messageId = CurrentMessage()->ID(), attachmentId = attachment->ID();
    SaveDialog1->SetFileName(AttachmentList->Items()->Strings(AttachmentList->ItemIndex()));
    if (!SaveDialog1->Execute()) return;
    vcl::TCollectionItem* message = Collection()->FindItemID(messageId);
    attachment = message ? AttachmentsOf(message)->FindItemID(attachmentId) : nullptr;
    if (attachment) SaveAttachmentTo(attachment, SaveDialog1->FileName());
}

void TZylMailConfigWindow::ComponentDeleted(vcl::TComponent* component) {
    if (component == mail_) mail_ = nullptr;
}

// ---------------------------------------------------------------------------------------------
// The two kinds

VCL_DEFINE_CLASS(TInetMailConfig, TZylMailConfigWindow)

TInetMailConfig::~TInetMailConfig() {
    if (zylmaileditors::openInet == this) zylmaileditors::openInet = nullptr;
}

void TInetMailConfig::Open(TZylMessages* messages) {
    messages_ = messages;
    Fill(dynamic_cast<vcl::TComponent*>(messages->GetOwner()));
}

vcl::TCollection* TInetMailConfig::AttachmentsOf(vcl::TCollectionItem* message) const {
    return static_cast<TZylMessage*>(message)->Attachments();
}

std::string TInetMailConfig::AttachmentName(vcl::TCollectionItem* attachment) const {
    return static_cast<TZylAttachment*>(attachment)->FileName();
}

void TInetMailConfig::AddAttachmentFile(vcl::TCollectionItem* message, const std::string& path) {
    static_cast<TZylMessage*>(message)->Attachments()->Add(path);
}

void TInetMailConfig::SaveAttachmentTo(vcl::TCollectionItem* attachment, const std::string& path) {
    static_cast<TZylAttachment*>(attachment)->SaveToFile(path);
}

VCL_DEFINE_CLASS(TMapiMailConfig, TZylMailConfigWindow)

TMapiMailConfig::TMapiMailConfig(vcl::TComponent* owner) : TZylMailConfigWindow(owner) {
    // The twin has one select button.
    delete SpeedButton4;
    SpeedButton4 = nullptr;
}

TMapiMailConfig::~TMapiMailConfig() {
    if (zylmaileditors::openMapi == this) zylmaileditors::openMapi = nullptr;
}

void TMapiMailConfig::Open(TZylMapiMessages* messages) {
    messages_ = messages;
    Fill(dynamic_cast<vcl::TComponent*>(messages->GetOwner()));
}

vcl::TCollection* TMapiMailConfig::AttachmentsOf(vcl::TCollectionItem* message) const {
    return static_cast<TZylMapiMessage*>(message)->Attachments();
}

std::string TMapiMailConfig::AttachmentName(vcl::TCollectionItem* attachment) const {
    return static_cast<TZylMapiAttachment*>(attachment)->Filename();
}

void TMapiMailConfig::AddAttachmentFile(vcl::TCollectionItem* message, const std::string& path) {
    static_cast<TZylMapiMessage*>(message)->Attachments()->Add(path);
}

void ConfigureInetMail(TZylMessages* messages) {
    auto* mail = dynamic_cast<vcl::TComponent*>(messages->GetOwner());
    auto*& window = zylmaileditors::openInet;
    if (!window) window = new TInetMailConfig(nullptr);
    window->Attach(vcl::FindRootDesigner(mail), mail);
    window->Open(messages);
}

void ConfigureMapiMail(TZylMapiMessages* messages) {
    auto* mail = dynamic_cast<vcl::TComponent*>(messages->GetOwner());
    auto*& window = zylmaileditors::openMapi;
    if (!window) window = new TMapiMailConfig(nullptr);
    window->Attach(vcl::FindRootDesigner(mail), mail);
    window->Open(messages);
}

TInetMailConfig* OpenInetMailConfig() {
    return zylmaileditors::openInet;
}

TMapiMailConfig* OpenMapiMailConfig() {
    return zylmaileditors::openMapi;
}

// ---------------------------------------------------------------------------------------------
// Property and component editors

namespace zylmaileditors {

// Messages: the edit button opens the window for the property's collection.
class TZylInetProperty : public vcl::TPropertyEditor {
    VCL_CLASS(TZylInetProperty, vcl::TPropertyEditor)
public:
    vcl::TPropertyAttributes GetAttributes() const override { return {vcl::paDialog, vcl::paReadOnly}; }
    std::string GetValue() const override { return "(TZylMessages)"; }
    void Edit() override {
        if (auto* messages = dynamic_cast<TZylMessages*>(PropertyObject(*this))) ConfigureInetMail(messages);
    }
};

class TZylMapiProperty : public vcl::TPropertyEditor {
    VCL_CLASS(TZylMapiProperty, vcl::TPropertyEditor)
public:
    vcl::TPropertyAttributes GetAttributes() const override { return {vcl::paDialog, vcl::paReadOnly}; }
    std::string GetValue() const override { return "(TZylMapiMessages)"; }
    void Edit() override {
        if (auto* messages = dynamic_cast<TZylMapiMessages*>(PropertyObject(*this)))
            ConfigureMapiMail(messages);
    }
};

constexpr const char* kUseTheMessagesEditor = "Attachments are configured using the Messages Design Editor";

// Attachments: edited in the messages window only.
class TZylAttachmentProperty : public vcl::TPropertyEditor {
    VCL_CLASS(TZylAttachmentProperty, vcl::TPropertyEditor)
public:
    vcl::TPropertyAttributes GetAttributes() const override { return {vcl::paDialog, vcl::paReadOnly}; }
    std::string GetValue() const override { return "(TZylAttachments)"; }
    void Edit() override {
        if (TInetMailConfig* window = OpenInetMailConfig())
            window->BringToFront();
        else
            ShowMailMessage(GetComponent(0), kUseTheMessagesEditor);
    }
};

class TZylMapiAttachmentProperty : public vcl::TPropertyEditor {
    VCL_CLASS(TZylMapiAttachmentProperty, vcl::TPropertyEditor)
public:
    vcl::TPropertyAttributes GetAttributes() const override { return {vcl::paDialog, vcl::paReadOnly}; }
    std::string GetValue() const override { return "(TZylMapiAttachments)"; }
    void Edit() override {
        if (TMapiMailConfig* window = OpenMapiMailConfig())
            window->BringToFront();
        else
            ShowMailMessage(GetComponent(0), kUseTheMessagesEditor);
    }
};

// DesignExecute: "(Execute Test)", whose button runs the component.
class TZylSendMailProperty : public vcl::TStringProperty {
    VCL_CLASS(TZylSendMailProperty, vcl::TStringProperty)
public:
    vcl::TPropertyAttributes GetAttributes() const override { return {vcl::paDialog, vcl::paReadOnly}; }
    std::string GetValue() const override { return vcl::Format("(%s)", {"Execute Test"}); }
    void Edit() override {
        if (auto* mail = dynamic_cast<TZylMailsComponent*>(GetComponent(0))) mail->Execute();
    }
};

// "Configure Mail ..." and double-click open the messages window.
class TZylMailConfigEditor : public vcl::TComponentEditor {
    VCL_CLASS(TZylMailConfigEditor, vcl::TComponentEditor)
public:
    int GetVerbCount() const override { return 1; }
    std::string GetVerb(int index) const override {
        if (index != 0) VerbIndexError(index);
        return "Configure Mail ...";
    }
    void ExecuteVerb(int index) override {
        if (index != 0) VerbIndexError(index);
        OpenFor(Component());
    }
    void Edit() override { ExecuteVerb(0); }
};

}  // namespace zylmaileditors

void RegisterMailEditors() {
    using namespace zylmaileditors;
    vcl::RegisterPropertyEditor(TZylMessages::StaticClass(), TZylMailHost::StaticClass(), "Messages",
                                TZylInetProperty::StaticClass());
    vcl::RegisterPropertyEditor(TZylMapiMessages::StaticClass(), TZylMapiMail::StaticClass(), "Messages",
                                TZylMapiProperty::StaticClass());
    vcl::RegisterPropertyEditor(TZylAttachments::StaticClass(), TZylMessage::StaticClass(), "Attachments",
                                TZylAttachmentProperty::StaticClass());
    vcl::RegisterPropertyEditor(TZylMapiAttachments::StaticClass(), TZylMapiMessage::StaticClass(),
                                "Attachments", TZylMapiAttachmentProperty::StaticClass());
    vcl::RegisterPropertyEditor("string", TZylMailsComponent::StaticClass(), "DesignExecute",
                                TZylSendMailProperty::StaticClass());
    vcl::RegisterComponentEditor(TZylMailHost::StaticClass(), TZylMailConfigEditor::StaticClass());
    vcl::RegisterComponentEditor(TZylMapiMail::StaticClass(), TZylMailConfigEditor::StaticClass());
}

}  // namespace postrel
