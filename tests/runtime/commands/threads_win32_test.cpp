#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

#include "runtime/commands/text_commands.h"
#include "runtime/commands/threads.h"
#include "runtime/core/entry_operations.h"
#include "runtime/core/heap.h"
#include "runtime/core/thread_stop.h"
#include "runtime/core/values.h"
#include "tests/support/temp_dir.h"

namespace rt {
namespace {

constexpr DWORD kStopped = 0xFFFFFFFFu;

// What the worker subroutines of these tests report back.
struct Observed {
  std::atomic<uintptr_t> parameter{0xDEAD};
  std::atomic<int> steps{0};
  std::atomic<bool> ready{false};
  std::atomic<bool> proceed{false};
  std::atomic<bool> after{false};
  std::atomic<bool> past_stretch{false};
  std::atomic<bool> cut_short{false};
  std::atomic<bool> box_returned{false};
} g_seen;

void Reset() {
  g_seen.parameter = 0xDEAD;
  g_seen.steps = 0;
  g_seen.ready = false;
  g_seen.proceed = false;
  g_seen.after = false;
  g_seen.past_stretch = false;
  g_seen.cut_short = false;
  g_seen.box_returned = false;
}

// The workers below are declared with the convention StartThread runs them by.
ArgValue Subroutine(WorkerRoutine routine) {
  return ArgValue::Address(reinterpret_cast<const void*>(routine), kTagSubroutine);
}
ArgValue VariableRef(int32_t* variable) { return ArgValue::Address(variable, kTagInt); }

bool Start(ArgValue* args, int32_t argc) {
  return CallLibraryCommand(StartThread, argc, args).AsInt() != 0;
}
bool Kill(int32_t handle) {
  ArgValue arg = ArgValue::Int(handle);
  return CallLibraryCommand(KillThread, 1, &arg).AsInt() != 0;
}
HANDLE AsHandle(int32_t value) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(value)); }

DWORD ExitCode(HANDLE thread) {
  DWORD code = 0;
  GetExitCodeThread(thread, &code);
  return code;
}

template <class F>
bool WaitUntil(F done, DWORD ms = 5000) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    Sleep(1);
  }
  return true;
}

uint32_t RT_THREAD_ROUTINE RecordParameter(void* parameter) {
  g_seen.parameter = reinterpret_cast<uintptr_t>(parameter);
  while (!g_seen.proceed) Sleep(1);
  return static_cast<DWORD>(reinterpret_cast<uintptr_t>(parameter)) * 2;
}

// A text command through the core gate, its result freed: allocation and
// release in a tight loop, with a safe point in every round.
uint32_t RT_THREAD_ROUTINE AllocateInALoop(void*) {
  for (;;) {
    ArgValue args[2] = {ArgValue::Text("abcdefghijklmnopqrstuvwxyz"), ArgValue::Int(13)};
    ArgValue left = CallCoreCommand(LeftOfText, 2, args);
    FreeMemory(const_cast<char*>(left.AsText()));
    void* block = AllocateMemory(64 + (g_seen.steps % 512));
    FreeMemory(block);
    ++g_seen.steps;
  }
}

// Marks that the worker is past the gate's first safe point: a stop from
// here on has to cut the pause short.
void PauseCommand(ArgValue*, int32_t, ArgValue* args) {
  g_seen.ready = true;
  if (!PauseOrStop(args[0].AsInt())) g_seen.cut_short = true;
}

uint32_t RT_THREAD_ROUTINE PauseOneMinute(void*) {
  ArgValue ms = ArgValue::Int(60000);
  CallLibraryCommand(PauseCommand, 1, &ms);
  g_seen.after = true;
  return 0;
}

void BoxCommand(ArgValue* result, int32_t, ArgValue* args) {
  const int32_t answer = MessageBoxA(nullptr, "thread box", "信息：", args[0].AsInt());
  g_seen.box_returned = true;
  std::memcpy(result->payload, &answer, 4);
}

// Calls commands until told to go on, then shows a message box.
uint32_t RT_THREAD_ROUTINE BoxWhenTold(void*) {
  ArgValue args[2] = {ArgValue::Text("abc"), ArgValue::Int(1)};
  while (!g_seen.proceed) {
    FreeMemory(const_cast<char*>(CallCoreCommand(LeftOfText, 2, args).AsText()));
    g_seen.ready = true;
  }
  ArgValue style = ArgValue::Int(MB_OK);
  CallLibraryCommand(BoxCommand, 1, &style);
  g_seen.after = true;
  return 0;
}

