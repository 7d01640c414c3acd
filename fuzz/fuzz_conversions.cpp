// Text conversions and format masks must turn any input into a result or one of the framework's
// exceptions.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "vcl/sysutils.h"

namespace {

template <typename F>
void Guard(F&& f) {
    try {
        f();
    } catch (const vcl::Exception&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vcl;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    static const TFormatSettings us = DefaultFormatSettings();
    static const TFormatSettings de = [] {
        TFormatSettings s = DefaultFormatSettings();
        s.DecimalSeparator = ',';
        s.ThousandSeparator = '.';
        s.DateSeparator = '.';
        s.ShortDateFormat = "dd.MM.yyyy";
        s.LongTimeFormat = "hh:mm:ss";
        return s;
    }();
    for (const TFormatSettings* s : {&us, &de}) {
        Guard([&] { StrToInt(text); });
        Guard([&] { StrToInt64(text); });
        Guard([&] { StrToFloat(text, *s); });
        Guard([&] { StrToCurr(text, *s); });
        Guard([&] { StrToDate(text, *s); });
        Guard([&] { StrToTime(text, *s); });
        Guard([&] { StrToDateTime(text, *s); });
    }
    Guard([&] { Format(text, {42, -7, Int64{1} << 40, 3.25, "str", 'c', Currency(12), nullptr, 2, 5}); });
    Guard([&] { Format(de, text, {1e300, -0.0, 123456789, "x"}); });
    Guard([&] { FormatDateTime(text, 45458.5123); });
    Guard([&] { FormatDateTime(text, -1.25, de); });
    Guard([&] { FormatFloat(text, 1234567.891); });
    Guard([&] { FormatFloat(text, -0.000123, de); });
    Guard([&] { FormatFloat(text, 0.0); });
    Guard([&] { FormatFloat(text, 5e-324); });
    Guard([&] { FormatCurr(text, Currency::FromRaw(INT64_MIN)); });
    Guard([&] { AnsiUpperCase(text); });
    Guard([&] { StringReplace(text, "a", "bb", {TReplaceFlag::rfReplaceAll, TReplaceFlag::rfIgnoreCase}); });
    return 0;
}
