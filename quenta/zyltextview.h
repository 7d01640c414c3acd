// The text file viewer: a small plain-text editor window with a File and an Options menu.
#pragma once

#include <memory>
#include <string>

#include "quenta/zyldialogs.h"
#include "vcl/menus.h"

namespace quenta {

// Opens a modal editor window ("ZylTextView") configured from the properties. The built-in menus
// have group indexes 1 (File) and 2 (Options); a main menu given in Menus is merged into them.
class TZylTextFileView : public TZylDialogComponent {
    VCL_DECLARE_CLASS(TZylTextFileView, TZylDialogComponent)
public:
    // Menus starts as an empty main menu that belongs to the component.
    explicit TZylTextFileView(vcl::TComponent* owner);
    ~TZylTextFileView() override;

    const std::string& EditorCaption() const { return editorCaption_; }
    void SetEditorCaption(const std::string& value) { editorCaption_ = value; }
    vcl::TColor EditColor() const { return editColor_; }
    void SetEditColor(vcl::TColor value) { editColor_ = value; }
    vcl::TFont* EditFonts() const { return editFonts_.get(); }
    void SetEditFonts(const vcl::TFont* value) { editFonts_->Assign(value); }
    bool MenuFile() const { return menuFile_; }
    void SetMenuFile(bool value) { menuFile_ = value; }
    bool MenuOptions() const { return menuOptions_; }
    void SetMenuOptions(bool value) { menuOptions_ = value; }
    bool MenuNew() const { return menuNew_; }
    void SetMenuNew(bool value) { menuNew_ = value; }
    bool MenuOpen() const { return menuOpen_; }
    void SetMenuOpen(bool value) { menuOpen_ = value; }
    bool MenuSave() const { return menuSave_; }
    void SetMenuSave(bool value) { menuSave_ = value; }
    bool MenuPrint() const { return menuPrint_; }
    void SetMenuPrint(bool value) { menuPrint_ = value; }
    bool MenuExit() const { return menuExit_; }
    void SetMenuExit(bool value) { menuExit_ = value; }
    bool MenuWordWrap() const { return menuWordWrap_; }
    void SetMenuWordWrap(bool value) { menuWordWrap_ = value; }
    bool MenuFont() const { return menuFont_; }
    void SetMenuFont(bool value) { menuFont_ = value; }
    bool MenuBackground() const { return menuBackground_; }
    void SetMenuBackground(bool value) { menuBackground_ = value; }
    bool MenuDividers() const { return menuDividers_; }
    void SetMenuDividers(bool value) { menuDividers_ = value; }
    // A main menu somebody else owns is linked and forgotten when it is freed.
    vcl::TMainMenu* Menus() const { return menus_; }
    void SetMenus(vcl::TMainMenu* value);
    const std::string& OpenFilename() const { return openFilename_; }
    void SetOpenFilename(const std::string& value) { openFilename_ = value; }
    bool OpenFileOnExecute() const { return openFileOnExecute_; }
    void SetOpenFileOnExecute(bool value) { openFileOnExecute_ = value; }
    vcl::TWindowState Windowstate() const { return windowstate_; }
    void SetWindowstate(vcl::TWindowState value) { windowstate_ = value; }
    vcl::TPosition WindowPosition() const { return windowPosition_; }
    void SetWindowPosition(vcl::TPosition value) { windowPosition_ = value; }
    vcl::TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(vcl::TBorderIcons value) { borderIcons_ = value; }
    vcl::Integer WindowWidth() const { return windowWidth_; }
    void SetWindowWidth(vcl::Integer value) { windowWidth_ = value; }
    vcl::Integer WindowHeight() const { return windowHeight_; }
    void SetWindowHeight(vcl::Integer value) { windowHeight_ = value; }
    vcl::TIcon* Icon() const { return icon_.get(); }
    void SetIcon(const vcl::TIcon* value) { icon_->Assign(value); }
    bool Readonly() const { return readonly_; }
    void SetReadonly(bool value) { readonly_ = value; }

    // True once the window has closed.
    bool Execute() override;

