#include "pellic/zyltexplorertree.h"

#include <algorithm>

#include "vcl/classregistration.h"
#include "vcl/forms.h"
#include "vcl/stringlist.h"
#include "vcl/sysutils.h"
#include "win32/files.h"
#include "win32/shell.h"

namespace pellic {

using vcl::Integer;
using vcl::TTreeNode;

namespace zyltexplorertree {

const vcl::TClassRegistration classesRegistered{TZylExplorerTree::StaticClass()};

std::string WithSlash(const std::string& path) {
    return path.empty() || path.back() == '\\' ? path : path + '\\';
}

std::string WithoutSlash(const std::string& path) {
    return !path.empty() && path.back() == '\\' ? path.substr(0, path.size() - 1) : path;
}

Integer SlashCount(const std::string& path) {
    return static_cast<Integer>(std::count(path.begin(), path.end(), '\\'));
}

// The path up to and with its k-th `\` (k from 1); the whole path when it has fewer.
std::string Prefix(const std::string& path, Integer k) {
    size_t at = 0;
    for (Integer seen = 0; at < path.size(); ++at)
        if (path[at] == '\\' && ++seen == k) return path.substr(0, at + 1);
    return path;
}

// "X:\..." with a letter: the only kind of path the tree and the helpers rewrite.
bool IsDrivePath(const std::string& path) {
    return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
           path[2] == '\\';
}

char DriveLetterOf(const std::string& path) {
    return path.empty() ? '\0' : static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
}

// Critical-error dialogs stay away while the scope lasts.
class QuietErrors {
public:
    QuietErrors() : previous_(win32::SetErrorMode(win32::SEM_FAILCRITICALERRORS)) {}
    ~QuietErrors() { win32::SetErrorMode(previous_); }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;

private:
    win32::UINT previous_;
};

// The hourglass while the scope lasts; the cursor before it comes back on every way out.
class BusyCursor {
public:
    BusyCursor() : previous_(vcl::Screen ? vcl::Screen->Cursor() : vcl::crDefault) {
        if (vcl::Screen) vcl::Screen->SetCursor(vcl::crHourGlass);
    }
    ~BusyCursor() {
        if (vcl::Screen) vcl::Screen->SetCursor(previous_);
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    vcl::TCursor previous_;
};

class UpdateScope {
public:
    explicit UpdateScope(vcl::TTreeNodes* nodes) : nodes_(nodes) { nodes_->BeginUpdate(); }
    ~UpdateScope() { nodes_->EndUpdate(); }
    UpdateScope(const UpdateScope&) = delete;
    UpdateScope& operator=(const UpdateScope&) = delete;

private:
    vcl::TTreeNodes* nodes_;
};

std::string RewritePath(const std::string& path,
                        const std::function<std::string(const std::string& prefix)>& name) {
    std::string stripped = WithoutSlash(path);
    if (stripped.empty()) return stripped;
    if (stripped.find('\\') == std::string::npos) {
        if (stripped.size() >= 2 && stripped[1] == ':') stripped[0] = DriveLetterOf(stripped);
        return stripped;
    }
    if (!IsDrivePath(stripped)) return stripped;
    const std::string full = stripped + '\\';
    std::string result{DriveLetterOf(full), ':', '\\'};
    const Integer n = SlashCount(full);
    for (Integer k = 2; k <= n; ++k) {
        const std::string prefix = Prefix(full, k);
        const std::string withoutSlash = WithoutSlash(prefix);
        const std::string given = withoutSlash.substr(withoutSlash.rfind('\\') + 1);
        const std::string found = name(withoutSlash);
        result += (found.empty() ? given : found) + '\\';
    }
    return WithoutSlash(result);
}

std::string DisplayNameOf(const std::string& path) {
    win32::SHFILEINFO info{};
    if (!win32::SHGetFileInfo(path.c_str(), 0, &info, sizeof info, win32::SHGFI_DISPLAYNAME)) return {};
    return info.szDisplayName;
}

Integer SmallIconOf(const std::string& path, bool open) {
    win32::SHFILEINFO info{};
    win32::UINT flags = win32::SHGFI_SYSICONINDEX | win32::SHGFI_SMALLICON;
    if (open) flags |= win32::SHGFI_OPENICON;
    win32::SHGetFileInfo(path.c_str(), 0, &info, sizeof info, flags);
    return info.iIcon;
}

}  // namespace zyltexplorertree

namespace tree = zyltexplorertree;

bool ZylShellItemExists(const std::string& Path) {
    if (Path.empty()) return false;
    const tree::QuietErrors quiet;
    return win32::GetFileAttributes(Path.c_str()) != win32::INVALID_FILE_ATTRIBUTES;
}

std::string ZylGetSystemPath(const std::string& Path) {
    return tree::RewritePath(Path, [](const std::string& prefix) -> std::string {
        const tree::QuietErrors quiet;
        win32::WIN32_FIND_DATA data{};
        const win32::HANDLE search = win32::FindFirstFile(prefix.c_str(), &data);
        if (search == win32::INVALID_HANDLE_VALUE) return {};
        win32::FindClose(search);
        return data.cFileName;
    });
}

std::string ZylGetShellPath(const std::string& Path) {
    return tree::RewritePath(Path, [](const std::string& prefix) { return tree::DisplayNameOf(prefix); });
}

// ---------------------------------------------------------------------------------------------
// TZylExplorerTree

struct TZylExplorerTree::NodeData {
    std::string Path;       // ends in `\`, as the file system spells it
    bool Expanded = false;  // the children have been read
    bool Link = false;      // a symbolic link: never followed by FullExpand
};

VCL_DEFINE_CLASS(TZylExplorerTree, vcl::TCustomTreeView)

TZylExplorerTree::TZylExplorerTree(vcl::TComponent* owner)
    : vcl::TCustomTreeView(owner), systemImages_(new vcl::TImageList(nullptr)) {
    win32::SHFILEINFO info{};
    const auto list = reinterpret_cast<win32::HIMAGELIST>(win32::SHGetFileInfo(
        "C:\\", 0, &info, sizeof info, win32::SHGFI_SYSICONINDEX | win32::SHGFI_SMALLICON));
    if (list) systemImages_->SetHandle(list);
    SetImages(systemImages_.get());
    char windows[win32::MAX_PATH] = {};
    win32::GetWindowsDirectory(windows, sizeof windows);
    windowsPath_ = tree::WithSlash(windows);
    closedFolderIndex_ = tree::SmallIconOf(windowsPath_, false);
    openFolderIndex_ = tree::SmallIconOf(windowsPath_, true);
    for (size_t i = 0; i < lastVisited_.size(); ++i)
        lastVisited_[i] = std::string{static_cast<char>('A' + i), ':', '\\'};
    char current[win32::MAX_PATH] = {};
    win32::GetCurrentDirectory(sizeof current, current);
    if (const std::string here = current; tree::IsDrivePath(here))
        lastVisited_[static_cast<size_t>(tree::DriveLetterOf(here) - 'A')] = tree::WithSlash(here);
    SetHideSelection(false);
}

TZylExplorerTree::~TZylExplorerTree() {
    SetImages(nullptr);
}

TZylExplorerTree::NodeData* TZylExplorerTree::DataOf(const TTreeNode* node) {
    return node ? static_cast<NodeData*>(node->Data()) : nullptr;
}

std::string TZylExplorerTree::NodePath(const TTreeNode* node) const {
    const NodeData* data = DataOf(node);
    return data ? data->Path : std::string();
}

void TZylExplorerTree::Delete(TTreeNode* node) {
    // The framework tells about each node once; the data goes with that word.
    delete DataOf(node);
    node->SetData(nullptr);
    if (OnDeleteItem) OnDeleteItem(this, node);
    vcl::TCustomTreeView::Delete(node);
}

void TZylExplorerTree::CreateWnd() {
    vcl::TCustomTreeView::CreateWnd();
    ReadNew();
}

void TZylExplorerTree::Loaded() {
    vcl::TCustomTreeView::Loaded();
    ReadNew();
}

void TZylExplorerTree::ReadNew() {
    if (!HandleAllocated() || IsLoading() || reading_) return;
    const vcl::ScopedValue guard(reading_, true);
    ready_ = false;
    const tree::BusyCursor busy;
    {
        const tree::UpdateScope update(Items());
        Items()->Clear();
        if (vcl::Application) vcl::Application->ProcessMessages();
        win32::DWORD drives = 0;
        {
            const tree::QuietErrors quiet;
            drives = win32::GetLogicalDrives();
        }
        for (int letter = 0; letter < 26; ++letter) {
            if (!(drives & (1u << letter))) continue;
            const std::string root{static_cast<char>('A' + letter), ':', '\\'};
            const win32::UINT type = win32::GetDriveType(root.c_str());
            if (!network_ && type == win32::DRIVE_REMOTE) continue;
            if (!AskAdd(root)) continue;
            TTreeNode* node = AddNode(root);
            if (fastLoad_ || type < win32::DRIVE_FIXED || type == win32::DRIVE_CDROM)
                Items()->AddChild(node, "**");
            else
                GetBtn(node);
        }
        ready_ = true;
    }
    if (Selected()) SetTopItem(Selected());
}

void TZylExplorerTree::SearchFolder(const std::string& path,
                                    const std::function<bool(const std::string& name, bool link)>& entry) {
    const tree::QuietErrors quiet;
    if (OnFindDirectory) {
        // The handler steers; it cannot fill the tree's own record, so no folder is found here.
        // Each step starts as "no more", so a handler that never answers ends the search.
        constexpr Integer kNoMoreFiles = 18;
        bool first = true;
        for (;;) {
            Integer result = kNoMoreFiles;
            OnFindDirectory(this, path, result, first);
            first = false;
            if (result != 0) return;
        }
    }
    win32::WIN32_FIND_DATA data{};
    const win32::HANDLE search = win32::FindFirstFile((path + "*.*").c_str(), &data);
    if (search == win32::INVALID_HANDLE_VALUE) return;
    const vcl::ScopeExit close([search] { win32::FindClose(search); });
    do {
        const std::string name = data.cFileName;
        if (!(data.dwFileAttributes & win32::FILE_ATTRIBUTE_DIRECTORY) || name == "." || name == "..")
            continue;
        if (!entry(name, (data.dwFileAttributes & win32::FILE_ATTRIBUTE_REPARSE_POINT) != 0)) return;
    } while (win32::FindNextFile(search, &data));
}

bool TZylExplorerTree::AskAdd(const std::string& path) {
    // Everything below a folder named RECYCLED stays hidden; the folder itself is shown.
    static constexpr std::string_view kRecycled = "\\recycled\\";
    const std::string lower = vcl::LowerCase(path);
    if (const size_t at = lower.find(kRecycled);
        at != std::string::npos && at + kRecycled.size() < lower.size())
        return false;
    bool add = true;
    if (OnAddDirectory) OnAddDirectory(this, path, add);
    return add;
}

void TZylExplorerTree::GetBtn(TTreeNode* node) {
    NodeData* data = DataOf(node);
    if (Designing() || !data || data->Expanded || node->Count() > 0) return;
    SearchFolder(data->Path, [&](const std::string& name, bool) {
        if (!AskAdd(data->Path + name + '\\')) return true;
        Items()->AddChild(node, "**");
        return false;
    });
}

void TZylExplorerTree::GetDirChildren(TTreeNode* node) {
    NodeData* data = DataOf(node);
    if (Designing() || !data || data->Expanded) return;
    node->DeleteChildren();
    data->Expanded = true;
    std::vector<std::pair<std::string, bool>> found;
    SearchFolder(data->Path, [&](const std::string& name, bool link) {
        if (AskAdd(data->Path + name + '\\')) found.emplace_back(name, link);
        return true;
    });
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return vcl::AnsiCompareText(a.first, b.first) < 0; });
    for (const auto& [name, link] : found)
        AddKid(node, data->Path + name + '\\', link);
}

