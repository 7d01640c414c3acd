// The designer's editor of a presentation's slides: the "Slide Configuration" form, which works on the
// live collection and plays the chosen effect in a preview box.
#include <memory>
#include <string>

#include "lumaro/zyleditors.h"
#include "lumaro/zylpresentation.h"
#include "vcl/dialogs.h"
#include "vcl/extctrls.h"
#include "vcl/forms.h"
#include "vcl/stdctrls.h"

namespace lumaro {

using namespace vcl;

namespace {

constexpr Integer kPreviewWidth = 160, kPreviewHeight = 120;

// The two sample pictures the preview alternates between: a colour with a frame and a letter.
std::unique_ptr<TBitmap> SamplePicture(TColor color, const char* letter) {
    auto picture = ZylNewSlidePicture(kPreviewWidth, kPreviewHeight, color);
    TCanvas* canvas = picture->Canvas();
    canvas->Brush()->SetStyle(bsClear);
    canvas->Pen()->SetColor(clWhite);
    canvas->Rectangle(8, 8, kPreviewWidth - 8, kPreviewHeight - 8);
    canvas->Font()->SetSize(36);
    canvas->Font()->SetStyle({fsBold});
    canvas->Font()->SetColor(clWhite);
    const std::string text = letter;
    canvas->TextOut((kPreviewWidth - canvas->TextWidth(text)) / 2,
                    (kPreviewHeight - canvas->TextHeight(text)) / 2, text);
    return picture;
}

// The form is named "SlideConfiguration" so that a modal script can answer it; its controls are
// "SlideList", "AddSlide", "DeleteSlide", "MoveUp", "MoveDown", "StyleGroup", "SlideText",
// "StretchCheck", "InsertBitmap", "EffectCombo", "Preview", "Replay" and "Close".
class SlidesDialog {
public:
    explicit SlidesDialog(TZylSlides* slides) : slides_(slides), form_(new TForm(nullptr, 0)) {
        try {
            Build();
        } catch (...) {
            form_->Free();
            throw;
        }
    }
    ~SlidesDialog() { form_->Free(); }
    SlidesDialog(const SlidesDialog&) = delete;
    SlidesDialog& operator=(const SlidesDialog&) = delete;

    void Run() { form_->ShowModal(); }

private:
    template <typename T>
    T* Add(const char* name, Integer left, Integer top, Integer width, Integer height) {
        auto* control = new T(form_);
        control->SetName(name);
        control->SetBounds(left, top, width, height);
        control->SetParent(form_);
        return control;
    }
    TButton* AddButton(const char* name, const char* caption, Integer left, Integer top, Integer width,
                       TNotifyEvent onClick) {
        auto* button = Add<TButton>(name, left, top, width, 25);
        button->SetCaption(caption);
        button->OnClick = std::move(onClick);
        return button;
    }

    void Build() {
        form_->SetName("SlideConfiguration");
        form_->SetCaption("Slide Configuration");
        form_->SetBorderStyle(bsDialog);
        form_->SetBorderIcons(TBorderIcons{biSystemMenu});
        form_->SetPosition(poScreenCenter);
        form_->SetClientWidth(520);
        form_->SetClientHeight(330);

        list_ = Add<TListBox>("SlideList", 8, 8, 150, 240);
        list_->OnClick = [this](TObject*) { LoadSlide(); };
        AddButton("AddSlide", "Add Slide", 8, 256, 72, [this](TObject*) { AddSlide(); });
        AddButton("DeleteSlide", "Delete Slide", 86, 256, 72, [this](TObject*) { DeleteSlide(); });
        AddButton("MoveUp", "\xE2\x96\xB2", 8, 288, 72, [this](TObject*) { MoveSlide(-1); });
        AddButton("MoveDown", "\xE2\x96\xBC", 86, 288, 72, [this](TObject*) { MoveSlide(1); });

        style_ = Add<TRadioGroup>("StyleGroup", 168, 8, 170, 86);
        style_->SetCaption("Selected Slide Style");
        style_->Items()->Add("Empty");
        style_->Items()->Add("Text");
        style_->Items()->Add("Bitmap");
        style_->OnClick = [this](TObject*) {
            if (TZylSlide* slide = Selected(); slide && !loading_) slide->SetStyle(style_->ItemIndex());
        };
        text_ = Add<TMemo>("SlideText", 168, 100, 170, 90);
        // Every change is kept at once: a dialog closed with Escape from the memo never leaves it.
        text_->OnChange = [this](TObject*) {
            if (TZylSlide* slide = Selected(); slide && !loading_) slide->SetText(text_->Text());
        };
        stretch_ = Add<TCheckBox>("StretchCheck", 168, 198, 80, 17);
        stretch_->SetCaption("Stretch");
        stretch_->OnClick = [this](TObject*) {
            if (TZylSlide* slide = Selected(); slide && !loading_) slide->SetStretch(stretch_->Checked());
        };
        AddButton("InsertBitmap", "Insert Bitmap", 256, 194, 82, [this](TObject*) { InsertBitmap(); });

        effect_ = Add<TComboBox>("EffectCombo", 168, 226, 344, 21);
        effect_->SetStyle(csDropDownList);
        for (Integer i = 0; i < kSlideEffectCount; ++i) {
            const auto effect = static_cast<TZylSlideeffects>(i);
            effect_->Items()->Add((i < 10 ? "0" : "") + std::to_string(i) + " - " +
                                  ZylSlideEffectCaption(effect));
        }
        effect_->OnChange = [this](TObject*) {
            TZylSlide* slide = Selected();
            if (!slide || loading_) return;
            slide->SetEffect(effect_->ItemIndex());
            Play();
        };

        preview_ = Add<TPaintBox>("Preview", 352, 8, kPreviewWidth, kPreviewHeight);
        preview_->OnPaint = [this](TObject*) { preview_->Canvas()->Draw(0, 0, shown_.get()); };
        AddButton("Replay", "Replay", 352, 134, kPreviewWidth, [this](TObject*) { Play(); });
        TButton* close = AddButton("Close", "Close", 437, 296, 75, nullptr);
        close->SetModalResult(mrOk);
        close->SetCancel(true);

        samples_[0] = SamplePicture(clNavy, "A");
        samples_[1] = SamplePicture(clMaroon, "B");
        shown_ = ZylNewSlidePicture(kPreviewWidth, kPreviewHeight, clBtnFace);
        shown_->Canvas()->Draw(0, 0, samples_[1].get());

        FillList();
        if (list_->Count() > 0) Select(0);
    }

