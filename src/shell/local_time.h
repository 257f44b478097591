#pragma once

namespace brevik2::shell {

// The PC's local date and time as the commands and the snapshot report print it. A plain value,
// so that the texts built from it can be tested for any date.
struct LocalTime {
    int year = 0;    // four digits
    int month = 0;   // 1 to 12
    int day = 0;     // 1 to 31
    int hour = 0;    // 0 to 23
    int minute = 0;  // 0 to 59
    int second = 0;  // 0 to 59
};

// The PC's clock now, in local time.
LocalTime currentLocalTime();

}  // namespace brevik2::shell
