#include "cli/commands/invoke_command.h"

#include <algorithm>

#include "automation/coercion.h"
#include "automation/error.h"
#include "automation/text.h"
#include "cli/exit_status.h"
#include "cli/inputs/command_file.h"
#include "cli/parsing/member_path.h"
#include "contract/contract.h"

namespace corvane::cli {
namespace {

using automation::StringArrayRef;
using contract::Interface;
using contract::Kind;
using contract::Member;
using nlohmann::ordered_json;

// The member of that name: a method when there is one, else its get.
const Member* FindMember(const Interface& contract, std::string_view name) {
  const Member* found = nullptr;
  for (const Member& member : contract.members) {
    if (!automation::EqualsIgnoringAsciiCase(member.name, name)) continue;
    if (member.kind == Kind::kMethod) return &member;
    if (!found || member.kind == Kind::kGet) found = &member;
  }
  return found;
}

// The member an assignment reaches: the let of that name.
const Member* FindLet(const Interface& contract, std::string_view name) {
  for (const Member& member : contract.members) {
    if (member.kind == Kind::kLet &&
        automation::EqualsIgnoringAsciiCase(member.name, name)) {
      return &member;
    }
  }
  return nullptr;
}

const Interface* InterfaceOf(contract::Type type) {
  switch (type) {
    case contract::Type::kDomain:
      return &contract::kNTDomainInterface;
    case contract::Type::kGroup:
      return &contract::kNTGroupInterface;
    case contract::Type::kUser:
      return &contract::kNTUserInterface;
    default:
      return nullptr;  // a generic object: known only when reached
  }
}

bool IsLiteral(const Argument& argument) {
  switch (argument.kind) {
    case Argument::Kind::kMissing:
    case Argument::Kind::kPassword:
      return false;
    case Argument::Kind::kText:
      return !argument.text.empty();
    default:
      return true;
  }
}

// Passwords are read from the terminal or standard input (@password),
// never taken from the command line, where the process list shows them.
void RefuseLiteralPassword(const Interface& contract, const Segment& segment,
                           const std::optional<Argument>& assigned) {
  bool literal = false;
  if (assigned) {
    const Member* let = FindLet(contract, segment.name);
    literal = let && !let->params.empty() && let->params.back().secret &&
              IsLiteral(*assigned);
  } else if (const Member* member = FindMember(contract, segment.name)) {
    for (std::size_t i = 0;
         i < member->params.size() && i < segment.arguments.size(); ++i) {
      literal |= member->params[i].secret && IsLiteral(segment.arguments[i]);
    }
  }
  if (literal) {
    throw UsageError(
        "a password is never taken from the command line: write @password "
        "to have it read from the terminal or standard input");
  }
}

// Checks what the contract shows before anything runs.
void CheckPasswordsAhead(const Statement& statement) {
  const Interface* contract = &contract::kNTDomainInterface;
  for (std::size_t i = 0; contract && i + 1 < statement.path.size(); ++i) {
    const Member* member = FindMember(*contract, statement.path[i].name);
    contract = member ? InterfaceOf(member->result) : nullptr;
  }
  if (contract) {
    RefuseLiteralPassword(*contract, statement.path.back(), statement.assigned);
  }
}

Variant ToVariant(const Argument& argument, PasswordSupply& passwords) {
  switch (argument.kind) {
    case Argument::Kind::kMissing:
      return automation::Missing{};
    case Argument::Kind::kText:
      return Wide(argument.text);
    case Argument::Kind::kNumber:
      return argument.number;
    case Argument::Kind::kBoolean:
      return Variant::FromBool(argument.boolean);
    case Argument::Kind::kPassword:
      return automation::Share(passwords.Take());
  }
  return automation::Missing{};
}

std::vector<std::string> ArrayLines(const automation::StringArray& array) {
  std::vector<std::string> lines;
  // Element 0 of the component's lists is never written; names start at 1.
  for (std::int32_t i = 1; i <= array.UpperBound(); ++i) {
    lines.push_back(Narrow(array.at(i)));
  }
  return lines;
}

class Evaluator {
 public:
  Evaluator(const ObjectRef& domain, Report& report, PasswordSupply& passwords)
      : domain_(domain), report_(report), passwords_(passwords) {}

