// Small concrete controls for the control-core tests: a windowed panel and a graphic block, each
// painting one solid colour, and a button-like control that answers Enter as a default button.
#pragma once

#include <string>
#include <vector>

#include "vcl/forms.h"
#include "win32/virtualkeys.h"

namespace zyltest {

using namespace vcl;

class TTestPanel : public TCustomControl {
    VCL_CLASS(TTestPanel, TCustomControl)
public:
    explicit TTestPanel(TComponent* owner) : TCustomControl(owner) {
        controlStyle_ += TControlStyle{csAcceptsControls};
        SetBounds(0, 0, 50, 50);
        SetParentColor(false);
        SetColor(clRed);
    }
    std::vector<std::string> messages;  // CM_* notifications heard, by name
    Integer paints = 0;

    static void Publish(Published<TTestPanel>& p) {
        PublishAlign(p);
        PublishAnchors(p);
        PublishCaption(p);
        PublishColor(p, clRed);
        PublishEnabled(p);
        PublishTabOrder(p);
        PublishTabStop(p, true);
        PublishVisible(p);
        PublishMouseEvents(p);
    }

    void WndProc(TMessage& message) override {
        switch (message.Msg) {
            case CM_TEXTCHANGED:
                messages.push_back("text");
                break;
            case CM_ENABLEDCHANGED:
                messages.push_back("enabled");
                break;
            case CM_VISIBLECHANGED:
                messages.push_back("visible");
                break;
            case CM_COLORCHANGED:
                messages.push_back("color");
                break;
            case CM_MOUSEENTER:
                messages.push_back(message.LParam ? "child-enter" : "enter");
                break;
            case CM_MOUSELEAVE:
                messages.push_back(message.LParam ? "child-leave" : "leave");
                break;
            default:
                break;
        }
        TCustomControl::WndProc(message);
    }

protected:
    void Paint() override {
        ++paints;
        Canvas()->Brush()->SetColor(Color());
        Canvas()->FillRect(ClientRect());
    }
};

class TTestBlock : public TGraphicControl {
    VCL_CLASS(TTestBlock, TGraphicControl)
public:
    explicit TTestBlock(TComponent* owner) : TGraphicControl(owner) {
        SetBounds(0, 0, 10, 10);
        SetParentColor(false);
        SetColor(clBlue);
    }
    std::vector<std::string> messages;

    static void Publish(Published<TTestBlock>& p) {
        PublishAlign(p);
        PublishColor(p, clBlue);
        PublishVisible(p);
        PublishMouseEvents(p);
    }

    void WndProc(TMessage& message) override {
        if (message.Msg == CM_MOUSEENTER && !message.LParam) messages.push_back("enter");
        if (message.Msg == CM_MOUSELEAVE && !message.LParam) messages.push_back("leave");
        TGraphicControl::WndProc(message);
    }

protected:
    void Paint() override {
        Canvas()->Brush()->SetColor(Color());
        Canvas()->FillRect(ClientRect());
    }
};

// Answers Enter like a default button and Escape like a cancel button.
class TTestDefaultButton : public TTestPanel {
    VCL_CLASS(TTestDefaultButton, TTestPanel)
public:
    using TTestPanel::TTestPanel;
    bool isDefault = false;
    bool isCancel = false;

    void WndProc(TMessage& message) override {
        if (message.Msg == CM_DIALOGKEY && ((message.WParam == win32::VK_RETURN && isDefault) ||
                                            (message.WParam == win32::VK_ESCAPE && isCancel))) {
            Click();
            message.Result = 1;
            return;
        }
        TTestPanel::WndProc(message);
    }
};

}  // namespace zyltest
