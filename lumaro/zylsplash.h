// The splash screen: a borderless window with a picture on a background between two frames, shown
// while the application does its start-up work and for at least a given time.
#pragma once

#include <memory>

#include "lumaro/zylbackgrounds.h"
#include "lumaro/zylenhanced.h"
#include "vcl/forms.h"

namespace lumaro {

// The splash window: shows the picture it is given, nothing else.
class TSplashForm : public vcl::TForm {
    VCL_DECLARE_CLASS(TSplashForm, vcl::TForm)
public:
    explicit TSplashForm(vcl::TComponent* owner);
    ~TSplashForm() override;

    vcl::TBitmap* Picture() const { return picture_.get(); }
    // Runs as the window closes, with the form as sender.
    vcl::TNotifyEvent OnSplashClose;

protected:
    void Paint() override;
    void DoClose(vcl::TCloseAction& action) override;

private:
    std::unique_ptr<vcl::TBitmap> picture_;
};

class TZylSplashScreen : public TZylEnhancedExecComponent {
    VCL_DECLARE_CLASS(TZylSplashScreen, TZylEnhancedExecComponent)
public:
    explicit TZylSplashScreen(vcl::TComponent* owner);
    ~TZylSplashScreen() override;

    vcl::TBitmap* Image() const { return image_.get(); }
    // Copies the picture (nullptr empties it).
    void SetImage(vcl::TBitmap* value);
    Integer SplashWidth() const { return splashWidth_; }
    void SetSplashWidth(Integer value);
    Integer SplashHeight() const { return splashHeight_; }
    void SetSplashHeight(Integer value);
    Integer DelayInMsec() const { return delayInMsec_; }
    // Negative values are ignored.
    void SetDelayInMsec(Integer value);
    TZylBackground* Background() const { return background_; }
    void SetBackground(TZylBackground* value);
    TZylFrame* OutsideFrame() const { return outsideFrame_.get(); }
    void SetOutsideFrame(TZylFrame* value);
    TZylFrame* InsideFrame() const { return insideFrame_.get(); }
    void SetInsideFrame(TZylFrame* value);
    Integer Borderwidth() const { return borderwidth_; }
    // Negative values are ignored.
    void SetBorderwidth(Integer value);
    bool Screencenter() const { return screencenter_; }
    void SetScreencenter(bool value) { screencenter_ = value; }

    // Shows the splash, runs OnRun, waits until DelayInMsec have passed while the application's
    // messages go on, then closes it. Does nothing while a splash of this component is shown.
    void Execute() override;
    // Closes the splash window; a running Execute stops waiting.
    void Close();
    // The splash window while Execute runs, else nullptr.
    TSplashForm* SplashForm() const { return form_.get(); }
    // The splash picture: background, image and frames at SplashWidth x SplashHeight.
    std::unique_ptr<vcl::TBitmap> PaintSplash() const;

    // Sender is the splash form: the application's start-up work goes here.
    vcl::TNotifyEvent OnRun;
    // Sender is the splash form, as it closes.
    vcl::TNotifyEvent OnSplashDone;

    static void Publish(vcl::Published<TZylSplashScreen>& p) {
        p.Property("Image", &TZylSplashScreen::Image, &TZylSplashScreen::SetImage);
        p.Event("OnRun", &TZylSplashScreen::OnRun);
        p.Property("SplashWidth", &TZylSplashScreen::SplashWidth, &TZylSplashScreen::SetSplashWidth, 300);
        p.Property("SplashHeight", &TZylSplashScreen::SplashHeight, &TZylSplashScreen::SetSplashHeight, 200);
        p.Event("OnSplashDone", &TZylSplashScreen::OnSplashDone);
        p.Property("DelayInMsec", &TZylSplashScreen::DelayInMsec, &TZylSplashScreen::SetDelayInMsec, 0);
        p.Property("Background", &TZylSplashScreen::Background, &TZylSplashScreen::SetBackground);
        p.Property("OutsideFrame", &TZylSplashScreen::OutsideFrame, &TZylSplashScreen::SetOutsideFrame);
        p.Property("InsideFrame", &TZylSplashScreen::InsideFrame, &TZylSplashScreen::SetInsideFrame);
        p.Property("Borderwidth", &TZylSplashScreen::Borderwidth, &TZylSplashScreen::SetBorderwidth, 2);
        p.Property("Screencenter", &TZylSplashScreen::Screencenter, &TZylSplashScreen::SetScreencenter,
                   false);
    }

protected:
    void Notification(vcl::TComponent* component, vcl::TOperation operation) override;

private:
    void ShowSplash();
    void WaitForDelay();
    void CloseSplash();

    std::unique_ptr<vcl::TBitmap> image_;
    std::unique_ptr<TZylFrame> outsideFrame_;
    std::unique_ptr<TZylFrame> insideFrame_;
    TZylBackground* background_ = nullptr;
    vcl::TComponentPtr<TSplashForm> form_;
    // Cleared when the component goes, so that Execute notices a handler that freed it.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    Integer splashWidth_ = 300;
    Integer splashHeight_ = 200;
    Integer delayInMsec_ = 0;
    Integer borderwidth_ = 2;
    bool screencenter_ = false;
};

}  // namespace lumaro
