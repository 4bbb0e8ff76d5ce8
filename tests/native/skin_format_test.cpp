#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

#include "skin/skin_format.h"

using Bytes = std::vector<uint8_t>;

TEST(SkinFormat, BuiltinSkinsParseAndDiffer) {
    std::set<uint32_t> backgrounds;
    for (int n = 1; n <= 4; ++n) {
        SCOPED_TRACE(n);
        const Bytes& bytes = builtinSkin(n);
        ASSERT_GE(bytes.size(), 4u);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), ".SHE");
        const auto skin = parseSkin(bytes.data(), bytes.size());
        ASSERT_TRUE(skin.has_value());
        EXPECT_EQ(skin->name, builtinSkinColours(n).name);
        EXPECT_EQ(skin->colours, builtinSkinColours(n).colours);
        EXPECT_FALSE((*skin)[SkinRole::Text] == (*skin)[SkinRole::WindowBack]);  // readable
        backgrounds.insert((*skin)[SkinRole::WindowBack].colorref());
    }
    EXPECT_EQ(backgrounds.size(), 4u);
    EXPECT_TRUE(builtinSkin(0).empty());
    EXPECT_TRUE(builtinSkin(5).empty());
}

// Re-seals damaged bytes with a valid checksum, so that the damage itself,
// not the checksum, has to be caught.
static Bytes resealed(Bytes b) {
    b.resize(b.size() - 4);
    uint32_t h = 2166136261u;
    for (uint8_t x : b) h = (h ^ x) * 16777619u;
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(h >> (8 * i)));
    return b;
}

TEST(SkinFormat, DamagedBytesAreRefused) {
    const Bytes good = builtinSkin(2);
    const size_t nameLength = good[5];
    const size_t table = 6 + nameLength + 1;  // first colour record
    const struct {
        const char* name;
        std::function<Bytes(Bytes)> damage;
    } cases[] = {
        {"empty", [](Bytes) { return Bytes{}; }},
        {"magic only", [](Bytes) { return Bytes{'.', 'S', 'H', 'E'}; }},
        {"wrong magic", [](Bytes b) { b[1] = 's'; return resealed(b); }},
        {"truncated by one", [](Bytes b) { b.pop_back(); return b; }},
        {"truncated in the table", [&](Bytes b) { b.resize(table + 6); return b; }},
        {"flipped colour byte", [&](Bytes b) { b[table + 2] ^= 0x40; return b; }},
        {"unknown version", [](Bytes b) { b[4] = 9; return resealed(b); }},
        {"name runs past the end", [](Bytes b) { b[5] = 250; return resealed(b); }},
        {"one colour missing", [&](Bytes b) { b[table - 1] -= 1; b.erase(b.begin() + table, b.begin() + table + 4); return resealed(b); }},
        {"duplicate role", [&](Bytes b) { b[table + 4] = b[table]; return resealed(b); }},
        {"unknown role", [&](Bytes b) { b[table] = 200; return resealed(b); }},
        {"trailing bytes", [](Bytes b) { b.insert(b.end() - 4, 0); return resealed(b); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes bad = c.damage(good);
        EXPECT_FALSE(parseSkin(bad.data(), bad.size()).has_value());
    }
    EXPECT_FALSE(parseSkin(nullptr, 100).has_value());
    EXPECT_TRUE(parseSkin(good.data(), good.size()).has_value());
}
