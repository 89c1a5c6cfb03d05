// Memory read and write field rules.
#include "system/memory_fields.h"

uint32_t memoryUnitBytes(uint8_t dataType) {
  return dataType == MEMORY_LONG ? 4 : dataType == MEMORY_WORD ? 2 : 1;
}

uint16_t memorySizeInUnits(uint16_t sizeInBytes, uint8_t dataType) {
  return static_cast<uint16_t>(sizeInBytes / memoryUnitBytes(dataType));
}

uint32_t memorySizeAfterTypeChange(uint32_t size, uint8_t newType) {
  if (newType == MEMORY_WORD && size > 0x7FFF) return 0;
  if (newType == MEMORY_LONG && size > 0x3FFF) return 0;
  return size;
}

bool memoryReadByteCount(uint32_t size, uint8_t dataType, uint16_t* byteCount) {
  uint64_t bytes = static_cast<uint64_t>(size) * memoryUnitBytes(dataType);
  if (bytes > 0xFFFF) return false;
  *byteCount = static_cast<uint16_t>(bytes);
  return true;
}

uint16_t memoryDataFormat(uint8_t dataType) {
  return dataType == MEMORY_LONG ? 0xC408 : dataType == MEMORY_WORD ? 0xC204 : 0xC002;
}

uint16_t memoryDataReadFormat(uint8_t dataType) {
  return dataType == MEMORY_LONG ? 0xC408 : dataType == MEMORY_WORD ? 0xC404 : 0xC402;
}

uint32_t memoryValueAfterTypeChange(uint32_t value, uint8_t newType) {
  if (newType == MEMORY_LONG) return value;
  uint32_t limit = newType == MEMORY_WORD ? 0xFFFF : 0xFF;
  return value > limit ? 0 : value;
}

uint16_t memoryWriteBytes(uint32_t value, uint8_t dataType, uint8_t out[4]) {
  uint32_t count = memoryUnitBytes(dataType);
  for (uint32_t k = 0; k < count; ++k) out[k] = static_cast<uint8_t>(value >> (8 * k));
  return static_cast<uint16_t>(count);
}