uint32_t RT_THREAD_ROUTINE ShowBox(void* style) {
  ArgValue arg = ArgValue::Int(static_cast<int32_t>(reinterpret_cast<uintptr_t>(style)));
  CallLibraryCommand(BoxCommand, 1, &arg);
  g_seen.after = true;
  return 0;
}

uint32_t RT_THREAD_ROUTINE SpinWithoutSafePoint(void*) {
  g_seen.ready = true;
  for (;;) g_seen.steps.fetch_add(1, std::memory_order_relaxed);
}

// Holds an event across safe points, then sits in a stretch that must not be
// cut off (as a program start is) for longer than a stop waits for a safe
// point, then takes a fifth of a second more to its next safe point (a call
// of a command).
std::atomic<HANDLE> g_held{nullptr};
uint32_t RT_THREAD_ROUTINE HoldThenDefer(void*) {
  const HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HoldWorkerHandle(reinterpret_cast<uintptr_t>(event), HeldHandleKind::kKernelObject);
  g_held = event;
  {
    const StopDeferral deferral;
    g_seen.ready = true;
    Sleep(1500);
    g_seen.after = true;
  }
  for (const DWORD from = GetTickCount(); GetTickCount() - from < 200;) {
  }
  g_seen.past_stretch = true;
  ArgValue args[2] = {ArgValue::Text("abc"), ArgValue::Int(1)};
  for (;;) {
    FreeMemory(const_cast<char*>(CallCoreCommand(LeftOfText, 2, args).AsText()));
    ++g_seen.steps;
  }
}

uint32_t RT_THREAD_ROUTINE SearchForever(void* folder) {
  const std::string pattern = static_cast<const char*>(folder) + std::string("\\*");
  uintptr_t search = 0;
  for (;;) {
    char* name = reinterpret_cast<char*>(
        CallService(kServiceFindFile, g_seen.steps % 2 == 0 ? pattern.c_str() : "", 0, 1, &search));
    FreeMemory(name);
    ++g_seen.steps;
  }
}

// No safe point lies between the mark and the wait: a stop from here on
// has to cut the wait short.
uint32_t RT_THREAD_ROUTINE WaitForNeverSignalled(void* event) {
  g_seen.ready = true;
  const WaitOutcome outcome = WaitForObjectOrStop(reinterpret_cast<uintptr_t>(event), INFINITE);
  if (outcome == WaitOutcome::kStopRequested) {
    g_seen.cut_short = true;
    ThreadSafePoint();
  }
  g_seen.after = true;
  return 0;
}

std::atomic<int32_t> g_own_handle{0};
uint32_t RT_THREAD_ROUTINE KillItself(void*) {
  while (g_own_handle == 0) Sleep(1);
  Kill(g_own_handle);
  g_seen.after = true;
  return 0;
}

uint32_t RT_THREAD_ROUTINE ReturnSeven(void*) { return 7; }

// Says that it runs its own code (its start-up in the loader is over), then sleeps.
DWORD WINAPI SleepLong(LPVOID running) {
  SetEvent(static_cast<HANDLE>(running));
  Sleep(60000);
  return 0;
}