  // kExitSuccess, or the failure status after reporting it.
  int Evaluate(const Statement& statement) {
    const std::string name = PathName(statement);
    ObjectRef target = domain_;
    std::string walked;
    for (std::size_t i = 0; i + 1 < statement.path.size(); ++i) {
      const Segment& segment = statement.path[i];
      walked += (walked.empty() ? "" : ".") + segment.name;
      Variant value = Reach(target, segment);
      if (!value.Is<ObjectRef>() || !value.As<ObjectRef>()) {
        std::string why = "returned no object";
        if (const std::string error = LastError(target); !IsSuccess(error)) {
          why += " (" + error + ")";
        }
        return report_.Fail(walked, why);
      }
      target = value.As<ObjectRef>();
    }

    const Segment& last = statement.path.back();
    RefuseLiteralPassword(target->Contract(), last, statement.assigned);
    const std::string before = LastError(target);
    const Member* member = FindMember(target->Contract(), last.name);
    bool only_read = false;
    ordered_json value;
    if (statement.assigned) {
      automation::Put(*target, Wide(last.name),
                      ToVariant(*statement.assigned, passwords_));
    } else if (last.has_arguments ||
               (member && member->kind == Kind::kMethod)) {
      value = Call(target, last, member);
    } else {
      only_read = true;
      value = Show(automation::Get(*target, Wide(last.name)));
    }
    results_.push_back({{"path", name}, {"value", value}});
    last_error_ = LastError(target);
    if (!IsSuccess(last_error_) && (!only_read || last_error_ != before)) {
      return report_.Finish(name, last_error_);
    }
    return kExitSuccess;
  }

  void Close() { report_.Data("results", results_); }
  const ordered_json& results() const { return results_; }
  const std::string& last_error() const { return last_error_; }

 private:
  Variant Reach(const ObjectRef& target, const Segment& segment) {
    if (!segment.has_arguments)
      return automation::Get(*target, Wide(segment.name));
    std::vector<Variant> arguments;
    for (const Argument& argument : segment.arguments) {
      arguments.push_back(ToVariant(argument, passwords_));
    }
    return automation::InvokeByName(
        *target, Wide(segment.name),
        automation::DISPATCH_METHOD | automation::DISPATCH_PROPERTYGET,
        arguments);
  }

  ordered_json Call(const ObjectRef& target, const Segment& segment,
                    const Member* member) {
    std::vector<Variant> arguments;
    for (const Argument& argument : segment.arguments) {
      arguments.push_back(ToVariant(argument, passwords_));
    }
    // An array the method fills is supplied when the caller left it out.
    if (member) {
      for (std::size_t i = 0; i < member->params.size(); ++i) {
        if (member->params[i].type != contract::Type::kStringArray) continue;
        if (arguments.size() <= i) {
          arguments.resize(i + 1, automation::Missing{});
        }
        if (arguments[i].Is<automation::Missing>()) {
          arguments[i] = std::make_shared<automation::StringArray>();
        }
      }
    }
    const Variant result = automation::InvokeByName(
        *target, Wide(segment.name),
        automation::DISPATCH_METHOD | automation::DISPATCH_PROPERTYGET,
        arguments);
    ordered_json value = Show(result);
    for (const Variant& argument : arguments) {
      if (argument.Is<StringArrayRef>() && argument.As<StringArrayRef>()) {
        value = Show(argument);
      }
    }
    return value;
  }

  // Prints a value as text lines and returns it for JSON.
  ordered_json Show(const Variant& value) {
    if (value.Is<std::u16string>()) {
      const std::string text = Narrow(value.As<std::u16string>());
      report_.Line(text);
      return text;
    }
    if (value.Is<automation::Boolean>()) {
      const bool flag = value.As<automation::Boolean>().value != 0;
      report_.Line(flag ? "True" : "False");
      return flag;
    }
    if (value.Is<std::int32_t>() || value.Is<std::int16_t>()) {
      const std::int32_t number = automation::ToInt32(value);
      report_.Line(std::to_string(number));
      return number;
    }
    if (value.Is<ObjectRef>()) {
      const ObjectRef& object = value.As<ObjectRef>();
      // Not "[" + std::string(...): g++ 12 warns falsely (-Wrestrict) when
      // a literal is put before a string.
      const std::string text =
          object ? std::string("[").append(object->Contract().name) + "]"
                 : "Nothing";
      report_.Line(text);
      return text;
    }
    if (value.Is<StringArrayRef>() && value.As<StringArrayRef>()) {
      const std::vector<std::string> lines =
          ArrayLines(*value.As<StringArrayRef>());
      for (const std::string& line : lines) report_.Line(line);
      return lines;
    }
    return nullptr;  // empty: nothing to print
  }

