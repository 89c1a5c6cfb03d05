// The one interface through which the core reaches a person. The front end sets it
// once at start-up: the desktop program with the string table and MessageBoxW,
// qzctl with English texts on stderr, tests with scripted answers.
#pragma once
#include <cstdint>

using OwnerHandle = void*;   // opaque window handle of the front end

// Styles and answers use the Win32 values so the desktop program passes them on.
constexpr uint32_t PROMPT_OK = 0x0000;
constexpr uint32_t PROMPT_YESNO = 0x0004;
constexpr uint32_t PROMPT_ICON_ERROR = 0x0010;
constexpr uint32_t PROMPT_ICON_QUESTION = 0x0020;
constexpr uint32_t PROMPT_ICON_WARNING = 0x0030;
constexpr uint32_t PROMPT_ICON_INFORMATION = 0x0040;
constexpr uint32_t PROMPT_DEFAULT_BUTTON2 = 0x0100;
constexpr uint16_t ANSWER_OK = 1;
constexpr uint16_t ANSWER_CANCEL = 2;
constexpr uint16_t ANSWER_YES = 6;
constexpr uint16_t ANSWER_NO = 7;

struct PromptInterface {
  // Shows string `textId` (0: no text) followed by `extra` (ASCII or UTF-8, may be
  // null), with caption string `captionId` (0: no caption); returns the answer.
  uint16_t (*showMessage)(OwnerHandle owner, uint16_t textId, const char* extra,
                          uint16_t captionId, uint32_t style);
  // The module status changed: repaint whatever shows it.
  void (*statusChanged)();
  // Post a notification to the main window (message, wParam, lParam).
  void (*postNotification)(uint32_t message, uintptr_t wParam, intptr_t lParam);
};

// Without a front end every message answers No / OK and notices go nowhere.
void setPromptInterface(const PromptInterface* prompt);
uint16_t promptMessage(OwnerHandle owner, uint16_t textId, const char* extra,
                       uint16_t captionId, uint32_t style);
void promptStatusChanged();
void promptPostNotification(uint32_t message, uintptr_t wParam, intptr_t lParam);
