// The file operator: copies, moves, renames or deletes a list of files with the shell's file
// operation, showing its progress and asking before anything is replaced, and puts files that it
// deleted into the Trash back on request.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "orvane/zylsystem.h"
#include "vcl/classes.h"
#include "win32/shell.h"

namespace orvane {

enum class TZylFileFunction : uint8_t { CopyFile, DeleteFile, MoveFile, RenameFile };
VCL_ENUM_NAMES(TZylFileFunction, "CopyFile", "DeleteFile", "MoveFile", "RenameFile")

enum class TZylFileFlag : uint8_t {
    opAllowUndo,
    opConfirmMouse,
    opFilesOnly,
    opMultiDestFiles,
    opNoConfirmation,
    opNoConfirmMkDir,
    opRenameOnCollision,
    opSilent,
    opSimpleProgress,
    opWantMappingHandle
};
VCL_ENUM_NAMES(TZylFileFlag, "opAllowUndo", "opConfirmMouse", "opFilesOnly", "opMultiDestFiles",
               "opNoConfirmation", "opNoConfirmMkDir", "opRenameOnCollision", "opSilent", "opSimpleProgress",
               "opWantMappingHandle")
using enum TZylFileFlag;
using TZylFileFlags = vcl::Set<TZylFileFlag>;

// Runs one shell file operation on FilesFrom (names or masks inside DirFrom) towards DirTo.
//
// Every name is made absolute before the operation, so the process's current folder is neither
// read for DirFrom nor changed. Blank lines and names that come to DirFrom itself or above it
// ("", ".", "..", "sub\..") are left out: joined to DirFrom they would name the whole source folder.
// The operation counts as done only when the shell reports success and nothing was declined or
// cancelled on the way. While it runs, unless opSilent, the progress form "ZylFileProgress" shows
// the title and the item at hand (only the title under opSimpleProgress), and its Cancel button
// stops after the current item. Questions (replace, delete, make a folder) are asked with the
// message dialog; the shell never replaces anything without a "Yes", whatever the flags say.
// opConfirmMouse and opWantMappingHandle are handed on to the shell, which has no use for them.
class TZylFileOperator : public TZylExecuteComponent {
    VCL_DECLARE_CLASS(TZylFileOperator, TZylExecuteComponent)
public:
    explicit TZylFileOperator(vcl::TComponent* owner);
    ~TZylFileOperator() override;

    vcl::TStrings* FilesFrom() const { return filesFrom_.get(); }
    void SetFilesFrom(const vcl::TStrings* value) { filesFrom_->Assign(value); }
    const std::string& DirFrom() const { return dirFrom_; }
    void SetDirFrom(const std::string& value) { dirFrom_ = value; }
    const std::string& DirTo() const { return dirTo_; }
    void SetDirTo(const std::string& value) { dirTo_ = value; }
    TZylFileFunction Operation() const { return operation_; }
    void SetOperation(TZylFileFunction value) { operation_ = value; }
    TZylFileFlags Flags() const { return GetFlags(); }
    void SetFlags(TZylFileFlags value);

    // The flags through the shell's flag word.
    TZylFileFlags GetFlags() const;
    win32::FILEOP_FLAGS ShellFlags() const { return shellFlags_; }

    // Raises Exception "Directory Information is invalid" for an empty DirTo and "Can not locate
    // current Directory" for a DirFrom that is not a folder.
    bool Execute() override;

    // The source list as handed to the shell: absolute names, each ended by a NUL, the whole by a
    // second one. Empty when no usable name is left.
    std::string SourceList() const;
    // The progress title of Operation.
    std::string ProgressTitle() const;

    // Puts back what the last deletion moved into the Trash; true when every entry went back.
    // An entry whose place is taken again stays in the Trash.
    bool RestoreDeleted();
    // The Trash names of the entries the last deletion moved there.
    const std::vector<std::string>& DeletedToTrash() const { return trashed_; }

    vcl::TNotifyEvent OnSuccessCopy;
    vcl::TNotifyEvent OnSuccessDelete;
    vcl::TNotifyEvent OnSuccessMove;
    vcl::TNotifyEvent OnSuccessRename;
    vcl::TNotifyEvent OnFailCopy;
    vcl::TNotifyEvent OnFailDelete;
    vcl::TNotifyEvent OnFailMove;
    vcl::TNotifyEvent OnFailRename;
    vcl::TNotifyEvent OnDone;

    static void Publish(vcl::Published<TZylFileOperator>& p) {
        p.Property("FilesFrom", &TZylFileOperator::FilesFrom);
        p.Property("DirFrom", &TZylFileOperator::DirFrom, &TZylFileOperator::SetDirFrom, std::string());
        p.Property("DirTo", &TZylFileOperator::DirTo, &TZylFileOperator::SetDirTo, std::string());
        p.Property("Operation", &TZylFileOperator::Operation, &TZylFileOperator::SetOperation,
                   TZylFileFunction::CopyFile);
        p.Property("Flags", &TZylFileOperator::Flags, &TZylFileOperator::SetFlags,
                   TZylFileFlags{opAllowUndo, opNoConfirmMkDir});
        p.Event("OnSuccessCopy", &TZylFileOperator::OnSuccessCopy);
        p.Event("OnSuccessDelete", &TZylFileOperator::OnSuccessDelete);
        p.Event("OnSuccessMove", &TZylFileOperator::OnSuccessMove);
        p.Event("OnSuccessRename", &TZylFileOperator::OnSuccessRename);
        p.Event("OnFailCopy", &TZylFileOperator::OnFailCopy);
        p.Event("OnFailDelete", &TZylFileOperator::OnFailDelete);
        p.Event("OnFailMove", &TZylFileOperator::OnFailMove);
        p.Event("OnFailRename", &TZylFileOperator::OnFailRename);
        p.Event("OnDone", &TZylFileOperator::OnDone);
    }

private:
    std::string SourceFolder() const;
    std::string Destination() const;
    bool RunShellOperation(const std::string& sources, const std::string& destination);

    std::unique_ptr<vcl::TStrings> filesFrom_;
    std::string dirFrom_;
    std::string dirTo_;
    TZylFileFunction operation_ = TZylFileFunction::CopyFile;
    win32::FILEOP_FLAGS shellFlags_ = 576;
    std::vector<std::string> trashed_;
};

}  // namespace orvane
