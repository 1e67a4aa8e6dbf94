// A text handed over by a command or a property read, freed when done.
#pragma once

#include <string>

#include "runtime/core/heap.h"

namespace app {

class OwnedText {
 public:
  explicit OwnedText(const char* text) : text_(const_cast<char*>(text)) {}
  ~OwnedText() { rt::FreeMemory(text_); }
  OwnedText(const OwnedText&) = delete;
  OwnedText& operator=(const OwnedText&) = delete;

  const char* get() const { return text_; }
  std::string str() const { return text_ != nullptr ? text_ : ""; }
  bool empty() const { return text_ == nullptr || text_[0] == '\0'; }

 private:
  char* text_;
};

}  // namespace app
