// The auto-complete combo box: typing into the edit part completes the text with the first item
// that starts with it (letters compared without regard to case), selecting the completed part so
// that typing on replaces it. Backspace and Delete never complete, and neither does an empty text.
#pragma once

#include <functional>
#include <string>

#include "vcl/stdctrls_list.h"

namespace pellic {

// Char is the key code of the last key pressed; clearing ChangeSelection keeps the typed text.
using TZylOnComplete = std::function<void(vcl::TObject* Sender, vcl::Word Char,
                                          const std::string& TrackedItem, bool& ChangeSelection)>;

class TZylAutoCombo : public vcl::TComboBox {
    VCL_DECLARE_CLASS(TZylAutoCombo, vcl::TComboBox)
public:
    explicit TZylAutoCombo(vcl::TComponent* owner) : vcl::TComboBox(owner) {}

    bool Complete() const { return complete_; }
    void SetComplete(bool value) { complete_ = value; }
    // The characters to type before completing; 0 and 1 both mean one.
    vcl::Word MinComplete() const { return minComplete_; }
    void SetMinComplete(vcl::Word value) { minComplete_ = value; }

    TZylOnComplete OnComplete;

    static void Publish(vcl::Published<TZylAutoCombo>& p) {
        p.Property("Complete", &TZylAutoCombo::Complete, &TZylAutoCombo::SetComplete, true);
        p.Property("MinComplete", &TZylAutoCombo::MinComplete, &TZylAutoCombo::SetMinComplete, vcl::Word{0});
        p.Event<TZylOnComplete>("OnComplete", &TZylAutoCombo::OnComplete);
    }

protected:
    void KeyDown(vcl::Word& key, vcl::TShiftState shift) override;
    void Change() override;

private:
    bool ShouldComplete(const std::string& typed) const;
    // The first item whose start matches `typed`; -1 for none.
    vcl::Integer FirstMatch(const std::string& typed) const;

    bool complete_ = true;
    vcl::Word minComplete_ = 0;
    vcl::Word lastKey_ = 0;
};

}  // namespace pellic
