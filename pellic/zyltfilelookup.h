// The file lookup: a lookup edit whose button runs the file-open dialog; the chosen file name
// becomes the edit's text.
#pragma once

#include <string>

#include "pellic/zyltlookupedit.h"
#include "vcl/dialogs.h"

namespace pellic {

class TZylFileLookup : public TZylCustomLookupEdit {
    VCL_DECLARE_CLASS(TZylFileLookup, TZylCustomLookupEdit)
public:
    explicit TZylFileLookup(vcl::TComponent* owner);

    std::string Filename() const { return Text(); }
    void SetFilename(const std::string& value) { SetText(value); }
    const std::string& Filter() const { return filter_; }
    void SetFilter(const std::string& value) { filter_ = value; }
    const std::string& DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(const std::string& value) { defaultExt_ = value; }
    const std::string& InitialDir() const { return initialDir_; }
    void SetInitialDir(const std::string& value) { initialDir_ = value; }
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& value) { title_ = value; }
    vcl::TOpenOptions Options() const { return options_; }
    void SetOptions(vcl::TOpenOptions value) { options_ = value; }

    // Runs the dialog; true when a file was chosen.
    bool Execute();

    static void Publish(vcl::Published<TZylFileLookup>& p) {
        PublishLookupEditProperties(p);
        p.Property("DefaultExt", &TZylFileLookup::DefaultExt, &TZylFileLookup::SetDefaultExt, std::string());
        p.Property("EditButton1", &TZylCustomLookupEdit::EditButton1);
        p.Property("Filename", &TZylFileLookup::Filename, &TZylFileLookup::SetFilename, std::string());
        p.Property("Filter", &TZylFileLookup::Filter, &TZylFileLookup::SetFilter,
                   std::string("All Files|*.*"));
        p.Property("InitialDir", &TZylFileLookup::InitialDir, &TZylFileLookup::SetInitialDir, std::string());
        p.Property("Options", &TZylFileLookup::Options, &TZylFileLookup::SetOptions,
                   vcl::TOpenOptions{vcl::ofHideReadOnly});
        p.Property("Title", &TZylFileLookup::Title, &TZylFileLookup::SetTitle, std::string());
        PublishLookupEditEvents(p);
    }

protected:
    void EditButton1Click(vcl::TObject* Sender) override;

private:
    std::string filter_ = "All Files|*.*";
    std::string defaultExt_;
    std::string initialDir_;
    std::string title_;
    vcl::TOpenOptions options_{vcl::ofHideReadOnly};
};

}  // namespace pellic
