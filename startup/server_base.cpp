#include "startup/server_base.h"

namespace varnok {

std::string ServerBase;

}  // namespace varnok
