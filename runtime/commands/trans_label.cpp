#include "runtime/commands/trans_label.h"

#include "runtime/commands/stored_data.h"

namespace rt {
namespace {

int32_t Clamp(int64_t v, int32_t low, int32_t high) {
  return static_cast<int32_t>(v < low ? low : (v > high ? high : v));
}

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;

}  // namespace

bool ReadTransLabelData(const uint8_t* bytes, size_t size, TransLabelData* data) {
  if (bytes == nullptr || size == 0) {
    *data = TransLabelData();
    return true;
  }
  StoredDataReader r(bytes, size);
  TransLabelData d;
  d.version = r.Word();
  if (!r.ok() || d.version < 0 || d.version > kTransLabelDataVersion) return false;
  d.text_effect = Clamp(r.Word(), kEffectNone, kEffectShadow);
  d.text_colour = static_cast<uint32_t>(r.Word());
  d.horizontal_align = Clamp(r.Word(), 0, 2);
  d.vertical_align = Clamp(r.Word(), 0, 2);
  d.word_wrap = r.Word();
  d.font = r.Counted();
  d.caption = r.Counted();
  if (!r.ok()) return false;
  *data = d;
  return true;
}

std::vector<uint8_t> WriteTransLabelData(const TransLabelData& d) {
  StoredDataWriter w;
  w.Word(d.version);
  w.Word(d.text_effect);
  w.Word(static_cast<int32_t>(d.text_colour));
  w.Word(d.horizontal_align);
  w.Word(d.vertical_align);
  w.Word(d.word_wrap);
  w.Counted(d.font);
  w.Counted(d.caption);
  return w.bytes();
}

bool SetTransLabelProperty(TransLabelData* d, int32_t index, const RawValue& value) {
  switch (index) {
    case kLabelCaption: d->caption = value.bytes; return true;
    case kLabelTextEffect: d->text_effect = Clamp(value.number, kEffectNone, kEffectShadow); return true;
    case kLabelFont: d->font = value.bytes; return true;
    case kLabelTextColour: d->text_colour = static_cast<uint32_t>(value.number); return true;
    case kLabelHorizontalAlign: d->horizontal_align = Clamp(value.number, 0, 2); return true;
    case kLabelWordWrap: d->word_wrap = value.number != 0 ? 1 : 0; return true;
    case kLabelVerticalAlign: d->vertical_align = Clamp(value.number, 0, 2); return true;
    default: return false;
  }
}

bool GetTransLabelProperty(const TransLabelData& d, int32_t index, RawValue* value) {
  switch (index) {
    case kLabelCaption: value->bytes = d.caption; return true;
    case kLabelTextEffect: value->number = d.text_effect; return true;
    case kLabelFont: value->bytes = d.font; return true;
    case kLabelTextColour: value->number = d.text_colour; return true;
    case kLabelHorizontalAlign: value->number = d.horizontal_align; return true;
    case kLabelWordWrap: value->number = d.word_wrap; return true;
    case kLabelVerticalAlign: value->number = d.vertical_align; return true;
    default: return false;
  }
}

uint32_t TransLabelTextFormat(const TransLabelData& d) {
  uint32_t format = 0x100;  // DT_NOCLIP
  if (d.horizontal_align == 1) format |= 0x1;  // DT_CENTER
  if (d.horizontal_align == 2) format |= 0x2;  // DT_RIGHT
  if (d.word_wrap == 1) {
    format |= 0x14;  // DT_WORDBREAK | DT_VCENTER
  } else {
    format |= 0x20;  // DT_SINGLELINE
    if (d.vertical_align == 1) format |= 0x4;  // DT_VCENTER
    if (d.vertical_align == 2) format |= 0x8;  // DT_BOTTOM
  }
  return format;
}

std::vector<LabelTextPass> TransLabelPasses(const TransLabelData& d) {
  const uint32_t text = d.text_colour;
  switch (d.text_effect) {
    case kEffectRaised: return {{1, 1, kWhite}, {0, 0, text}};
    case kEffectSunken: return {{0, 0, kWhite}, {1, 1, text}};
    case kEffectShadow: return {{2, 2, kBlack}, {0, 0, text}};
    default: return {{0, 0, text}};
  }
}

}  // namespace rt
