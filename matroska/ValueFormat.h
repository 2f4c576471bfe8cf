// Texts for values of the Matroska records: track types, dates, clock times and
// language names.
#pragma once

#include <cstdint>
#include <string>

namespace ambrel {

// "Video", "Audio", "Complex", "Logo", "Subtitles" or "Control" for a TrackType (bit 7
// ignored); empty for any other value.
std::string TrackTypeToStr(uint8_t TrackType);

// A DateUTC (nanoseconds from 2001-01-01 00:00:00 UTC) as "Y-MM-DD hh:mm:ss.mmm" in the
// proleptic Gregorian calendar; digits below the millisecond are dropped. Empty when
// the date falls outside the years 1601 to 30827.
std::string DateUTCToStr(int64_t DateUTC);

// Milliseconds as "hh:mm:ss.mmm"; hours are not wrapped at 24.
std::string MillisecondsToStr(uint64_t Ms);
// Appends MillisecondsToStr(Ms) to Out.
void AppendMilliseconds(std::string& Out, uint64_t Ms);

// The English name of an ISO 639-2 code: the first three characters of Code must equal a
// row's code exactly (case matters; a shorter code matches nothing). Empty when no row
// matches or Code is null.
std::string LanguageCodeToName(const char* Code);

}  // namespace ambrel
