// The data set navigator: ten painted buttons that move through and edit the records of a data set,
// in a row or a column, over an optional shared background.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "lumaro/zylbackgrounds.h"
#include "lumaro/zylenhanced.h"
#include "vcl/buttons.h"
#include "vcl/db.h"
#include "vcl/extctrls.h"
#include "vcl/stringlist.h"

namespace lumaro {

enum class TZylNavigateBtn : uint8_t {
    nbFirst,
    nbPrior,
    nbNext,
    nbLast,
    nbInsert,
    nbDelete,
    nbEdit,
    nbPost,
    nbCancel,
    nbRefresh
};
VCL_ENUM_NAMES(TZylNavigateBtn, "nbFirst", "nbPrior", "nbNext", "nbLast", "nbInsert", "nbDelete", "nbEdit",
               "nbPost", "nbCancel", "nbRefresh")
using enum TZylNavigateBtn;
using TZylButtonSet = vcl::Set<TZylNavigateBtn>;
inline constexpr TZylButtonSet kAllNavigateButtons{nbFirst,  nbPrior, nbNext, nbLast,   nbInsert,
                                                   nbDelete, nbEdit,  nbPost, nbCancel, nbRefresh};
inline constexpr Integer kNavigateButtonCount = 10;

// The two images of a navigator glyph.
enum class TZylNavGlyph : uint8_t { ngEnabled, ngDisabled };
VCL_ENUM_NAMES(TZylNavGlyph, "ngEnabled", "ngDisabled")
using enum TZylNavGlyph;

enum class TZylNavButtonStyle : uint8_t { nsAllowTimer, nsFocusRect };
VCL_ENUM_NAMES(TZylNavButtonStyle, "nsAllowTimer", "nsFocusRect")
using enum TZylNavButtonStyle;
using TZylNavButtonStyles = vcl::Set<TZylNavButtonStyle>;

using TZylNavigationClick = std::function<void(vcl::TObject* Sender, TZylNavigateBtn Button)>;

// Asked before a record is deleted.
inline constexpr std::string_view SDeleteRecordQuestion = "Delete record?";

class TZylDBNavigator;

// One navigator button: a speed button that knows its place, draws the navigator's focus
// rectangle, and with nsAllowTimer repeats while it is held.
class TZylNavButton : public vcl::TSpeedButton {
    VCL_DECLARE_CLASS(TZylNavButton, vcl::TSpeedButton)
public:
    explicit TZylNavButton(vcl::TComponent* owner);
    ~TZylNavButton() override;

    TZylNavigateBtn Index() const { return index_; }
    void SetIndex(TZylNavigateBtn value) { index_ = value; }
    TZylNavButtonStyles NavStyle() const { return navStyle_; }
    void SetNavStyle(TZylNavButtonStyles value) { navStyle_ = value; }

protected:
    void Paint() override;
    void MouseDown(vcl::TMouseButton button, vcl::TShiftState shift, Integer x, Integer y) override;
    void MouseUp(vcl::TMouseButton button, vcl::TShiftState shift, Integer x, Integer y) override;

private:
    void StartRepeat();
    void StopRepeat();
    void RepeatTimerExpired();

    TZylNavigateBtn index_ = nbFirst;
    TZylNavButtonStyles navStyle_;
    vcl::TComponentPtr<vcl::TTimer> repeatTimer_;
    // A repeating button clicked when it went down; the release does not click it again.
    bool clickedOnPress_ = false;
};

// The navigator's tie to its data source: every change of the data set reaches the buttons.
class TZylNavDataLink : public vcl::TDataLink {
    VCL_DECLARE_CLASS(TZylNavDataLink, vcl::TDataLink)
public:
    explicit TZylNavDataLink(TZylDBNavigator* navigator) : navigator_(navigator) {}

protected:
    void EditingChanged() override;
    void DataSetChanged() override;
    void ActiveChanged() override;

private:
    TZylDBNavigator* navigator_;
};

class TZylDBNavigator : public vcl::TCustomPanel {
    VCL_DECLARE_CLASS(TZylDBNavigator, vcl::TCustomPanel)
public:
    explicit TZylDBNavigator(vcl::TComponent* owner);
    ~TZylDBNavigator() override;

