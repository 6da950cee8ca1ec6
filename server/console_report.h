// What /RegServer and /UnregServer did, told to whoever started the
// server from a console or a script: the server is a windows program, so
// it writes to the standard output it was given, or else to its parent's
// console, and says nothing when started without either (by COM or from
// the desktop).
#pragma once

#include <string>

#include "server/windows_headers.h"

namespace corvane::server {

void ReportLine(const std::wstring& line);

// The system's text for an HRESULT with the code itself, as
// "Access is denied. (0x80070005)".
std::wstring DescribeFailure(HRESULT hresult);

}  // namespace corvane::server
