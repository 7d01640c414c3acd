#include "orvane/zyltfileoperator.h"

#include <algorithm>
#include <set>

#include "vcl/dialogs.h"
#include "vcl/extctrls.h"
#include "vcl/fileutils.h"
#include "vcl/forms.h"
#include "vcl/stdctrls.h"

namespace orvane {

using vcl::Integer;

namespace fileoperator {

constexpr std::pair<TZylFileFlag, win32::FILEOP_FLAGS> kShellFlags[] = {
    {opAllowUndo, win32::FOF_ALLOWUNDO},
    {opConfirmMouse, win32::FOF_CONFIRMMOUSE},
    {opFilesOnly, win32::FOF_FILESONLY},
    {opMultiDestFiles, win32::FOF_MULTIDESTFILES},
    {opNoConfirmation, win32::FOF_NOCONFIRMATION},
    {opNoConfirmMkDir, win32::FOF_NOCONFIRMMKDIR},
    {opRenameOnCollision, win32::FOF_RENAMEONCOLLISION},
    {opSilent, win32::FOF_SILENT},
    {opSimpleProgress, win32::FOF_SIMPLEPROGRESS},
    {opWantMappingHandle, win32::FOF_WANTMAPPINGHANDLE},
};

bool IsDelimiter(char c) {
    return c == '\\' || c == '/';
}

// True when the relative name leads to a place strictly inside the folder it is joined to: a name
// that comes back to the folder itself, or climbs above it, is not one of its entries.
bool NamesEntryInside(const std::string& name) {
    if (vcl::Trim(name).empty()) return false;
    Integer depth = 0;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = start;
        while (end < name.size() && !IsDelimiter(name[end]))
            ++end;
        const std::string component = name.substr(start, end - start);
        if (component == "..") {
            if (--depth < 0) return false;
        } else if (!component.empty() && component != ".") {
            ++depth;
        }
        start = end + 1;
    }
    return depth > 0;
}

bool IsAbsolute(const std::string& name) {
    return (!name.empty() && IsDelimiter(name[0])) || (name.size() > 1 && name[1] == ':');
}

std::string Question(win32::FileConfirmation kind, const std::string& path, bool toTrash) {
    switch (kind) {
        case win32::FileConfirmation::Overwrite:
            return "This folder already contains an item named '" + path +
                   "'.\r\rWould you like to replace the existing item?";
        case win32::FileConfirmation::Delete:
            return toTrash ? "Are you sure you want to move '" + path + "' to the Trash?"
                           : "Are you sure you want to delete '" + path + "' for good?";
        case win32::FileConfirmation::MakeFolder:
            return "The folder '" + path + "' does not exist.\r\rDo you want to create it?";
    }
    return {};
}

int AskUser(win32::FileConfirmation kind, const std::string& path, bool toTrash) {
    switch (vcl::MessageDlg(Question(kind, path, toTrash), vcl::mtConfirmation, vcl::mbYesNoCancel, 0)) {
        case vcl::mrYes:
            return win32::IDYES;
        case vcl::mrNo:
            return win32::IDNO;
        default:
            return win32::IDCANCEL;
    }
}

// The progress form: the operation's title, the item at hand, a bar and Cancel. It lives for one
// operation and is updated from the shell's progress calls, which also let its Cancel be clicked.
class ProgressWindow {
public:
    ProgressWindow(const std::string& title, bool simple) : simple_(simple) {
        constexpr Integer kMargin = 12, kWidth = 360, kBarHeight = 16;
        form_ = new vcl::TForm(vcl::Application, 0);
        form_->SetName("ZylFileProgress");
        form_->SetBorderStyle(vcl::bsDialog);
        form_->SetCaption(title);
        form_->SetBounds(0, 0, kWidth, 140);
        form_->SetPosition(vcl::poScreenCenter);

        item_ = new vcl::TLabel(form_);
        item_->SetName("Item");
        item_->SetParent(form_);
        item_->SetAutoSize(false);
        item_->SetBounds(kMargin, kMargin, form_->ClientWidth() - 2 * kMargin, 16);
        item_->SetCaption(title);

        track_ = new vcl::TPanel(form_);
        track_->SetName("Track");
        track_->SetParent(form_);
        track_->SetCaption("");
        track_->SetBevelOuter(vcl::bvLowered);
        track_->SetBounds(kMargin, item_->Top() + item_->Height() + 8, form_->ClientWidth() - 2 * kMargin,
                          kBarHeight);
        bar_ = new vcl::TPanel(form_);
        bar_->SetName("Bar");
        bar_->SetParent(track_);
        bar_->SetCaption("");
        bar_->SetBevelOuter(vcl::bvNone);
        bar_->SetColor(vcl::clHighlight);
        bar_->SetBounds(1, 1, 0, kBarHeight - 2);

        auto* cancel = new vcl::TButton(form_);
        cancel->SetName("Cancel");
        cancel->SetParent(form_);
        cancel->SetCaption("Cancel");
        cancel->SetBounds(form_->ClientWidth() - kMargin - 75, track_->Top() + kBarHeight + 10, 75, 25);
        cancel->OnClick = [this](vcl::TObject*) { cancelled_ = true; };
        form_->SetClientHeight(cancel->Top() + cancel->Height() + kMargin);
        form_->Show();
    }
    ~ProgressWindow() { form_->Free(); }
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    bool Step(const std::string& path, size_t done, size_t total) {
        if (!simple_ && !path.empty()) item_->SetCaption(vcl::ExtractFileName(path));
        const Integer room = track_->ClientWidth() - 2;
        bar_->SetWidth(total == 0 ? room : static_cast<Integer>(room * done / total));
        form_->Update();
        vcl::Application->ProcessMessages();
        return !cancelled_;
    }

private:
    bool simple_;
    bool cancelled_ = false;
    vcl::TForm* form_;
    vcl::TLabel* item_;
    vcl::TPanel* track_;
    vcl::TPanel* bar_;
};

std::set<std::string> TrashNames() {
    std::set<std::string> names;
    for (const auto& item : win32::TrashContents())
        names.insert(item.name);
    return names;
}

}  // namespace fileoperator

