#pragma once

// The reason a system call failed, in the program's own words. The system's
// texts (strerror, std::error_code::message) are English, and every message
// the user reads is Japanese.

#include <string>
#include <system_error>

namespace velm {

// The reason for `error` (an errno value), for example "ディスクの空きが足りません".
std::string systemErrorText(int error);
// The same for an error code of the system or generic category; other
// categories give their own message.
std::string systemErrorText(const std::error_code &code);

} // namespace velm
