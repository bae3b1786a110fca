// The directory of the running executable, where option.ini, the default
// corpus and general.css live.
#pragma once

#include <string>

namespace zorvia {

// The directory of the running executable, ending in its separator.
std::u16string ProgramDirectory();

// Tests run the application's start-up in a directory of their own.
void SetProgramDirectoryForTesting(const std::u16string& directory);

}  // namespace zorvia
