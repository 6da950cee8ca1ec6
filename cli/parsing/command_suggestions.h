// Names in a command line that corvane does not know, found and answered
// with the closest known name. Option names are shown, their values never;
// an unknown command word only when it is close to a real command, as it
// may otherwise be a secret typed in the wrong place.
#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace corvane::cli {

// What is wrong with the command line, or empty when no unknown option or
// command explains the parser's complaint.
std::string DiagnoseCommandLine(CLI::App& app, int argc,
                                const char* const* argv);

// The command `words` name ("user", "add"); UsageError when one is unknown.
CLI::App* FindCommand(CLI::App& app, const std::vector<std::string>& words);

// The known name closest to `typed`, or empty when none is close.
std::string ClosestName(const std::string& typed,
                        const std::vector<std::string>& known);

}  // namespace corvane::cli
