// Base64 of any bytes (the proxy's user and password). Input: the bytes.
#include "tests/fuzz/fuzz_check.h"
#include "update/base64.h"

namespace {

// Decoding the obvious way, to read the encoding back.
std::string decode(std::string_view text) {
    static const std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned bits = 0, count = 0;
    for (char c : text) {
        if (c == '=') break;
        bits = (bits << 6) | static_cast<unsigned>(kAlphabet.find(c));
        count += 6;
        if (count >= 8) {
            count -= 8;
            out += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = base64Encode(bytes);
    FUZZ_CHECK(text.size() == (size + 2) / 3 * 4);
    FUZZ_CHECK(text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=") ==
               std::string::npos);
    FUZZ_CHECK(decode(text) == bytes);
    return 0;
}
