// Showcases of the framework's standard controls: a classic options dialog in several states.
#include <functional>

#include "gallery.h"
#include "vcl/stdctrls.h"

using namespace vcl;

namespace {

using gallery::Place;

struct OptionsDialog {
    TForm* form;
    TEdit* name;
    TComboBox* size;
    TListBox* list;
    TMemo* notes;
    TCheckBox* bold;
    TCheckBox* grayed;
    TCheckBox* disabled;
    TRadioButton* left;
    TButton* ok;
    TButton* cancel;
};

OptionsDialog BuildOptions(gallery::Album& album) {
    OptionsDialog d{};
    d.form = album.NewForm("Options", 372, 262);

    auto* nameLabel = Place<TLabel>(d.form, 8, 12, 60, 13);
    nameLabel->SetCaption("&Name:");
    d.name = Place<TEdit>(d.form, 72, 8, 140, 21);
    d.name->SetText("Quarterly report");
    nameLabel->SetFocusControl(d.name);

    auto* sizeLabel = Place<TLabel>(d.form, 8, 40, 60, 13);
    sizeLabel->SetCaption("&Size:");
    d.size = Place<TComboBox>(d.form, 72, 36, 140, 21);
    d.size->SetStyle(csDropDownList);
    d.size->Items()->SetCommaText("Small,Medium,Large,\"Extra large\"");
    d.size->SetItemIndex(1);

    auto* group = Place<TGroupBox>(d.form, 8, 66, 204, 84);
    group->SetCaption("Alignment");
    d.left = Place<TRadioButton>(group, 10, 18, 90, 17);
    d.left->SetCaption("&Left");
    d.left->SetChecked(true);
    auto* centre = Place<TRadioButton>(group, 10, 38, 90, 17);
    centre->SetCaption("&Centre");
    auto* right = Place<TRadioButton>(group, 10, 58, 90, 17);
    right->SetCaption("&Right");
    d.bold = Place<TCheckBox>(group, 106, 18, 90, 17);
    d.bold->SetCaption("&Bold");
    d.bold->SetChecked(true);
    d.grayed = Place<TCheckBox>(group, 106, 38, 90, 17);
    d.grayed->SetCaption("&Italic");
    d.grayed->SetAllowGrayed(true);
    d.grayed->SetState(cbGrayed);
    d.disabled = Place<TCheckBox>(group, 106, 58, 90, 17);
    d.disabled->SetCaption("&Shadow");
    d.disabled->SetEnabled(false);

    d.list = Place<TListBox>(d.form, 222, 8, 142, 98);
    // More styles than fit: the list scrolls, and shows the selection scrolled into view.
    d.list->Items()->SetCommaText(
        "\"Body text\",Caption,Code,Emphasis,Footnote,\"Heading 1\",\"Heading 2\",\"Heading 3\","
        "\"List bullet\",Quote,Subtitle,Title");
    d.list->SetItemIndex(8);

    d.notes = Place<TMemo>(d.form, 222, 112, 142, 70);
    d.notes->Lines()->SetText("Notes on the layout:\nheadings in bold,\nbody text at 10 points.");

    auto* scroll = Place<TScrollBar>(d.form, 8, 158, 204, 17);
    scroll->SetParams(40, 0, 100);

    auto* hint = Place<TLabel>(d.form, 8, 188, 356, 26);
    hint->SetWordWrap(true);
    hint->SetCaption("Changes apply to the selected paragraphs. Press Enter to accept or Escape to cancel.");

    d.ok = Place<TButton>(d.form, 208, 228, 75, 25);
    d.ok->SetCaption("OK");
    d.ok->SetDefault(true);
    d.ok->SetModalResult(mrOk);
    d.cancel = Place<TButton>(d.form, 289, 228, 75, 25);
    d.cancel->SetCaption("Cancel");
    d.cancel->SetCancel(true);
    d.cancel->SetModalResult(mrCancel);
    return d;
}

gallery::Registration standardControls{
    "Standard controls", "framework",
    "Labels, edits, a drop-down list, group box with radio buttons and check boxes, list box, memo, "
    "scroll bar and push buttons on a dialog form.",
    [](gallery::Album& album) {
        OptionsDialog d = BuildOptions(album);
        d.form->Show();
        d.form->SetActiveControl(d.name);
        album.Shoot("Dialog, name focused", d.form);

        d.name->SetSelStart(0);
        d.name->SetSelLength(9);
        d.list->SetFocus();
        album.Shoot("List box focused", d.form, d.list);

        d.ok->SetFocus();
        album.Shoot("OK focused", d.form, d.ok);
        d.form->Hide();

        OptionsDialog disabled = BuildOptions(album);
        const std::function<void(TWinControl*)> disable = [&](TWinControl* parent) {
            for (int i = 0; i < parent->ControlCount(); ++i) {
                TControl* control = parent->Controls(i);
                control->SetEnabled(false);
                if (auto* windowed = dynamic_cast<TWinControl*>(control)) disable(windowed);
            }
        };
        disable(disabled.form);
        album.Shoot("Controls disabled", disabled.form);
    }};

}  // namespace
