// Showcase of the spin button and the spin edits: an order form with a quantity, a price typed
// with a decimal comma, a free-standing spin button and a data-aware stock count, shown normal,
// focused, with an up half pressed and disabled.
#include <string>

#include "gallery.h"
#include "pellic/zyltdbspinedit.h"
#include "pellic/zyltrealspinedit.h"
#include "pellic/zyltspinedit.h"
#include "vcl/db.h"
#include "vcl/sysutils.h"

using namespace vcl;
using namespace pellic;

namespace {

using gallery::Place;

struct OrderForm {
    TForm* form = nullptr;
    TZylSpinEdit* quantity = nullptr;
    TZylRealSpinEdit* price = nullptr;
    TZylSpinButton* button = nullptr;
    TZylDBSpinEdit* stock = nullptr;
    TButton* ok = nullptr;
};

void Label(TForm* form, int top, const std::string& text) {
    auto* label = Place<TLabel>(form, 12, top + 4, 110, 13);
    label->SetCaption(text);
}

OrderForm BuildOrder(gallery::Album& album, const std::string& caption, TDataSource* source) {
    OrderForm d;
    d.form = album.NewForm(caption, 300, 176);
    Label(d.form, 12, "&Quantity:");
    d.quantity = Place<TZylSpinEdit>(d.form, 128, 12, 80, 21);
    d.quantity->SetMaxValue(500);
    d.quantity->SetValue(12);
    Label(d.form, 42, "&Price:");
    d.price = Place<TZylRealSpinEdit>(d.form, 128, 42, 100, 21);
    d.price->SetMaxValue(1000);
    d.price->SetStepSmall(0.05);
    d.price->SetValue(19.95);
    Label(d.form, 72, "Pages:");
    d.button = Place<TZylSpinButton>(d.form, 128, 70, 40, 24);
    Label(d.form, 104, "In &stock:");
    d.stock = Place<TZylDBSpinEdit>(d.form, 128, 102, 80, 21);
    d.stock->SetDataSource(source);
    d.stock->SetDataField("STOCK");
    d.ok = Place<TButton>(d.form, 213, 142, 75, 25);
    d.ok->SetCaption("OK");
    d.ok->SetDefault(true);
    return d;
}

gallery::Registration spinEdits{
    "Spin button and spin edits", "pellic",
    "TZylSpinEdit, TZylRealSpinEdit (with a decimal comma), a free-standing TZylSpinButton and a "
    "TZylDBSpinEdit on a dataset, normal, focused, with an up half pressed and disabled.",
    [](gallery::Album& album) {
        // The locale's separator: the price is typed and shown with a comma.
        const TFormatSettings saved = FormatSettings;
        FormatSettings.DecimalSeparator = ',';
        TComponentPtr<TMemoryDataSet> data(new TMemoryDataSet(nullptr));
        data->FieldDefs()->Add("STOCK", TFieldType::ftInteger);
        data->CreateDataSet();
        data->AppendRecord({37});
        TComponentPtr<TDataSource> source(new TDataSource(nullptr));
        source->SetDataSet(data.get());
        try {
            OrderForm normal = BuildOrder(album, "Order", source.get());
            normal.form->Show();
            normal.form->SetActiveControl(normal.ok);
            album.Shoot("Normal", normal.form);

            normal.form->SetActiveControl(normal.quantity);
            album.Shoot("Quantity focused", normal.form, normal.quantity);

            normal.form->SetActiveControl(normal.price);
            normal.price->SetSelStart(3);
            normal.price->SetSelLength(2);
            album.Shoot("Price focused, decimals selected", normal.form, normal.price);

            normal.form->SetActiveControl(normal.ok);
            normal.button->SetDown(TZylButtonState::bsTopDown);
            normal.quantity->Button()->SetDown(TZylButtonState::bsTopDown);
            normal.stock->Button()->SetDown(TZylButtonState::bsBottomDown);
            album.Shoot("Up halves pressed, stock down half", normal.form, normal.button);
            normal.form->Hide();

            OrderForm disabled = BuildOrder(album, "Order (disabled)", source.get());
            for (TControl* control : std::initializer_list<TControl*>{disabled.quantity, disabled.price,
                                                                      disabled.button, disabled.stock})
                control->SetEnabled(false);
            disabled.form->Show();
            disabled.form->SetActiveControl(disabled.ok);
            album.Shoot("Disabled", disabled.form);
            disabled.form->Hide();
        } catch (...) {
            FormatSettings = saved;
            throw;
        }
        FormatSettings = saved;
    }};

}  // namespace
