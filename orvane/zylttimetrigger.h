// An event at a given time of day, and on a given date when one is set.
#pragma once

#include <string>

#include "orvane/zylsystem.h"
#include "vcl/extctrls.h"

namespace orvane {

// Watches the platform clock five times a second. Armed (CheckForTrigger), it fires OnTrigger once
// when the clock reaches TriggerTime (on TriggerDate, when set) and disarms itself; the program
// arms it again. A trigger time that passed while the program was busy, or across midnight, still
// fires at the next look. A date alone never fires. OnNewTime fires when the second changes,
// OnNewDate when the day does.
//
// TriggerTime and TriggerDate read in the locale's formats, or in the fixed forms "hh:mm:ss" and
// "yyyy-mm-dd", which is how they are streamed, so that a form reads the same in every locale.
class TZylTimeTrigger : public TZylSystemsComponent {
    VCL_DECLARE_CLASS(TZylTimeTrigger, TZylSystemsComponent)
public:
    explicit TZylTimeTrigger(vcl::TComponent* owner);
    ~TZylTimeTrigger() override;

    const std::string& CurrentTime() const { return currentTime_; }
    // Only reads the clock again.
    void SetCurrentTime(const std::string& value);
    const std::string& CurrentDate() const { return currentDate_; }
    void SetCurrentDate(const std::string& value);
    // In the locale's long time format; empty when not set.
    std::string TriggerTime() const;
    // Empty clears it; EConvertError for a text that is not a time.
    void SetTriggerTime(const std::string& value);
    // In the locale's short date format; empty when not set.
    std::string TriggerDate() const;
    void SetTriggerDate(const std::string& value);
    bool CheckForTrigger() const { return checkForTrigger_; }
    void SetCheckForTrigger(bool value) { checkForTrigger_ = value; }

    // The stream forms "hh:mm:ss" and "yyyy-mm-dd".
    std::string StreamedTriggerTime() const;
    std::string StreamedTriggerDate() const;
    vcl::TTimer* Timer() const { return timer_; }

    vcl::TNotifyEvent OnTrigger;
    vcl::TNotifyEvent OnNewTime;
    vcl::TNotifyEvent OnNewDate;

    static void Publish(vcl::Published<TZylTimeTrigger>& p) {
        using T = TZylTimeTrigger;
        p.Property("CurrentTime", &T::CurrentTime, &T::SetCurrentTime).Stored(false);
        p.Property("CurrentDate", &T::CurrentDate, &T::SetCurrentDate).Stored(false);
        p.Property("TriggerTime", &T::StreamedTriggerTime, &T::SetTriggerTime, std::string());
        p.Property("TriggerDate", &T::StreamedTriggerDate, &T::SetTriggerDate, std::string());
        p.Property("CheckForTrigger", &T::CheckForTrigger, &T::SetCheckForTrigger, false);
        p.Event("OnTrigger", &T::OnTrigger);
        p.Event("OnNewTime", &T::OnNewTime);
        p.Event("OnNewDate", &T::OnNewDate);
    }

private:
    void Tick();
    bool Due(vcl::TDateTime now) const;

    vcl::TTimer* timer_;
    std::string currentTime_;
    std::string currentDate_;
    std::string lastTime_ = "00:00";
    std::string lastDate_ = "11/7/73";
    // Seconds of the day and day number; negative when not set.
    vcl::Integer triggerSecond_ = -1;
    vcl::Integer triggerDay_ = -1;
    bool checkForTrigger_ = false;
    // The clock at the previous look: a trigger moment after it and not after now is due.
    vcl::TDateTime lastLook_;
};

}  // namespace orvane