  ObjectRef domain_;
  Report& report_;
  PasswordSupply& passwords_;
  ordered_json results_ = ordered_json::array();
  std::string last_error_;
};

std::vector<Statement> ParseStatements(const Request& request) {
  std::vector<Statement> statements;
  for (std::size_t i = 0; i < request.statements.size(); ++i) {
    try {
      statements.push_back(ParseStatement(request.statements[i]));
      CheckPasswordsAhead(statements.back());
    } catch (const UsageError& error) {
      throw UsageError("statement " + std::to_string(i + 1) + ": " +
                       error.what());
    }
  }
  return statements;
}

std::size_t PasswordsIn(const std::vector<Argument>& arguments) {
  return static_cast<std::size_t>(std::count_if(
      arguments.begin(), arguments.end(),
      [](const Argument& a) { return a.kind == Argument::Kind::kPassword; }));
}

// Counts what Evaluate converts: the arguments of every segment but the
// last, then the assigned value or else the last segment's arguments.
std::size_t PasswordsUsedBy(const Statement& statement) {
  std::size_t count = 0;
  for (std::size_t i = 0; i + 1 < statement.path.size(); ++i) {
    count += PasswordsIn(statement.path[i].arguments);
  }
  return count + (statement.assigned
                      ? PasswordsIn({*statement.assigned})
                      : PasswordsIn(statement.path.back().arguments));
}

// --keep-going: each statement reported on its own, all of them run.
int RunEvery(const std::vector<Statement>& statements, const ObjectRef& domain,
             Report& report, PasswordSupply& passwords) {
  ordered_json results = ordered_json::array();
  std::vector<std::size_t> failed;
  for (std::size_t i = 0; i < statements.size(); ++i) {
    const Statement& statement = statements[i];
    Report one(report.json(), false);
    Evaluator evaluator(domain, one, passwords);
    const std::size_t left_after =
        passwords.left() - PasswordsUsedBy(statement);
    int status;
    try {
      status = evaluator.Evaluate(statement);
    } catch (const automation::AutomationError& error) {
      status = one.AutomationFailure(PathName(statement), error);
    } catch (const UsageError& error) {
      status = one.Fail(PathName(statement), error.what());
    }
    // A statement that failed before converting its @password leaves it
    // unused; the next statement must not get it.
    passwords.DropUntil(left_after);
    ordered_json result = {{"statement", i + 1},
                           {"path", PathName(statement)},
                           {"ok", status == kExitSuccess}};
    if (!evaluator.results().empty()) {
      result["value"] = evaluator.results().front()["value"];
    }
    result.update(one.document());
    results.push_back(std::move(result));
    if (!report.json()) one.Print();
    if (status != kExitSuccess) failed.push_back(i + 1);
  }
  return report.Outcomes(std::move(results), failed, statements.size(),
                         "statement");
}

}  // namespace

std::size_t PasswordsUsedBy(const Request& request) {
  std::size_t count = 0;
  for (const Statement& statement : ParseStatements(request)) {
    count += PasswordsUsedBy(statement);
  }
  return count;
}

void ReadStatementFile(Request& request) {
  if (!request.statements_file.empty()) {
    std::vector<std::string> statements;
    for (CommandFileLine& line :
         ReadCommandFile(request.statements_file, Quoting::kStatements)) {
      // Named by their line in the file, checked as they are read.
      try {
        CheckPasswordsAhead(ParseStatement(line.text));
      } catch (const UsageError& error) {
        throw UsageError(request.statements_file + " line " +
                         std::to_string(line.number) + ": " + error.what());
      }
      statements.push_back(std::move(line.text));
    }
    request.statements.insert(request.statements.begin(), statements.begin(),
                              statements.end());
  }
  if (request.statements.empty()) {
    throw UsageError(
        "no statement: give member paths, or -f FILE with one a line");
  }
}

int RunInvoke(const Request& request, const ObjectRef& domain, Report& report,
              PasswordSupply& passwords) {
  const std::vector<Statement> statements = ParseStatements(request);
  // The component's texts are shown as they are.
  report.ExplainStatuses(false);
  if (request.keep_going) {
    return RunEvery(statements, domain, report, passwords);
  }
  Evaluator evaluator(domain, report, passwords);
  int status = kExitSuccess;
  for (const Statement& statement : statements) {
    try {
      status = evaluator.Evaluate(statement);
    } catch (const automation::AutomationError& error) {
      evaluator.Close();
      return report.AutomationFailure(PathName(statement), error);
    }
    if (status != kExitSuccess) break;
  }
  evaluator.Close();
  // An object that never wrote sLastError (NTGroup.Enumerate) left none.
  if (status == kExitSuccess) {
    const std::string& last_error = evaluator.last_error();
    report.Data("lastError", last_error.empty()
                                 ? nlohmann::ordered_json(nullptr)
                                 : nlohmann::ordered_json(last_error));
  }
  return status;
}

}  // namespace corvane::cli
