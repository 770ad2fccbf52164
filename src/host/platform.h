// What the core needs of the operating system beyond the standard library, one
// implementation file per system (platform_posix.cpp, platform_windows.cpp; the build picks
// one). Every path is UTF-8 text; every reason is the system's own words.
#pragma once

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "host/host.h"

namespace pinwright::platform {

// The folder of the running executable, with its trailing separator.
std::string ExecutableFolder();

// The instant in the user's local time zone.
LocalDateTime LocalTime(std::time_t instant);

// Creates a file for writing bytes that must not exist yet, so that nothing else is taken
// over; nullptr with the reason when that fails.
std::FILE* CreateNewFile(const std::string& path, std::string& reason);

// Puts the file `source` in the place of `target` in one step, replacing a file of that
// name, so that readers see either the old file or the new one.
bool MoveIntoPlace(const std::string& source, const std::string& target, std::string& reason);

// The program's arguments after its own name, as UTF-8 whatever the system hands over.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Makes the console show the program's UTF-8 output as such.
void PrepareConsole();

}  // namespace pinwright::platform
