#include "cli/parsing/command_suggestions.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <string_view>

#include "automation/text.h"
#include "cli/exit_status.h"

namespace corvane::cli {
namespace {

std::size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1,
                         diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::vector<CLI::App*> Subcommands(CLI::App& command) {
  return command.get_subcommands([](CLI::App*) { return true; });
}

CLI::App* SubcommandNamed(CLI::App& command, const std::string& name) {
  for (CLI::App* sub : Subcommands(command)) {
    if (sub->get_name() == name) return sub;
  }
  return nullptr;
}

std::vector<std::string> CommandNames(CLI::App& command) {
  std::vector<std::string> names;
  for (CLI::App* sub : Subcommands(command)) names.push_back(sub->get_name());
  return names;
}

// "corvane user": the command path, for messages.
std::string PathOf(const CLI::App& command) {
  std::string path = command.get_name();
  for (const CLI::App* parent = command.get_parent(); parent;
       parent = parent->get_parent()) {
    path = parent->get_name() + " " + path;
  }
  return path;
}

// samba-tool's words for what corvane calls otherwise, by command path:
// far from our names by spelling, close in meaning.
struct PeerWord {
  std::string_view path, typed, ours;
};
constexpr PeerWord kSambaToolWords[] = {
    {"corvane user", "create", "add"},
    {"corvane user", "remove", "delete"},
    {"corvane user", "info", "show"},
    {"corvane user", "setpassword", "password"},
    {"corvane user", "setexpiry", "set"},
    {"corvane user", "getgroups", "groups"},
    {"corvane group", "create", "add"},
    {"corvane group", "remove", "delete"},
    {"corvane group", "listmembers", "members"},
    {"corvane group", "addmembers", "add-member"},
    {"corvane group", "removemembers", "remove-member"},
};

std::string UnknownCommand(CLI::App& command, const std::string& typed) {
  const std::vector<std::string> names = CommandNames(command);
  const std::string path = PathOf(command);
  for (const PeerWord& word : kSambaToolWords) {
    if (word.path == path && word.typed == typed) {
      const std::string peer = path.substr(path.find(' ') + 1);
      return "unknown command '" + typed + "' for " + path +
             "; did you mean '" + std::string(word.ours) + "'? (samba-tool " +
             peer + " " + typed + " is corvane " + peer + " " +
             std::string(word.ours) + ")";
    }
  }
  const std::string closest = ClosestName(typed, names);
  if (!closest.empty()) {
    return "unknown command '" + automation::EscapeControls(typed, 64) +
           "' for " + PathOf(command) + "; did you mean '" + closest + "'?";
  }
  std::string list;
  for (const std::string& name : names)
    list += (list.empty() ? "" : ", ") + name;
  return "unknown command for " + PathOf(command) +
         " (not shown, in case it is a secret typed in the wrong place); "
         "commands: " +
         list;
}

// The option `name` as the parser would find it: on the command or, as
// options fall through, on a command above it.
const CLI::Option* FindOption(const CLI::App* command,
                              const std::string& name) {
  for (; command; command = command->get_parent()) {
    if (const CLI::Option* option = command->get_option_no_throw(name)) {
      return option;
    }
  }
  return nullptr;
}

std::vector<std::string> OptionNames(const CLI::App* command) {
  std::vector<std::string> names;
  for (; command; command = command->get_parent()) {
    for (const CLI::Option* option : command->get_options()) {
      for (const std::string& name : option->get_lnames()) {
        names.push_back("--" + name);
      }
      for (const std::string& name : option->get_snames()) {
        names.push_back("-" + name);
      }
    }
  }
  return names;
}

}  // namespace

std::string ClosestName(const std::string& typed,
                        const std::vector<std::string>& known) {
  std::string best;
  std::size_t best_distance = std::string::npos;
  for (const std::string& name : known) {
    std::size_t distance = EditDistance(typed, name);
    if (typed.size() >= 2 && name.starts_with(typed)) distance = 1;
    if (distance < best_distance) {
      best = name;
      best_distance = distance;
    }
  }
  // Close: at most two edits, and fewer than the name's length.
  if (best_distance > 2 || best_distance >= best.size()) return {};
  return best;
}

std::string DiagnoseCommandLine(CLI::App& app, int argc,
                                const char* const* argv) {
  CLI::App* command = &app;
  bool chosen_leaf = false;
  for (int i = 1; i < argc; ++i) {
    const std::string token = argv[i];
    if (token == "--") break;
    if (token.size() > 1 && token[0] == '-') {
      const bool long_form = token.starts_with("--");
      // Only the name: a value written into the same word is never shown.
      const std::string name =
          long_form ? token.substr(0, token.find('=')) : token.substr(0, 2);
      const CLI::Option* option = FindOption(command, name);
      if (!option && (name == "--password" || name == "--newpassword")) {
        // samba-tool's and net's way; never ours.
        return "a password is never taken from the command line (" + name +
               "): type it when asked, or give it on standard input, or "
               "with --passwords-from FILE in a batch";
      }
      if (!option) {
        const std::string closest = ClosestName(name, OptionNames(command));
        return "unknown option " + automation::EscapeControls(name, 64) +
               (closest.empty() ? "" : "; did you mean " + closest + "?");
      }
      const bool value_attached =
          long_form ? token.find('=') != std::string::npos : token.size() > 2;
      if (option->get_items_expected_max() > 0 && !value_attached) ++i;
      continue;
    }
    if (chosen_leaf || Subcommands(*command).empty()) continue;
    if (CLI::App* sub = SubcommandNamed(*command, token)) {
      command = sub;
      continue;
    }
    // Only a command with subcommands and no operands of its own (the top
    // and `user`, `group`) reads a word here as a command name.
    if (!command
             ->get_options([](const CLI::Option* option) {
               return option->get_positional();
             })
             .empty()) {
      chosen_leaf = true;
      continue;
    }
    return UnknownCommand(*command, token);
  }
  return {};
}

CLI::App* FindCommand(CLI::App& app, const std::vector<std::string>& words) {
  CLI::App* command = &app;
  for (const std::string& word : words) {
    CLI::App* sub = SubcommandNamed(*command, word);
    if (!sub || sub->get_name() == "help") {
      throw UsageError(UnknownCommand(*command, word));
    }
    command = sub;
  }
  return command;
}

}  // namespace corvane::cli
