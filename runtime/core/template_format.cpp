#include "runtime/core/template_format.h"

namespace rt {
namespace {

using template_stream::Reader;
using template_stream::Writer;

// Lower bounds that keep every allocation proportional to the input.
// The shortest record is a menu item's: six words, three empty zero texts,
// three words and the handler offset.
constexpr size_t kMinRecordBytes = 24 + 3 + 12 + 4;
// A unit in a unit block: id, offset, record length and record.
constexpr size_t kMinUnitBytes = 12 + kMinRecordBytes;
// A window: its index id and slot, the entry's six words and one unit.
constexpr size_t kMinWindowBytes = 8 + 24 + kMinUnitBytes;

bool IndexSize(Reader& s, std::vector<WindowRecord>& windows) {
  int32_t index_size = 0;
  if (!s.I32(index_size) || index_size < 0 || index_size % 8 != 0) return false;
  const size_t count = static_cast<size_t>(index_size / 8);
  if (count > s.Left() / kMinWindowBytes) return false;
  windows.assign(count, WindowRecord());
  return true;
}

bool IndexSize(Writer& s, const std::vector<WindowRecord>& windows) {
  if (windows.size() > 0x7FFFFFFFu / 8) return s.Fail();
  return s.Size(windows.size() * 8);
}

// The unit block: N, Z, then Z bytes of ids, offsets and length-prefixed
// records. Only the framing differs between the directions; the records
// themselves go through VisitUnitRecord.
bool UnitBlock(Reader& s, std::vector<UnitRecord>& units) {
  int32_t count = 0;
  int32_t block_size = 0;
  if (!s.I32(count) || !s.I32(block_size) || count < 1 || block_size < 0) return false;
  Reader block(nullptr, 0);
  if (!s.Take(static_cast<size_t>(block_size), block)) return false;
  const size_t n = static_cast<size_t>(count);
  if (n > block.Left() / kMinUnitBytes) return false;

  units.assign(n, UnitRecord());
  for (UnitRecord& u : units) {
    if (!block.U32(u.id)) return false;
  }
  std::vector<uint32_t> offsets(n);
  for (uint32_t& offset : offsets) {
    if (!block.U32(offset)) return false;
  }
  // Records must follow one another in unit order with no gap: the only
  // layout the writer can reproduce.
  const size_t records_size = block.Left();
  for (size_t i = 0; i < n; ++i) {
    const size_t position = records_size - block.Left();
    uint32_t length = 0;
    Reader record(nullptr, 0);
    if (offsets[i] != position || !block.U32(length) || !block.Take(length, record)) return false;
    if (!template_stream::VisitUnitRecord(record, units[i]) || !record.AtEnd()) return false;
  }
  return block.AtEnd();
}

bool UnitBlock(Writer& s, const std::vector<UnitRecord>& units) {
  if (units.empty()) return s.Fail();
  std::vector<std::vector<uint8_t>> records;
  records.reserve(units.size());
  size_t block_size = 8 * units.size();
  for (const UnitRecord& u : units) {
    Writer record;
    if (!template_stream::VisitUnitRecord(record, u) || !record.Ok()) return s.Fail();
    records.push_back(record.Bytes());
    block_size += 4 + records.back().size();
    if (block_size > 0x7FFFFFFFu) return s.Fail();
  }
  s.Size(units.size());
  s.Size(block_size);
  for (const UnitRecord& u : units) s.U32(u.id);
  uint32_t offset = 0;
  for (const std::vector<uint8_t>& r : records) {
    s.U32(offset);
    offset += static_cast<uint32_t>(4 + r.size());
  }
  for (const std::vector<uint8_t>& r : records) {
    s.Size(r.size());
    s.Append(r);
  }
  return true;
}

template <class Stream, class W>
bool VisitWindowEntry(Stream& s, W& w) {
  return s.U32(w.word_a) && s.U32(w.word_b) && s.CountedText(w.text1) &&
         s.CountedText(w.text2) && UnitBlock(s, w.units);
}

// The whole stream: index, then the window entries in index order.
template <class Stream, class Windows>
bool VisitTemplate(Stream& s, Windows& windows) {
  if (!IndexSize(s, windows)) return false;
  for (auto& w : windows) {
    if (!s.U32(w.id)) return false;
  }
  for (auto& w : windows) {
    if (!s.U32(w.index_slot)) return false;
  }
  for (auto& w : windows) {
    if (!VisitWindowEntry(s, w)) return false;
  }
  return s.End();
}

bool ResolveOne(EventBinding& e, int32_t handler_count) {
  if (e.offset == -1) {
    e.handler = kNoHandler;
    return true;
  }
  if (e.offset < 0 || e.offset % 4 != 0 || e.offset / 4 >= handler_count) return false;
  e.handler = e.offset / 4;
  return true;
}

}  // namespace

bool ReadWindowTemplate(const uint8_t* data, size_t size, std::vector<WindowRecord>* windows) {
  if (data == nullptr && size != 0) return false;
  Reader s(data, size);
  std::vector<WindowRecord> read;
  if (!VisitTemplate(s, read)) return false;
  *windows = std::move(read);
  return true;
}

std::vector<uint8_t> WriteWindowTemplate(const std::vector<WindowRecord>& windows) {
  Writer s;
  if (!VisitTemplate(s, windows) || !s.Ok()) return {};
  return s.Bytes();
}

bool ResolveHandlers(std::vector<WindowRecord>& windows, int32_t handler_count) {
  for (WindowRecord& w : windows) {
    for (UnitRecord& u : w.units) {
      if (u.IsMenuItem()) {
        if (!ResolveOne(u.menu_event, handler_count)) return false;
        continue;
      }
      for (EventBinding& e : u.events) {
        if (!ResolveOne(e, handler_count)) return false;
      }
    }
  }
  return true;
}

}  // namespace rt
