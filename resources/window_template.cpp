#include "resources/window_template.h"

namespace res {

const unsigned char kWindowTemplate[] = {
#include "resources/generated/window_template.inc"
};

const uint32_t kWindowTemplateSize = sizeof kWindowTemplate;

}  // namespace res
