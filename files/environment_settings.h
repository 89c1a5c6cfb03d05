// The environment settings dialog's logic: reading the interval and storing the
// units and the value format word; the dialog only moves values.
#pragma once
#include <cstdint>

#include "link/prompt.h"

constexpr uint16_t INTERVAL_FORMAT = 0x0205;   // unsigned 16-bit decimal, 5 characters
constexpr int INTERVAL_MAX_CHARS = 5;

// The interval field's text as an unsigned 16-bit decimal of 1 to 5 characters
// (blanks allowed around it). true and *interval on success.
bool parseRepeatInterval(const char* text, uint16_t* interval);

// "設定": stores both unit indices at once; then, when the interval reads, stores
// it and the value format word of the command unit and returns 1 (the caller
// rebuilds the unit labels). Otherwise shows IDS_INVALID_INPUT and returns 0, leaving the
// interval and the value format word as they were. Indices out of range count as 0.
uint16_t confirmEnvironmentSettings(OwnerHandle owner, const char* intervalText,
                                    int displayUnit, int commandUnit);