VCL_DEFINE_CLASS(TZylFileOperator, TZylExecuteComponent)

TZylFileOperator::TZylFileOperator(vcl::TComponent* owner)
    : TZylExecuteComponent(owner), filesFrom_(std::make_unique<vcl::TStringList>()) {}

TZylFileOperator::~TZylFileOperator() = default;

TZylFileFlags TZylFileOperator::GetFlags() const {
    TZylFileFlags flags;
    for (const auto& [flag, shellFlag] : fileoperator::kShellFlags)
        if (shellFlags_ & shellFlag) flags.Include(flag);
    return flags;
}

void TZylFileOperator::SetFlags(TZylFileFlags value) {
    win32::FILEOP_FLAGS word = 0;
    for (const auto& [flag, shellFlag] : fileoperator::kShellFlags)
        if (value.Contains(flag)) word |= shellFlag;
    shellFlags_ = word;
}

std::string TZylFileOperator::ProgressTitle() const {
    switch (operation_) {
        case TZylFileFunction::CopyFile:
            return "Copying...";
        case TZylFileFunction::DeleteFile:
            return "Deleteing...";
        case TZylFileFunction::MoveFile:
            return "Moving...";
        case TZylFileFunction::RenameFile:
            return "Renaming...";
    }
    return {};
}

std::string TZylFileOperator::SourceFolder() const {
    const std::string folder = dirFrom_.empty() ? vcl::GetCurrentDir() : vcl::ExpandFileName(dirFrom_);
    return vcl::IncludeTrailingBackslash(folder);
}

std::string TZylFileOperator::SourceList() const {
    const std::string folder = SourceFolder();
    std::string list;
    for (Integer i = 0; i < filesFrom_->Count(); ++i) {
        const std::string& name = filesFrom_->Strings(i);
        if (dirFrom_.empty() && fileoperator::IsAbsolute(name)) {
            // A full name stands for itself, but never for a drive's root.
            const std::string full = vcl::ExpandFileName(name);
            if (vcl::ExcludeTrailingBackslash(full).size() <= 2) continue;
            list += full;
        } else {
            if (!fileoperator::NamesEntryInside(name)) continue;
            list += folder + name;
        }
        list += '\0';
    }
    if (!list.empty()) list += '\0';
    return list;
}

