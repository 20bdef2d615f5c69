#pragma once
// How settings values are interpreted. Every value is read as text and turned into a flag, a
// number or a colour here, and only here, so every reader of a settings file agrees.
#include <QString>

namespace kv {

// On when the value begins with the digit 1 ("1", "10", "1yes"); off for anything else.
bool iniFlag(const QString& value);

// A decimal number read the usual way: leading blanks skipped, an optional sign, then digits
// and one decimal point up to the first other character. No digits give 0
// ("0.05" -> 0.05, "1,5" -> 1, "" -> 0, "abc" -> 0).
double iniNumber(const QString& value);

// A Windows colour reference (0x00BBGGRR) from its settings notation: empty or blank text gives
// nDefault; "r,g,b" gives r + g*256 + b*65536 with each field read by iniNumber and nothing
// clamped (missing fields read as 0); anything else is read as one number.
long long GetColor(const QString& cText, long long nDefault = 0);

} // namespace kv
