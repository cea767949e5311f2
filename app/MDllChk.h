// MDllChk (DLL check): finds the program's own archiver library before anything needs it.
#pragma once

#include <string>

namespace MDllChk {

// Where the program looks for a library of its own: beside the executable,
// then in ../lib/slidewright beside it, then on the dynamic linker's path.
// Returns the full path found, or an empty text.
std::string FindLibrary(const std::string& fileName);

bool DllOnSearchPath(const std::string& fileName);

}  // namespace MDllChk
