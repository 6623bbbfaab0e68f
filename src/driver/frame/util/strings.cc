#include "driver/frame/util/strings.h"

#include <cstring>

namespace vv::driver {

char* mvbtrStrRemoveQuotes(char* text) {
  std::size_t n = std::strlen(text);
  if (n >= 2 && (text[0] == '"' || text[0] == '\'') && text[n - 1] == text[0]) {
    std::memmove(text, text + 1, n - 2);
    text[n - 2] = '\0';
  }
  return text;
}

char* mvbtrStrUpper(char* text) {
  for (char* p = text; *p != '\0'; ++p) {
    if (*p >= 'a' && *p <= 'z') *p = static_cast<char>(*p - 'a' + 'A');
  }
  return text;
}

char* mvbtrStrTrimRight(char* text) {
  std::size_t n = std::strlen(text);
  while (n > 0 && text[n - 1] == ' ') --n;
  text[n] = '\0';
  return text;
}

char* mvbtrStrTrim(char* text) {
  std::size_t lead = 0;
  while (text[lead] == ' ') ++lead;
  if (lead > 0) std::memmove(text, text + lead, std::strlen(text + lead) + 1);
  return mvbtrStrTrimRight(text);
}

char* mvbtrStrPad(char* text, char c, std::size_t length) {
  std::size_t n = std::strlen(text);
  if (n < length) {
    std::memset(text + n, c, length - n);
    text[length] = '\0';
  }
  return text;
}

void mvbtrStrCopy(char* buffer, std::size_t size, const char* text) {
  if (size == 0) return;
  std::size_t n = std::strlen(text);
  if (n >= size) n = size - 1;
  std::memcpy(buffer, text, n);
  buffer[n] = '\0';
}

}  // namespace vv::driver