    TZylKind Direction() const { return direction_; }
    // Turns the navigator: width and height are exchanged and the buttons stacked the other way.
    void SetDirection(TZylKind value);
    TZylBackground* Background() const { return static_cast<TZylBackground*>(background_.Get()); }
    void SetBackground(TZylBackground* value);
    vcl::TDataSource* DataSource() const { return dataLink_->DataSource(); }
    void SetDataSource(vcl::TDataSource* value);
    TZylButtonSet VisibleButtons() const { return visibleButtons_; }
    void SetVisibleButtons(TZylButtonSet value);
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    vcl::TStrings* Hints() const { return hints_.get(); }
    void SetHints(vcl::TStrings* value);
    bool ConfirmDelete() const { return confirmDelete_; }
    void SetConfirmDelete(bool value) { confirmDelete_ = value; }

    TZylNavButton* Buttons(TZylNavigateBtn button) const { return buttons_[static_cast<size_t>(button)]; }
    // The button Space clicks and the focus rectangle marks.
    TZylNavigateBtn FocusedButton() const { return focusedButton_; }
    // Runs a button's action as a click does.
    void BtnClick(TZylNavigateBtn index);

    // The data link's notifications: each sets the buttons' enabled states.
    void DataChanged();
    void EditingChanged();
    void ActiveChanged();

    void SetBounds(Integer left, Integer top, Integer width, Integer height) override;
    void WndProc(vcl::TMessage& message) override;

    TZylNavigationClick BeforeAction;
    // Hides the control's plain click event: the navigator's click names its button.
    TZylNavigationClick OnClick;

    static void Publish(vcl::Published<TZylDBNavigator>& p) {
        p.Property("Direction", &TZylDBNavigator::Direction, &TZylDBNavigator::SetDirection, kHorizontal);
        p.Property("Background", &TZylDBNavigator::Background, &TZylDBNavigator::SetBackground);
        p.Property("DataSource", &TZylDBNavigator::DataSource, &TZylDBNavigator::SetDataSource);
        p.Property("VisibleButtons", &TZylDBNavigator::VisibleButtons, &TZylDBNavigator::SetVisibleButtons,
                   kAllNavigateButtons);
        p.Property("Flat", &TZylDBNavigator::Flat, &TZylDBNavigator::SetFlat, false);
        p.Property("Hints", &TZylDBNavigator::Hints, &TZylDBNavigator::SetHints);
        p.Property("ConfirmDelete", &TZylDBNavigator::ConfirmDelete, &TZylDBNavigator::SetConfirmDelete,
                   true);
        p.Event("BeforeAction", &TZylDBNavigator::BeforeAction);
        p.Event("OnClick", &TZylDBNavigator::OnClick);
        PublishAlign(p);
        PublishDragProperties(p);
        PublishEnabled(p);
        PublishCtl3D(p);
        PublishParentShowHint(p);
        PublishPopupMenu(p);
        PublishShowHint(p);
        PublishTabOrder(p);
        PublishTabStop(p, false);
        PublishVisible(p);
        p.template Event<vcl::TNotifyEvent>("OnDblClick", &TControl::OnDblClick);
        PublishDragEvents(p);
        PublishFocusEvents(p);
        PublishOnResize(p);
    }

protected:
    void Loaded() override;
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;
    void Paint() override;
    void KeyDown(vcl::Word& key, vcl::TShiftState shift) override;

private:
    friend class TZylNavButton;
    void CreateButtons();
    void ApplyHints();
    // The buttons' enabled states from the data set's state.
    void UpdateButtonStates();
    // Width and height raised to hold the visible buttons, and the buttons placed.
    void LayOutButtons(Integer& width, Integer& height);
    void PlaceButtons();
    Integer VisibleCount() const;
    void ButtonPressed(TZylNavButton* button);
    void SetFocusedButton(TZylNavigateBtn value);
    // The visible button after (step 1) or before (step -1) `from`, or `from` when there is none.
    TZylNavigateBtn NextVisible(TZylNavigateBtn from, int step) const;
    // A hidden focused button hands the focus mark to a visible one.
    void KeepFocusVisible();
    bool ShowsFocusRect(const TZylNavButton* button) const;
    vcl::TPoint MinButtonSize() const;

    std::array<TZylNavButton*, kNavigateButtonCount> buttons_{};
    std::unique_ptr<TZylNavDataLink> dataLink_;
    std::unique_ptr<vcl::TStringList> hints_;
    TZylBackgroundClient background_{this};
    TZylKind direction_ = kHorizontal;
    TZylButtonSet visibleButtons_ = kAllNavigateButtons;
    TZylNavigateBtn focusedButton_ = nbFirst;
    bool flat_ = false;
    bool confirmDelete_ = true;
    // Cleared when the navigator goes, so that a click notices a handler that freed it.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace lumaro
