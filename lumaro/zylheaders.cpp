// The column header: its section list, painting and the dragging of section borders.
#include <algorithm>

#include "lumaro/zylheaders.h"
#include "vcl/designintf.h"
#include "vcl/streaming.h"
#include "win32/gdi.h"
#include "win32/user.h"

namespace lumaro {

using namespace vcl;

namespace {

// The width of a section that has no measured one.
constexpr Integer kDefaultSectionWidth = 75;

}  // namespace

// ---------------------------------------------------------------------------------------------
// TZylHeaderStrings

// The sections of a header: captions (the strings) with their widths and objects. Every change
// repaints the header.
class TZylHeaderStrings : public TStrings {
    VCL_CLASS(TZylHeaderStrings, TStrings)
public:
    explicit TZylHeaderStrings(TZylHeader* header) : header_(header) {}

    void Insert(int index, const std::string& s) override {
        if (index < 0 || index > Count()) Error("List index out of bounds (%d)", index);
        sections_.insert(sections_.begin() + index, Section{s, MeasuredWidth(s), nullptr});
        Changed();
    }
    void Delete(int index) override {
        CheckIndex(index);
        sections_.erase(sections_.begin() + index);
        Changed();
    }
    void Clear() override {
        sections_.clear();
        Changed();
    }

    Integer Width(int index) const { return sections_[static_cast<size_t>(index)].width; }
    void SetWidth(int index, Integer width) {
        CheckIndex(index);
        sections_[static_cast<size_t>(index)].width = std::max(0, width);
        Changed();
    }

    // From another string list: sections whose captions stay, in the same order, keep their widths.
    void Assign(const TPersistent* source) override {
        const auto* strings = dynamic_cast<const TStrings*>(source);
        if (!strings) {
            TStrings::Assign(source);
            return;
        }
        if (strings == this) return;
        Updating([&] {
            std::vector<std::string> captions;
            for (int i = 0; i < strings->Count(); ++i)
                captions.push_back(strings->Strings(i));
            std::erase_if(sections_, [&](const Section& section) {
                return std::find(captions.begin(), captions.end(), section.caption) == captions.end();
            });
            std::vector<Section> rebuilt;
            size_t kept = 0;
            for (int i = 0; i < strings->Count(); ++i) {
                const std::string& caption = captions[static_cast<size_t>(i)];
                if (kept < sections_.size() && sections_[kept].caption == caption)
                    rebuilt.push_back(sections_[kept++]);
                else
                    rebuilt.push_back(Section{caption, MeasuredWidth(caption), strings->Objects(i)});
            }
            sections_ = std::move(rebuilt);
        });
        Changed();
    }

    // The sections as one list of strings: NUL, the width in decimal, NUL, the caption. Captions hold
    // any byte, NUL included, so the text is never handled as a C string.
    void DefineProperties(TFiler& filer) override {
        filer.DefineProperty(
            "Sections", [this](TReader& reader) { ReadSections(reader); },
            [this](TWriter& writer) {
                writer.WriteListBegin();
                for (const Section& section : sections_) {
                    std::string stored(1, '\0');
                    stored += std::to_string(section.width);
                    stored += '\0';
                    stored += section.caption;
                    writer.WriteString(stored);
                }
                writer.WriteListEnd();
            },
            !sections_.empty());
    }

protected:
    std::string Get(int index) const override {
        CheckIndex(index);
        return sections_[static_cast<size_t>(index)].caption;
    }
    int GetCount() const override { return static_cast<int>(sections_.size()); }
    // A new caption is measured anew; the object stays.
    void Put(int index, const std::string& s) override {
        CheckIndex(index);
        Section& section = sections_[static_cast<size_t>(index)];
        section.caption = s;
        section.width = MeasuredWidth(s);
        Changed();
    }
    TObject* GetObject(int index) const override {
        CheckIndex(index);
        return sections_[static_cast<size_t>(index)].object;
    }
    void PutObject(int index, TObject* object) override {
        CheckIndex(index);
        sections_[static_cast<size_t>(index)].object = object;
        Changed();
    }
    void SetUpdateState(bool updating) override {
        if (!header_->HandleAllocated()) return;
        win32::SendMessage(header_->Handle(), win32::WM_SETREDRAW, updating ? 0 : 1, 0);
        if (!updating) header_->Refresh();
    }

private:
    struct Section {
        std::string caption;
        Integer width = kDefaultSectionWidth;
        TObject* object = nullptr;
    };