struct BoxSearch {
  DWORD thread;
  HWND found;
};
BOOL CALLBACK FindBox(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<BoxSearch*>(param);
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::strcmp(name, "#32770") == 0) search->found = window;
  return TRUE;
}
HWND BoxOfThread(DWORD thread) {
  BoxSearch search{thread, nullptr};
  EnumThreadWindows(thread, FindBox, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

class ThreadsTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { g_seen.proceed = true; }
};

// Handles of this process that name the thread (the runtime keeps one of
// its own for every worker).
int HandlesNaming(DWORD thread) {
  int count = 0;
  for (uintptr_t value = 4; value < 0x10000; value += 4) {
    if (GetThreadId(reinterpret_cast<HANDLE>(value)) == thread) ++count;
  }
  return count;
}

std::atomic<DWORD> g_worker_id{0};
uint32_t RT_THREAD_ROUTINE RecordIdAndParameter(void* parameter) {
  g_worker_id = GetCurrentThreadId();
  return RecordParameter(parameter);
}

TEST_F(ThreadsTest, AStopWaitsOutAStretchThatMustNotBeCutAndClosesWhatTheWorkerHeld) {
  int32_t handle = 0;
  ArgValue args[3] = {Subroutine(HoldThenDefer), ArgValue::Int(0), VariableRef(&handle)};
  ASSERT_TRUE(Start(args, 3));
  ASSERT_TRUE(WaitUntil([] { return g_seen.ready.load(); }));
  EXPECT_TRUE(Kill(handle));
  EXPECT_TRUE(g_seen.after) << "the stretch ran to its end";
  EXPECT_TRUE(g_seen.past_stretch) << "the worker had its time to reach a safe point after the stretch";
  EXPECT_EQ(0, g_seen.steps.load()) << "and it ended at its next safe point";
  EXPECT_EQ(kStopped, ExitCode(AsHandle(handle)));
  DWORD flags = 0;
  EXPECT_FALSE(GetHandleInformation(g_held.load(), &flags)) << "the event it held is closed";
  CloseHandle(AsHandle(handle));
}

TEST_F(ThreadsTest, StartWithTheSubroutineAloneClosesTheHandle) {
  ArgValue alone = Subroutine(RecordIdAndParameter);
  ASSERT_TRUE(Start(&alone, 1));
  ASSERT_TRUE(WaitUntil([] { return g_seen.parameter.load() != 0xDEAD; }));
  EXPECT_EQ(0u, g_seen.parameter.load());
  const int without_variable = HandlesNaming(g_worker_id);

  g_seen.parameter = 0xDEAD;
  int32_t variable = 0;
  ArgValue with_variable[3] = {Subroutine(RecordIdAndParameter), ArgValue::Int(3),
                               VariableRef(&variable)};
  ASSERT_TRUE(Start(with_variable, 3));
  ASSERT_TRUE(WaitUntil([] { return g_seen.parameter.load() != 0xDEAD; }));
  EXPECT_EQ(3u, g_seen.parameter.load());
  // The handed-out handle is the one difference between the two starts.
  EXPECT_EQ(without_variable + 1, HandlesNaming(g_worker_id));
  EXPECT_EQ(g_worker_id.load(), GetThreadId(AsHandle(variable)));
  g_seen.proceed = true;
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(AsHandle(variable), 5000));
  EXPECT_EQ(6u, ExitCode(AsHandle(variable)));
  CloseHandle(AsHandle(variable));
}

TEST_F(ThreadsTest, HandleVariableReceivesAnOpenHandleAndIsOverwrittenBySecondStart) {
  int32_t variable = 0;
  ArgValue first[3] = {Subroutine(RecordParameter), ArgValue::Int(41), VariableRef(&variable)};
  ASSERT_TRUE(Start(first, 3));
  const int32_t first_handle = variable;
  ASSERT_NE(0, first_handle);
  ArgValue second[3] = {Subroutine(RecordParameter), ArgValue::Int(42), VariableRef(&variable)};
  ASSERT_TRUE(Start(second, 3));
  ASSERT_NE(0, variable);
  EXPECT_NE(first_handle, variable);
  g_seen.proceed = true;
  // The first handle was not closed: it still names its thread.
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(AsHandle(first_handle), 5000));
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(AsHandle(variable), 5000));
  EXPECT_EQ(82u, ExitCode(AsHandle(first_handle)));
  EXPECT_EQ(84u, ExitCode(AsHandle(variable)));
  CloseHandle(AsHandle(first_handle));
  CloseHandle(AsHandle(variable));
}

TEST_F(ThreadsTest, AnOmittedParameterIsZeroWhateverItsPayload) {
  int32_t variable = 0;
  ArgValue omitted = ArgValue::Int(99);
  omitted.tag = kTagOmitted;
  ArgValue args[3] = {Subroutine(RecordParameter), omitted, VariableRef(&variable)};
  g_seen.proceed = true;
  ASSERT_TRUE(Start(args, 3));
  ASSERT_NE(0, variable);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(AsHandle(variable), 5000));
  EXPECT_EQ(0u, g_seen.parameter.load());
  EXPECT_EQ(0u, ExitCode(AsHandle(variable)));
  CloseHandle(AsHandle(variable));
}

