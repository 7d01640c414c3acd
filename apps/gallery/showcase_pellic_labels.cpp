// Showcases of the standard package's labels: sticky labels beside the edits they follow, command
// labels in their normal, hot and followed looks, the gallery's own version block and facts about
// the system.
#include "gallery.h"
#include "pellic/zyltcommandlabel.h"
#include "pellic/zyltdbcommandlabel.h"
#include "pellic/zyltdbstickylabel.h"
#include "pellic/zyltinformationlabel.h"
#include "pellic/zyltstickylabel.h"
#include "pellic/zyltversionlabel.h"
#include "vcl/stdctrls.h"
#include "win32/shell.h"

using namespace vcl;
using namespace pellic;

namespace {

using gallery::Place;

gallery::Registration stickyLabel{
    "TZylStickyLabel", "pellic",
    "TZylStickyLabel on each side of its edit (Space 5); after the edit moved and grew, the labels "
    "have followed it.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Sticky labels", 320, 150);
        auto* edit = Place<TEdit>(form, 100, 60, 100, 21);
        edit->SetText("Edit1");
        const TZylPosition sides[] = {TZylPosition::pLeft, TZylPosition::pRight, TZylPosition::pTop,
                                      TZylPosition::pBottom};
        const char* captions[] = {"Left", "Right", "Top", "Bottom"};
        TZylStickyLabel* first = nullptr;
        for (int i = 0; i < 4; ++i) {
            auto* label = Place<TZylStickyLabel>(form, 0, 0, 40, 13);
            label->SetCaption(captions[i]);
            label->SetPosition(sides[i]);
            label->SetAttachTo(edit);
            if (!first) first = label;
        }
        form->Show();
        album.Shoot("Around an edit", form, first);
        edit->SetBounds(140, 50, 120, 21);
        album.Shoot("The edit moved and grew", form, first);
    }};

gallery::Registration dbStickyLabel{
    "TZylDBStickyLabel", "pellic",
    "TZylDBStickyLabel: a field's text kept above the edit it belongs to (Position pTop, Space 2).",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Data-aware sticky label", 260, 80);
        auto* edit = Place<TEdit>(form, 20, 40, 200, 21);
        edit->SetText("Alfreds Futterkiste");
        auto* label = Place<TZylDBStickyLabel>(form, 0, 0, 120, 13);
        label->SetCaption("Customer");
        label->SetPosition(TZylLabelPos::pTop);
        label->SetSpace(2);
        label->SetAttachTo(edit);
        form->Show();
        album.Shoot("Above its edit", form, label);
    }};

gallery::Registration commandLabel{
    "TZylCommandLabel", "pellic",
    "TZylCommandLabel: a mail link and a web link, normal, hot under the mouse (MoveOverColor) and "
    "followed after a click (FollowedColor). Under the gallery the shell only records the call.",
    [](gallery::Album& album) {
        win32::testing::RecordShellExecute(true);
        TForm* form = album.NewForm("Command labels", 260, 70);
        auto* web = Place<TZylCommandLabel>(form, 12, 12, 120, 17);
        auto* mail = Place<TZylCommandLabel>(form, 12, 38, 120, 17);
        mail->SetCaption("Write to us");
        mail->SetCommand(TZylCommand::runMAIL);
        mail->SetCaptionValue("info@example.com");
        form->Show();
        album.Shoot("Normal", form, mail);
        web->Perform(CM_MOUSEENTER, 0, 0);
        album.Shoot("Hot", form, web);
        web->Perform(win32::WM_LBUTTONDOWN, win32::MK_LBUTTON, 0);
        web->Perform(win32::WM_LBUTTONUP, 0, 0);
        web->Perform(CM_MOUSELEAVE, 0, 0);
        album.Shoot("Followed", form, web);
        win32::testing::RecordShellExecute(false);
    }};

gallery::Registration dbCommandLabel{
    "TZylDBCommandLabel", "pellic",
    "TZylDBCommandLabel: the link a field holds, with the hand cursor; normal and hot.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Data-aware command label", 260, 44);
        auto* link = Place<TZylDBCommandLabel>(form, 12, 12, 200, 17);
        form->Show();
        album.Shoot("Normal", form, link);
        link->Perform(CM_MOUSEENTER, 0, 0);
        album.Shoot("Hot", form, link);
    }};

gallery::Registration versionLabel{
    "TZylVersionLabel", "pellic",
    "TZylVersionLabel reading the gallery's own version block: file version, company, product "
    "version without its prefix, and a key the block does not hold.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Version labels", 320, 100);
        auto* file = Place<TZylVersionLabel>(form, 12, 10, 200, 13);
        auto* company = Place<TZylVersionLabel>(form, 12, 30, 200, 13);
        company->SetVersionRes(TZylVersionRes::verCompanyName);
        auto* product = Place<TZylVersionLabel>(form, 12, 50, 200, 13);
        product->SetVersionRes(TZylVersionRes::verProductVersion);
        product->SetShowInfoPrefix(false);
        auto* missing = Place<TZylVersionLabel>(form, 12, 70, 200, 13);
        missing->SetVersionRes(TZylVersionRes::verComments);
        form->Show();
        album.Shoot("Entries", form, file);
    }};

gallery::Registration informationLabel{
    "TZylInformationLabel", "pellic",
    "TZylInformationLabel: CaptionLabel followed by the fact InfoType names, read from the platform.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Information labels", 300, 110);
        const std::pair<TZylInformation, const char*> facts[] = {
            {TZylInformation::iPlatformName, "Platform: "},
            {TZylInformation::iPlatformVersion, "Version: "},
            {TZylInformation::iScreenWidth, "Screen width: "},
            {TZylInformation::iScreenHeight, "Screen height: "},
            {TZylInformation::iCapsLock, "Caps Lock: "}};
        TZylInformationLabel* first = nullptr;
        int top = 10;
        for (const auto& [type, text] : facts) {
            auto* label = Place<TZylInformationLabel>(form, 12, top, 200, 13);
            label->SetCaptionLabel(text);
            label->SetInfoType(type);
            if (!first) first = label;
            top += 19;
        }
        form->Show();
        album.Shoot("Facts", form, first);
    }};

}  // namespace
