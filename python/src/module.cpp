// The extension module `corvane._corvane`: sessions, the late-bound
// objects and the tasks. The package around it (python/corvane/) is what
// users import.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "automation/error.h"
#include "automation/text.h"
#include "python/src/bindings.h"
#include "python/src/session.h"
#include "python/src/values.h"

namespace py = pybind11;

namespace corvane::python {
namespace {

#ifdef CORVANE_WITH_SAMBA
netapi::KerberosUse KerberosFrom(const std::string& option) {
  if (option == "required") return netapi::KerberosUse::kRequired;
  if (option == "desired") return netapi::KerberosUse::kDesired;
  if (option == "off") return netapi::KerberosUse::kOff;
  if (option.empty()) return netapi::KerberosUse::kDefault;
  throw py::value_error("kerberos is \"required\", \"desired\" or \"off\"");
}

std::shared_ptr<Session> OpenSamba(const std::string& module_path,
                                   py::dict options, py::object password,
                                   bool trace) {
  netapi::SambaConfig config;
  const auto text = [&](const char* key) {
    return options.contains(key) && !options[key].is_none()
               ? options[key].cast<std::string>()
               : std::string();
  };
  config.controller_host = text("server");
  config.workgroup = text("domain");
  config.realm = text("realm");
  config.client_conf = text("configfile");
  config.username = text("user");
  config.auth_file = text("auth_file");
  config.kerberos_ccache = text("krb5_ccache");
  config.kerberos = KerberosFrom(text("kerberos"));
  // The password is read from the caller's object when the backend asks,
  // straight into a secret; a callable is asked then.
  auto holder = std::make_shared<py::object>(password);
  config.ask_password = [holder](const std::string& account) {
    py::gil_scoped_acquire gil;
    py::object given = *holder;
    if (!given || given.is_none()) {
      throw std::runtime_error("no password given for " + account);
    }
    if (PyCallable_Check(given.ptr())) given = given(account);
    const automation::Secret secret = SecretFrom(given);
    std::optional<automation::SecretUtf8> utf8 =
        automation::ToUtf8Secret(secret.view());
    if (!utf8) throw std::runtime_error("the password is not valid text");
    return std::move(*utf8);
  };
  std::shared_ptr<Session> session;
  {
    py::gil_scoped_release release;
    session = Session::Samba(module_path, std::move(config),
                             SessionOptions{trace, false});
  }
  {
    // The caller's password object is let go with the GIL held.
    py::object drop = std::move(*holder);
  }
  return session;
}
#endif

}  // namespace

void BindSession(py::module_& m) {
  py::class_<Session, std::shared_ptr<Session>>(m, "Session")
      .def("close",
           [](Session& s) {
             py::gil_scoped_release release;
             s.Close();
           })
      .def_property_readonly("closed", &Session::closed)
      .def("_hold_calls",
           [](Session& s) {
             if (!s.gate()) throw py::value_error("no test gate");
             s.gate()->Close();
           })
      .def("_release_calls",
           [](Session& s) {
             if (!s.gate()) throw py::value_error("no test gate");
             s.gate()->Open();
           })
      .def("_calls_waiting",
           [](Session& s) { return s.gate() ? s.gate()->waiting() : 0; });

  m.def(
      "open_demo",
      [](bool trace, bool hold_calls) {
        return Session::Demo(SessionOptions{trace, hold_calls});
      },
      py::arg("trace") = false, py::arg("hold_calls") = false);
  m.def(
      "open_simulated",
      [](const std::string& path, bool trace, bool hold_calls) {
        py::gil_scoped_release release;  // the lock may be waited for
        return Session::Simulated(path, SessionOptions{trace, hold_calls});
      },
      py::arg("path"), py::arg("trace") = false, py::arg("hold_calls") = false);
#ifdef CORVANE_WITH_SAMBA
  m.def("open_samba", &OpenSamba, py::arg("module_path"), py::arg("options"),
        py::arg("password"), py::arg("trace") = false);
  m.attr("has_samba") = true;
#else
  m.attr("has_samba") = false;
#endif
}

}  // namespace corvane::python

PYBIND11_MODULE(_corvane, m) {
  using namespace corvane::python;
  m.doc() = "The core of the corvane package; import corvane instead.";
  static py::exception<ConnectionBusy> busy(m, "ConnectionBusy",
                                            PyExc_RuntimeError);
  static py::exception<ConnectionClosed> closed(m, "ConnectionClosed",
                                                PyExc_RuntimeError);
  static py::exception<BackendFailure> backend(m, "BackendFailure",
                                               PyExc_OSError);
  static py::exception<corvane::automation::AutomationError> fault(
      m, "AutomationFault", PyExc_Exception);
  py::register_exception_translator([](std::exception_ptr thrown) {
    try {
      if (thrown) std::rethrow_exception(thrown);
    } catch (const ConnectionBusy& e) {
      busy(e.what());
    } catch (const ConnectionClosed& e) {
      closed(e.what());
    } catch (const BackendFailure& e) {
      backend(e.what());
    } catch (const corvane::automation::AutomationError& e) {
      // args: (hresult, source, description)
      py::object args =
          py::make_tuple(e.hresult(), corvane::automation::ToUtf8(e.source()),
                         corvane::automation::ToUtf8(e.description()));
      PyErr_SetObject(fault.ptr(), args.ptr());
    }
  });
  BindSession(m);
  BindDispatch(m);
  BindTasks(m);
}
