// Keyboard text entry: the window procedure stores typed characters and mapped cursor
// keys in a ring, and the message pump applies them to the active text-input handle, an
// editable Shift-JIS string with a cursor. The IME stays off unless EnableIme (1).
#pragma once

#include <array>
#include <cstdint>
#include <memory>

namespace vexal {

inline constexpr int kCharRingSize = 1025;  // bytes of the ring; it holds at most 1024
inline constexpr int kTextInputSlots = 20;  // text-input handles 0 .. 19
inline constexpr int kImeCompositionBytes = 1024;
inline constexpr int kTextInputColours = 7;

// Codes the cursor keys put into the ring.
inline constexpr uint8_t kCodeDelete = 0x10;
inline constexpr uint8_t kCodeRight = 0x1C;
inline constexpr uint8_t kCodeLeft = 0x1D;
inline constexpr uint8_t kCodeUp = 0x1E;
inline constexpr uint8_t kCodeDown = 0x1F;

struct TextInputRecord {
  int32_t InUse = 0;               // slot taken
  int32_t Finished = 0;            // input ended (Enter or cancel)
  int32_t Cancelled = 0;           // ended by Escape
  int32_t Length = 0;              // bytes in the text
  int32_t Maximum = 0;             // largest length allowed
  int32_t Cursor = 0;              // byte position of the cursor, 0 .. Length
  std::unique_ptr<char[]> Buffer;  // Maximum + 2 bytes, zero-terminated text
  int32_t CancelAllowed = 0;       // Escape may end the input
  int32_t SingleByteOnly = 0;      // double-byte characters are refused
  int32_t DigitsOnly = 0;          // only '0' to '9', except at cursor position 0
};

struct TextInputStateRecord {
  std::array<uint8_t, kCharRingSize> CharRingBuffer{};  // typed bytes not yet applied
  int32_t RingRead = 0;                                 // next byte to take
  int32_t RingWrite = 0;                                // next byte to store
  std::array<TextInputRecord, kTextInputSlots> Records;
  int32_t ActiveHandle = -1;                             // handle receiving input, -1 none
  int32_t ImeEnabled = 0;                                // IME switched on for the main window
  std::unique_ptr<char[]> CandidateList;                 // IME candidate list, or null
  std::array<char, kImeCompositionBytes> Composition{};  // IME composition text
  int32_t Composing = 0;                                 // a composition is running
  std::array<uint32_t, kTextInputColours> Colours{};     // colours 1 .. 7 (nothing draws with them)
};

extern TextInputStateRecord TextInputState;

// Start-up: clears every text-input state and sets the seven colours.
void InitTextInput();

// The window procedure's side: one typed byte, or a key that may map to a cursor code.
// Nothing is stored while the ring is full.
void StoreInputChar(uint8_t byte);
void StoreInputKey(uint32_t virtual_key);

// Takes one character (1 or 2 bytes) into out; 0 when none is complete. With remove 0 the
// ring is left as it was.
int PopInputChar(char out[2], int remove);

// Applies pending characters to the active handle. 0.
int UpdateTextInput();

// Frees a handle. 0, or -1 when it is not in use (or out of range).
int DeleteTextInput(int handle);
// Shut-down: clears every handle, switches the IME off, no active handle.
void DeleteAllTextInput();

// Switches the main window's IME. 0.
int EnableIme(int flag);

// The library offers no way to make a handle; tests make one with this. It becomes the
// active handle. -1 when every slot is taken.
int CreateTextInputForTest(int maximum, int cancel_allowed, int single_byte_only, int digits_only);

}  // namespace vexal
