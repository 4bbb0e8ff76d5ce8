// Base64 (RFC 4648, section 4), without line breaks.
#pragma once
#include <string>
#include <string_view>

std::string base64Encode(std::string_view bytes);
