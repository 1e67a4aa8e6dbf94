// The file commands the application's own walks stand on, on real folders:
// the wide entry search, the file system's name key, the folder probe and
// the signals a worker's wait can take.
#include "runtime/commands/folder_entries.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "runtime/commands/shell_commands.h"
#include "runtime/commands/system_commands.h"
#include "runtime/commands/threads.h"
#include "runtime/core/heap.h"
#include "tests/support/console_program.h"
#include "tests/support/temp_dir.h"

namespace rt {
namespace {

struct Entry {
  uint32_t attributes;
  bool usable;
};

// Every entry of `pattern` but "." and "..", by name.
std::map<std::string, Entry> Entries(const std::string& pattern) {
  std::map<std::string, Entry> entries;
  int32_t handle = 0;
  for (const char* p = pattern.c_str();; p = nullptr) {
    int32_t attributes = 0;
    int32_t usable = 0;
    ArgValue args[4] = {p != nullptr ? ArgValue::Text(p) : ArgValue::Omitted(), ArgValue::Address(&handle, kTagInt),
                        ArgValue::Address(&attributes, kTagInt), ArgValue::Address(&usable, kTagInt)};
    char* name = const_cast<char*>(CallCoreCommand(FindEntry, 4, args).AsText());
    if (name == nullptr) break;
    const std::string n = name;
    FreeMemory(name);
    if (n != "." && n != "..") entries[n] = {static_cast<uint32_t>(attributes), usable != 0};
  }
  EXPECT_EQ(0, handle) << "closed at its end";
  return entries;
}

std::string Key(const wchar_t* name) {
  const std::string ansi = [name] {
    char buffer[64] = {};
    WideCharToMultiByte(CP_ACP, 0, name, -1, buffer, sizeof buffer, nullptr, nullptr);
    return std::string(buffer);
  }();
  ArgValue arg = ArgValue::Text(ansi.c_str());
  char* key = const_cast<char*>(CallCoreCommand(FileNameKey, 1, &arg).AsText());
  const std::string copy = key != nullptr ? key : "";
  FreeMemory(key);
  return copy;
}

TEST(FolderEntriesTest, EveryEntryWithItsAttributesAndANameThatNamesIt) {
  test_support::ScopedTempDir dir;
  const std::string hidden = dir.WriteFile("h.slk", "x");
  SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
  dir.WriteFile("语音.slk", "x");
  dir.MakeDir("x.slk");
  // Korean: not in code page 936.
  ASSERT_TRUE(test_support::WriteWhole(test_support::Widen(dir.path()) + L"\\\xD55C\xAD6D.slk", "x"));

  const std::map<std::string, Entry> entries = Entries(dir.path() + "\\*.slk");
  ASSERT_EQ(4u, entries.size());
  EXPECT_EQ(static_cast<uint32_t>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY),
            entries.at("h.slk").attributes & 0x7);
  EXPECT_TRUE(entries.at("语音.slk").usable);
  EXPECT_EQ(kEntryFolder, entries.at("x.slk").attributes & kEntryFolder);
  // The Korean name comes by its short form, which opens the same file.
  std::string short_name;
  for (const auto& e : entries) {
    if (e.first != "h.slk" && e.first != "语音.slk" && e.first != "x.slk") short_name = e.first;
  }
  ASSERT_FALSE(short_name.empty());
  EXPECT_NE(std::string::npos, short_name.find('~')) << short_name;
  EXPECT_TRUE(entries.at(short_name).usable);
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((dir.path() + "\\" + short_name).c_str()));
  SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_NORMAL);

  EXPECT_TRUE(Entries(dir.path() + "\\none\\*.*").empty());
}

TEST(FolderEntriesTest, NamesTheFileSystemTakesForOneHaveOneKey) {
  EXPECT_EQ(Key(L"\xFF21" L"1.amr"), Key(L"\xFF41" L"1.amr")) << "full-width A and a";
  EXPECT_EQ(Key(L"\x03A3.amr"), Key(L"\x03C3.amr")) << "Greek sigma";
  EXPECT_EQ(Key(L"\x0414.amr"), Key(L"\x0434.amr")) << "Cyrillic De";
  EXPECT_EQ(Key(L"Msg.amr"), Key(L"MSG.AMR"));
  EXPECT_NE(Key(L"\xFF21" L"1.amr"), Key(L"A1.amr")) << "full-width and plain are two names";
  EXPECT_NE(Key(L"\x8BED\x97F3.amr"), Key(L"\x8BED\x97F4.amr"));
}

TEST(FolderEntriesTest, AFolderIsProbedByWritingAndMadeOneLevelAtATime) {
  test_support::ScopedTempDir dir;
  auto probe = [](const std::string& folder) {
    ArgValue arg = ArgValue::Text(folder.c_str());
    return CallCoreCommand(ProbeFolder, 1, &arg).AsInt();
  };
  auto create = [](const std::string& folder) {
    ArgValue arg = ArgValue::Text(folder.c_str());
    return CallCoreCommand(CreateFolder, 1, &arg).AsInt();
  };
  EXPECT_EQ(kFolderWritable, probe(dir.path()));
  EXPECT_EQ(kFolderNotWritable, probe(dir.path() + "\\none"));
  // Room is judged by what a job needs, not by a fixed amount.
  ArgValue needing[2] = {ArgValue::Text(dir.path().c_str()), ArgValue::Int64(int64_t{1} << 60)};
  EXPECT_EQ(kFolderFull, CallCoreCommand(ProbeFolder, 2, needing).AsInt()) << "more than any disk has";
  needing[1] = ArgValue::Int64(4096);
  EXPECT_EQ(kFolderWritable, CallCoreCommand(ProbeFolder, 2, needing).AsInt());
  EXPECT_EQ(0, create(dir.path() + "\\a\\b")) << "its parent is missing";
  EXPECT_EQ(1, create(dir.path() + "\\a"));
  EXPECT_EQ(0, create(dir.path() + "\\a")) << "already there";
  EXPECT_EQ(1, create(dir.path() + "\\a\\b"));
  // The probe leaves nothing behind.
  EXPECT_EQ((std::vector<std::wstring>{L"a"}), test_support::Names(test_support::Widen(dir.path())));
}

TEST(FolderEntriesTest, ARaisedSignalEndsAWaitForProgramsAsItsIndex) {
  const int32_t signal = CallLibraryCommand(NewSignal, 0, nullptr).AsInt();
  ASSERT_NE(0, signal);
  int32_t handles[1] = {signal};
  ArgValue wait[3] = {ArgValue::Int(1), ArgValue::Address(handles, kTagInt), ArgValue::Int(0)};
  EXPECT_EQ(-1, CallLibraryCommand(WaitForPrograms, 3, wait).AsInt()) << "not raised yet";
  ArgValue arg = ArgValue::Int(signal);
  CallLibraryCommand(RaiseSignal, 1, &arg);
  EXPECT_EQ(0, CallLibraryCommand(WaitForPrograms, 3, wait).AsInt());
  EXPECT_EQ(0, CallLibraryCommand(WaitForPrograms, 3, wait).AsInt()) << "it stays raised";
  CallLibraryCommand(CloseSignal, 1, &arg);
}

}  // namespace
}  // namespace rt
