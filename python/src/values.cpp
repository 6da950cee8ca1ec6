#include "python/src/values.h"

#include <limits>

#include "automation/error.h"
#include "automation/string_array.h"
#include "automation/text.h"

namespace py = pybind11;

namespace corvane::python {
namespace {

void AppendUtf16(automation::Secret& secret, Py_UCS4 c) {
  if (c < 0x10000) {
    secret.push_back(static_cast<char16_t>(c));
  } else {
    c -= 0x10000;
    secret.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    secret.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  }
}

automation::Secret FromUtf8Bytes(const char* data, Py_ssize_t size) {
  std::optional<automation::Secret> secret = automation::FromUtf8Secret(
      std::string_view(data, static_cast<std::size_t>(size)));
  if (!secret) throw py::value_error("the password is not valid UTF-8");
  return std::move(*secret);
}

}  // namespace

automation::Secret SecretFrom(py::handle value) {
  PyObject* object = value.ptr();
  if (PyUnicode_Check(object)) {
    // Read character by character: no UTF-8 or UTF-16 copy is cached.
    const Py_ssize_t length = PyUnicode_GetLength(object);
    automation::Secret secret;
    secret.Reserve(static_cast<std::size_t>(length) * 2);
    for (Py_ssize_t i = 0; i < length; ++i) {
      AppendUtf16(secret, PyUnicode_ReadChar(object, i));
    }
    return secret;
  }
  if (PyBytes_Check(object)) {
    return FromUtf8Bytes(PyBytes_AS_STRING(object), PyBytes_GET_SIZE(object));
  }
  if (PyByteArray_Check(object)) {
    return FromUtf8Bytes(PyByteArray_AS_STRING(object),
                         PyByteArray_GET_SIZE(object));
  }
  throw py::type_error("a password is a str, bytes or bytearray");
}

void WipeIfBytearray(py::handle value) {
  PyObject* object = value.ptr();
  if (!PyByteArray_Check(object)) return;
  automation::WipeMemory(
      PyByteArray_AS_STRING(object),
      static_cast<std::size_t>(PyByteArray_GET_SIZE(object)));
}

automation::Variant ToVariant(py::handle value) {
  using automation::Variant;
  // As a script's uninitialised variable: an array parameter gets a new
  // array for it.
  if (value.is_none()) return automation::Empty{};
  if (py::isinstance<py::bool_>(value)) {
    return Variant::FromBool(value.cast<bool>());
  }
  if (py::isinstance<py::int_>(value)) {
    const long long number = value.cast<long long>();
    if (number < std::numeric_limits<std::int32_t>::min() ||
        number > std::numeric_limits<std::int32_t>::max()) {
      throw automation::AutomationError(automation::DISP_E_OVERFLOW);
    }
    return static_cast<std::int32_t>(number);
  }
  if (py::isinstance<py::str>(value)) {
    const std::string text = value.cast<std::string>();
    return automation::Widen(text);
  }
  if (py::isinstance<ObjectHandle>(value)) {
    return value.cast<const ObjectHandle&>().object;
  }
  if (py::isinstance<py::list>(value) || py::isinstance<py::tuple>(value)) {
    auto array = std::make_shared<automation::StringArray>();
    for (py::handle item : value) {
      if (!py::isinstance<py::str>(item)) {
        throw automation::AutomationError(automation::DISP_E_TYPEMISMATCH);
      }
      array->Append(automation::Widen(item.cast<std::string>()));
    }
    return array;
  }
  throw automation::AutomationError(automation::DISP_E_TYPEMISMATCH);
}

py::object FromVariant(const automation::Variant& value,
                       const std::shared_ptr<Session>& session) {
  using automation::Variant;
  return std::visit(
      [&](const auto& held) -> py::object {
        using T = std::decay_t<decltype(held)>;
        if constexpr (std::is_same_v<T, std::int16_t> ||
                      std::is_same_v<T, std::int32_t>) {
          return py::int_(held);
        } else if constexpr (std::is_same_v<T, automation::Boolean>) {
          return py::bool_(held.value != 0);
        } else if constexpr (std::is_same_v<T, std::u16string>) {
          return py::str(automation::ToUtf8(held));
        } else if constexpr (std::is_same_v<T, automation::ObjectRef>) {
          if (!held) return py::none();
          return py::cast(ObjectHandle{session, held});
        } else if constexpr (std::is_same_v<T, automation::StringArrayRef>) {
          if (!held) return py::none();
          py::tuple names(held->size());
          for (std::size_t i = 0; i < held->size(); ++i) {
            names[i] = py::str(automation::ToUtf8(held->elements()[i]));
          }
          return names;
        } else {
          // Empty, Missing, Null, and a secret, which never turns into text.
          return py::none();
        }
      },
      value.value());
}

}  // namespace corvane::python