    // A stored string that does not begin with NUL is a caption of the default width, and so is one
    // whose width is no number of pixels.
    static Section ParseSection(const std::string& stored) {
        if (stored.empty() || stored[0] != '\0') return Section{stored, kDefaultSectionWidth, nullptr};
        const size_t end = stored.find('\0', 1);
        if (end == std::string::npos) return Section{stored.substr(1), kDefaultSectionWidth, nullptr};
        Integer width = kDefaultSectionWidth;
        if (!TryStrToInt(std::string_view(stored).substr(1, end - 1), width) || width < 0)
            width = kDefaultSectionWidth;
        return Section{stored.substr(end + 1), width, nullptr};
    }

    void ReadSections(TReader& reader) {
        reader.ReadListBegin();
        std::vector<Section> read;
        while (!reader.EndOfList())
            read.push_back(ParseSection(reader.ReadString()));
        reader.ReadListEnd();
        sections_ = std::move(read);
        Changed();
    }

    Integer MeasuredWidth(const std::string& caption) const {
        return TextMeasure(header_->Font()).Width(caption) + 8;
    }
    void CheckIndex(int index) const {
        if (index < 0 || index >= Count()) Error("List index out of bounds (%d)", index);
    }
    void Changed() {
        if (UpdateCount() == 0) header_->Invalidate();
    }

    TZylHeader* header_;
    std::vector<Section> sections_;
};

// ---------------------------------------------------------------------------------------------
// TZylHeader

VCL_DEFINE_CLASS(TZylHeader, TZylCustomControl)

TZylHeader::TZylHeader(TComponent* owner)
    : TZylCustomControl(owner),
      sections_(std::make_unique<TZylHeaderStrings>(this)),
      font3D_(std::make_unique<TZylFont3D>(this)) {
    controlStyle_.Include(csDesignInteractive);
    controlStyle_.Include(csOpaque);
    SetBounds(Left(), Top(), 250, 25);
}

TZylHeader::~TZylHeader() = default;

TStrings* TZylHeader::Sections() const {
    return sections_.get();
}

void TZylHeader::SetSections(const TStrings* value) {
    if (value) sections_->Assign(value);
}

void TZylHeader::SetBorderStyle(TBorderStyle value) {
    if (value == borderStyle_) return;
    borderStyle_ = value;
    if (HandleAllocated()) RecreateWnd();
}

void TZylHeader::SetFont3D(TZylFont3D* value) {
    if (value) font3D_->Assign(value);
}

Integer TZylHeader::GetWidth(Integer index) const {
    const Integer count = sections_->Count();
    if (index < 0 || index >= count) return 0;
    if (index < count - 1) return sections_->Width(index);
    Integer others = 0;
    for (Integer i = 0; i < count - 1; ++i)
        others += sections_->Width(i);
    return ClientWidth() - others;
}

void TZylHeader::SetWidth(Integer index, Integer width) {
    sections_->SetWidth(index, width);
}

void TZylHeader::Sizing(Integer section, Integer width) {
    if (OnSizing) OnSizing(this, section, width);
}

void TZylHeader::Sized(Integer section, Integer width) {
    if (OnSized) OnSized(this, section, width);
    if (!Designing()) return;
    if (IDesigner* designer = FindRootDesigner(this)) designer->Modified();
}

void TZylHeader::CreateParams(TCreateParams& params) {
    TZylCustomControl::CreateParams(params);
    if (borderStyle_ != bsNone) params.Style |= win32::WS_BORDER;
    // A new size repaints through WM_SIZE instead.
    params.WindowClass.style &= ~(win32::CS_HREDRAW | win32::CS_VREDRAW);
}

void TZylHeader::Paint() {
    TZylCustomControl::Paint();
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(Font());
    const win32::HDC dc = canvas->Handle();
    const Integer clientWidth = ClientWidth(), clientHeight = ClientHeight();
    constexpr win32::UINT kCaptionFlags = win32::DT_END_ELLIPSIS | win32::DT_NOCLIP | win32::DT_SINGLELINE |
                                          win32::DT_VCENTER | win32::DT_CENTER;

    const auto drawSection = [&](TRect rect, const std::string& caption) {
        font3D_->Write(Font(), dc, rect, caption, kCaptionFlags, Enabled());
        const bool sunken = pressed_ && mouseDownPoint_.x >= rect.left && mouseDownPoint_.x < rect.right &&
                            mouseDownPoint_.y >= rect.top && mouseDownPoint_.y < rect.bottom;
        const win32::UINT edge = sunken ? win32::EDGE_SUNKEN : win32::EDGE_RAISED;
        win32::DrawEdge(dc, &rect, edge, win32::BF_TOPLEFT);
        win32::DrawEdge(dc, &rect, edge, win32::BF_BOTTOMRIGHT);
    };

    const Integer count = sections_->Count();
    if (count == 0) {
        drawSection(Rect(0, 0, clientWidth, clientHeight), std::string());
        return;
    }
    Integer x = 0;
    for (Integer i = 0; i < count; ++i) {
        TRect rect = Rect(x, 0, x + sections_->Width(i), clientHeight);
        if (i == count - 1 || rect.right >= clientWidth - 1) rect.right = clientWidth;
        drawSection(rect, sections_->Strings(i));
        x = rect.right;
    }
}

Integer TZylHeader::BorderOf(Integer index) const {
    Integer border = 2;
    for (Integer i = 0; i <= index; ++i)
        border += sections_->Width(i);
    return border;
}

bool TZylHeader::ShowResizeCursor() {
    const win32::HCURSOR sizeCursor = win32::LoadCursor(nullptr, win32::IDC_SIZEWE);
    if (dragging_) {
        win32::SetCursor(sizeCursor);
        return true;
    }
    canResize_ = false;
    const Integer x = ScreenToClient(hitTestPoint_).x;
    for (Integer k = 0; k < sections_->Count() - 1; ++k) {
        const Integer border = BorderOf(k);
        if (std::abs(border - x - 2) < 4) {
            resizeSection_ = k;
            grabOffset_ = border - x - 2;
            canResize_ = allowResize_ || Designing();
            break;
        }
    }
    if (!canResize_) return false;
    win32::SetCursor(sizeCursor);
    return true;
}

void TZylHeader::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) {
    TZylCustomControl::MouseDown(button, shift, x, y);
    if ((button == mbLeft || (Designing() && button == mbRight)) && canResize_) {
        SetMouseCapture(true);
        dragging_ = true;
    }
    if (button == mbLeft && !pressed_) {
        pressed_ = true;
        mouseDownPoint_ = Point(x, y);
        Repaint();
    }
}

