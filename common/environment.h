// What an object graph runs on: the platform layer it calls and the sink its
// events go to. The class factory hands one to every domain it creates; the
// domain passes it to its children.
#pragma once

#include "common/event_log.h"
#include "netapi/api.h"

namespace corvane::common {

struct Environment {
  netapi::Api& api;
  EventSink& events;
};

}  // namespace corvane::common
