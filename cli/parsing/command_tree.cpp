#include "cli/parsing/command_tree.h"

#include <CLI/CLI.hpp>
#include <string>

namespace corvane::cli {
namespace {

// A field of a line: no white space, never empty.
std::string Field(std::string text) {
  for (char& c : text) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') c = '_';
  }
  return text.empty() ? "-" : text;
}

// The description ends the line, so it must not break it.
std::string Description(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  }
  return text;
}

std::string Names(const CLI::Option& option) {
  std::string names;
  for (const std::string& name : option.get_snames()) names += ",-" + name;
  for (const std::string& name : option.get_lnames()) names += ",--" + name;
  return names.substr(1);
}

void PrintCommand(const CLI::App& app, const std::string& path,
                  std::ostream& out) {
  out << "command " << path << ' ' << Description(app.get_description())
      << '\n';
  if (!app.get_footer().empty()) {
    out << "footer " << path << ' ' << Description(app.get_footer()) << '\n';
  }
  for (const CLI::Option* option : app.get_options()) {
    if (option->get_group().empty()) continue;
    const std::string description = Description(option->get_description());
    if (!option->nonpositional()) {
      out << "argument " << path << ' ' << Field(option->get_name()) << ' '
          << description << '\n';
    } else if (option->get_items_expected_max() == 0) {
      out << "flag " << path << ' ' << Names(*option) << ' ' << description
          << '\n';
    } else {
      out << "option " << path << ' ' << Names(*option) << ' '
          << Field(option->get_type_name()) << ' ' << description << '\n';
    }
  }
  for (const CLI::App* sub :
       app.get_subcommands([](const CLI::App*) { return true; })) {
    if (sub->get_group().empty()) continue;
    PrintCommand(*sub, path + "." + sub->get_name(), out);
  }
}

}  // namespace

void PrintCommandTree(const CLI::App& app, std::ostream& out) {
  PrintCommand(app, Field(app.get_name()), out);
}

}  // namespace corvane::cli
