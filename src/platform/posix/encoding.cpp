// On Linux the 8-bit character set is UTF-8.
#include "platform/platform.h"
#include "platform/regfile/utf.h"

namespace xq::os {

std::string wide_to_narrow(std::u16string_view text) { return regfile::utf16_to_utf8(text); }

std::u16string narrow_to_wide(std::string_view text) { return regfile::utf8_to_utf16(text); }

}  // namespace xq::os
