// NumberFormat - numbers written as text: cut to decimals, grouped, right-aligned; and the empty text.
#pragma once

#include <string>

// The value's decimal text cut (not rounded) after `decimals` digits, 0 dropping the point.
// The decimal text is the shortest one that reads back as the same double (so 0.29 is "0.29", not
// "0.28999..."), written without an exponent and padded with zeros to the decimals asked for; a cut
// that leaves only zeros loses its "-". groupSize > 0 puts "," between every groupSize digits left of
// the point (never after the sign). width > 0 right-aligns the text with blanks to
// width + decimals + 1 characters, or gives "Error" right-aligned so when the text is longer.
// Infinities and NaN come out as "inf", "-inf" and "nan", under the same width rule.
std::string FormatNumber(double value, int decimals, int groupSize, int width);

std::string EmptyText();
