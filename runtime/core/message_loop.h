// The message loop of the window thread: the main loop, the nested loop of
// a modal window, and the processing of pending messages. Every message
// passes the message filter of the program windows it is aimed at before it
// is translated and dispatched.
#pragma once

#include <cstdint>

namespace rt {

// Runs the loop until the quit message arrives (the main loop). The caller
// sets Runtime().loop_entered first.
void RunLoopUntilQuit();

// The nested loop of the modal window `window_id`: returns as soon as the
// modal marker no longer names that window or that window is gone, or when
// a quit message waits (it stays in the queue for the outer loop).
void RunModalLoop(uint32_t window_id);

// Handles the messages waiting for this thread, up to a quit message, which
// stays in the queue.
void ProcessWaitingMessages();

}  // namespace rt