void TZylExplorerTree::GetSubKids(TTreeNode* node) {
    if (Designing()) return;
    for (Integer i = 0; i < node->Count(); ++i)
        GetBtn(node->Item(i));
}

TTreeNode* TZylExplorerTree::AddNode(const std::string& path) {
    return AddKid(nullptr, path, false);
}

TTreeNode* TZylExplorerTree::AddKid(TTreeNode* parent, const std::string& path, bool link) {
    const std::string full = tree::WithSlash(path);
    win32::SHFILEINFO info{};
    win32::SHGetFileInfo(full.c_str(), 0, &info, sizeof info,
                         win32::SHGFI_SYSICONINDEX | win32::SHGFI_SMALLICON | win32::SHGFI_DISPLAYNAME);
    std::string text = info.szDisplayName;
    if (text.empty()) text = tree::WithoutSlash(full).substr(tree::WithoutSlash(full).rfind('\\') + 1);
    auto* data = new NodeData{full, false, link};
    TTreeNode* node = Items()->AddChildObject(parent, text, data);
    TreeGetImageIndex(node, info.iIcon);
    return node;
}

void TZylExplorerTree::TreeGetImageIndex(TTreeNode* node, Integer index) {
    node->SetImageIndex(index);
    node->SetSelectedIndex(index == closedFolderIndex_ ? openFolderIndex_
                                                       : tree::SmallIconOf(NodePath(node), true));
    if (OnGetIcon) OnGetIcon(this, node);
}

