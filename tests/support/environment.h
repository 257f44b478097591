#pragma once

#include <string>

namespace brevik2::testing {

// Sets or removes one environment variable of the test process, on POSIX and Windows alike.
void setEnvironment(const std::string& name, const std::string& value);
void unsetEnvironment(const std::string& name);

}  // namespace brevik2::testing
