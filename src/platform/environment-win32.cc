#include "platform/environment.h"

#include <cstdlib>

const char* GetEnvironmentValue(const char* name) { return std::getenv(name); }
