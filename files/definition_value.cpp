// A definition's value as a number: its low `size` bytes widened by its sign.
#include "files/definition_value.h"

int32_t definitionValue(const ParameterDefinition& def) {
  return widenStored(def.value, def.size, definitionSigned(def));
}
