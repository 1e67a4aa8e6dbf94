#include "tools/soak/soak_model.h"

#include <algorithm>
#include <iterator>
#include <set>

namespace soak {
namespace {

constexpr char kColon[] = "：";
constexpr char kVoiceEnd[] = ".slk：";
constexpr size_t kReportedLines = 10;

// Calls `line` with each line's key and value ("key=value"); lines without
// an "=" go to `torn`.
template <class Line>
void ForEachLine(const std::string& text, int* torn, Line line) {
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string whole = text.substr(at, end - at);
    at = end + 1;
    const size_t equals = whole.find('=');
    if (equals == std::string::npos) {
      if (!whole.empty()) ++*torn;
      continue;
    }
    line(whole.substr(0, equals), whole.substr(equals + 1));
  }
}

bool IsArgument(const std::string& key) {
  return key.size() > 3 && key.compare(0, 3, "arg") == 0 &&
         key.find_first_not_of("0123456789", 3) == std::string::npos;
}

bool IsKnownKey(const std::string& key) {
  static const char* const known[] = {"begin", "cmdline", "cwd", "show", "visible", "argc",
                                      "input", "ended", "end", "silent", "output-failed"};
  return IsArgument(key) || std::find_if(std::begin(known), std::end(known),
                                         [&key](const char* k) { return key == k; }) != std::end(known);
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

std::string NewMp3(const Voice& voice) { return "mp3 of [pcm of " + voice.path + "]"; }

void AddFaults(std::vector<Voice>* voices, size_t from, size_t to, int count, Fault fault, Draws* draws) {
  to = std::min(to, voices->size());
  for (int added = 0; added < count;) {
    size_t free = 0;
    for (size_t i = from; i < to; ++i) free += (*voices)[i].fault == Fault::kNone ? 1 : 0;
    if (free == 0) return;
    size_t pick = draws->Below(static_cast<uint32_t>(free));
    for (size_t i = from; i < to; ++i) {
      if ((*voices)[i].fault != Fault::kNone) continue;
      if (pick-- == 0) {
        (*voices)[i].fault = fault;
        ++added;
        break;
      }
    }
  }
}

std::vector<size_t> Choose(const std::vector<Voice>& voices, size_t from, size_t to, size_t count, Draws* draws) {
  to = std::min(to, voices.size());
  std::vector<size_t> pool;
  for (size_t i = from; i < to; ++i) pool.push_back(i);
  std::vector<size_t> chosen;
  while (chosen.size() < count && !pool.empty()) {
    const size_t at = draws->Below(static_cast<uint32_t>(pool.size()));
    chosen.push_back(pool[at]);
    pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(at));
  }
  std::sort(chosen.begin(), chosen.end());
  return chosen;
}

std::string FaultReason(Fault fault) {
  switch (fault) {
    case Fault::kDamaged: return "解码失败";
    case Fault::kHung: return "解码超时";
    case Fault::kNone: break;
  }
  return std::string();
}

std::string FailureLine(const Voice& voice, const std::string& reason) { return voice.path + kColon + reason; }

std::string ExpectedReport(int converted, const std::vector<std::string>& lines, const std::string& list_path) {
  if (lines.empty()) return "转换成功";
  std::string report = "转换完成：成功 " + std::to_string(converted) + " 个，失败 " + std::to_string(lines.size()) + " 个。";
  for (size_t i = 0; i < lines.size() && i < kReportedLines; ++i) report += "\r\n" + lines[i];
  // The program marks a list cut short so.
  if (lines.size() > kReportedLines) report += "\r\n……";
  return report + "\r\n失败列表：" + list_path;
}

std::string ExpectedList(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

std::string LineDifference(const std::string& got, const std::string& wanted) {
  const auto split = [](const std::string& text) {
    std::multiset<std::string> lines;
    for (size_t at = 0; at < text.size();) {
      size_t end = text.find("\r\n", at);
      if (end == std::string::npos) end = text.size();
      lines.insert(text.substr(at, end - at));
      at = end + 2;
    }
    return lines;
  };
  const std::multiset<std::string> a = split(got), b = split(wanted);
  const auto only = [](const std::multiset<std::string>& in, const std::multiset<std::string>& not_in) {
    std::vector<std::string> lines;
    std::set_difference(in.begin(), in.end(), not_in.begin(), not_in.end(), std::back_inserter(lines));
    std::string text = std::to_string(lines.size());
    for (size_t i = 0; i < lines.size() && i < 5; ++i) text += (i == 0 ? ": " : " | ") + lines[i];
    return text;
  };
  if (a == b) return "the same lines in another order";
  return "lines only there " + only(a, b) + "; lines only wanted " + only(b, a);
}

void CountDecoderLog(const std::string& text, LogCounts* counts) {
  ForEachLine(text, &counts->torn_lines, [counts](const std::string& key, const std::string& value) {
    if (key == "arg1") ++counts->decoder_starts[value];
    if (key == "ended") ++counts->decoder_ended[value];
    if (!IsKnownKey(key)) ++counts->torn_lines;
  });
}

void CountEncoderLog(const std::string& text, LogCounts* counts) {
  ForEachLine(text, &counts->torn_lines, [counts](const std::string& key, const std::string& value) {
    if (IsArgument(key) && EndsWith(value, ".mp3")) ++counts->encoder_starts[value];
    if (key == "input") ++counts->encoder_inputs[value];
    if (key == "ended") ++counts->encoder_ended;
    if (!IsKnownKey(key)) ++counts->torn_lines;
  });
}

std::string CheckStoppedList(const std::vector<Voice>& voices, const std::string& list, bool list_exists,
                             size_t finished_at_least, size_t in_flight) {
  std::map<std::string, size_t> index;
  for (size_t i = 0; i < voices.size(); ++i) index[voices[i].path] = i;
  std::set<size_t> listed;
  size_t last = 0;
  for (size_t at = 0; at < list.size();) {
    const size_t end = list.find("\r\n", at);
    if (end == std::string::npos) return "the list does not end in CRLF";
    const std::string line = list.substr(at, end - at);
    at = end + 2;
    const size_t voice_end = line.find(kVoiceEnd);
    const auto found = voice_end == std::string::npos
                           ? index.end()
                           : index.find(line.substr(0, voice_end + sizeof ".slk" - 1));
    if (found == index.end()) return "a line that names no voice file: " + line;
    const Voice& voice = voices[found->second];
    if (voice.fault == Fault::kNone) return "a good file listed: " + line;
    if (line != FailureLine(voice, FaultReason(voice.fault))) return "a wrong reason: " + line;
    if (!listed.empty() && found->second <= last) return "out of collection order or twice: " + line;
    last = found->second;
    listed.insert(found->second);
  }
  if (list_exists && listed.empty()) return "an empty list file";
  size_t missing = 0;
  std::string first;
  for (size_t i = 0; i < finished_at_least && i < voices.size(); ++i) {
    if (voices[i].fault == Fault::kNone || listed.count(i) != 0) continue;
    if (missing++ == 0) first = voices[i].path;
  }
  if (missing > in_flight) {
    return std::to_string(missing) + " faulty files of the first " + std::to_string(finished_at_least) +
           " finished are not listed (" + first + " the first)";
  }
  return std::string();
}

}  // namespace soak
