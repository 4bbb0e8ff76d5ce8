// Re-encoding bytes from one named charset into another, the text held in
// the system's ANSI code page in between, as the Windows stream object does.
#pragma once
#include <optional>
#include <string>

// Omitted or empty charsets: "UTF-8" in, "GBK" out. readOffset, when given,
// is where in the encoded output the result starts. An unknown charset name
// gives empty bytes.
std::string convertCharset(const std::string& inputBytes, std::optional<std::string> fromCharset = std::nullopt,
                           std::optional<std::string> toCharset = std::nullopt,
                           std::optional<int> readOffset = std::nullopt);
