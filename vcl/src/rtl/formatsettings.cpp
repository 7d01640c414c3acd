#include "vcl/sysutils.h"

namespace vcl {

TFormatSettings DefaultFormatSettings() {
    TFormatSettings s;
    s.CurrencyString = "$";
    s.CurrencyFormat = 0;
    s.NegCurrFormat = 0;
    s.ThousandSeparator = ',';
    s.DecimalSeparator = '.';
    s.CurrencyDecimals = 2;
    s.DateSeparator = '/';
    s.TimeSeparator = ':';
    s.ListSeparator = ',';
    s.ShortDateFormat = "M/d/yyyy";
    s.LongDateFormat = "dddd, MMMM d, yyyy";
    s.TimeAMString = "AM";
    s.TimePMString = "PM";
    s.ShortTimeFormat = "h:mm AMPM";
    s.LongTimeFormat = "h:mm:ss AMPM";
    s.ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    s.LongMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                        "July",    "August",   "September", "October", "November", "December"};
    s.ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    s.LongDayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    s.TwoDigitYearCenturyWindow = 50;
    return s;
}

TFormatSettings FormatSettings = DefaultFormatSettings();

void Abort() {
    throw EAbort("Operation aborted");
}

}  // namespace vcl
