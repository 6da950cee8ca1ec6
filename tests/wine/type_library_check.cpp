#include "tests/wine/type_library_check.h"

#include <string>
#include <string_view>
#include <vector>

#include "contract/contract.h"
#include "server/com_ptr.h"
#include "server/windows_headers.h"
#include "tests/wine/check_tally.h"

namespace corvane::wine_test {
namespace {

using server::ComPtr;

// Takes over a BSTR the library handed out; the text as ASCII.
std::string Take(BSTR text) {
  std::string ascii;
  if (text) {
    for (UINT i = 0; i < SysStringLen(text); ++i) {
      ascii += static_cast<char>(text[i]);
    }
  }
  SysFreeString(text);
  return ascii;
}

GUID GuidOf(const contract::Guid& guid) {
  GUID value{};
  const std::wstring text(guid.text.begin(), guid.text.end());
  CLSIDFromString(text.c_str(), &value);
  return value;
}

std::string NameOf(ITypeInfo* info) {
  BSTR name = nullptr;
  info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
  return Take(name);
}

std::string HelpOf(ITypeInfo* info, MEMBERID member) {
  BSTR help = nullptr;
  info->GetDocumentation(member, nullptr, &help, nullptr, nullptr);
  return Take(help);
}

// A type as the IDL spells it, following references to their names.
std::string Spelled(ITypeInfo* context, const TYPEDESC& type) {
  switch (type.vt) {
    case VT_PTR:
      return Spelled(context, *type.lptdesc) + "*";
    case VT_SAFEARRAY:
      return "SAFEARRAY(" + Spelled(context, *type.lptdesc) + ")";
    case VT_USERDEFINED: {
      ComPtr<ITypeInfo> target;
      if (FAILED(context->GetRefTypeInfo(type.hreftype, target.Receive()))) {
        return "<unresolved>";
      }
      return NameOf(target.get());
    }
    case VT_BSTR:
      return "BSTR";
    case VT_BOOL:
      return "VARIANT_BOOL";
    case VT_VARIANT:
      return "VARIANT";
    case VT_DISPATCH:
      return "IDispatch*";
    case VT_HRESULT:
      return "HRESULT";
    case VT_I4:
      return "long";
    default:
      return "vt " + std::to_string(type.vt);
  }
}

std::string Spelled(contract::Type type) {
  switch (type) {
    case contract::Type::kVoid:
      return "void";
    case contract::Type::kString:
      return "BSTR";
    case contract::Type::kBoolean:
      return "VARIANT_BOOL";
    case contract::Type::kLogLevel:
      return "eLogLevel";
    case contract::Type::kPriv:
      return "ePriv";
    case contract::Type::kVariant:
      return "VARIANT";
    case contract::Type::kStringArray:
      return "SAFEARRAY(BSTR)";
    case contract::Type::kDomain:
      return "_NTDomain*";
    case contract::Type::kGroup:
      return "NTGroup*";
    case contract::Type::kUser:
      return "NTUser*";
    case contract::Type::kObject:
      return "IDispatch*";
  }
  return "?";
}

// The attributes of one entry, released with their owner.
class Attributes {
 public:
  explicit Attributes(ITypeInfo* info) : info_(info) {
    info_->GetTypeAttr(&attributes_);
  }
  ~Attributes() {
    if (attributes_) info_->ReleaseTypeAttr(attributes_);
  }
  Attributes(const Attributes&) = delete;
  Attributes& operator=(const Attributes&) = delete;

  const TYPEATTR* operator->() const { return attributes_; }
  explicit operator bool() const { return attributes_ != nullptr; }

