#include "runtime/core/runtime_error.h"

#include <cstdio>

#include "runtime/core/platform_error_box.h"
#include "runtime/core/registry.h"
#include "runtime/core/runtime_state.h"
#include "runtime/core/shutdown.h"

namespace rt {
namespace {

const char* const kErrorTable[] = {
    nullptr,
    "数组成员引用下标超出定义范围",
    "未得到所需要的数值型数据",
    "引用数组成员时维数不为1且不等于该数组目前所具有的维数",
    "数组成员引用下标必须大于等于1",
    "数据或数组类型不匹配",
    "调用DLL命令后发现堆栈错误",
    "子语句参数未返回数据或者返回了非系统基本类型或数组型数据",
    "被比较数据只能使用等于或不等于命令比较",
    "“多项选择”命令的索引值参数小于零或超出了所提供参数表范围",
    "“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零",
    "所提供参数的数据类型不符合要求",
};

void AppendQuoted(std::string& out, const std::string& text) {
  out += "\r\n\"";
  out += text;
  out += '"';
}

}  // namespace

const char* RuntimeErrorMessage(int32_t index) {
  constexpr int32_t count = static_cast<int32_t>(sizeof kErrorTable / sizeof kErrorTable[0]);
  return index >= 0 && index < count ? kErrorTable[index] : nullptr;
}

std::string ComposeErrorDetail(int32_t location1, int32_t location2) {
  char numbers[32];
  std::snprintf(numbers, sizeof numbers, "\r\n%d, %d", location1, location2);
  std::string detail = numbers;
  const uint32_t first = static_cast<uint32_t>(location1);
  if (location1 != 0 && IdKind(first) == kKindWindow) {
    Window* window = LookupWindow(first);
    if (window == nullptr) {
      detail += "\r\n未找到所指定的窗口";
    } else {
      UnitRecord* own = FindUnit(*window, 0);
      AppendQuoted(detail, own != nullptr ? own->tag : std::string());
      UnitRecord* unit = FindUnit(*window, static_cast<uint32_t>(location2));
      if (unit != nullptr && !unit->IsMenuItem()) {
        AppendQuoted(detail, unit->tag);
      } else {
        detail += "\r\n未找到所指定的窗口组件";
      }
    }
  }
  detail += "\r\n";
  return detail;
}

std::string ComposeErrorBoxText(int32_t code, const char* message, const std::string& detail) {
  std::string text = "运行时出错!\r\n";
  if (code != 0) {
    char line[40];
    std::snprintf(line, sizeof line, "\r\n错误代码：%d\r\n", code);
    text += line;
  }
  if (message != nullptr && *message != '\0') {
    text += "\r\n错误信息：";
    text += message;
    text += "\r\n";
  }
  text += detail;
  return text;
}

void ReportErrorMessage(const char* message, int32_t code, int32_t location1, int32_t location2) {
  RuntimeState& state = Runtime();
  ++state.suspension;  // from here on no event reaches a handler
  const std::string detail = ComposeErrorDetail(location1, location2);
  bool handled = false;
  if (state.error_handler != nullptr && !state.error_handler_running) {
    state.error_handler_running = true;
    const std::string offered = std::string(message != nullptr ? message : "") + detail;
    handled = state.error_handler(code, offered.c_str()) != 0;
    state.error_handler_running = false;
  }
  if (!handled) platform::ShowErrorBox(ComposeErrorBoxText(code, message, detail).c_str());
  DiscardExitRoutines();
  ExitProgram(-1);
}

void ReportRuntimeError(int32_t index, int32_t location1, int32_t location2) {
  ReportErrorMessage(RuntimeErrorMessage(index), index, location1, location2);
}

}  // namespace rt
