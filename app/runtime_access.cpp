// The text operations and folder names of the entrance: they need no
// platform, so they build and are tested everywhere.
#include "app/runtime_access.h"

#include "runtime/commands/text_commands.h"
#include "runtime/core/heap.h"
#include "runtime/core/values.h"

namespace app {
namespace {

std::string SideOf(rt::CommandFn side, const char* text, int32_t count) {
  rt::ArgValue args[2] = {rt::ArgValue::Text(text), rt::ArgValue::Int(count)};
  return rt::TakeText(rt::CallCoreCommand(side, 2, args).AsText());
}

}  // namespace

const char* TextArgument(const rt::EventWord* args, int32_t count) {
  if (count < 1 || args[0] == 0) return nullptr;
  return *reinterpret_cast<char* const*>(args[0]);
}

int32_t TextBytes(const char* text) {
  rt::ArgValue arg = rt::ArgValue::Text(text);
  return rt::CallCoreCommand(rt::TextLength, 1, &arg).AsInt();
}

std::string LeftBytes(const char* text, int32_t count) { return SideOf(rt::LeftOfText, text, count); }

std::string RightBytes(const char* text, int32_t count) { return SideOf(rt::RightOfText, text, count); }

// Built with "\": the folder maker splits paths only there.
std::string OutFolder(const std::string& program_folder) { return program_folder + "\\out"; }

std::string AccountOutFolder(const std::string& program_folder, const std::string& account) {
  return OutFolder(program_folder) + "\\" + account;
}

}  // namespace app