 private:
  ITypeInfo* info_;
  TYPEATTR* attributes_ = nullptr;
};

// `ignored_flags` are those the system may or may not add to a view it
// derives.
void CheckDescribed(const std::string& entry, ITypeInfo* info,
                    const contract::Guid& guid, TYPEKIND kind, WORD flags,
                    std::string_view help, WORD ignored_flags = 0) {
  const Attributes attributes(info);
  Check(entry + ": attributes", static_cast<bool>(attributes));
  if (!attributes) return;
  Check(entry + ": kind", attributes->typekind == kind);
  Check(entry + ": uuid", attributes->guid == GuidOf(guid));
  Check(entry + ": version 1.0",
        attributes->wMajorVerNum == 1 && attributes->wMinorVerNum == 0);
  Check(entry + ": flags " + std::to_string(attributes->wTypeFlags),
        (attributes->wTypeFlags & ~ignored_flags) == flags);
  Check(entry + ": help", HelpOf(info, MEMBERID_NIL) == help);
}

// The names a client reads for a dispatch id: those of the first member
// with that id (a property's getter or its setter, whichever comes first).
std::vector<std::string> NamesOf(const contract::Interface& declared,
                                 contract::DispId id) {
  for (const contract::Member& member : declared.members) {
    if (member.dispid != id) continue;
    std::vector<std::string> names = {std::string(member.name)};
    // A property's new value is unnamed; a result is named "ret".
    if (member.kind != contract::Kind::kLet) {
      for (const contract::Param& param : member.params) {
        names.emplace_back(param.name);
      }
    }
    if (member.result != contract::Type::kVoid) names.emplace_back("ret");
    return names;
  }
  return {};
}

void CheckMember(const std::string& entry, ITypeInfo* info, UINT index,
                 const contract::Interface& declared) {
  const contract::Member& member = declared.members[index];
  const std::string name = entry + "." + std::string(member.name) + " (" +
                           std::to_string(index) + ")";
  FUNCDESC* function = nullptr;
  Check(name + ": present", SUCCEEDED(info->GetFuncDesc(index, &function)));
  if (!function) return;
  const INVOKEKIND kind =
      member.kind == contract::Kind::kGet   ? INVOKE_PROPERTYGET
      : member.kind == contract::Kind::kLet ? INVOKE_PROPERTYPUT
                                            : INVOKE_FUNC;
  Check(name + ": id", function->memid == member.dispid);
  Check(name + ": kind", function->invkind == kind);
  Check(name + ": slot",
        function->oVft == static_cast<SHORT>((7 + index) * sizeof(void*)));
  Check(name + ": stdcall, HRESULT, no flags",
        function->callconv == CC_STDCALL &&
            Spelled(info, function->elemdescFunc.tdesc) == "HRESULT" &&
            function->wFuncFlags == 0 && function->cParamsOpt == 0);
  const bool has_result = member.result != contract::Type::kVoid;
  Check(name + ": parameter count",
        function->cParams ==
            static_cast<SHORT>(member.params.size() + (has_result ? 1 : 0)));

  BSTR names[16] = {};
  UINT named = 0;
  info->GetNames(function->memid, names, 16, &named);
  std::vector<std::string> listed;
  for (UINT i = 0; i < named; ++i) listed.push_back(Take(names[i]));

  if (function->cParams ==
      static_cast<SHORT>(member.params.size() + (has_result ? 1 : 0))) {
    for (size_t i = 0; i < member.params.size(); ++i) {
      const contract::Param& param = member.params[i];
      const std::string param_name = name + " " + std::string(param.name);
      const bool by_reference =
          param.passing == contract::Passing::kByReference;
      const ELEMDESC& declared = function->lprgelemdescParam[i];
      Check(param_name + ": type",
            Spelled(info, declared.tdesc) ==
                Spelled(param.type) + (by_reference ? "*" : ""));
      const USHORT flags = PARAMFLAG_FIN | (by_reference ? PARAMFLAG_FOUT : 0) |
                           (param.optional ? PARAMFLAG_FOPT : 0);
      Check(param_name + ": in/out/optional",
            declared.paramdesc.wParamFlags == flags);
    }
    if (has_result) {
      const ELEMDESC& result =
          function->lprgelemdescParam[function->cParams - 1];
      Check(name + ": result",
            Spelled(info, result.tdesc) == Spelled(member.result) + "*" &&
                result.paramdesc.wParamFlags ==
                    (PARAMFLAG_FOUT | PARAMFLAG_FRETVAL));
    }
  }
  info->ReleaseFuncDesc(function);
  Check(name + ": names", listed == NamesOf(declared, member.dispid));
  Check(name + ": help", HelpOf(info, member.dispid) == member.help);
}

void CheckInterface(ITypeLib* library, UINT index,
                    const contract::Interface& declared) {
  const std::string entry(declared.name);
  ComPtr<ITypeInfo> listed;
  library->GetTypeInfo(index, listed.Receive());
  if (!listed) return;
  // A dual interface is listed as its dispatch view; the table of
  // functions is its partner.
  const WORD dual = TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE |
                    TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE |
                    (declared.hidden ? TYPEFLAG_FHIDDEN : 0);
  CheckDescribed(entry, listed.get(), declared.iid, TKIND_DISPATCH,
                 dual & ~TYPEFLAG_FOLEAUTOMATION, declared.help,
                 TYPEFLAG_FOLEAUTOMATION);
  HREFTYPE partner_reference = 0;
  ComPtr<ITypeInfo> table;
  if (FAILED(listed->GetRefTypeOfImplType(-1, &partner_reference)) ||
      FAILED(listed->GetRefTypeInfo(partner_reference, table.Receive()))) {
    Check(entry + ": function table", false);
    return;
  }
  CheckDescribed(entry + " (table)", table.get(), declared.iid, TKIND_INTERFACE,
                 dual, declared.help);

  HREFTYPE base_reference = 0;
  ComPtr<ITypeInfo> base;
  table->GetRefTypeOfImplType(0, &base_reference);
  table->GetRefTypeInfo(base_reference, base.Receive());
  Check(entry + ": derives from IDispatch",
        base && NameOf(base.get()) == "IDispatch");

  const Attributes attributes(table.get());
  Check(entry + ": member count",
        attributes && attributes->cFuncs == declared.members.size() &&
            attributes->cVars == 0);
  for (UINT i = 0; i < declared.members.size(); ++i) {
    CheckMember(entry, table.get(), i, declared);
  }
}

void CheckClass(ITypeLib* library, UINT index) {
  const contract::CreatableClass& created = contract::kNTDomainClass;
  const std::string entry(created.name);
  ComPtr<ITypeInfo> info;
  library->GetTypeInfo(index, info.Receive());
  if (!info) return;
  CheckDescribed(entry, info.get(), created.clsid, TKIND_COCLASS,
                 TYPEFLAG_FCANCREATE, created.default_interface->help);
  HREFTYPE reference = 0;
  ComPtr<ITypeInfo> implemented;
  INT flags = 0;
  info->GetRefTypeOfImplType(0, &reference);
  info->GetRefTypeInfo(reference, implemented.Receive());
  info->GetImplTypeFlags(0, &flags);
  const Attributes attributes(info.get());
  Check(entry + ": one default interface, " +
            std::string(created.default_interface->name),
        attributes && attributes->cImplTypes == 1 && implemented &&
            NameOf(implemented.get()) == created.default_interface->name &&
            flags == IMPLTYPEFLAG_FDEFAULT);
}

void CheckEnumeration(ITypeLib* library, UINT index,
                      const contract::Enumeration& enumeration) {
  const std::string entry(enumeration.name);
  ComPtr<ITypeInfo> info;
  library->GetTypeInfo(index, info.Receive());
  if (!info) return;
  CheckDescribed(entry, info.get(), enumeration.uuid, TKIND_ENUM, 0, "");
  const Attributes attributes(info.get());
  Check(entry + ": constant count",
        attributes && attributes->cVars == enumeration.constants.size());
  for (UINT i = 0; i < enumeration.constants.size(); ++i) {
    const contract::EnumConstant& expected = enumeration.constants[i];
    const std::string name = entry + "." + std::string(expected.name);
    VARDESC* variable = nullptr;
    Check(name + ": present", SUCCEEDED(info->GetVarDesc(i, &variable)));
    if (!variable) continue;
    BSTR constant_name = nullptr;
    UINT named = 0;
    info->GetNames(variable->memid, &constant_name, 1, &named);
    Check(name + ": name", Take(constant_name) == expected.name);
    Check(name + ": value", variable->varkind == VAR_CONST &&
                                variable->wVarFlags == 0 &&
                                V_VT(variable->lpvarValue) == VT_I4 &&
                                V_I4(variable->lpvarValue) == expected.value);
    Check(name + ": help",
          HelpOf(info.get(), variable->memid) == expected.help);
    info->ReleaseVarDesc(variable);
  }
}

}  // namespace

void CheckTypeLibrary(ITypeLib* library) {
  const contract::Library& expected = contract::kLibrary;
  TLIBATTR* attributes = nullptr;
  Check("library attributes", SUCCEEDED(library->GetLibAttr(&attributes)));
  if (attributes) {
    Check("library id, 1.0, locale 0x409",
          attributes->guid == GuidOf(expected.libid) &&
              attributes->wMajorVerNum == expected.major_version &&
              attributes->wMinorVerNum == expected.minor_version &&
              attributes->lcid == static_cast<LCID>(expected.lcid) &&
              attributes->syskind == SYS_WIN64);
    library->ReleaseTLibAttr(attributes);
  }
  BSTR name = nullptr;
  BSTR help = nullptr;
  library->GetDocumentation(-1, &name, &help, nullptr, nullptr);
  Check("library name", Take(name) == expected.name);
  Check("library help", Take(help) == expected.help);

  const std::string_view order[] = {
      contract::kNTDomainInterface.name, contract::kNTDomainClass.name,
      contract::kNTGroupInterface.name,  contract::kNTUserInterface.name,
      contract::kLogLevelEnum.name,      contract::kPrivEnum.name};
  std::string listed;
  for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
    BSTR entry = nullptr;
    library->GetDocumentation(static_cast<INT>(i), &entry, nullptr, nullptr,
                              nullptr);
    listed += (i ? ", " : "") + Take(entry);
  }
  std::string wanted;
  for (std::string_view entry : order) {
    wanted += (wanted.empty() ? "" : ", ") + std::string(entry);
  }
  Check("entries in order: " + listed, listed == wanted);
  if (listed != wanted) return;

  CheckInterface(library, 0, contract::kNTDomainInterface);
  CheckClass(library, 1);
  CheckInterface(library, 2, contract::kNTGroupInterface);
  CheckInterface(library, 3, contract::kNTUserInterface);
  CheckEnumeration(library, 4, contract::kLogLevelEnum);
  CheckEnumeration(library, 5, contract::kPrivEnum);
}

}  // namespace corvane::wine_test
