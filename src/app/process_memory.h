// How a process takes its memory from the system.
#pragma once

namespace grusk {

// Fresh memory costs a page fault for every 4 KiB page first touched, and on
// some machines (virtual ones above all) a fault costs more than the work
// done in the page. Called first thing in main(): large blocks come from the
// heap and stay there when freed, so that memory given back is used again;
// with largePages the heap is also reserved in one step and offered for 2 MiB
// pages, so that start-up touches a few large pages instead of thousands of
// small ones. Only advice: where the system has no such pages nothing changes.
void tuneProcessMemory(bool largePages);

}  // namespace grusk
