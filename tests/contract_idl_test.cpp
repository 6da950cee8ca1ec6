// The type library source and the C++ contract tables describe the same
// contract: this reads contract/corvane.idl and compares it with the tables
// member by member, so the two can never drift apart.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "contract/contract.h"

namespace corvane::contract {
namespace {

struct IdlParam {
  std::string attributes;
  std::string type;
  std::string name;
};

struct IdlMember {
  std::string attributes;
  std::string name;
  std::vector<IdlParam> params;
};

struct IdlInterface {
  std::string attributes;
  std::vector<IdlMember> members;
};

std::string ReadIdl() {
  std::ifstream file(CORVANE_IDL_PATH);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string Trim(std::string text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

// The text between the bracket at `open` and its partner; `close` is set
// past the partner. Quoted strings may hold brackets.
std::string Enclosed(const std::string& text, size_t open, size_t& close) {
  const char opening = text[open];
  const char closing = opening == '(' ? ')' : opening == '[' ? ']' : '}';
  int depth = 0;
  bool quoted = false;
  for (size_t i = open; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '\\')
        ++i;
      else if (c == '"')
        quoted = false;
    } else if (c == '"') {
      quoted = true;
    } else if (c == opening) {
      ++depth;
    } else if (c == closing && --depth == 0) {
      close = i + 1;
      return text.substr(open + 1, i - open - 1);
    }
  }
  ADD_FAILURE() << "unbalanced " << opening;
  close = text.size();
  return {};
}

std::vector<std::string> SplitTopLevel(const std::string& text) {
  std::vector<std::string> parts;
  int depth = 0;
  std::string current;
  for (char c : text) {
    if (c == '[' || c == '(') ++depth;
    if (c == ']' || c == ')') --depth;
    if (c == ',' && depth == 0) {
      parts.push_back(Trim(current));
      current.clear();
    } else {
      current.push_back(c);
    }
  }
  if (!Trim(current).empty()) parts.push_back(Trim(current));
  return parts;
}

IdlParam ParseParam(const std::string& text) {
  size_t close = 0;
  IdlParam param;
  param.attributes = Enclosed(text, text.find('['), close);
  const std::string rest = Trim(text.substr(close));
  const auto split = rest.find_last_of(" *");
  param.type = Trim(rest.substr(0, split + 1));
  param.name = rest.substr(split + 1);
  return param;
}

// Interfaces by name: the attribute block before "interface X : IDispatch"
// and the members inside its braces.
std::map<std::string, IdlInterface> ParseInterfaces(const std::string& idl) {
  std::map<std::string, IdlInterface> interfaces;
  const std::regex header(R"(interface\s+(\w+)\s*:\s*IDispatch\s*\{)");
  for (auto it = std::sregex_iterator(idl.begin(), idl.end(), header);
       it != std::sregex_iterator(); ++it) {
    IdlInterface parsed;
    const size_t attributes_end = idl.rfind(']', it->position());
    const size_t attributes_start = idl.rfind("\n    [", attributes_end);
    size_t unused = 0;
    parsed.attributes = Enclosed(idl, idl.find('[', attributes_start), unused);
    size_t body_end = 0;
    const size_t brace = it->position() + it->length() - 1;
    const std::string body = Enclosed(idl, brace, body_end);
    size_t pos = 0;
    while ((pos = body.find('[', pos)) != std::string::npos) {
      IdlMember member;
      size_t after = 0;
      member.attributes = Enclosed(body, pos, after);
      const std::regex method(R"(^\s*HRESULT\s+(\w+)\s*)");
      std::smatch match;
      const std::string tail = body.substr(after);
      if (!std::regex_search(tail, match, method)) break;
      member.name = match[1];
      size_t params_end = 0;
      const std::string params =
          Enclosed(body, after + match.length(0), params_end);
      for (const std::string& param : SplitTopLevel(params)) {
        member.params.push_back(ParseParam(param));
      }
      parsed.members.push_back(member);
      pos = params_end;
    }
    interfaces[(*it)[1]] = parsed;
  }
  return interfaces;
}

bool HasAttribute(const std::string& attributes, const std::string& word) {
  for (const std::string& part : SplitTopLevel(attributes)) {
    if (part == word) return true;
  }
  return false;
}

std::optional<std::string> AttributeValue(const std::string& attributes,
                                          const std::string& name) {
  for (const std::string& part : SplitTopLevel(attributes)) {
    if (part.rfind(name + "(", 0) == 0) {
      std::string value = part.substr(name.size() + 1);
      value.pop_back();
      if (!value.empty() && value.front() == '"') {
        value = value.substr(1, value.size() - 2);
        value = std::regex_replace(value, std::regex(R"(\\")"), "\"");
      }
      return value;
    }
  }
  return std::nullopt;
}

std::string TypeName(Type type) {
  switch (type) {
    case Type::kString:
      return "BSTR";
    case Type::kBoolean:
      return "VARIANT_BOOL";
    case Type::kLogLevel:
      return "eLogLevel";
    case Type::kPriv:
      return "ePriv";
    case Type::kVariant:
      return "VARIANT";
    case Type::kStringArray:
      return "SAFEARRAY(BSTR)";
    case Type::kDomain:
      return "_NTDomain*";
    case Type::kGroup:
      return "NTGroup*";
    case Type::kUser:
      return "NTUser*";
    case Type::kObject:
      return "IDispatch*";
    case Type::kVoid:
      return "void";
  }
  return "?";
}

std::string KindAttribute(Kind kind) {
  return kind == Kind::kGet ? "propget" : kind == Kind::kLet ? "propput" : "";
}

std::string Braced(const contract::Guid& guid) {
  return std::string(guid.text.substr(1, guid.text.size() - 2));
}

void ExpectInterfaceMatches(const Interface& table, const IdlInterface& idl) {
  SCOPED_TRACE(std::string(table.name));
  EXPECT_EQ(AttributeValue(idl.attributes, "uuid"), Braced(table.iid));
  EXPECT_EQ(AttributeValue(idl.attributes, "helpstring"),
            std::string(table.help));
  EXPECT_EQ(HasAttribute(idl.attributes, "hidden"), table.hidden);
  for (const char* flag : {"dual", "nonextensible", "oleautomation"}) {
    EXPECT_TRUE(HasAttribute(idl.attributes, flag)) << flag;
  }
  ASSERT_EQ(idl.members.size(), table.members.size());
  for (size_t slot = 0; slot < table.members.size(); ++slot) {
    const Member& member = table.members[slot];
    const IdlMember& declared = idl.members[slot];
    SCOPED_TRACE("slot " + std::to_string(slot) + " " +
                 std::string(member.name));
    EXPECT_EQ(declared.name, member.name);
    EXPECT_EQ(
        std::stol(*AttributeValue(declared.attributes, "id"), nullptr, 16),
        static_cast<long>(static_cast<std::uint32_t>(member.dispid)));
    for (const char* kind : {"propget", "propput"}) {
      EXPECT_EQ(HasAttribute(declared.attributes, kind),
                KindAttribute(member.kind) == kind);
    }
    EXPECT_EQ(AttributeValue(declared.attributes, "helpstring").value_or(""),
              std::string(member.help));

    std::vector<IdlParam> inputs = declared.params;
    std::string result = "void";
    if (!inputs.empty() && HasAttribute(inputs.back().attributes, "retval")) {
      result = inputs.back().type;
      result.pop_back();  // the out pointer
      inputs.pop_back();
    }
    EXPECT_EQ(result, TypeName(member.result));
    ASSERT_EQ(inputs.size(), member.params.size());
    for (size_t i = 0; i < inputs.size(); ++i) {
      const Param& param = member.params[i];
      const bool by_reference = param.passing == Passing::kByReference;
      EXPECT_EQ(inputs[i].type,
                TypeName(param.type) + (by_reference ? "*" : ""));
      EXPECT_EQ(HasAttribute(inputs[i].attributes, "out"), by_reference);
      EXPECT_TRUE(HasAttribute(inputs[i].attributes, "in"));
      EXPECT_EQ(HasAttribute(inputs[i].attributes, "optional"), param.optional);
      if (param.name != "value") {
        EXPECT_EQ(inputs[i].name, param.name);
      }
    }
  }
}

TEST(ContractIdl, InterfacesAgreeMemberByMember) {
  const auto interfaces = ParseInterfaces(ReadIdl());
  ASSERT_EQ(interfaces.size(), 3u);
  for (const Interface* table :
       {&kNTDomainInterface, &kNTGroupInterface, &kNTUserInterface}) {
    ASSERT_TRUE(interfaces.count(std::string(table->name))) << table->name;
    ExpectInterfaceMatches(*table, interfaces.at(std::string(table->name)));
  }
}

TEST(ContractIdl, LibraryClassAndEnumerationsAgree) {
  const std::string idl = ReadIdl();
  size_t close = 0;
  const std::string library = Enclosed(idl, idl.find('['), close);
  EXPECT_EQ(AttributeValue(library, "uuid"), Braced(kLibrary.libid));
  EXPECT_EQ(AttributeValue(library, "version"),
            std::to_string(kLibrary.major_version) + "." +
                std::to_string(kLibrary.minor_version));
  EXPECT_EQ(std::stoi(*AttributeValue(library, "lcid"), nullptr, 16),
            kLibrary.lcid);
  EXPECT_NE(idl.find("library " + std::string(kLibrary.name)),
            std::string::npos);

  const std::regex coclass(R"(uuid\(([0-9A-F-]+)\)[^\]]*\]\s*coclass\s+(\w+))");
  std::smatch match;
  ASSERT_TRUE(std::regex_search(idl, match, coclass));
  EXPECT_EQ(match[1].str(), Braced(kNTDomainClass.clsid));
  EXPECT_EQ(match[2].str(), kNTDomainClass.name);
  const std::regex any_coclass(R"(\bcoclass\s)");
  EXPECT_EQ(
      std::distance(std::sregex_iterator(idl.begin(), idl.end(), any_coclass),
                    std::sregex_iterator()),
      1)
      << "only NTDomain is a class";

  for (const Enumeration* enumeration : {&kLogLevelEnum, &kPrivEnum}) {
    SCOPED_TRACE(std::string(enumeration->name));
    const std::regex declared("uuid\\(" + Braced(enumeration->uuid) +
                              "\\)[^\\]]*\\]\\s*enum\\s+" +
                              std::string(enumeration->name) + "\\s*\\{");
    std::smatch found;
    ASSERT_TRUE(std::regex_search(idl, found, declared));
    size_t end = 0;
    const std::string body =
        Enclosed(idl, found.position() + found.length() - 1, end);
    const auto constants = SplitTopLevel(body);
    ASSERT_EQ(constants.size(), enumeration->constants.size());
    for (size_t i = 0; i < constants.size(); ++i) {
      const EnumConstant& expected = enumeration->constants[i];
      EXPECT_EQ(constants[i], "[helpstring(\"" + std::string(expected.help) +
                                  "\")] " + std::string(expected.name) + " = " +
                                  std::to_string(expected.value));
    }
  }
}

}  // namespace
}  // namespace corvane::contract
