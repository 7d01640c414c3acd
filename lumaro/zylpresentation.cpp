// The slide list and the presentation control: composing a slide over the background and running
// the show on the thread timer.
#include "lumaro/zylpresentation.h"

#include <algorithm>
#include <climits>

#include "vcl/sysutils.h"
#include "win32/gdi.h"

namespace lumaro {

using namespace vcl;

namespace {

std::string SlideName(int index) {
    return "Slide - " + std::to_string(index);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TZylSlide

VCL_DEFINE_CLASS(TZylSlide, vcl::TCollectionItem)

TZylSlide::TZylSlide(TCollection* collection)
    : TCollectionItem(collection), bitmap_(std::make_unique<TBitmap>()) {
    if (collection) id_ = SlideName(Index());
}

TZylSlide::~TZylSlide() = default;

void TZylSlide::SetBitmap(TBitmap* value) {
    if (value == bitmap_.get()) return;
    if (value)
        bitmap_->Assign(value);
    else
        bitmap_ = std::make_unique<TBitmap>();
    Changed(false);
}

void TZylSlide::SetStyle(Integer value) {
    if (value == style_) return;
    style_ = value;
    Changed(false);
}

void TZylSlide::SetEffect(Integer value) {
    if (value == effect_) return;
    effect_ = value;
    Changed(false);
}

void TZylSlide::SetText(const std::string& value) {
    if (value == text_) return;
    text_ = value;
    Changed(false);
}

void TZylSlide::SetID(const std::string& value) {
    if (value == id_) return;
    id_ = value;
    Changed(false);
}

void TZylSlide::SetStretch(bool value) {
    if (value == stretch_) return;
    stretch_ = value;
    Changed(false);
}

std::string TZylSlide::DisplayName() const {
    return id_.empty() ? TCollectionItem::DisplayName() : id_;
}

void TZylSlide::Assign(const TPersistent* source) {
    auto* slide = dynamic_cast<const TZylSlide*>(source);
    if (!slide) {
        TCollectionItem::Assign(source);
        return;
    }
    if (slide == this) return;
    bitmap_->Assign(slide->bitmap_.get());
    style_ = slide->style_;
    effect_ = slide->effect_;
    text_ = slide->text_;
    id_ = slide->id_;
    stretch_ = slide->stretch_;
    Changed(false);
}

// ---------------------------------------------------------------------------------------------
// TZylSlides

VCL_DEFINE_CLASS(TZylSlides, vcl::TCollection)

TZylSlides::TZylSlides(TPersistent* owner) : TCollection(TZylSlide::StaticClass()), owner_(owner) {
    SetPropName("Slides");
}

void TZylSlides::Delete(int index) {
    BeginUpdate();
    const ScopeExit endUpdate([this] { EndUpdate(); });
    TCollection::Delete(index);
    for (int i = 0; i < Count(); ++i)
        Items(i)->SetID(SlideName(i));
}

void TZylSlides::Move(int from, int to) {
    TZylSlide* first = Items(from);
    TZylSlide* second = Items(to);
    if (first == second) return;
    TZylSlide held(nullptr);
    BeginUpdate();
    const ScopeExit endUpdate([this] { EndUpdate(); });
    held.Assign(first);
    first->Assign(second);
    second->Assign(&held);
}

// ---------------------------------------------------------------------------------------------
// TZylPresentation

VCL_DEFINE_CLASS(TZylPresentation, vcl::TCustomLabel)

TZylPresentation::TZylPresentation(TComponent* owner)
    : TCustomLabel(owner),
      slides_(std::make_unique<TZylSlides>(this)),
      font3D_(std::make_unique<TZylFont3D>(this)),
      timer_(new TZylTimer32(nullptr)) {
    // The caption is not the show's: it never takes the component's name.
    controlStyle_.Exclude(csSetCaption);
    SetAutoSize(false);
    timer_->SetEnabled(false);
    timer_->SetInterval(static_cast<Word>(speed_));
    timer_->OnTimer = [this](TObject*) { RunSlides(); };
    Randomize();
}

TZylPresentation::~TZylPresentation() {
    // Freed by a handler under a running slide: the frames below notice and leave.
    if (run_) run_->alive = false;
}

void TZylPresentation::SetSpeed(Integer value) {
    if (value < 0) return;
    speed_ = value;
    timer_->SetInterval(static_cast<Word>(std::min<Integer>(value, 0xFFFF)));
}

void TZylPresentation::SetBackground(TZylBackground* value) {
    if (background_.Set(value, &fontBackground_)) Invalidate();
}

void TZylPresentation::SetFontBackground(TZylBackground* value) {
    if (fontBackground_.Set(value, &background_)) Invalidate();
}

void TZylPresentation::SetFont3D(TZylFont3D* value) {
    if (value && value != font3D_.get()) font3D_->Assign(value);
}

void TZylPresentation::Notification(TComponent* component, TOperation operation) {
    TCustomLabel::Notification(component, operation);
    if (operation != TOperation::opRemove) return;
    const bool dropped = background_.Drop(component);
    if (fontBackground_.Drop(component) || dropped) Invalidate();
}

void TZylPresentation::LoopSlides() {
    timer_->SetEnabled(true);
}

void TZylPresentation::Stop() {
    timer_->SetEnabled(false);
    if (run_) run_->stopped = true;
}

void TZylPresentation::RunSlides() {
    if (busy_ || slides_->Count() == 0) return;
    // The list may have shrunk since the last tick.
    if (next_ >= slides_->Count() || next_ < 0) next_ = 0;
    TRun run;
    TRun* outer = run_;
    run_ = &run;
    const ScopeExit leave([&] {
        if (run.alive) run_ = outer;
    });
    DoOneSlide(next_);
    if (!run.alive) return;
    if (OnSlideDone) OnSlideDone(this);
    if (!run.alive) return;
    if (++next_ < slides_->Count()) return;
    next_ = 0;
    if (!keepLooping_) timer_->SetEnabled(false);
    if (OnLoopDone) OnLoopDone(this);
}

void TZylPresentation::PaintBackground(TCanvas* canvas) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(Rect(0, 0, Width(), Height()));
    if (TZylBackground* background = Background())
        background->Draw(canvas->Handle(), Width(), Height(), true);
}

std::unique_ptr<TBitmap> TZylPresentation::ComposeSlide(TZylSlide* slide) {
    const Integer w = Width(), h = Height();
    auto picture = ZylNewSlidePicture(w, h, Color());
    TCanvas* canvas = picture->Canvas();
    PaintBackground(canvas);
    if (slide->Style() == 1) {
        win32::UINT flags = win32::DT_WORDBREAK | win32::DT_EXPANDTABS;
        if (Alignment() == TAlignment::taCenter)
            flags |= win32::DT_CENTER;
        else if (Alignment() == TAlignment::taRightJustify)
            flags |= win32::DT_RIGHT;
        const TRect client = Rect(0, 0, w, h);
        canvas->Brush()->SetStyle(bsClear);
        if (TZylBackground* letters = FontBackground())
            letters->Write(font3D_.get(), Font(), canvas, client, slide->Text(), flags);
        else
            font3D_->Write(Font(), canvas->Handle(), client, slide->Text(), flags, Enabled());
    } else if (slide->Style() == 2 && !slide->Bitmap()->Empty()) {
        TBitmap* image = slide->Bitmap();
        if (slide->Stretch()) {
            canvas->StretchDraw(Rect(0, 0, w, h), image);
        } else {
            // Centred, but a picture larger than the control keeps its top-left corner in view.
            const auto half = [](Integer size) { return static_cast<Integer>(Round(size / 2.0)); };
            canvas->Draw(std::max(0, half(w) - half(image->Width())),
                         std::max(0, half(h) - half(image->Height())), image);
        }
    }
    return picture;
}

void TZylPresentation::DoOneSlide(Integer index) {
    if (busy_ || index < 0 || index >= slides_->Count()) return;
    const Integer w = Width(), h = Height();
    if (w <= 0 || h <= 0) return;
    TRun run;
    TRun* outer = run_;
    if (!outer) run_ = &run;
    TRun& current = *run_;
    busy_ = true;
    const ScopeExit leave([&] {
        if (!current.alive) return;
        busy_ = false;
        if (!outer) run_ = nullptr;
    });
    TZylSlide* slide = slides_->Items(index);
    const Integer effect = slide->Effect();
    std::unique_ptr<TBitmap> source = ComposeSlide(slide);
    // The run owns its pictures: a handler may free the control between frames.
    std::unique_ptr<TBitmap> shown = std::move(shown_);
    if (!shown || shown->Width() != w || shown->Height() != h) {
        shown = ZylNewSlidePicture(w, h, Color());
        PaintBackground(shown->Canvas());
    }
    // A control that is not on screen composes its picture all the same.
    TCanvas* canvas = Parent() && Visible() ? Canvas() : nullptr;
    const bool finished = ZylPlayTransition(
        effect, source.get(), shown.get(), canvas,
        [&current] {
            Application->ProcessMessages();
            return current.alive;
        },
        [&current] { return current.stopped; });
    if (!finished || !current.alive) return;
    shown_ = std::move(shown);
}

void TZylPresentation::Paint() {
    if (shown_ && shown_->Width() == Width() && shown_->Height() == Height()) {
        Canvas()->Draw(0, 0, shown_.get());
        return;
    }
    if (TZylBackground* background = Background()) {
        background->Draw(Canvas()->Handle(), Width(), Height(), true);
        return;
    }
    TCustomLabel::Paint();
}

}  // namespace lumaro
