// Python values to and from the automation variant, as pywin32 converts
// them for a script: None (empty), bool, int, str, a sequence of str for a
// string array, an object wrapper for an object. A password goes from a str,
// bytes or bytearray straight into a secret, never through another copy.
#pragma once

#include <pybind11/pybind11.h>

#include <memory>

#include "automation/secret.h"
#include "automation/variant.h"

namespace corvane::python {

class Session;

// The object wrapper Python holds: the session it belongs to, then the
// object, so that the object is released first.
struct ObjectHandle {
  std::shared_ptr<Session> session;
  automation::ObjectRef object;
};

// TypeError for anything but str, bytes (UTF-8) or bytearray (UTF-8).
automation::Secret SecretFrom(pybind11::handle value);
// Zeroes a bytearray in place; other values are left alone.
void WipeIfBytearray(pybind11::handle value);

automation::Variant ToVariant(pybind11::handle value);
pybind11::object FromVariant(const automation::Variant& value,
                             const std::shared_ptr<Session>& session);

}  // namespace corvane::python
