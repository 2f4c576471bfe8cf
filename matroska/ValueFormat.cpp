#include "matroska/ValueFormat.h"

#include <charconv>
#include <cstdio>

#include "matroska/LanguageTable.h"

namespace ambrel {

std::string TrackTypeToStr(uint8_t TrackType) {
  switch (TrackType & 0x7F) {
    case 0x01: return "Video";
    case 0x02: return "Audio";
    case 0x03: return "Complex";
    case 0x10: return "Logo";
    case 0x11: return "Subtitles";
    case 0x20: return "Control";
    default: return "";
  }
}

namespace {

constexpr int64_t kTicksPerMs = 10000;  // 100-nanosecond ticks
constexpr int64_t kTicksPerDay = 864000000000;
// Ticks from 1601-01-01 (the file-time origin) to 2001-01-01: 400 Gregorian years.
constexpr int64_t kOriginTicks = 146097 * kTicksPerDay;
constexpr int64_t kMinYear = 1601;
constexpr int64_t kMaxYear = 30827;

struct TCivilDate {
  int64_t Year;
  int Month;
  int Day;
};

// Proleptic Gregorian date of a day number counted from 1601-01-01 (day 0). 1601 starts
// a 400-year cycle, so eras can be counted from there directly.
TCivilDate CivilFromDays(int64_t Days) {
  const int64_t Era = (Days >= 0 ? Days : Days - 146096) / 146097;
  const int64_t DayOfEra = Days - Era * 146097;  // [0, 146096]
  // Years of the era: 100-year and 4-year cycles, each with its last year one day longer.
  const int64_t YearOfEra = (DayOfEra - DayOfEra / 1460 + DayOfEra / 36524 - DayOfEra / 146096) / 365;
  int64_t DayOfYear = DayOfEra - (365 * YearOfEra + YearOfEra / 4 - YearOfEra / 100);
  const int64_t Year = 1601 + Era * 400 + YearOfEra;
  const bool Leap = (Year % 4 == 0 && Year % 100 != 0) || Year % 400 == 0;
  static constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int Month = 0;
  for (; Month < 11; ++Month) {
    const int Length = kMonthDays[Month] + (Month == 1 && Leap ? 1 : 0);
    if (DayOfYear < Length) break;
    DayOfYear -= Length;
  }
  return {Year, Month + 1, static_cast<int>(DayOfYear) + 1};
}

}  // namespace

std::string DateUTCToStr(int64_t DateUTC) {
  // The origin plus at most |INT64_MIN / 100| ticks stays well inside int64 range.
  const int64_t FileTime = kOriginTicks + DateUTC / 100;
  if (FileTime < 0) return "";
  const int64_t Days = FileTime / kTicksPerDay;
  const int64_t InDay = FileTime % kTicksPerDay;
  const TCivilDate Date = CivilFromDays(Days);
  if (Date.Year < kMinYear || Date.Year > kMaxYear) return "";
  const int64_t Ms = InDay / kTicksPerMs;
  char Text[64];
  std::snprintf(Text, sizeof Text, "%d-%2.2d-%2.2d %2.2d:%2.2d:%2.2d.%3.3d", static_cast<int>(Date.Year), Date.Month,
                Date.Day, static_cast<int>(Ms / 3600000), static_cast<int>(Ms / 60000 % 60),
                static_cast<int>(Ms / 1000 % 60), static_cast<int>(Ms % 1000));
  return Text;
}

void AppendMilliseconds(std::string& Out, uint64_t Ms) {
  // hh:mm:ss.zzz, the hours with as many digits as they need (at least two). Written by
  // hand: this runs twice per chapter, and files can hold hundreds of thousands.
  const uint64_t Seconds = Ms / 1000;
  const uint64_t Hours = Seconds / 3600;
  char Text[40];
  char* End = Text;
  if (Hours < 100) {
    *End++ = static_cast<char>('0' + Hours / 10);
    *End++ = static_cast<char>('0' + Hours % 10);
  } else {
    End = std::to_chars(End, Text + sizeof Text, Hours).ptr;
  }
  const auto Put = [&End](uint64_t Value, int Digits) {
    for (int i = Digits - 1; i >= 0; --i) {
      End[i] = static_cast<char>('0' + Value % 10);
      Value /= 10;
    }
    End += Digits;
  };
  *End++ = ':';
  Put(Seconds % 3600 / 60, 2);
  *End++ = ':';
  Put(Seconds % 60, 2);
  *End++ = '.';
  Put(Ms % 1000, 3);
  Out.append(Text, End);
}

std::string MillisecondsToStr(uint64_t Ms) {
  std::string Text;
  AppendMilliseconds(Text, Ms);
  return Text;
}

std::string LanguageCodeToName(const char* Code) {
  if (Code == nullptr) return "";
  std::size_t Length = 0;
  while (Length < 3 && Code[Length] != '\0') ++Length;
  const std::optional<TLanguageRow> Found = FindLanguage(std::string_view(Code, Length));
  return Found ? std::string(Found->Name) : std::string();
}

}  // namespace ambrel
