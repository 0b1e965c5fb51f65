// The rules by which every number a user types is read. Blanks around the
// number are allowed and one optional sign ('+' or '-') may lead it; a sign
// after a sign makes no number.
#pragma once

#include <cstdint>
#include <string_view>

namespace segy {

// An integer: decimal digits within the signed 32-bit range. True with
// `value` set when `text` holds one; false, leaving `value`, otherwise.
bool ParseDecimalInteger(std::string_view text, int32_t& value);

// A number typed into the sample rate or gain edit: a decimal number, with
// a fraction and an exponent allowed. False, with `value` untouched, for
// anything else, infinities and NaN included. The plot and the edits' own
// checks read the text by this one rule, so a text the edit reports as no
// number is exactly one the plot does not use.
bool ParseDecimalNumber(std::string_view text, double& value);

} // namespace segy
