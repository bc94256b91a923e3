// The program's switches, read once at start: /S (also /s, /silent) for an
// unattended run, /LOG=<path> for the log's place, /V for the cause of every
// failure in the log, /C for a check of the PC instead of the pass, /U for
// the pass undone, /? for the usage. Case does not matter. With no arguments the program runs as it
// always has.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trevanil {

struct CommandLine {
    bool quiet = false;
    // A quiet switch appears somewhere, even swallowed by a broken quote: a
    // line turned away then shows no box, since nobody may be there to answer.
    bool quietWritten = false;
    std::optional<std::string> logPath;  // as given; never empty
    bool verbose = false;                // the log names why each copy or registration failed
    bool check = false;                  // read the PC and report, change nothing
    bool uninstall = false;              // take back what the pass counted (/U)
    bool usage = false;
    std::string error;  // Spanish, for the user; empty when the line is good
};

// The arguments after the program's name, split the way Windows splits a
// command line for a program (blanks separate, quotes group, backslashes
// escape only quotes).
std::vector<std::string> splitArguments(std::string_view commandLine);

// Reads a whole command line (UTF-8), program name included.
CommandLine parseCommandLine(std::string_view commandLine);

// The usage text that /? shows.
std::string usageText();

}  // namespace trevanil
