#include "app/account_listing.h"

namespace app {

bool IsAllDigits(const char* text) {
  if (text == nullptr || *text == '\0') return false;
  for (const char* p = text; *p != '\0'; ++p) {
    // Bytes of 128 and above count as negative, and so are no digits.
    const signed char byte = static_cast<signed char>(*p);
    if (byte < '0' || byte > '9') return false;
  }
  return true;
}

bool IsWeChatAccountName(const std::string& name) { return name.size() >= kWeChatAccountBytes; }

}  // namespace app
