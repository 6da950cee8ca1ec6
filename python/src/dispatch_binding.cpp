// The late-bound face: objects whose members are reached by name through
// the dispatch layer (automation/dispatch.h), as pywin32 reaches the COM
// server's. The Python package (corvane/_dispatch.py) shapes the results
// and errors exactly as pywin32 does.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "automation/dispatch.h"
#include "automation/error.h"
#include "automation/text.h"
#include "python/src/bindings.h"
#include "python/src/session.h"
#include "python/src/values.h"

namespace py = pybind11;

namespace corvane::python {
namespace {

const contract::Member* Find(const contract::Interface& contract,
                             std::string_view name, contract::Kind kind) {
  for (const contract::Member& member : contract.members) {
    if (member.kind == kind &&
        automation::EqualsIgnoringAsciiCase(member.name, name)) {
      return &member;
    }
  }
  return nullptr;
}

// What the wrapper needs to know of a name: its spelling in the contract,
// whether it is a method, and for a method or a put its parameters.
py::object Describe(const ObjectHandle& handle, const std::string& name) {
  const contract::Interface& contract = handle.object->Contract();
  const contract::Member* method =
      Find(contract, name, contract::Kind::kMethod);
  const contract::Member* get = Find(contract, name, contract::Kind::kGet);
  const contract::Member* put = Find(contract, name, contract::Kind::kLet);
  const contract::Member* any = method ? method : get ? get : put;
  if (any == nullptr) return py::none();
  py::list params;
  for (const contract::Param& param : any->params) {
    params.append(
        py::make_tuple(std::string(param.name),
                       param.passing == contract::Passing::kByReference,
                       param.optional, param.secret));
  }
  py::dict info;
  info["name"] = std::string(any->name);
  info["method"] = method != nullptr;
  info["get"] = get != nullptr;
  info["put"] = put != nullptr;
  info["returns"] = any->result != contract::Type::kVoid;
  info["params"] = params;
  return info;
}

// Calls `name` with `args` (one per parameter, None-padded by the caller is
// not needed: missing ones are passed as missing). Returns the result and
// the by-reference arguments' values after the call, in order.
py::tuple Invoke(const ObjectHandle& handle, const std::string& name,
                 unsigned kind, py::list args, py::list omitted) {
  Session::Use use(*handle.session);
  const contract::Interface& contract = handle.object->Contract();
  const contract::DispId dispid =
      automation::GetIdOfName(contract, automation::Widen(name));
  const contract::Member* member =
      Find(contract, name,
           kind == automation::DISPATCH_METHOD        ? contract::Kind::kMethod
           : kind == automation::DISPATCH_PROPERTYPUT ? contract::Kind::kLet
                                                      : contract::Kind::kGet);
  std::vector<automation::Variant> values;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const bool secret =
        member && i < member->params.size() && member->params[i].secret;
    if (omitted[i].cast<bool>()) {
      values.emplace_back(automation::Missing{});
    } else if (secret && !args[i].is_none()) {
      values.emplace_back(automation::Share(SecretFrom(args[i])));
    } else {
      values.push_back(ToVariant(args[i]));
    }
  }
  automation::Variant result;
  {
    py::gil_scoped_release release;
    result = automation::Invoke(*handle.object, dispid, kind, values);
  }
  py::list after;
  for (const automation::Variant& value : values) {
    after.append(FromVariant(value, handle.session));
  }
  return py::make_tuple(FromVariant(result, handle.session), after);
}

}  // namespace

void BindDispatch(py::module_& m) {
  py::class_<ObjectHandle>(m, "Object",
                           "An object of the component, reached by name.")
      .def_property_readonly("interface",
                             [](const ObjectHandle& h) {
                               return std::string(h.object->Contract().name);
                             })
      .def("describe", &Describe, py::arg("name"))
      .def("names",
           [](const ObjectHandle& h) {
             py::list names;
             for (const auto& member : h.object->Contract().members) {
               names.append(std::string(member.name));
             }
             return names;
           })
      .def("invoke", &Invoke, py::arg("name"), py::arg("kind"), py::arg("args"),
           py::arg("omitted"))
      .def("same", [](const ObjectHandle& a, const ObjectHandle& b) {
        return a.object->shared_from_this() == b.object->shared_from_this();
      });

  m.def(
      "create_object",
      [](std::shared_ptr<Session> session, const std::string& prog_id) {
        Session::Use use(*session);
        automation::ObjectRef object;
        {
          py::gil_scoped_release release;
          object = session->factory().CreateObject(automation::Widen(prog_id));
        }
        return ObjectHandle{session, object};
      },
      py::arg("session"), py::arg("prog_id"));
}

}  // namespace corvane::python