bool TZylExplorerTree::CanExpand(TTreeNode* node) {
    if (reading_) return vcl::TCustomTreeView::CanExpand(node);
    const tree::BusyCursor busy;
    {
        const vcl::ScopedValue guard(reading_, true);
        GetDirChildren(node);
        GetSubKids(node);
    }
    return vcl::TCustomTreeView::CanExpand(node);
}

void TZylExplorerTree::ExpandAll(TTreeNode* node) {
    const NodeData* data = DataOf(node);
    if (!data || data->Link) return;
    node->Expand(false);
    for (Integer i = 0; i < node->Count(); ++i)
        ExpandAll(node->Item(i));
}

void TZylExplorerTree::FullExpand() {
    const tree::BusyCursor busy;
    const tree::UpdateScope update(Items());
    for (TTreeNode* drive : std::vector<TTreeNode*>(Items()->Roots()))
        ExpandAll(drive);
}

void TZylExplorerTree::Change(TTreeNode* node) {
    if (!ComponentState().Contains(vcl::csDestroying) && ready_) {
        if (const std::string path = NodePath(node); tree::IsDrivePath(path))
            lastVisited_[static_cast<size_t>(tree::DriveLetterOf(path) - 'A')] = path;
    }
    vcl::TCustomTreeView::Change(node);
}