std::string TZylFileOperator::Destination() const {
    // A bare new name of a rename stays in the source's folder, where the shell puts it.
    if (operation_ == TZylFileFunction::RenameFile && dirTo_.find_first_of("\\/:") == std::string::npos)
        return dirTo_;
    return vcl::ExpandFileName(dirTo_);
}

bool TZylFileOperator::RunShellOperation(const std::string& sources, const std::string& destination) {
    static constexpr win32::UINT kFunctions[] = {win32::FO_COPY, win32::FO_DELETE, win32::FO_MOVE,
                                                 win32::FO_RENAME};
    const std::string title = ProgressTitle();
    const std::string to = destination + '\0' + '\0';
    win32::SHFILEOPSTRUCT op{};
    op.wFunc = kFunctions[static_cast<size_t>(operation_)];
    op.pFrom = sources.c_str();
    op.pTo = to.c_str();
    op.fFlags = shellFlags_;
    op.lpszProgressTitle = title.c_str();

    const bool deleting = operation_ == TZylFileFunction::DeleteFile;
    const bool toTrash = deleting && (shellFlags_ & win32::FOF_ALLOWUNDO);
    std::unique_ptr<fileoperator::ProgressWindow> progress;
    if (!(shellFlags_ & win32::FOF_SILENT))
        progress =
            std::make_unique<fileoperator::ProgressWindow>(title, shellFlags_ & win32::FOF_SIMPLEPROGRESS);
    win32::FileOperationCallbacks callbacks;
    callbacks.confirm = [toTrash](win32::FileConfirmation kind, const std::string& path) {
        return fileoperator::AskUser(kind, path, toTrash);
    };
    if (progress)
        callbacks.progress = [&progress](const std::string& path, size_t done, size_t total) {
            return progress->Step(path, done, total);
        };
    std::set<std::string> trashBefore;
    if (toTrash) trashBefore = fileoperator::TrashNames();
    win32::FileOperationCallbacks previous = win32::SetFileOperationCallbacks(std::move(callbacks));
    const vcl::ScopeExit restore([&previous] { win32::SetFileOperationCallbacks(std::move(previous)); });
    const int result = win32::SHFileOperation(&op);
    if (toTrash) {
        trashed_.clear();
        for (const auto& name : fileoperator::TrashNames())
            if (!trashBefore.count(name)) trashed_.push_back(name);
    }
    // A declined question or a cancel leaves the work half done: that is never a success.
    return result == 0 && !op.fAnyOperationsAborted;
}

bool TZylFileOperator::Execute() {
    if (!dirFrom_.empty() && !fileoperator::IsDelimiter(dirFrom_.back())) dirFrom_ += '\\';
    if (dirTo_.empty()) throw Exception("Directory Information is invalid");
    if (!dirFrom_.empty() && !vcl::DirectoryExists(dirFrom_))
        throw Exception("Can not locate current Directory");
    const std::string sources = SourceList();
    const bool succeeded = !sources.empty() && RunShellOperation(sources, Destination());
    static constexpr vcl::TNotifyEvent TZylFileOperator::*kSuccess[] = {
        &TZylFileOperator::OnSuccessCopy, &TZylFileOperator::OnSuccessDelete,
        &TZylFileOperator::OnSuccessMove, &TZylFileOperator::OnSuccessRename};
    static constexpr vcl::TNotifyEvent TZylFileOperator::*kFailure[] = {
        &TZylFileOperator::OnFailCopy, &TZylFileOperator::OnFailDelete, &TZylFileOperator::OnFailMove,
        &TZylFileOperator::OnFailRename};
    const size_t index = static_cast<size_t>(operation_);
    const vcl::TNotifyEvent& outcome = this->*(succeeded ? kSuccess : kFailure)[index];
    if (outcome) outcome(this);
    if (OnDone) OnDone(this);
    return succeeded;
}

bool TZylFileOperator::RestoreDeleted() {
    bool all = true;
    std::vector<std::string> kept;
    for (const auto& name : trashed_) {
        if (win32::RestoreFromTrash(name) != win32::ERROR_SUCCESS) {
            all = false;
            kept.push_back(name);
        }
    }
    trashed_ = std::move(kept);
    return all;
}

}  // namespace orvane
