// The standard data exchange of one edit box: its text read strictly as its kind says (a text
// that does not parse whole is refused, never read as a part of it or as 0), and the
// platform's message when it is refused.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orv {

struct FormField;

// The refusal message for the field's text, empty when it passes (length, kind and range;
// not the dialog's own check).
std::string ExchangeMessage(const FormField& field);

// Blanks and tabs around the text are allowed, nothing else: an optional sign then decimal
// digits; a decimal number with an optional exponent, finite; hexadecimal digits without a
// sign or prefix. Values beyond 64 bits (or beyond a double) are refused.
std::optional<int64_t> ParseDecimal(std::string_view text, bool allowNegative);
std::optional<double> ParseReal(std::string_view text);
std::optional<uint64_t> ParseHex(std::string_view text);

}  // namespace orv
