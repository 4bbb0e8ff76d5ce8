// splitSegments and the item list's SegmentIndex against a plain memchr/memcmp
// splitter on the same 100 MB of mixed GBK text. Prints MB/s and the ratios of
// throughput (1.0: as fast as the plain splitter).
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "items/segments.h"

static std::vector<std::string_view> plainSplit(std::string_view text, std::string_view sep) {
    std::vector<std::string_view> out;
    size_t start = 0, pos = 0;
    while (pos + sep.size() <= text.size()) {
        const void* hit = std::memchr(text.data() + pos, sep[0], text.size() - sep.size() + 1 - pos);
        if (!hit) break;
        pos = static_cast<const char*>(hit) - text.data();
        if (std::memcmp(text.data() + pos, sep.data(), sep.size()) == 0) {
            if (pos > start) out.push_back(text.substr(start, pos - start));
            pos += sep.size();
            start = pos;
        } else {
            ++pos;
        }
    }
    if (start < text.size()) out.push_back(text.substr(start));
    return out;
}

template <typename F>
static double best(F f, size_t& count) {
    double bestS = 1e9;
    for (int i = 0; i < 5; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        count = f().size();
        bestS = std::min(bestS, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return bestS;
}

int main() {
    const size_t size = 100u << 20;
    std::string text;
    text.reserve(size + 64);
    std::mt19937 rng(7);
    const char* words[] = {"你好", "世界", "订单号", "客户", "abc", "12345", " ", "，", "Nexlune"};
    while (text.size() < size) {
        int len = 3 + rng() % 12;
        for (int i = 0; i < len; ++i) text += words[rng() % 9];
        text += "\r\n";
    }
    size_t n1 = 0, n2 = 0;
    const double s1 = best([&] { return splitSegments(text, "\r\n"); }, n1);
    const double s2 = best([&] { return plainSplit(text, "\r\n"); }, n2);
    const double mb = text.size() / 1048576.0;
    std::printf("text: %.1f MB, %zu segments (plain splitter: %zu)\n", mb, n1, n2);
    std::printf("splitSegments: %.3f s, %.0f MB/s\n", s1, mb / s1);
    std::printf("memchr/memcmp: %.3f s, %.0f MB/s\n", s2, mb / s2);
    SegmentIndex index;
    size_t n3 = 0;
    const double s3 = best([&] {
        index.build(text, "\r\n");
        return std::vector<int>(index.size() ? 1 : 0);
    }, n3);
    std::printf("SegmentIndex:  %.3f s, %.0f MB/s, %zu rows in %.1f MB of index\n", s3, mb / s3, index.size(),
                index.size() * 8 / 1048576.0);
    std::printf("splitSegments throughput / memchr splitter throughput: %.2f (index: %.2f)\n", s2 / s1, s2 / s3);
}