TEST_F(ThreadsTest, AThreadThatCannotStartGivesFalseAndAZeroHandle) {
  int32_t variable = 12345;
  ArgValue args[3] = {ArgValue::Address(nullptr, kTagSubroutine), ArgValue::Int(1),
                      VariableRef(&variable)};
  EXPECT_FALSE(Start(args, 3));
  EXPECT_EQ(0, variable);
  EXPECT_FALSE(Start(args, 0));
}

TEST_F(ThreadsTest, KilledTwoHundredTimesWhileAllocatingWithoutHangOrHeapDamage) {
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    g_seen.steps = 0;
    int32_t variable = 0;
    ArgValue args[3] = {Subroutine(AllocateInALoop), ArgValue::Omitted(), VariableRef(&variable)};
    ASSERT_TRUE(Start(args, 3));
    // The window thread allocates meanwhile, for a varying while.
    for (int i = 0; i < 50 + (round * 37) % 400; ++i) FreeMemory(AllocateMemory(16 + i));
    EXPECT_TRUE(Kill(variable));
    // Ended when KillThread returns: no further step.
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(AsHandle(variable), 0));
    EXPECT_EQ(kStopped, ExitCode(AsHandle(variable)));
    CloseHandle(AsHandle(variable));
  }
  for (int i = 0; i < 1000; ++i) FreeMemory(AllocateMemory(i + 1));
  EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, nullptr));
}

TEST_F(ThreadsTest, APauseOfAMinuteIsCutShort) {
  int32_t variable = 0;
  ArgValue args[3] = {Subroutine(PauseOneMinute), ArgValue::Omitted(), VariableRef(&variable)};
  ASSERT_TRUE(Start(args, 3));
  ASSERT_TRUE(WaitUntil([] { return g_seen.ready.load(); }));
  EXPECT_TRUE(Kill(variable));
  EXPECT_TRUE(g_seen.cut_short) << "the pause returned early, and the worker ended after it";
  EXPECT_EQ(kStopped, ExitCode(AsHandle(variable)));
  EXPECT_FALSE(g_seen.after);
  CloseHandle(AsHandle(variable));
}

TEST_F(ThreadsTest, AfterKillTheNextMessageBoxIsNeverShown) {
  int32_t variable = 0;
  ArgValue args[3] = {Subroutine(BoxWhenTold), ArgValue::Omitted(), VariableRef(&variable)};
  ASSERT_TRUE(Start(args, 3));
  ASSERT_TRUE(WaitUntil([] { return g_seen.ready.load(); }));
  const DWORD thread = GetThreadId(AsHandle(variable));
  EXPECT_TRUE(Kill(variable));
  g_seen.proceed = true;
  // A worker that had not ended would show its box now and wait in it.
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(AsHandle(variable), 5000));
  EXPECT_EQ(nullptr, BoxOfThread(thread));
  EXPECT_FALSE(g_seen.box_returned);
  EXPECT_FALSE(g_seen.after);
  EXPECT_EQ(kStopped, ExitCode(AsHandle(variable)));
  CloseHandle(AsHandle(variable));
}

TEST_F(ThreadsTest, AMessageBoxTheThreadShowsIsClosed) {
  for (const uintptr_t style : {uintptr_t{MB_OK}, uintptr_t{MB_YESNO}}) {
    SCOPED_TRACE(style);
    Reset();
    int32_t variable = 0;
    ArgValue args[3] = {Subroutine(ShowBox), ArgValue::Int(static_cast<int32_t>(style)),
                        VariableRef(&variable)};
    ASSERT_TRUE(Start(args, 3));
    const DWORD thread = GetThreadId(AsHandle(variable));
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = BoxOfThread(thread)) != nullptr; }));
    EXPECT_TRUE(Kill(variable));
    EXPECT_FALSE(IsWindow(box));
    EXPECT_TRUE(g_seen.box_returned) << "the box was answered, not taken down with its thread";
    EXPECT_FALSE(g_seen.after);
    EXPECT_EQ(kStopped, ExitCode(AsHandle(variable)));
    CloseHandle(AsHandle(variable));
  }
}

