// %NAME% references in a configuration value, expanded from the launcher's
// environment as the system's own ExpandEnvironmentStringsA expands them.
#ifndef LAUNCHER_PLATFORM_ENVIRONMENT_EXPANSION_H
#define LAUNCHER_PLATFORM_ENVIRONMENT_EXPANSION_H

#include <string>

// A reference whose variable is set becomes its value; an undefined
// "%NAME%" stays as written, and the scan goes on after its closing "%"; a
// "%" without a closing one stays. "%%" is no escape. Names are compared
// without regard to case.
// False when the expansion cannot be had.
bool ExpandEnvironmentReferences(const char* text, std::string* expanded);

// The same rules over `lookup` (null: the variable is not set).
using VariableLookup = const char* (*)(void* context, const std::string& name);
std::string ExpandReferencesWith(const char* text, VariableLookup lookup, void* context);

#endif