TTreeNode* TZylExplorerTree::FindChild(const std::vector<TTreeNode*>& nodes, const std::string& path) const {
    for (TTreeNode* node : nodes)
        if (NodePath(node) == path) return node;
    for (TTreeNode* node : nodes)
        if (const std::string own = NodePath(node); !own.empty() && vcl::AnsiCompareText(own, path) == 0)
            return node;
    return nullptr;
}

std::string TZylExplorerTree::Directory() const {
    const std::string path = NodePath(Selected());
    return path.empty() ? "nil" : path;
}

void TZylExplorerTree::SetDirectory(const std::string& value) {
    if (value.empty()) throw vcl::Exception("Invalid Directory Name");
    if (value == "nil" || reading_) return;
    std::string path = tree::WithSlash(value);
    if (!tree::IsDrivePath(path) || !ZylShellItemExists(tree::WithoutSlash(path))) {
        const std::string current = Directory();
        path = current == "nil" ? std::string() : current.substr(0, 3);
        if (path.empty()) {
            if (Items()->GetFirstNode()) path = NodePath(Items()->GetFirstNode());
            if (path.empty()) return;
        }
    }
    path[0] = tree::DriveLetterOf(path);
    if (!Designing() && !network_ && win32::GetDriveType(path.substr(0, 3).c_str()) == win32::DRIVE_REMOTE)
        path = windowsPath_;
    const tree::BusyCursor busy;
    TTreeNode* node = nullptr;
    {
        const tree::UpdateScope update(Items());
        const vcl::ScopedValue guard(reading_, true);
        const Integer n = tree::SlashCount(path);
        for (Integer k = 1; k <= n; ++k) {
            const std::string prefix = tree::Prefix(path, k);
            std::vector<TTreeNode*> candidates = node ? std::vector<TTreeNode*>() : Items()->Roots();
            if (node)
                for (Integer i = 0; i < node->Count(); ++i)
                    candidates.push_back(node->Item(i));
            TTreeNode* found = FindChild(candidates, prefix);
            // A prefix without a node leaves the selection as it was.
            if (!found) return;
            if (!IsExpanded(found)) {
                GetDirChildren(found);
                GetSubKids(found);
            }
            node = found;
        }
    }
    if (!node) return;
    SetSelected(node);
    node->MakeVisible();
    SetTopItem(node);
}

char TZylExplorerTree::Drive() const {
    const std::string path = NodePath(Selected());
    return path.empty() ? '\0' : tree::DriveLetterOf(path);
}

void TZylExplorerTree::SetDrive(char value) {
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(value)));
    if (letter < 'A' || letter > 'Z' || letter == Drive()) return;
    std::string path = lastVisited_[static_cast<size_t>(letter - 'A')];
    if (!ZylShellItemExists(tree::WithoutSlash(path))) path = path.substr(0, 3);
    try {
        SetDirectory(path);
    } catch (const std::exception&) {
        // A drive that cannot be shown leaves the selection where it was.
    }
}