TEST_F(ThreadsTest, EveryStepOfAFileSearchIsASafePoint) {
  test_support::ScopedTempDir dir;
  for (int i = 0; i < 20; ++i) dir.WriteFile("f" + std::to_string(i) + ".txt");
  int32_t variable = 0;
  ArgValue args[3] = {Subroutine(SearchForever),
                      ArgValue::Address(dir.path().c_str(), kTagInt), VariableRef(&variable)};
  ASSERT_TRUE(Start(args, 3));
  ASSERT_TRUE(WaitUntil([] { return g_seen.steps > 100; }));
  EXPECT_TRUE(Kill(variable));
  const int steps = g_seen.steps;
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(AsHandle(variable), 5000));
  EXPECT_EQ(steps, g_seen.steps) << "no step after the kill returned";
  EXPECT_EQ(kStopped, ExitCode(AsHandle(variable)));
  CloseHandle(AsHandle(variable));
}

TEST_F(ThreadsTest, AWaitForAStartedProgramIsCutShort) {
  HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  int32_t variable = 0;
  ArgValue args[3] = {Subroutine(WaitForNeverSignalled),
                      ArgValue::Address(never, kTagInt), VariableRef(&variable)};
  ASSERT_TRUE(Start(args, 3));
  ASSERT_TRUE(WaitUntil([] { return g_seen.ready.load(); }));
  EXPECT_TRUE(Kill(variable));
  EXPECT_TRUE(g_seen.cut_short) << "the wait returned, and the worker ended at the safe point after it";
  EXPECT_FALSE(g_seen.after);
  EXPECT_EQ(kStopped, ExitCode(AsHandle(variable)));
  CloseHandle(AsHandle(variable));
  CloseHandle(never);
}

TEST_F(ThreadsTest, AThreadThatReachesNoSafePointIsTerminatedWithinASecond) {
  int32_t variable = 0;
  ArgValue args[3] = {Subroutine(SpinWithoutSafePoint), ArgValue::Omitted(),
                      VariableRef(&variable)};
  ASSERT_TRUE(Start(args, 3));
  ASSERT_TRUE(WaitUntil([] { return g_seen.ready.load(); }));
  EXPECT_TRUE(Kill(variable));
  const int steps = g_seen.steps;
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(AsHandle(variable), 5000));
  EXPECT_EQ(steps, g_seen.steps) << "no step after the kill returned";
  EXPECT_EQ(kStopped, ExitCode(AsHandle(variable)));
  CloseHandle(AsHandle(variable));
}

TEST_F(ThreadsTest, AWorkerKillingItselfTakesNoFurtherStep) {
  int32_t variable = 0;
  ArgValue args[3] = {Subroutine(KillItself), ArgValue::Omitted(), VariableRef(&variable)};
  ASSERT_TRUE(Start(args, 3));
  g_own_handle = variable;
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(AsHandle(variable), 5000));
  EXPECT_FALSE(g_seen.after);
  EXPECT_EQ(kStopped, ExitCode(AsHandle(variable)));
  CloseHandle(AsHandle(variable));
}

TEST_F(ThreadsTest, KillOfAFinishedThreadChangesNothing) {
  int32_t variable = 0;
  ArgValue args[3] = {Subroutine(ReturnSeven), ArgValue::Omitted(), VariableRef(&variable)};
  ASSERT_TRUE(Start(args, 3));
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(AsHandle(variable), 5000));
  EXPECT_FALSE(Kill(variable));
  EXPECT_EQ(7u, ExitCode(AsHandle(variable)));
  CloseHandle(AsHandle(variable));
}

TEST_F(ThreadsTest, KillOfZeroOrOfAHandleThatIsNoThreadIsFalse) {
  EXPECT_FALSE(Kill(0));
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  EXPECT_FALSE(Kill(static_cast<int32_t>(reinterpret_cast<intptr_t>(event))));
  CloseHandle(event);
}

TEST_F(ThreadsTest, ARunningThreadNotStartedByStartThreadIsTerminated) {
  // Ended once it runs its own code: a thread ended inside its start-up
  // would take the loader's lock with it.
  const HANDLE running = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = CreateThread(nullptr, 0, SleepLong, running, 0, nullptr);
  ASSERT_NE(nullptr, thread);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(running, 5000));
  EXPECT_TRUE(Kill(static_cast<int32_t>(reinterpret_cast<intptr_t>(thread))));
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 5000));
  EXPECT_EQ(kStopped, ExitCode(thread));
  CloseHandle(thread);
  CloseHandle(running);
}

}  // namespace
}  // namespace rt
