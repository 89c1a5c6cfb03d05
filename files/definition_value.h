// A definition's value as a number: its low `size` bytes widened by its sign.
#pragma once
#include <cstdint>

#include "files/definitions.h"

// The value a data file or the module gave the definition, as the lists show it.
int32_t definitionValue(const ParameterDefinition& def);
