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
    for (int d = 1; d <= 9; ++d) lines.push_back({"数字键盘 " + std::to_string(d), 96 + d});
    lines.push_back({"数字键盘 0", 96});
    const KeyLine keypad[] = {{"乘号", 106}, {"加号", 107}, {"Enter", 108},  // VK_SEPARATOR
                              {"减号", 109}, {"小数点", 110}, {"除号", 111}};
    lines.insert(lines.end(), std::begin(keypad), std::end(keypad));
    for (int f = 1; f <= 15; ++f) lines.push_back({"F" + std::to_string(f), 111 + f});
    const KeyLine others[] = {
        {"Backspace", 8},  {"Tab", 9},         {"Clear", 12},    {"Enter", 13},     {"Shift", 16},
        {"Control", 17},   {"Alt", 18},        {"Caps Lock", 20}, {"Esc", 27},      {"空格键", 32},
        {"Page Up", 33},   {"Page Down", 34},  {"End", 35},      {"Home", 36},      {"左箭头", 37},
        {"向上箭头", 38},  {"右箭头", 39},     {"向下箭头", 40}, {"Insert", 45},    {"Delete", 46},
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
