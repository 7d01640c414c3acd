// The enhanced labels: their shared painting and background links, the data-aware label's field link
// and the file label's path splitting and shortening.
#include "lumaro/zyllabels.h"

#include <climits>

#include "vcl/streaming.h"

namespace lumaro {

using namespace vcl;
using win32::UINT;

namespace {

int TextCount(const std::string& text) {
    return static_cast<int>(std::min<size_t>(text.size(), INT_MAX));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TZylCustomLabel

VCL_DEFINE_CLASS(TZylCustomLabel, vcl::TCustomLabel)

TZylCustomLabel::TZylCustomLabel(TComponent* owner)
    : TCustomLabel(owner),
      font3D_(std::make_unique<TZylFont3D>(this)),
      frame_(std::make_unique<TZylFrame>(this)) {
    controlStyle_.Include(csReplicatable);
    frame_->SetFrameStyle(frameNone);
    SetAutoSize(false);
    Font()->SetStyle({fsBold});
}

void TZylCustomLabel::SetFont3D(TZylFont3D* value) {
    if (value && value != font3D_.get()) font3D_->Assign(value);
}

void TZylCustomLabel::SetFrame(TZylFrame* value) {
    if (value && value != frame_.get()) frame_->Assign(value);
}

void TZylCustomLabel::SetBackground(TZylBackground* value) {
    // One client entry per link; the free notification serves both links.
    if (background_.Set(value, &fontBackground_)) Invalidate();
}

void TZylCustomLabel::SetFontBackground(TZylBackground* value) {
    if (fontBackground_.Set(value, &background_)) Invalidate();
}

void TZylCustomLabel::DefineProperties(TFiler& filer) {
    TCustomLabel::DefineProperties(filer);
    // The frame's own table takes frameRaised for its default, which a label does not start with, so
    // the label writes that value itself; reading goes through the published path as usual.
    const TPropInfo* info = ClassType()->FindProperty("Frame");
    const bool stored = info && info->IsStored(this) && frame_->FrameStyle() == frameRaised;
    filer.DefineProperty(
        "Frame.FrameStyle", nullptr, [](TWriter& writer) { writer.WriteIdent("frameRaised"); }, stored);
}

void TZylCustomLabel::Notification(TComponent* component, TOperation operation) {
    TCustomLabel::Notification(component, operation);
    if (operation != TOperation::opRemove) return;
    // Both links may name the same background: drop each.
    const bool dropped = background_.Drop(component);
    if (fontBackground_.Drop(component) || dropped) Invalidate();
}

UINT TZylCustomLabel::AlignmentFlags() const {
    switch (Alignment()) {
        case TAlignment::taRightJustify:
            return win32::DT_RIGHT;
        case TAlignment::taCenter:
            return win32::DT_CENTER;
        default:
            return win32::DT_LEFT;
    }
}

UINT TZylCustomLabel::CaptionFlags() const {
    return AlignmentFlags() | win32::DT_EXPANDTABS | (WordWrap() ? win32::DT_WORDBREAK : 0);
}

void TZylCustomLabel::FillWithColor() {
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(ClientRect());
}

bool TZylCustomLabel::DrawLinkedBackground() {
    TZylBackground* background = Background();
    if (!background) return false;
    background->Draw(Canvas()->Handle(), Width(), Height(), true);
    return true;
}

void TZylCustomLabel::PaintBackground() {
    FillWithColor();
    DrawLinkedBackground();
}

void TZylCustomLabel::Paint() {
    if (!Transparent()) PaintBackground();
    TRect rect = CaptionRect();
    DoDrawText(rect, CaptionFlags());
    TRect client = ClientRect();
    frame_->Draw(Canvas()->Handle(), client);
}

void TZylCustomLabel::DoDrawText(TRect& rect, UINT flags) {
    TCanvas* canvas = Canvas();
    const std::string text = GetLabelText();
    if (flags & win32::DT_CALCRECT) {
        // Measuring for AutoSize: an empty caption still takes one line.
        const std::string measured = text.empty() ? std::string(" ") : text;
        const win32::HDC dc = canvas->Handle();
        const int saved = win32::SaveDC(dc);
        win32::SelectObject(dc, Font()->Handle());
        win32::DrawText(dc, measured.data(), TextCount(measured), &rect, flags);
        win32::RestoreDC(dc, saved);
        return;
    }
    canvas->Brush()->SetStyle(bsClear);
    if (TZylBackground* fontBackground = FontBackground())
        fontBackground->Write(font3D_.get(), Font(), canvas, rect, text, flags);
    else
        font3D_->Write(Font(), canvas->Handle(), rect, text, flags, Enabled());
}

// ---------------------------------------------------------------------------------------------
// TZylLabel

VCL_DEFINE_CLASS(TZylLabel, TZylCustomLabel)

TZylLabel::TZylLabel(TComponent* owner) : TZylCustomLabel(owner) {
    Font()->SetSize(12);
}

TRect TZylLabel::CaptionRect() const {
    const Integer inset = Frame()->Calcwidth();
    const Integer band = inset + Frame()->FrameWidth();
    TRect rect = ClientRect();
    rect.left += inset;
    rect.top += band;
    rect.right -= 2 * inset;
    rect.bottom -= band;
    return rect;
}

// ---------------------------------------------------------------------------------------------
// TZylDBLabel

VCL_DEFINE_CLASS(TZylDBLabel, TZylCustomLabel)

TZylDBLabel::TZylDBLabel(TComponent* owner)
    : TZylCustomLabel(owner), dataLink_(std::make_unique<TFieldDataLink>()) {
    dataLink_->SetControl(this);
    dataLink_->OnDataChange = [this](TObject*) { DataChange(); };
    controlStyle_.Exclude(csSetCaption);
    SetShowAccelChar(false);
    Font()->SetSize(12);
}

TZylDBLabel::~TZylDBLabel() = default;

void TZylDBLabel::SetDataSource(TDataSource* value) {
    TDataSource* old = dataLink_->DataSource();
    if (old == value) return;
    dataLink_->SetDataSource(value);
    if (old) old->RemoveFreeNotification(this);
    if (value) value->FreeNotification(this);
    DataChange();
}

void TZylDBLabel::SetDataField(const std::string& value) {
    dataLink_->SetFieldName(value);
}

void TZylDBLabel::SetAutoSize(bool value) {
    if (value == AutoSize()) return;
    TZylCustomLabel::SetAutoSize(value);
}

void TZylDBLabel::Notification(TComponent* component, TOperation operation) {
    TZylCustomLabel::Notification(component, operation);
    if (operation == TOperation::opRemove && component && component == dataLink_->DataSource()) {
        dataLink_->SetDataSource(nullptr);
        DataChange();
    }
}

void TZylDBLabel::Loaded() {
    TZylCustomLabel::Loaded();
    DataChange();
}

std::string TZylDBLabel::FieldText() const {
    if (TField* field = dataLink_->Field()) return field->DisplayText();
    return Designing() ? Name() : std::string();
}

void TZylDBLabel::DataChange() {
    SetCaption(FieldText());
}

void TZylDBLabel::Paint() {
    SetCaption(FieldText());
    TZylCustomLabel::Paint();
}

UINT TZylDBLabel::CaptionFlags() const {
    return AlignmentFlags() | win32::DT_EXPANDTABS | win32::DT_WORDBREAK;
}

TRect TZylDBLabel::CaptionRect() const {
    const Integer inset = 2 * Frame()->Calcwidth();
    TRect rect = ClientRect();
    win32::InflateRect(&rect, -inset, -inset);
    return rect;
}

void TZylDBLabel::WndProc(TMessage& message) {
    if (message.Msg == CM_GETDATALINK) {
        message.Result = reinterpret_cast<win32::LRESULT>(dataLink_.get());
        return;
    }
    TZylCustomLabel::WndProc(message);
}

// ---------------------------------------------------------------------------------------------
// TZylFileLabel3D

VCL_DEFINE_CLASS(TZylFileLabel3D, TZylCustomLabel)

TZylFileLabel3D::TZylFileLabel3D(TComponent* owner) : TZylCustomLabel(owner) {
    // The caption is the shortened path, never the designer's name for the control.
    controlStyle_.Exclude(csSetCaption);
    SplitPath();
}

void TZylFileLabel3D::SetFilename(const std::string& value) {
    if (value == filename_) return;
    filename_ = value;
    SplitPath();
    ShortenPath();
}

void TZylFileLabel3D::SetSeparator(char value) {
    if (value == separator_) return;
    separator_ = value;
    SplitPath();
    ShortenPath();
}

void TZylFileLabel3D::SetBounds(Integer left, Integer top, Integer width, Integer height) {
    TZylCustomLabel::SetBounds(left, top, width, height);
    ShortenPath();
}

void TZylFileLabel3D::WndProc(TMessage& message) {
    TZylCustomLabel::WndProc(message);
    // The widths the shortening measured are the old font's.
    if (message.Msg == CM_FONTCHANGED) ShortenPath();
}

void TZylFileLabel3D::Loaded() {
    TZylCustomLabel::Loaded();
    ShortenPath();
}

void TZylFileLabel3D::PaintBackground() {
    if (!DrawLinkedBackground()) FillWithColor();
}

TRect TZylFileLabel3D::CaptionRect() const {
    const Integer inset = Frame()->Calcwidth();
    TRect rect = ClientRect();
    win32::InflateRect(&rect, -inset, -inset);
    return rect;
}

void TZylFileLabel3D::SplitPath() {
    parts_.clear();
    size_t start = 0;
    for (;;) {
        const size_t end = filename_.find(separator_, start);
        if (end == std::string::npos) {
            parts_.push_back(filename_.substr(start));
            break;
        }
        parts_.push_back(filename_.substr(start, end - start));
        start = end + 1;
    }
    const std::string& first = parts_.front();
    drive_ = first.size() > 1 && first.back() == ':';
}

void TZylFileLabel3D::ShortenPath() {
    if (filename_.empty()) {
        SetCaption(filename_);
        return;
    }
    const TextMeasure measure(Font());
    const Integer available = Width();
    if (measure.Width(filename_) <= available) {
        SetCaption(filename_);
        return;
    }
    const std::string separator(1, separator_);
    const std::string ellipsis = "..." + separator;
    const std::string& last = parts_.back();
    const Integer tail = measure.Width(ellipsis) + measure.Width(last);
    if (tail >= available) {
        SetCaption(last);
        return;
    }
    const std::string head = drive_ ? parts_.front() + separator : std::string();
    const Integer fixed = tail + measure.Width(head);
    if (fixed >= available) {
        SetCaption(ellipsis + last);
        return;
    }
    // Directories are taken from the file name leftwards while they fit; the glyph advances add up,
    // so each one is measured once. The first part never joins the middle.
    const Integer separatorWidth = measure.Width(separator);
    size_t firstKept = parts_.size() - 1;
    Integer middleWidth = 0;
    for (size_t i = parts_.size() - 1; i-- > 1;) {
        const Integer candidate = measure.Width(parts_[i]) + separatorWidth + middleWidth;
        if (candidate + fixed > available) break;
        middleWidth = candidate;
        firstKept = i;
    }
    std::string caption = head + ellipsis;
    for (size_t i = firstKept; i + 1 < parts_.size(); ++i)
        caption += parts_[i] + separator;
    caption += last;
    SetCaption(caption);
}

}  // namespace lumaro
