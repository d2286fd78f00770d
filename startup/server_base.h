// The chosen game server's base address ("http://" + host + "/softmain/"), or empty when no
// server answered. Written once by SelectServer before the main window is loaded.
#pragma once

#include <string>

namespace varnok {

extern std::string ServerBase;

}  // namespace varnok
