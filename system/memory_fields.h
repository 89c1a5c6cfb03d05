// What the memory read and write dialogs decide about their fields: the number
// formats per data type, the size and data rules when the type changes, the byte
// count of a read and the bytes of a write. Portable.
#pragma once
#include <cstdint>

enum MemoryDataType : uint8_t { MEMORY_BYTE = 0, MEMORY_WORD = 1, MEMORY_LONG = 2 };

constexpr uint16_t MEMORY_ADDRESS_FORMAT = 0xC408;   // eight hexadecimal digits
constexpr uint16_t MEMORY_SIZE_FORMAT = 0x205;       // up to five decimal digits, u16

// Bytes in one value of the type: 1, 2 or 4 (a type outside 0..2 counts as byte).
uint32_t memoryUnitBytes(uint8_t dataType);

// Memory read. The size field counts values of the data type.
// The kept byte count shown in units of the type.
uint16_t memorySizeInUnits(uint16_t sizeInBytes, uint8_t dataType);
// The size after the type changed to `newType`: a number too large for the new
// type becomes 0; it is never converted between units.
uint32_t memorySizeAfterTypeChange(uint32_t size, uint8_t newType);
// The byte count of a read of `size` values; false when it does not fit 16 bits
// (the read is then refused, never wrapped).
bool memoryReadByteCount(uint32_t size, uint8_t dataType, uint16_t* byteCount);

// Memory write. The data field shows the value in the type's own width and is read
// into 32 bits with the old type's width when the type changes.
uint16_t memoryDataFormat(uint8_t dataType);          // 0xC002, 0xC204, 0xC408
uint16_t memoryDataReadFormat(uint8_t dataType);      // 0xC402, 0xC404, 0xC408
// The value after the type changed: above 0xFF for byte or 0xFFFF for word is 0.
uint32_t memoryValueAfterTypeChange(uint32_t value, uint8_t newType);
// The bytes of a write, least significant first; returns their count (1, 2 or 4).
uint16_t memoryWriteBytes(uint32_t value, uint8_t dataType, uint8_t out[4]);
