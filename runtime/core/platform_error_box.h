// Shows the composed runtime error report and waits until it is closed.
#pragma once

namespace rt::platform {

void ShowErrorBox(const char* text);

}  // namespace rt::platform