    vcl::TNotifyEvent OnExecute;
    vcl::TNotifyEvent OnExit;
    vcl::TNotifyEvent OnOpenFile;
    vcl::TNotifyEvent OnSaveFile;

    static void Publish(vcl::Published<TZylTextFileView>& p) {
        using C = TZylTextFileView;
        p.Property("EditorCaption", &C::EditorCaption, &C::SetEditorCaption, std::string());
        p.Property("EditColor", &C::EditColor, &C::SetEditColor, vcl::TColor{0xFFFFFF})
            .Idents(vcl::ColorIdents());
        p.Property("EditFonts", &C::EditFonts);
        p.Property("MenuFile", &C::MenuFile, &C::SetMenuFile, true);
        p.Property("MenuOptions", &C::MenuOptions, &C::SetMenuOptions, true);
        p.Property("MenuNew", &C::MenuNew, &C::SetMenuNew, true);
        p.Property("MenuOpen", &C::MenuOpen, &C::SetMenuOpen, true);
        p.Property("MenuSave", &C::MenuSave, &C::SetMenuSave, true);
        p.Property("MenuPrint", &C::MenuPrint, &C::SetMenuPrint, true);
        p.Property("MenuExit", &C::MenuExit, &C::SetMenuExit, true);
        p.Property("MenuWordWrap", &C::MenuWordWrap, &C::SetMenuWordWrap, true);
        p.Property("MenuFont", &C::MenuFont, &C::SetMenuFont, true);
        p.Property("MenuBackground", &C::MenuBackground, &C::SetMenuBackground, true);
        p.Property("MenuDividers", &C::MenuDividers, &C::SetMenuDividers, true);
        p.Property("Menus", &C::Menus, &C::SetMenus).Stored(&C::IsMenusStored);
        p.Property("OpenFilename", &C::OpenFilename, &C::SetOpenFilename, std::string());
        p.Property("OpenFileOnExecute", &C::OpenFileOnExecute, &C::SetOpenFileOnExecute, false);
        p.Event("OnExecute", &C::OnExecute);
        p.Event("OnExit", &C::OnExit);
        p.Event("OnOpenFile", &C::OnOpenFile);
        p.Event("OnSaveFile", &C::OnSaveFile);
        p.Property("Windowstate", &C::Windowstate, &C::SetWindowstate, vcl::wsNormal);
        p.Property("WindowPosition", &C::WindowPosition, &C::SetWindowPosition, vcl::poDesigned);
        p.Property("BorderIcons", &C::BorderIcons, &C::SetBorderIcons, vcl::TBorderIcons{});
        p.Property("WindowWidth", &C::WindowWidth, &C::SetWindowWidth, 300);
        p.Property("WindowHeight", &C::WindowHeight, &C::SetWindowHeight, 300);
        p.Property("Icon", &C::Icon);
        p.Property("Readonly", &C::Readonly, &C::SetReadonly, false);
    }

protected:
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;

private:
    bool IsMenusStored() const { return menus_ != ownMenu_; }

    std::string editorCaption_;
    vcl::TColor editColor_ = 0xFFFFFF;
    std::unique_ptr<vcl::TFont> editFonts_;
    bool menuFile_ = true, menuOptions_ = true, menuNew_ = true, menuOpen_ = true, menuSave_ = true,
         menuPrint_ = true, menuExit_ = true, menuWordWrap_ = true, menuFont_ = true, menuBackground_ = true,
         menuDividers_ = true;
    vcl::TMainMenu* ownMenu_ = nullptr;  // owned by this component
    vcl::TMainMenu* menus_ = nullptr;
    std::string openFilename_;
    bool openFileOnExecute_ = false;
    vcl::TWindowState windowstate_ = vcl::wsNormal;
    vcl::TPosition windowPosition_ = vcl::poDesigned;
    vcl::TBorderIcons borderIcons_;
    vcl::Integer windowWidth_ = 300;
    vcl::Integer windowHeight_ = 300;
    std::unique_ptr<vcl::TIcon> icon_;
    bool readonly_ = false;
};

}  // namespace quenta
