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
  return ReadStoredData(bytes, size, 0, kTransLabelDataVersion, data, [](StoredDataReader& r, TransLabelData& d) {
    d.text_effect = Clamp(r.Word(), kEffectNone, kEffectShadow);
    d.text_colour = static_cast<uint32_t>(r.Word());
    d.horizontal_align = Clamp(r.Word(), 0, 2);
    d.vertical_align = Clamp(r.Word(), 0, 2);
    d.word_wrap = r.Word();
    d.font = r.Counted();
    d.caption = r.Counted();
  });
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
  // The platform's DrawText flags.
  constexpr uint32_t kCentre = 0x1, kRight = 0x2, kVerticalCentre = 0x4, kBottom = 0x8;
  constexpr uint32_t kWordBreak = 0x10, kSingleLine = 0x20, kNoClip = 0x100;
  uint32_t format = kNoClip;
  if (d.horizontal_align == 1) format |= kCentre;
  if (d.horizontal_align == 2) format |= kRight;
  if (d.word_wrap == 1) {
    format |= kWordBreak | kVerticalCentre;
  } else {
    format |= kSingleLine;
    if (d.vertical_align == 1) format |= kVerticalCentre;
    if (d.vertical_align == 2) format |= kBottom;
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