    TZylSlide* Selected() const {
        const Integer index = list_->ItemIndex();
        return index >= 0 && index < slides_->Count() ? slides_->Items(index) : nullptr;
    }

    void FillList() {
        list_->Items()->Clear();
        for (int i = 0; i < slides_->Count(); ++i)
            list_->Items()->Add(slides_->Items(i)->ID());
    }

    void Select(Integer index) {
        list_->SetItemIndex(index);
        LoadSlide();
    }

    void LoadSlide() {
        TZylSlide* slide = Selected();
        const ScopedValue quiet(loading_, true);
        style_->SetItemIndex(slide && slide->Style() >= 0 && slide->Style() <= 2 ? slide->Style() : -1);
        text_->SetText(slide ? slide->Text() : std::string());
        stretch_->SetChecked(slide && slide->Stretch());
        const Integer effect = slide ? slide->Effect() : -1;
        effect_->SetItemIndex(effect >= 0 && effect < kSlideEffectCount ? effect : -1);
    }

    void AddSlide() {
        TZylSlide* slide = slides_->Add();
        slide->SetID("Slide - " + std::to_string(slide->Index()));
        FillList();
        Select(slide->Index());
    }

    void DeleteSlide() {
        const Integer index = list_->ItemIndex();
        if (index < 0 || index >= slides_->Count()) return;
        slides_->Delete(index);
        FillList();
        Select(slides_->Count() > 0 ? 0 : -1);
    }

    void MoveSlide(Integer step) {
        const Integer index = list_->ItemIndex(), target = index + step;
        if (index < 0 || target < 0 || target >= slides_->Count()) return;
        slides_->Move(index, target);
        FillList();
        Select(target);
    }

    void InsertBitmap() {
        TZylSlide* slide = Selected();
        if (!slide) return;
        TComponentPtr<TOpenDialog> dialog(new TOpenDialog(nullptr));
        dialog->SetFilter("Windows Bitmaps|*.bmp");
        if (!dialog->Execute()) return;
        TBitmap bitmap;
        bitmap.LoadFromFile(dialog->FileName());
        slide->SetBitmap(&bitmap);
    }

    void Play() {
        TZylSlide* slide = Selected();
        if (!slide) return;
        next_ = 1 - next_;
        ZylPlayTransition(slide->Effect(), samples_[next_].get(), shown_.get(), preview_->Canvas(), [] {
            Application->ProcessMessages();
            return true;
        });
    }

    TZylSlides* slides_;
    TForm* form_;
    TListBox* list_ = nullptr;
    TRadioGroup* style_ = nullptr;
    TMemo* text_ = nullptr;
    TCheckBox* stretch_ = nullptr;
    TComboBox* effect_ = nullptr;
    TPaintBox* preview_ = nullptr;
    std::unique_ptr<TBitmap> samples_[2];
    std::unique_ptr<TBitmap> shown_;
    Integer next_ = 1;
    bool loading_ = false;
};

}  // namespace

VCL_DEFINE_CLASS(TZylSlidesProperty, vcl::TClassProperty)

TPropertyAttributes TZylSlidesProperty::GetAttributes() const {
    return {paDialog, paReadOnly};
}

std::string TZylSlidesProperty::GetValue() const {
    return "(Slides)";
}

void TZylSlidesProperty::Edit() {
    auto* slides = dynamic_cast<TZylSlides*>(GetObjectValue(0));
    if (!slides) return;
    {
        SlidesDialog dialog(slides);
        dialog.Run();
    }
    Modified();
}

}  // namespace lumaro
