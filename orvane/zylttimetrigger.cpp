#include "orvane/zylttimetrigger.h"

#include <cmath>
#include <cstdio>

#include "vcl/sysutils.h"

namespace orvane {

using vcl::Integer;

namespace timetrigger {

constexpr Integer kSecondsPerDay = 86400;
constexpr vcl::TDateTime kOneSecond = 1.0 / kSecondsPerDay;

Integer SecondOfDay(vcl::TDateTime moment) {
    const double fraction = moment - std::floor(moment);
    return static_cast<Integer>(std::floor(fraction * kSecondsPerDay + 1e-6)) % kSecondsPerDay;
}

bool AllDigits(std::string_view text) {
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return !text.empty();
}

// "hh:mm:ss" or "hh:mm", 24 hours, as seconds of the day; -1 when the text is not in that form.
Integer ReadFixedTime(const std::string& text) {
    if (text.size() != 5 && text.size() != 8) return -1;
    if (text[2] != ':' || (text.size() == 8 && text[5] != ':')) return -1;
    const std::string hours = text.substr(0, 2), minutes = text.substr(3, 2),
                      seconds = text.size() == 8 ? text.substr(6, 2) : "00";
    if (!AllDigits(hours) || !AllDigits(minutes) || !AllDigits(seconds)) return -1;
    const Integer h = std::stoi(hours), m = std::stoi(minutes), s = std::stoi(seconds);
    if (h > 23 || m > 59 || s > 59) return -1;
    return h * 3600 + m * 60 + s;
}

// "yyyy-mm-dd" as a day number; -1 when the text is not in that form.
Integer ReadFixedDate(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return -1;
    const std::string year = text.substr(0, 4), month = text.substr(5, 2), day = text.substr(8, 2);
    if (!AllDigits(year) || !AllDigits(month) || !AllDigits(day)) return -1;
    vcl::TDateTime date = 0;
    if (!vcl::TryEncodeDate(static_cast<vcl::Word>(std::stoi(year)), static_cast<vcl::Word>(std::stoi(month)),
                            static_cast<vcl::Word>(std::stoi(day)), date))
        return -1;
    return static_cast<Integer>(std::floor(date));
}

vcl::TDateTime TimeOfSecond(Integer second) {
    return static_cast<vcl::TDateTime>(second) / kSecondsPerDay;
}

}  // namespace timetrigger

VCL_DEFINE_CLASS(TZylTimeTrigger, TZylSystemsComponent)

TZylTimeTrigger::TZylTimeTrigger(vcl::TComponent* owner)
    : TZylSystemsComponent(owner), timer_(new vcl::TTimer(this)), lastLook_(vcl::Now()) {
    currentTime_ = vcl::TimeToStr(lastLook_);
    currentDate_ = vcl::DateToStr(lastLook_);
    timer_->SetInterval(200);
    timer_->SetOnTimer([this](vcl::TObject*) { Tick(); });
    timer_->SetEnabled(true);
}

TZylTimeTrigger::~TZylTimeTrigger() = default;

void TZylTimeTrigger::SetCurrentTime(const std::string&) {
    lastTime_ = currentTime_;
    currentTime_ = vcl::TimeToStr(vcl::Now());
}

void TZylTimeTrigger::SetCurrentDate(const std::string&) {
    lastDate_ = currentDate_;
    currentDate_ = vcl::DateToStr(vcl::Now());
}

std::string TZylTimeTrigger::TriggerTime() const {
    return triggerSecond_ < 0 ? std::string() : vcl::TimeToStr(timetrigger::TimeOfSecond(triggerSecond_));
}

std::string TZylTimeTrigger::TriggerDate() const {
    return triggerDay_ < 0 ? std::string() : vcl::DateToStr(triggerDay_);
}

std::string TZylTimeTrigger::StreamedTriggerTime() const {
    if (triggerSecond_ < 0) return {};
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", triggerSecond_ / 3600, triggerSecond_ / 60 % 60,
                  triggerSecond_ % 60);
    return text;
}

std::string TZylTimeTrigger::StreamedTriggerDate() const {
    if (triggerDay_ < 0) return {};
    vcl::Word year = 0, month = 0, day = 0;
    vcl::DecodeDate(triggerDay_, year, month, day);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u", unsigned{year}, unsigned{month}, unsigned{day});
    return text;
}

void TZylTimeTrigger::SetTriggerTime(const std::string& value) {
    if (value.empty()) {
        triggerSecond_ = -1;
        return;
    }
    const Integer fixed = timetrigger::ReadFixedTime(value);
    triggerSecond_ = fixed >= 0 ? fixed : timetrigger::SecondOfDay(vcl::StrToTime(value));
}

void TZylTimeTrigger::SetTriggerDate(const std::string& value) {
    if (value.empty()) {
        triggerDay_ = -1;
        return;
    }
    const Integer fixed = timetrigger::ReadFixedDate(value);
    triggerDay_ = fixed >= 0 ? fixed : static_cast<Integer>(std::floor(vcl::StrToDate(value)));
}

bool TZylTimeTrigger::Due(vcl::TDateTime now) const {
    if (triggerSecond_ < 0) return false;
    const vcl::TDateTime today = std::floor(now);
    vcl::TDateTime moment = today + timetrigger::TimeOfSecond(triggerSecond_);
    if (moment > now + 1e-9) moment -= 1;  // today's moment is still ahead: yesterday's may be due
    if (triggerDay_ >= 0 && std::floor(moment + 1e-9) != triggerDay_) return false;
    return moment > lastLook_ + 1e-9 && moment <= now + 1e-9;
}

void TZylTimeTrigger::Tick() {
    const vcl::TDateTime now = vcl::Now();
    // A clock set back starts the watch again from one second ago.
    if (now < lastLook_) lastLook_ = now - timetrigger::kOneSecond;
    currentTime_ = vcl::TimeToStr(now);
    currentDate_ = vcl::DateToStr(now);
    const bool due = Due(now);
    lastLook_ = now;
    if (due && checkForTrigger_) {
        checkForTrigger_ = false;
        if (OnTrigger) OnTrigger(this);
    }
    const bool newTime = currentTime_ != lastTime_, newDate = currentDate_ != lastDate_;
    lastTime_ = currentTime_;
    lastDate_ = currentDate_;
    if (newTime && OnNewTime) OnNewTime(this);
    if (newDate && OnNewDate) OnNewDate(this);
}

}  // namespace orvane
