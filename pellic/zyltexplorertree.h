// The explorer tree: drives at the top level and their folders below, read from the file system
// when a node is first expanded. A node shows an expand button only when its folder holds at least
// one folder that OnAddDirectory accepts; folders below one named RECYCLED are never listed.
//
// Node paths end in `\` and keep the spelling the file system stores, so that two folders whose
// names differ only in letter case stay two nodes; looking a path up tries the exact spelling
// first, then one without regard to case. Directory is the selected folder ("nil" for none);
// setting a folder that does not exist selects the root of the current drive. The tree remembers
// the last folder visited on each drive, which Drive goes back to.
//
// Symbolic links to folders are listed but never followed by FullExpand, so a link that points
// back up the tree cannot make it expand for ever. While the tree reads folders it shows the
// hourglass, and any nested attempt to read (through messages pumped meanwhile) is ignored.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "vcl/comctrls.h"

namespace pellic {

// True when the file or folder's attributes can be read (no error dialog for a drive without
// its medium).
bool ZylShellItemExists(const std::string& Path);
// The path with each name spelled as the file system stores it, or as the shell shows it. A bare
// drive comes back with its letter in upper case; empty, relative and UNC paths come back as they
// were given, without a trailing `\`.
std::string ZylGetSystemPath(const std::string& Path);
std::string ZylGetShellPath(const std::string& Path);

using TZylAddFileEvent = std::function<void(vcl::TObject* Sender, const std::string& FileName, bool& DoAdd)>;
// Steers the search of a folder in place of the file system: First is true for the first step;
// the search goes on while the handler sets Result to 0 (it starts each step as "no more").
using TZylFindDirectoryEvent =
    std::function<void(vcl::TObject* Sender, const std::string& Path, vcl::Integer& Result, bool First)>;

class TZylExplorerTree : public vcl::TCustomTreeView {
    VCL_DECLARE_CLASS(TZylExplorerTree, vcl::TCustomTreeView)
public:
    explicit TZylExplorerTree(vcl::TComponent* owner);
    ~TZylExplorerTree() override;

    // Raises vcl::Exception "Invalid Directory Name" for an empty path; "nil" does nothing.
    std::string Directory() const;
    void SetDirectory(const std::string& value);
    // The drive letter of Directory (0 when nothing is selected); setting a letter outside A-Z
    // (either case) does nothing.
    char Drive() const;
    void SetDrive(char value);
    bool Network() const { return network_; }
    void SetNetwork(bool value);
    bool FastLoad() const { return fastLoad_; }
    void SetFastLoad(bool value) { fastLoad_ = value; }
    // The folder under a drag, empty when there is none.
    std::string DragDropFolder() const;

    void Reload();
    void FullExpand();
    vcl::TTreeNode* GetNodeFromPath(const std::string& path) const;
    void AddPath(const std::string& parentPath, const std::string& name);
    void RenamePath(const std::string& oldPath, const std::string& newName);
    void DeletePath(const std::string& path);
    // Forgets the node's children; they are read again when it is next expanded.
    void ClearNode(vcl::TTreeNode* node);
    // The node's folder has been read.
    bool IsExpanded(vcl::TTreeNode* node) const;
    // The node's folder path ending in `\`; empty for none.
    std::string NodePath(const vcl::TTreeNode* node) const;

    TZylAddFileEvent OnAddDirectory;
    vcl::TTVExpandedEvent OnDeleteItem;
    vcl::TTVExpandedEvent OnGetIcon;
    TZylFindDirectoryEvent OnFindDirectory;

    static void Publish(vcl::Published<TZylExplorerTree>& p) {
        PublishTreeViewProperties(p);
        p.Property("Directory", &TZylExplorerTree::Directory, &TZylExplorerTree::SetDirectory).Stored(false);
        p.Property("Network", &TZylExplorerTree::Network, &TZylExplorerTree::SetNetwork, true);
        p.Property("FastLoad", &TZylExplorerTree::FastLoad, &TZylExplorerTree::SetFastLoad, false);
        PublishTreeViewEvents(p);
        p.Event<TZylAddFileEvent>("OnAddDirectory", &TZylExplorerTree::OnAddDirectory);
        p.Event<vcl::TTVExpandedEvent>("OnDeleteItem", &TZylExplorerTree::OnDeleteItem);
        p.Event<vcl::TTVExpandedEvent>("OnGetIcon", &TZylExplorerTree::OnGetIcon);
        p.Event<TZylFindDirectoryEvent>("OnFindDirectory", &TZylExplorerTree::OnFindDirectory);
    }

protected:
    void CreateWnd() override;
    void Loaded() override;
    bool CanExpand(vcl::TTreeNode* node) override;
    void Change(vcl::TTreeNode* node) override;
    void Delete(vcl::TTreeNode* node) override;

private:
    struct NodeData;
    static NodeData* DataOf(const vcl::TTreeNode* node);

    void ReadNew();
    // Calls `entry` with the name of each folder the search of `path` finds.
    void SearchFolder(const std::string& path,
                      const std::function<bool(const std::string& name, bool link)>& entry);
    void GetDirChildren(vcl::TTreeNode* node);
    void GetSubKids(vcl::TTreeNode* node);
    void GetBtn(vcl::TTreeNode* node);
    vcl::TTreeNode* AddNode(const std::string& path);
    vcl::TTreeNode* AddKid(vcl::TTreeNode* parent, const std::string& path, bool link);
    bool AskAdd(const std::string& path);
    void TreeGetImageIndex(vcl::TTreeNode* node, vcl::Integer index);
    vcl::TTreeNode* FindChild(const std::vector<vcl::TTreeNode*>& nodes, const std::string& path) const;
    void ExpandAll(vcl::TTreeNode* node);

    vcl::TComponentPtr<vcl::TImageList> systemImages_;
    vcl::Integer closedFolderIndex_ = 0;
    vcl::Integer openFolderIndex_ = 0;
    std::string windowsPath_;
    std::array<std::string, 26> lastVisited_;
    bool network_ = true;
    bool fastLoad_ = false;
    bool ready_ = false;
    bool reading_ = false;
};

}  // namespace pellic
