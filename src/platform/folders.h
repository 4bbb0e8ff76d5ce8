// Folders: the user's Documents folder, creating folders, the program's own.
#pragma once
#include <string>

// kind 1 = the Documents folder; the path ends in a backslash, "" on failure.
std::string getSpecialFolder(int kind);
// Adds a final backslash when missing, then creates every missing folder.
void ensureDirectory(std::string path);

// The program file's full path, and its folder (without a final backslash).
std::string programFile();
std::string programFolder();
