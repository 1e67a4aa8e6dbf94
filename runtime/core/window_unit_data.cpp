#include "runtime/core/window_unit_data.h"

#include "runtime/core/template_format.h"

namespace rt {
namespace {

// The stored order of the fields, for both directions. D is WindowUnitData
// for reading and const WindowUnitData for writing. Fields of later versions
// are absent from older data and keep their defaults.
template <class Stream, class D>
bool VisitWindowUnitData(Stream& s, D& d) {
  if (!s.I32(d.version) || d.version > kWindowUnitDataVersion) return false;
  if (!(s.I32(d.border_style) && s.I32(d.picture_mode) && s.U32(d.background_colour) &&
        s.I32(d.maximise_button) && s.I32(d.minimise_button) && s.I32(d.control_box) &&
        s.I32(d.start_position) && s.I32(d.close_button) && s.I32(d.property14) &&
        s.I32(d.enter_moves_focus) && s.I32(d.escape_closes) && s.I32(d.f1_opens_help) &&
        s.I32(d.help_topic))) {
    return false;
  }
  if (d.version >= 2 && !s.I32(d.own_taskbar_window)) return false;
  if (d.version >= 3 && !(s.I32(d.drag_by_body) && s.I32(d.property28))) return false;
  if (d.version >= 4 && !s.I32(d.always_on_top)) return false;
  if (d.version >= 5 && !s.I32(d.property30)) return false;
  if (d.version >= 6 && !s.CountedText(d.text31)) return false;
  return s.Block(d.background_picture) && s.Block(d.byte_block20) && s.Block(d.byte_block13) &&
         s.CountedText(d.caption) && s.CountedText(d.help_file) && s.End();
}

}  // namespace

bool ReadWindowUnitData(const std::vector<uint8_t>& type_data, WindowUnitData* data) {
  if (type_data.empty()) {
    *data = WindowUnitData();
    return true;
  }
  template_stream::Reader s(type_data.data(), type_data.size());
  WindowUnitData read;
  if (!VisitWindowUnitData(s, read)) return false;
  *data = std::move(read);
  return true;
}

std::vector<uint8_t> WriteWindowUnitData(const WindowUnitData& data) {
  template_stream::Writer s;
  VisitWindowUnitData(s, data);  // stops after the version word above 6
  return s.Bytes();
}

}  // namespace rt
