// Start-up measurement for the benchmark in bench/startup, which compares the
// program with a bare Qt window.
//
// When the environment variable VOSTREL_STARTUP_PROBE is set, the window is
// watched until it has been shown and painted whole: then one line goes to
// standard output and the event loop ends with status 0:
//
//   startup_us=<microseconds> cpu_us=<microseconds> peak_rss_kib=<kibibytes>
//
// startup_us counts from the CLOCK_MONOTONIC time in nanoseconds that the
// variable holds (the benchmark driver reads the clock just before it starts
// the process); if the variable holds no such recent time (say it is 1), it
// counts from the process's start as the kernel recorded it, to the clock
// tick. cpu_us is the processor time (user and system, all threads) spent by
// then, which other load on the machine disturbs less than startup_us;
// peak_rss_kib is the process's peak resident set (VmHWM) at that moment.
//
// When the variable is unset the probe installs nothing and costs nothing.
#pragma once

class QWidget;

namespace vostrel::app {

// Call with the top-level window before showing it; the window must outlive
// the event loop.
void WatchStartUpIfAsked(QWidget& window);

}  // namespace vostrel::app
