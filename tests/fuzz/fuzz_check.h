// What every fuzz target shares: a property that fails stops the run with a
// message (libFuzzer then keeps the input that did it), and a reader that
// takes the input apart into the pieces a target needs.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#define FUZZ_CHECK(cond)                                                                    \
    do {                                                                                    \
        if (!(cond)) {                                                                      \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                   \
        }                                                                                   \
    } while (0)

// Takes an input apart: a piece is a length byte and that many bytes (as many
// as are left), the rest is what remains after the pieces taken.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}
    std::string_view piece(size_t maxLength) {
        if (rest_.empty()) return {};
        const size_t n = std::min<size_t>(static_cast<unsigned char>(rest_[0]) % (maxLength + 1), rest_.size() - 1);
        const std::string_view p = rest_.substr(1, n);
        rest_.remove_prefix(1 + n);
        return p;
    }
    bool flag() {
        if (rest_.empty()) return false;
        const bool f = rest_[0] & 1;
        rest_.remove_prefix(1);
        return f;
    }
    std::string_view rest() const { return rest_; }

private:
    std::string_view rest_;
};
