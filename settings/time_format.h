// The program's date-and-time type: local wall-clock fields packed as if they were UTC.
#pragma once
#include <cstdint>
#include <string>

// Seconds since 1970-01-01 00:00:00 of the local wall clock; decoding it as UTC gives back the
// local fields. Covers 1901-12-13 20:45:52 to 2038-01-19 03:14:07.
using Timestamp = int32_t;

struct TimeFields {
    int32_t year;
    int32_t month;  // 1-12
    int32_t day;    // 1-31
    int32_t hour;   // 0-23
    int32_t minute; // 0-59
    int32_t second; // 0-59
};

// Days from 1970-01-01 by the Gregorian calendar, times 86400, plus the time of day. Fields
// outside their usual range carry over (month 13 is January of the next year). A moment that
// does not fit the 32-bit range is held at the nearest end of it rather than wrapping round.
Timestamp MakeTimestamp(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                        int32_t second);
TimeFields DecodeTimestamp(Timestamp t);

// Copies the mask, replacing the tokens %yyyy, %yy, %mm, %dd, %hh, %ii and %ss (any letter
// case, first match in that order) by the fields of t. Any other "%" is copied as it is.
std::string FormatTimestamp(const std::string& mask, Timestamp t);
