#include "skin/skin_format.h"

#include <cstring>

namespace {

constexpr char kMagic[4] = {'.', 'S', 'H', 'E'};

uint32_t fnv1a(const uint8_t* data, size_t size) {
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 16777619u;
    return h;
}

const Skin kBuiltins[4] = {
    {"Paper", {{{240, 240, 236}, {30, 30, 30}, {225, 225, 218}, {20, 20, 20}, {255, 255, 255},
                {0, 0, 0}, {252, 252, 248}, {25, 25, 25}, {160, 160, 150}, {0, 120, 215}}}},
    {"Night", {{{45, 48, 56}, {230, 232, 236}, {70, 75, 88}, {240, 240, 240}, {30, 32, 38},
                {220, 230, 240}, {28, 30, 36}, {210, 220, 235}, {120, 130, 150}, {0, 150, 200}}}},
    {"Harbor", {{{214, 228, 245}, {16, 42, 84}, {178, 204, 236}, {10, 30, 70}, {240, 246, 255},
                 {10, 30, 70}, {232, 241, 255}, {12, 36, 80}, {90, 130, 190}, {30, 90, 200}}}},
    {"Meadow", {{{220, 238, 214}, {28, 64, 24}, {186, 220, 176}, {20, 50, 16}, {244, 252, 240},
                 {20, 50, 16}, {236, 248, 230}, {24, 60, 20}, {100, 160, 90}, {40, 140, 60}}}},
};

}  // namespace

std::vector<uint8_t> encodeSkin(const Skin& skin) {
    std::vector<uint8_t> out(kMagic, kMagic + 4);
    out.push_back(kSkinVersion);
    out.push_back(static_cast<uint8_t>(skin.name.size()));
    out.insert(out.end(), skin.name.begin(), skin.name.begin() + std::min<size_t>(skin.name.size(), 255));
    out.push_back(static_cast<uint8_t>(kSkinRoles));
    for (size_t role = 0; role < kSkinRoles; ++role) {
        const Rgb c = skin.colours[role];
        out.insert(out.end(), {static_cast<uint8_t>(role), c.r, c.g, c.b});
    }
    const uint32_t sum = fnv1a(out.data(), out.size());
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(sum >> (8 * i)));
    return out;
}

std::optional<Skin> parseSkin(const uint8_t* data, size_t size) {
    if (!data || size < 4 + 1 + 1 + 1 + 4 || std::memcmp(data, kMagic, 4) != 0) return std::nullopt;
    const size_t body = size - 4;  // the checksum closes the skin
    uint32_t stored = 0;
    for (int i = 0; i < 4; ++i) stored |= static_cast<uint32_t>(data[body + i]) << (8 * i);
    if (stored != fnv1a(data, body)) return std::nullopt;

    size_t pos = 4;
    if (data[pos++] != kSkinVersion) return std::nullopt;
    const size_t nameLength = data[pos++];
    if (pos + nameLength + 1 > body) return std::nullopt;
    Skin skin{std::string(reinterpret_cast<const char*>(data + pos), nameLength), {}};
    pos += nameLength;
    const size_t count = data[pos++];
    if (count != kSkinRoles || pos + count * 4 != body) return std::nullopt;
    std::array<bool, kSkinRoles> seen{};
    for (size_t i = 0; i < count; ++i, pos += 4) {
        const size_t role = data[pos];
        if (role >= kSkinRoles || seen[role]) return std::nullopt;
        seen[role] = true;
        skin.colours[role] = {data[pos + 1], data[pos + 2], data[pos + 3]};
    }
    return skin;
}

const std::vector<uint8_t>& builtinSkin(int number) {
    static const std::vector<uint8_t> none;
    static const std::vector<uint8_t> encoded[4] = {encodeSkin(kBuiltins[0]), encodeSkin(kBuiltins[1]),
                                                     encodeSkin(kBuiltins[2]), encodeSkin(kBuiltins[3])};
    return number >= 1 && number <= 4 ? encoded[number - 1] : none;
}

const Skin& builtinSkinColours(int number) { return kBuiltins[(number >= 1 && number <= 4 ? number : 1) - 1]; }
