#include "settings/key_help.h"

#include <string>
#include <vector>

namespace {

struct KeyLine {
    std::string label;
    int code;  // -1: the empty line
};

std::vector<KeyLine> keyLines() {
    std::vector<KeyLine> lines;
    for (char c = 'A'; c <= 'Z'; ++c) lines.push_back({std::string(1, c), c});
    lines.push_back({"0", 48});
    lines.push_back({"1", 49});
    lines.push_back({"", -1});
    for (char c = '2'; c <= '9'; ++c) lines.push_back({std::string(1, c), c});
    const std::string keypadWord = "\xCA\xFD\xD7\xD6\xBC\xFC\xC5\xCC ";  // "数字键盘 "
    for (int d = 1; d <= 9; ++d) lines.push_back({keypadWord + std::to_string(d), 96 + d});
    lines.push_back({keypadWord + "0", 96});
    const KeyLine keypad[] = {{"\xB3\xCB\xBA\xC5", 106},            // "乘号"
                              {"\xBC\xD3\xBA\xC5", 107},            // "加号"
                              {"Enter", 108},                       // VK_SEPARATOR
                              {"\xBC\xF5\xBA\xC5", 109},            // "减号"
                              {"\xD0\xA1\xCA\xFD\xB5\xE3", 110},  // "小数点"
                              {"\xB3\xFD\xBA\xC5", 111}};           // "除号"
    lines.insert(lines.end(), std::begin(keypad), std::end(keypad));
    for (int f = 1; f <= 15; ++f) lines.push_back({"F" + std::to_string(f), 111 + f});
    const KeyLine others[] = {
        {"Backspace", 8},  {"Tab", 9},         {"Clear", 12},    {"Enter", 13},     {"Shift", 16},
        {"Control", 17},   {"Alt", 18},        {"Caps Lock", 20}, {"Esc", 27},
        {"\xBF\xD5\xB8\xF1\xBC\xFC", 32},          // "空格键"
        {"Page Up", 33},   {"Page Down", 34},  {"End", 35},      {"Home", 36},
        {"\xD7\xF3\xBC\xFD\xCD\xB7", 37},          // "左箭头"
        {"\xCF\xF2\xC9\xCF\xBC\xFD\xCD\xB7", 38},  // "向上箭头"
        {"\xD3\xD2\xBC\xFD\xCD\xB7", 39},          // "右箭头"
        {"\xCF\xF2\xCF\xC2\xBC\xFD\xCD\xB7", 40},  // "向下箭头"
        {"Insert", 45},    {"Delete", 46},
        {"Help", 47},      {"Num Lock", 144},
        {"; :", 186},      {"= +", 187},       {"- _", 189},     {"/ ?", 191},      {"` ~", 192},
        {"[ {", 219},      {"|", 220},         {"] }", 221},     {"'' '", 222},
    };
    lines.insert(lines.end(), std::begin(others), std::end(others));
    return lines;
}

}  // namespace

std::string keyCodeHelpText() {
    std::string text;
    bool first = true;
    for (const KeyLine& line : keyLines()) {
        if (!first) text += "\r\n";
        first = false;
        if (line.code >= 0) text += line.label + " <--------> " + std::to_string(line.code);
    }
    return text;
}
