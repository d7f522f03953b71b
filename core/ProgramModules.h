#pragma once

#include <string>

// Parts of the programs that need large libraries live in modules, shared
// libraries loaded when first used, so that the programs start without
// loading those libraries.
//
// A module is looked for beside the real path of the running program
// (/proc/self/exe: the build folder, or an installation that keeps the whole
// program in one folder), then in ../lib/<multiarch>/tarvenly/ and
// ../lib/tarvenly/ from there (a system package with the program in bin/),
// then in the installation folder the build was configured for.
namespace ProgramModules {

// The address of entryName in the first candidate that loads and has it; the
// module then stays loaded until the process ends. Null when none does, and
// then reasons says, line by line, why each candidate failed.
void* LoadEntry(const char* moduleFile, const char* entryName, std::string& reasons);

} // namespace ProgramModules