void TZylHeader::MouseMove(TShiftState shift, Integer x, Integer y) {
    TZylCustomControl::MouseMove(shift, x, y);
    if (!dragging_ || !MouseCapture()) return;
    const Integer k = resizeSection_;
    const Integer right = BorderOf(k);
    const Integer left = k == 0 ? 2 : right - sections_->Width(k) + 2;
    const Integer limited = std::max(left, std::min(x, ClientWidth() - 2));
    // A grab right of the first border can pull the first section past the left edge: SetWidth
    // stops it at 0.
    sections_->SetWidth(k, sections_->Width(k) + limited + grabOffset_ - right + 2);
    Sizing(k, sections_->Width(k));
    Refresh();
}

void TZylHeader::EndDrag() {
    if (!dragging_) return;
    dragging_ = false;
    if (MouseCapture()) SetMouseCapture(false);
    Sized(resizeSection_, sections_->Width(resizeSection_));
}

void TZylHeader::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) {
    EndDrag();
    if (button == mbLeft && pressed_) {
        pressed_ = false;
        Repaint();
    }
    TZylCustomControl::MouseUp(button, shift, x, y);
}

void TZylHeader::WndProc(TMessage& message) {
    switch (message.Msg) {
        case win32::WM_NCHITTEST:
            hitTestPoint_ = Point(win32::GET_X_LPARAM(message.LParam), win32::GET_Y_LPARAM(message.LParam));
            break;
        case win32::WM_SETCURSOR:
            if (win32::LOWORD(static_cast<win32::DWORD_PTR>(message.LParam)) == win32::HTCLIENT &&
                ShowResizeCursor()) {
                message.Result = 1;
                return;
            }
            break;
        case win32::WM_SIZE:
            Invalidate();
            break;
        case win32::WM_CAPTURECHANGED:
            // The capture went elsewhere in mid-drag: the widths reached so far stay.
            EndDrag();
            break;
        default:
            break;
    }
    TZylCustomControl::WndProc(message);
}

}  // namespace lumaro
