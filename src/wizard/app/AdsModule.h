// The directory-service module libornads.so, which the program loads at run time.
#pragma once

#include <string>

namespace orn::wizard {

// ORN_ADS_MODULE when it is set and not empty, else libornads.so beside the running program.
std::string AdsModulePath();

// True when the module can be loaded; it is unloaded again at once.
bool AdsModuleLoads();

}  // namespace orn::wizard
