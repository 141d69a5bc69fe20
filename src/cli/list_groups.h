// figmerg-cli --list: what a file's group lines say about its figures, so a user can choose
// between --all and --human before writing anything.
#pragma once
#include <string>

// Lists the figures of the file at path ("-" for standard input) on standard output and returns
// an exit code.
int ListGroups(const std::string& path);
