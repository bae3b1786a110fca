// The application's command line and the corpus it starts on. The command
// line is read before any toolkit starts, so that --help and --version work
// without a display.
#pragma once

#include <string>
#include <vector>

namespace zorvia {

// "PROGRAM (Zorvia Concordancer) VERSION" and a line end: what --version
// prints, the same for every program of the package.
std::string VersionText(const char* program);

struct AppCommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    bool trace = false;
    std::string file;   // the corpus file to open, as given; empty for none
    std::string error;  // one line, without the program name, for Error
};

// Reads the arguments after the program name.
AppCommandLine ParseAppCommandLine(const std::vector<std::string>& args);

// The text of zorvia --help; the manual page is made from it.
std::string AppUsageText();

// What start-up opens: the corpus named on the command line when it is one,
// otherwise the one of the settings (or the default file).
struct StartupCorpus {
    std::u16string path;
    // Opened as the Open command opens, without creating anything, and
    // recorded in the settings.
    bool fromCommandLine = false;
    // Why the command line's file is not used; shown once the window is up.
    std::u16string message;
    // How `path` is opened. The schema goes only to a file that is missing,
    // empty or a corpus already; one that another program holds locked is
    // opened as it is, for when it is free again; any other file (a folder,
    // a text file, another program's database) is left alone, unopened.
    enum class Opening { WithSchema, WithoutSchema, None };
    Opening opening = Opening::WithSchema;
    // Why the settings' corpus was not opened as usual, with its path, for
    // the status bar; empty when it was.
    std::u16string statusMessage;
};

// `commandLineFile` is taken relative to the current directory. Only a file
// that holds a corpus is used; nothing is created or written at its path,
// nor at the settings' path unless it is missing, empty or a corpus.
StartupCorpus ChooseStartupCorpus(const std::u16string& storedPath, const std::u16string& commandLineFile);

}  // namespace zorvia