void TZylExplorerTree::SetNetwork(bool value) {
    if (network_ == value) return;
    network_ = value;
    Reload();
}

std::string TZylExplorerTree::DragDropFolder() const {
    return NodePath(DropTarget());
}

void TZylExplorerTree::Reload() {
    if (reading_) return;
    const std::string remembered = Directory();
    ReadNew();
    try {
        if (remembered != "nil") SetDirectory(remembered);
        if (Items()->GetFirstNode() && !Selected() && remembered != "nil")
            SetDirectory(remembered.substr(0, 3));
        if (Items()->GetFirstNode() && !Selected()) {
            TTreeNode* drive = Items()->GetFirstNode();
            while (drive->GetNextSibling()) {
                TTreeNode* first = drive->GetFirstChild();
                if (!first || DataOf(first)) break;
                drive = drive->GetNextSibling();
            }
            const std::string last =
                lastVisited_[static_cast<size_t>(tree::DriveLetterOf(NodePath(drive)) - 'A')];
            SetDirectory(last);
            if (Directory() != last) {
                SetSelected(drive);
                Change(drive);
            }
        }
    } catch (const std::exception&) {
        // Falling back is best effort: the tree stays as it was read.
    }
}

TTreeNode* TZylExplorerTree::GetNodeFromPath(const std::string& path) const {
    const std::string full = tree::WithSlash(path);
    if (!tree::IsDrivePath(full)) return nullptr;
    TTreeNode* node = nullptr;
    const Integer n = tree::SlashCount(full);
    for (Integer k = 1; k <= n; ++k) {
        std::vector<TTreeNode*> candidates;
        if (node)
            for (Integer i = 0; i < node->Count(); ++i)
                candidates.push_back(node->Item(i));
        node = FindChild(node ? candidates : Items()->Roots(), tree::Prefix(full, k));
        if (!node) return nullptr;
    }
    return node;
}

void TZylExplorerTree::AddPath(const std::string& parentPath, const std::string& name) {
    TTreeNode* parent = GetNodeFromPath(parentPath);
    if (!parent || name.empty() || name.find('\\') != std::string::npos) return;
    const std::string path = NodePath(parent) + name + '\\';
    if (!AskAdd(path)) return;
    if (!IsExpanded(parent)) {
        // Not read yet: the new folder is read with the others; only the button may be new.
        ClearNode(parent);
        return;
    }
    std::vector<TTreeNode*> children;
    for (Integer i = 0; i < parent->Count(); ++i)
        children.push_back(parent->Item(i));
    for (TTreeNode* child : children)
        if (NodePath(child) == path) return;
    TTreeNode* node = AddKid(parent, path, false);
    GetBtn(node);
    parent->AlphaSort();
}

void TZylExplorerTree::RenamePath(const std::string& oldPath, const std::string& newName) {
    if (oldPath.empty() || newName.empty() || newName.find('\\') != std::string::npos) return;
    TTreeNode* node = GetNodeFromPath(oldPath);
    if (!node || !node->Parent()) return;
    const std::string before = NodePath(node);
    const std::string above =
        tree::WithoutSlash(before).substr(0, tree::WithoutSlash(before).rfind('\\') + 1);
    const std::string after = above + newName + '\\';
    std::function<void(TTreeNode*)> rename = [&](TTreeNode* current) {
        NodeData* data = DataOf(current);
        if (!data) return;
        data->Path = after + data->Path.substr(before.size());
        const std::string shown = tree::DisplayNameOf(data->Path);
        current->SetText(
            shown.empty()
                ? tree::WithoutSlash(data->Path).substr(tree::WithoutSlash(data->Path).rfind('\\') + 1)
                : shown);
        TreeGetImageIndex(current, tree::SmallIconOf(data->Path, false));
        if (current == Selected()) Change(current);
        if (data->Expanded)
            for (Integer i = 0; i < current->Count(); ++i)
                rename(current->Item(i));
    };
    rename(node);
}

void TZylExplorerTree::DeletePath(const std::string& path) {
    if (TTreeNode* node = GetNodeFromPath(path)) node->Delete();
}

void TZylExplorerTree::ClearNode(TTreeNode* node) {
    NodeData* data = DataOf(node);
    if (!data) return;
    node->DeleteChildren();
    data->Expanded = false;
    GetBtn(node);
}

bool TZylExplorerTree::IsExpanded(TTreeNode* node) const {
    const NodeData* data = DataOf(node);
    return data && data->Expanded;
}

}  // namespace pellic
