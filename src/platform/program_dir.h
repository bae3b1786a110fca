// The directory of the running executable and the places the program keeps
// its files: general.css, option.ini and the default corpus.
#pragma once

#include <string>

namespace zorvia {

// The directory of the running executable, ending in its separator.
std::u16string ProgramDirectory();

// Tests run the application's start-up in a directory of their own.
void SetProgramDirectoryForTesting(const std::u16string& directory);

// The portable layout keeps general.css, option.ini and the default corpus
// beside the executable (build/bin, an unpacked copy). The installed layout
// has general.css in ../share/zorvia-concordancer/ and keeps the user's
// settings and default corpus in the XDG base directories. Which one applies
// follows from where general.css is, never from write permission: root may
// write anywhere, and an installed program must not scatter files into bin/.
enum class ProgramLayout { Portable, Installed };

inline constexpr char16_t kStyleSheetName[] = u"general.css";
// The directory name under share/ and under the XDG base directories.
inline constexpr char16_t kInstallDirectoryName[] = u"zorvia-concordancer";

// Installed when general.css is not beside the executable but in
// ../share/zorvia-concordancer/; portable otherwise.
ProgramLayout CurrentLayout();

// The following directories all end in their separator.

// The user's home directory ($HOME, else the password database's).
std::u16string HomeDirectory();

// Where general.css is: beside the executable, or the installed data
// directory.
std::u16string DataDirectory();
// Where option.ini lives: beside the executable, or
// $XDG_CONFIG_HOME/zorvia-concordancer/ (default ~/.config/...).
std::u16string SettingsDirectory();
// Where the default corpus lives: beside the executable, or
// $XDG_DATA_HOME/zorvia-concordancer/ (default ~/.local/share/...).
std::u16string DefaultCorpusDirectory();

// Creates the directory and its missing parents, each new one private to
// the user (mode 0700). True when it exists afterwards.
bool CreateDirectories(const std::u16string& directory);

}  // namespace zorvia
