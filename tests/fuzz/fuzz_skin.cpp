// The skin format, as any bytes handed to SkinH_AttachRes. Input: the bytes.
#include "skin/skin_format.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::optional<Skin> skin = parseSkin(data, size);
    if (!skin) return 0;
    // A skin that reads writes back to bytes that read as the same skin.
    const std::vector<uint8_t> bytes = encodeSkin(*skin);
    const std::optional<Skin> again = parseSkin(bytes.data(), bytes.size());
    FUZZ_CHECK(again && again->name == skin->name && again->colours == skin->colours);
    return 0;
}
