// Build tool: writes the server's type library from the contract tables
// through the system's own type-library writer (CreateTypeLib2). The
// entries come in the contract's order (_NTDomain, NTDomain, NTGroup,
// NTUser, eLogLevel, ePriv) and every help string is kept, enumeration
// constants' included. Cross-builds run it under Wine; native Windows
// builds run it directly.
//   corvane_write_type_library.exe OUTPUT.tlb
// Exit status 0, or 1 with the step that failed and its HRESULT.
#include <cstdio>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "contract/contract.h"
#include "server/com_ptr.h"

// Platform headers: only after the portable ones above.
#include <windows.h>
// Needs <windows.h> first.
#include <oleauto.h>

namespace {

namespace contract = corvane::contract;
using corvane::server::ComPtr;

// Parameter name of a getter's result, as the IDL spells it.
constexpr wchar_t kResultName[] = L"ret";

struct Failure {
  std::string step;
  HRESULT hresult;
};

void Check(HRESULT hresult, const std::string& step) {
  if (FAILED(hresult)) throw Failure{step, hresult};
}

std::wstring Wide(std::string_view ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

GUID GuidOf(const corvane::contract::Guid& guid) {
  GUID value;
  Check(CLSIDFromString(Wide(guid.text).c_str(), &value),
        "parse " + std::string(guid.text));
  return value;
}

ComPtr<ITypeInfo> InfoOf(ICreateTypeInfo* created) {
  ComPtr<ITypeInfo> info;
  Check(created->QueryInterface(IID_ITypeInfo,
                                reinterpret_cast<void**>(info.Receive())),
        "ITypeInfo of a new entry");
  return info;
}

// One entry of the library being written.
struct Entry {
  std::string_view name;
  ComPtr<ICreateTypeInfo> info;
};

// How one interface refers to the library's other entries.
struct References {
  HREFTYPE log_level, priv, domain, group, user;
};

class LibraryWriter {
 public:
  explicit LibraryWriter(const std::wstring& path) {
    Check(CreateTypeLib2(SYS_WIN64, path.c_str(), library_.Receive()),
          "CreateTypeLib2");
    const contract::Library& library = contract::kLibrary;
    Check(library_->SetName(Wide(library.name).data()), "library name");
    Check(library_->SetGuid(GuidOf(library.libid)), "library id");
    Check(library_->SetVersion(static_cast<WORD>(library.major_version),
                               static_cast<WORD>(library.minor_version)),
          "library version");
    Check(library_->SetLcid(static_cast<LCID>(library.lcid)), "library lcid");
    Check(library_->SetDocString(Wide(library.help).data()), "library help");

    ComPtr<ITypeLib> stdole;
    Check(LoadTypeLib(L"stdole2.tlb", stdole.Receive()), "load stdole2.tlb");
    Check(stdole->GetTypeInfoOfGuid(IID_IDispatch, dispatch_.Receive()),
          "IDispatch from stdole2.tlb");
  }

  // Entries are created in library order before any is filled in, so that
  // each can refer to those that follow it.
  Entry& Create(std::string_view name, TYPEKIND kind) {
    Entry& entry = entries_.emplace_back();
    entry.name = name;
    Check(
        library_->CreateTypeInfo(Wide(name).data(), kind, entry.info.Receive()),
        "create " + std::string(name));
    return entry;
  }

  void Describe(const Entry& entry, const corvane::contract::Guid& guid,
                std::string_view help, UINT flags) {
    Check(entry.info->SetGuid(GuidOf(guid)), std::string(entry.name));
    Check(entry.info->SetVersion(1, 0), std::string(entry.name));
    if (!help.empty()) {
      Check(entry.info->SetDocString(Wide(help).data()),
            std::string(entry.name));
    }
    Check(entry.info->SetTypeFlags(flags), std::string(entry.name));
  }

  HREFTYPE Refer(const Entry& from, const Entry& to) {
    HREFTYPE reference = 0;
    Check(from.info->AddRefTypeInfo(InfoOf(to.info.get()).get(), &reference),
          std::string(from.name) + " refers to " + std::string(to.name));
    return reference;
  }

  void WriteInterface(const Entry& entry, const contract::Interface& declared,
                      const References& references) {
    references_ = references;
    const std::string name(entry.name);
    UINT flags =
        TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION;
    if (declared.hidden) flags |= TYPEFLAG_FHIDDEN;
    Describe(entry, declared.iid, declared.help, flags);
    HREFTYPE dispatch = 0;
    Check(entry.info->AddRefTypeInfo(dispatch_.get(), &dispatch),
          name + " base");
    Check(entry.info->AddImplType(0, dispatch), name + " base");

    UINT index = 0;
    for (const contract::Member& member : declared.members) {
      WriteMember(entry, index++, member);
    }
  }

  void WriteClass(const Entry& entry, const contract::CreatableClass& created,
                  HREFTYPE default_interface) {
    Check(entry.info->AddImplType(0, default_interface),
          std::string(entry.name) + " interface");
    Check(entry.info->SetImplTypeFlags(0, IMPLTYPEFLAG_FDEFAULT),
          std::string(entry.name) + " interface");
    Describe(entry, created.clsid, created.default_interface->help,
             TYPEFLAG_FCANCREATE);
  }

  void WriteEnumeration(const Entry& entry,
                        const contract::Enumeration& enumeration) {
    Describe(entry, enumeration.uuid, "", 0);
    UINT index = 0;
    for (const contract::EnumConstant& constant : enumeration.constants) {
      VARIANT value;
      VariantInit(&value);
      V_VT(&value) = VT_I4;
      V_I4(&value) = constant.value;
      VARDESC variable{};
      variable.memid = static_cast<MEMBERID>(0x40000000 + index);
      variable.lpvarValue = &value;
      variable.elemdescVar.tdesc.vt = VT_I4;
      variable.varkind = VAR_CONST;
      const std::string step =
          std::string(entry.name) + "." + std::string(constant.name);
      Check(entry.info->AddVarDesc(index, &variable), step);
      Check(entry.info->SetVarName(index, Wide(constant.name).data()), step);
      Check(entry.info->SetVarDocString(index, Wide(constant.help).data()),
            step);
      ++index;
    }
  }

  void Save() {
    for (Entry& entry : entries_) {
      Check(entry.info->LayOut(), "lay out " + std::string(entry.name));
    }
    Check(library_->SaveAllChanges(), "save");
  }

 private:
  // The type as the platform describes it; nested descriptions live as
  // long as the writer.
  TYPEDESC TypeOf(contract::Type type) {
    TYPEDESC described{};
    const auto user_defined = [&](HREFTYPE reference) {
      described.vt = VT_USERDEFINED;
      described.hreftype = reference;
    };
    const auto interface_pointer = [&](HREFTYPE reference) {
      TYPEDESC& target = nested_.emplace_back();
      target.vt = VT_USERDEFINED;
      target.hreftype = reference;
      described.vt = VT_PTR;
      described.lptdesc = &target;
    };
    switch (type) {
      case contract::Type::kVoid:
        described.vt = VT_VOID;
        break;
      case contract::Type::kString:
        described.vt = VT_BSTR;
        break;
      case contract::Type::kBoolean:
        described.vt = VT_BOOL;
        break;
      case contract::Type::kLogLevel:
        user_defined(references_.log_level);
        break;
      case contract::Type::kPriv:
        user_defined(references_.priv);
        break;
      case contract::Type::kVariant:
        described.vt = VT_VARIANT;
        break;
      case contract::Type::kStringArray:
        described.vt = VT_SAFEARRAY;
        described.lptdesc = &nested_.emplace_back();
        described.lptdesc->vt = VT_BSTR;
        break;
      case contract::Type::kDomain:
        interface_pointer(references_.domain);
        break;
      case contract::Type::kGroup:
        interface_pointer(references_.group);
        break;
      case contract::Type::kUser:
        interface_pointer(references_.user);
        break;
      case contract::Type::kObject:
        described.vt = VT_DISPATCH;
        break;
    }
    return described;
  }

  TYPEDESC PointerTo(contract::Type type) {
    TYPEDESC& target = nested_.emplace_back(TypeOf(type));
    TYPEDESC pointer{};
    pointer.vt = VT_PTR;
    pointer.lptdesc = &target;
    return pointer;
  }

  void WriteMember(const Entry& entry, UINT index,
                   const contract::Member& member) {
    std::vector<ELEMDESC> params;
    std::vector<std::wstring> names = {Wide(member.name)};
    for (const contract::Param& param : member.params) {
      ELEMDESC& described = params.emplace_back();
      const bool by_reference =
          param.passing == contract::Passing::kByReference;
      described.tdesc =
          by_reference ? PointerTo(param.type) : TypeOf(param.type);
      described.paramdesc.wParamFlags = PARAMFLAG_FIN |
                                        (by_reference ? PARAMFLAG_FOUT : 0) |
                                        (param.optional ? PARAMFLAG_FOPT : 0);
      names.push_back(Wide(param.name));
    }
    // A property's new value is unnamed in a type library.
    if (member.kind == contract::Kind::kLet) names.pop_back();
    if (member.result != contract::Type::kVoid) {
      ELEMDESC& result = params.emplace_back();
      result.tdesc = PointerTo(member.result);
      result.paramdesc.wParamFlags = PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;
      names.emplace_back(kResultName);
    }

    FUNCDESC function{};
    function.memid = member.dispid;
    function.lprgelemdescParam = params.data();
    function.funckind = FUNC_PUREVIRTUAL;
    function.invkind = member.kind == contract::Kind::kGet ? INVOKE_PROPERTYGET
                       : member.kind == contract::Kind::kLet
                           ? INVOKE_PROPERTYPUT
                           : INVOKE_FUNC;
    function.callconv = CC_STDCALL;
    function.cParams = static_cast<SHORT>(params.size());
    function.oVft = static_cast<SHORT>((7 + index) * sizeof(void*));
    function.elemdescFunc.tdesc.vt = VT_HRESULT;

    const std::string step =
        std::string(entry.name) + "." + std::string(member.name);
    Check(entry.info->AddFuncDesc(index, &function), step);
    std::vector<LPOLESTR> name_pointers;
    for (std::wstring& name : names) name_pointers.push_back(name.data());
    Check(entry.info->SetFuncAndParamNames(
              index, name_pointers.data(),
              static_cast<UINT>(name_pointers.size())),
          step + " names");
    if (!member.help.empty()) {
      Check(entry.info->SetFuncDocString(index, Wide(member.help).data()),
            step + " help");
    }
  }

  ComPtr<ICreateTypeLib2> library_;
  ComPtr<ITypeInfo> dispatch_;
  std::deque<Entry> entries_;
  std::deque<TYPEDESC> nested_;
  References references_{};
};

void Write(const std::wstring& path) {
  LibraryWriter writer(path);
  Entry& domain =
      writer.Create(contract::kNTDomainInterface.name, TKIND_INTERFACE);
  Entry& domain_class =
      writer.Create(contract::kNTDomainClass.name, TKIND_COCLASS);
  Entry& group =
      writer.Create(contract::kNTGroupInterface.name, TKIND_INTERFACE);
  Entry& user = writer.Create(contract::kNTUserInterface.name, TKIND_INTERFACE);
  Entry& log_level = writer.Create(contract::kLogLevelEnum.name, TKIND_ENUM);
  Entry& priv = writer.Create(contract::kPrivEnum.name, TKIND_ENUM);

  // References are numbered per entry: each interface takes its own.
  const std::pair<const Entry*, const contract::Interface*> interfaces[] = {
      {&domain, &contract::kNTDomainInterface},
      {&group, &contract::kNTGroupInterface},
      {&user, &contract::kNTUserInterface}};
  for (const auto& [entry, declared] : interfaces) {
    const References references = {
        writer.Refer(*entry, log_level), writer.Refer(*entry, priv),
        writer.Refer(*entry, domain), writer.Refer(*entry, group),
        writer.Refer(*entry, user)};
    writer.WriteInterface(*entry, *declared, references);
  }
  writer.WriteClass(domain_class, contract::kNTDomainClass,
                    writer.Refer(domain_class, domain));
  writer.WriteEnumeration(log_level, contract::kLogLevelEnum);
  writer.WriteEnumeration(priv, contract::kPrivEnum);
  writer.Save();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: corvane_write_type_library OUTPUT.tlb\n");
    return 2;
  }
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  int status = 0;
  try {
    Write(argv[1]);
  } catch (const Failure& failure) {
    std::fprintf(stderr, "corvane_write_type_library: %s failed (0x%08lX)\n",
                 failure.step.c_str(),
                 static_cast<unsigned long>(failure.hresult));
    status = 1;
  }
  CoUninitialize();
  return status;
}
