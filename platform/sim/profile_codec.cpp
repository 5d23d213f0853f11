#include "platform/sim/profile_codec.h"

static int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

static int32_t HexByte(const char* text, uint8_t* byte) {
  int high = HexValue(text[0]);
  int low = high < 0 ? -1 : HexValue(text[1]);
  if (low < 0) return 0;
  *byte = static_cast<uint8_t>(high * 16 + low);
  return 1;
}

int32_t DecodeProfileStruct(const char* text, void* data, uint32_t size) {
  // Length first, so that nothing is read past the text's end.
  uint64_t length = 0;
  while (text[length] != 0 && length <= 2ull * size + 2) length++;
  if (length != 2ull * size + 2) return 0;
  uint8_t sum = 0;
  for (uint32_t i = 0; i < size; i++) {
    uint8_t byte;
    if (!HexByte(text + 2 * i, &byte)) return 0;
    sum = static_cast<uint8_t>(sum + byte);
  }
  uint8_t stored;
  if (!HexByte(text + 2ull * size, &stored) || stored != sum) return 0;
  uint8_t* out = static_cast<uint8_t*>(data);
  for (uint32_t i = 0; i < size; i++) HexByte(text + 2 * i, &out[i]);
  return 1;
}

int32_t ParseProfileInt(const char* text) {
  while (*text == ' ' || *text == '\t') text++;
  bool negative = *text == '-';
  if (*text == '-' || *text == '+') text++;
  uint32_t base = 10;
  if (text[0] == '0') {
    switch (text[1]) {
      case 'x': case 'X': base = 16; break;
      case 'o': case 'O': base = 8; break;
      case 'b': case 'B': base = 2; break;
    }
    if (base != 10) text += 2;
  }
  uint32_t value = 0;
  for (;; text++) {
    int digit = HexValue(*text);
    if (digit < 0 || static_cast<uint32_t>(digit) >= base) break;
    value = value * base + static_cast<uint32_t>(digit);
  }
  return static_cast<int32_t>(negative ? 0u - value : value);
}

