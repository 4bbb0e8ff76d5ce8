// Our skin format: ".SHE", a version byte, a name, a table of colours by
// role and a checksum over everything before it. Shared by the program
// (which carries four skins) and the skin library (which reads them).
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class SkinRole : uint8_t {
    WindowBack,
    Text,
    ButtonFace,
    ButtonText,
    EditBack,
    EditText,
    ListBack,
    ListText,
    Frame,   // group box lines and button borders
    Accent,  // focus and selection
    Count
};

constexpr size_t kSkinRoles = static_cast<size_t>(SkinRole::Count);
constexpr uint8_t kSkinVersion = 1;

struct Rgb {
    uint8_t r, g, b;
    // As a Win32 COLORREF (0x00BBGGRR).
    uint32_t colorref() const { return r | (g << 8) | (static_cast<uint32_t>(b) << 16); }
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

struct Skin {
    std::string name;
    std::array<Rgb, kSkinRoles> colours;
    Rgb operator[](SkinRole role) const { return colours[static_cast<size_t>(role)]; }
};

std::vector<uint8_t> encodeSkin(const Skin& skin);

// The skin, or nothing for bytes that are short, damaged or not a skin.
std::optional<Skin> parseSkin(const uint8_t* data, size_t size);

// Built-in skins 1 to 4 (light, dark, blue, green), encoded once and kept
// for the life of the process; an empty buffer for any other number.
const std::vector<uint8_t>& builtinSkin(int number);
const Skin& builtinSkinColours(int number);
