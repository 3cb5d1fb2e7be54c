#pragma once
#include <string>
#include <string_view>

namespace tervane {

// The leading-number reading rule: leading blanks skipped, the longest
// leading decimal number taken (sign, digits, one point, an exponent), and
// no number at all reads as 0. A number too large for a double also reads
// as 0: an infinite coordinate would poison every extent and scale.
double leadingNumber(std::string_view text);

// True when the text, blanks around it aside, is one finite decimal number
// and nothing else ("12.5", "-3", "+1e3", ".5"); false for "", "abc",
// "12.5m", "1e400", "inf". Fields that must hold a number are checked with
// this before they are stored, since the reading rule would quietly turn
// anything else into 0.
bool isWholeNumber(std::string_view text);

// A number as the program prints it: a leading blank for a value that is
// not negative (a minus sign otherwise), the shortest decimal text of up to
// 15 significant digits, no leading zero before the point (" .5", "-.25"),
// no trailing zeros, and exponent form ("1E+15", "1.5E-07") for magnitudes
// of 1E15 and above or below 0.0001.
std::string numberText(double value);
// The same for single precision: up to 7 significant digits, and exponent
// form from 1E7 up, where a whole number could no longer show every digit
// (12345678 prints as " 1.234568E+07").
std::string numberTextSingle(float value);
// numberText without the leading blank of a value that is not negative.
std::string plainNumberText(double value);
// The same for single precision.
std::string plainNumberTextSingle(float value);

// Truncates toward minus infinity to the decimals of `scale` (1000, 100, 10
// or 1): floor(value x scale) / scale. Heights reach the labels through
// single precision, so a typed 0.29 arrives as 0.28999999; a nudge of a few
// single-precision steps keeps such a value at what was typed instead of
// dropping a whole unit in the last decimal. A scale of 0 counts as 1.
double truncateToScale(double value, double scale);

} // namespace tervane
